#pragma once
// "Página por dia da semana": turns the page by weekday on or off.
#include "app/settings/settings_page.h"

namespace vorelux::app {

class PageByWeekdayPage final : public SettingsPage {
    Q_OBJECT
  public:
    explicit PageByWeekdayPage(QWidget* parent = nullptr);

  signals:
    void scheduleChosen(bool enable); // "Ativar" / "Desativar"
};

} // namespace vorelux::app
