#pragma once
// "Em Pé": the panel's position, "Horizontal" or "Vertical", sent at a click.
#include "app/settings/settings_page.h"

namespace vorelux::app {

class UprightPage final : public SettingsPage {
    Q_OBJECT
  public:
    explicit UprightPage(QWidget* parent = nullptr);

  signals:
    void orientationChosen(bool vertical);
};

} // namespace vorelux::app
