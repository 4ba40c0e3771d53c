#pragma once
// "Velocidade": the animation speed slider; the position goes out when the
// slider is let go (mouse or keyboard).
#include "app/settings/settings_page.h"

class QSlider;

namespace vorelux::app {

class SpeedPage final : public SettingsPage {
    Q_OBJECT
  public:
    explicit SpeedPage(QWidget* parent = nullptr);
    int position() const;
    void restoreDefault(); // the factory position

  signals:
    void positionChosen(); // let go at position()

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QSlider* slider_ = nullptr;
};

} // namespace vorelux::app
