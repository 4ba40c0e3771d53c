#pragma once
// "Relógio": the time and date to send to the panels' clocks, the weekday of
// that date, and whether to warn when daylight-saving time begins or ends.
#include "app/settings/settings_page.h"
#include "link/settings_commands.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QTimeEdit;

namespace vorelux {
class Clock;
}

namespace vorelux::app {

class ClockPage final : public SettingsPage {
    Q_OBJECT
  public:
    explicit ClockPage(const Clock& clock, QWidget* parent = nullptr);
    // The warning check from the stored flags.
    void load(const ConnectionSettings& cfg) override;
    // The warning check, with the daylight-saving state of now.
    void apply(ConnectionSettings& cfg) const override;
    // The fields take the time and date of now.
    void showNow();
    ClockMoment moment() const;

  signals:
    void warningToggled(); // the operator clicked the warning check
    void sendRequested();  // "Enviar"

  private:
    void updateWeekday();

    const Clock& clock_;
    QTimeEdit* timeEdit_ = nullptr;
    QDateEdit* dateEdit_ = nullptr;
    QLabel* weekdayLabel_ = nullptr;
    QCheckBox* warningCheck_ = nullptr;
};

} // namespace vorelux::app
