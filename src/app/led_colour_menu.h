#pragma once
// "Exibir" → "Cor dos LEDs": the colour the LED pictures shine in, one of
// five exclusive checkable items. The choice is applied at once and kept in
// "aparencia.txt" in the settings folder, read back at the next start (a
// missing or damaged file is the default, red, without a word).
#include "model/led_colour.h"

#include <QObject>
#include <QString>

#include <functional>

class QMenuBar;
class QAction;

namespace vorelux {
class Prompter;
}

namespace vorelux::app {

class LedColourMenu final : public QObject {
    Q_OBJECT
  public:
    // Reads the saved colour from `settingsPath`, adds the menu to `bar`
    // before its last menu (Ajuda) and applies the colour with `apply`.
    LedColourMenu(QMenuBar* bar, QString settingsPath, Prompter& prompter,
                  std::function<void(LedColour)> apply, QObject* parent);
    LedColour colour() const { return colour_; }
    // As if the operator picked `colour`: applied, checked and saved.
    void choose(LedColour colour);
    QAction* action(LedColour colour) const;

  private:
    QString settingsPath_;
    Prompter& prompter_;
    std::function<void(LedColour)> apply_;
    LedColour colour_ = DefaultLedColour;
    QAction* actions_[AllLedColours.size()] = {};
};

} // namespace vorelux::app
