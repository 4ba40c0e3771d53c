#pragma once
// Small builders shared by the settings pages: buttons, notes, date and time
// fields in the look every page uses.
#include <QString>

class QDateEdit;
class QHBoxLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimeEdit;

namespace vorelux::app {

QPushButton* settingsButton(const char* name, const QString& text);
// A read-only block of explanations.
QPlainTextEdit* readOnlyText(const QString& text);
// An explanatory line under the controls.
QLabel* noteLabel(const char* text);
// A row with `button` (an "Enviar") at its right.
QHBoxLayout* sendRow(QPushButton* button);
QTimeEdit* timeField(const char* name, const QString& format);
// A date with two digits of the year, as the panels keep it.
QDateEdit* dateField(const char* name);

} // namespace vorelux::app

class QEvent;
namespace vorelux::app {
// A key that moves a slider let go (not a repeat): the slider's value goes
// out then.
bool isSliderKeyRelease(const QEvent* event);
} // namespace vorelux::app
