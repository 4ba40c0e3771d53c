#pragma once
// "Configurar painel": the steps that pair a panel with the USB transmitter.
#include "app/settings/settings_page.h"

namespace vorelux::app {

class TransmitterPage final : public SettingsPage {
    Q_OBJECT
  public:
    explicit TransmitterPage(QWidget* parent = nullptr);

  signals:
    void configureRequested(); // "Configurar Painel"
};

} // namespace vorelux::app
