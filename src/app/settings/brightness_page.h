#pragma once
// "Brilho": the brightness slider with its value beside it; the level goes
// out when the slider is let go (mouse or keyboard).
#include "app/settings/settings_page.h"

class QLabel;
class QSlider;

namespace vorelux::app {

class BrightnessPage final : public SettingsPage {
    Q_OBJECT
  public:
    explicit BrightnessPage(QWidget* parent = nullptr);
    int level() const;
    void restoreDefault(); // the factory level

  signals:
    void levelChosen(); // let go at level()

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QSlider* slider_ = nullptr;
    QLabel* valueLabel_ = nullptr;
};

} // namespace vorelux::app
