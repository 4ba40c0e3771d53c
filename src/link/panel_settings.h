#pragma once
// The rest of the panel settings, without any window: the page-by-hour
// schedule with its list rules, page by weekday, switch-on and switch-off
// times, the day counters, the panel number, the transmitter pairing, the
// factory reset and the daylight-saving check at start-up. The settings
// dialog drives these; the single settings and the clock are in
// settings_commands.h.
#include "link/panel_link.h"
#include "link/random_range.h"
#include "link/settings_commands.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vorelux {

// Parameter codes of this file.
constexpr uint8_t ParScheduleMode = 7;   // 0 off, 1 page by hour, 2 page by weekday
constexpr uint8_t ParNewPanelId = 13;    // to the current number: the new number
constexpr uint8_t ParPageHourFirst = 16; // 16 + 2i hour, 17 + 2i minute of entry i
constexpr uint8_t ParCountDownDay = 42;
constexpr uint8_t ParCountDownMonth = 43;
constexpr uint8_t ParCountDownYear = 44;
constexpr uint8_t ParCountUpDay = 45;
constexpr uint8_t ParCountUpMonth = 46;
constexpr uint8_t ParCountUpYear = 47;
constexpr uint8_t ParOnHour = 48;
constexpr uint8_t ParOnMinute = 49;
constexpr uint8_t ParOffHour = 50;
constexpr uint8_t ParOffMinute = 51;

constexpr uint8_t ScheduleOff = 0;
constexpr uint8_t SchedulePageByHour = 1;
constexpr uint8_t SchedulePageByWeekday = 2;

// The address of a panel waiting in configuration mode ("CFG CTRL").
constexpr PanelId ConfigPanel = 255;

// ---- page by hour ----------------------------------------------------------

constexpr int PageHourItems = 12;    // list items; 8..11 are " Multi-Página  " items
constexpr int PageHourSentItems = 8; // only entries 0..7 reach a panel
constexpr uint8_t PageHourOff = 255; // hour and minute of an entry that is off

struct HourMinute {
    uint8_t hour = PageHourOff;
    uint8_t minute = PageHourOff;
    bool operator==(const HourMinute&) const = default;
};

// The page-by-hour list of the settings dialog: twelve checkable items over
// the entries of ConnectionSettings::pagesByHour, the selected item, its time field,
// "Ativar" and " Ativado". Every change refreshes the captions, the entries'
// active flags (through the settings' owner) and " Ativado" as the list shows them.
class PageByHourList {
  public:
    explicit PageByHourList(ConnectionSettingsStore& settings);

    // Caption of item i: " Página  n" (n = i+1) or " Multi-Página  n", with
    // "     -     HH:MM" when it is checked.
    std::string caption(int item) const;
    bool checked(int item) const { return checked_[item]; }
    int selected() const { return selected_; }
    // "Horário da página " + (selected + 1).
    std::string timeLabel() const { return timeLabel_; }
    // The time field shows the selected entry's time.
    int fieldHour() const { return fieldHour_; }
    int fieldMinute() const { return fieldMinute_; }
    // "Ativar" is shown while the selected item is unchecked.
    bool activateVisible() const { return activateVisible_; }
    // " Ativado": at least one item is checked.
    bool isEnabled() const { return enabled_; }
    bool anyChecked() const;

    // The operator checks or unchecks an item (a click on its box).
    void setChecked(int item, bool on);
    // The operator selects an item.
    void select(int item);
    // The time field changed: the selected entry takes the time.
    void setTime(int hour, int minute);
    // "Ativar": checks the selected item.
    void activateSelected();
    // " Ativado" checked: every item whose entry is active or that is checked
    // (item 0 when there is none); unchecked: every item off.
    void setEnabled(bool on);

    // The eight pairs of a send: the entry's time when its item is checked,
    // else (255, 255).
    std::array<HourMinute, PageHourSentItems> pairs() const;

  private:
    void refresh(bool fromTimeField);
    const PageByHourEntries& entries() const { return settings_.get().pagesByHour; }

    ConnectionSettingsStore& settings_;
    std::array<bool, PageHourItems> checked_{};
    int selected_ = 0;
    std::string timeLabel_;
    int fieldHour_ = 0;
    int fieldMinute_ = 0;
    bool activateVisible_ = true;
    bool enabled_ = false;
};

// The page-by-hour "Enviar". With item 0 of the targets checked, to panel 0:
// for each entry, hour, minute and mode 1 (" Ativado" checked) or mode 0
// (unchecked), ending at the first failure. Otherwise each checked panel in
// turn gets its eight pairs (a minute only after its hour went out) and then
// the mode, when the last result is 0; a failing panel does not stop the
// others. Returns the result to report (the first failure, if any). A
// parameter goes out only while keepSending (when given) says so.
uint8_t sendPageByHour(PanelLink& link, const TargetChecks& targets,
                       const std::array<HourMinute, PageHourSentItems>& pairs, bool enable,
                       ProgressWindow* progress, const KeepSending& keepSending = {});

// Page by weekday "Ativar" (7 <- 2) / "Desativar" (7 <- 0).
ParamSequence weekdayScheduleSequence(bool enable);

// ---- switch-on and switch-off times ---------------------------------------

// 48 on hour, 49 on minute, 50 off hour, 51 off minute; with "  Ativar:"
// unchecked 0, 0, 0, 255.
ParamSequence onOffSequence(bool enable, int onHour, int onMinute, int offHour, int offMinute);

// ---- day counters ----------------------------------------------------------

// Count-up start date: 45 day, 46 month, 47 year (two digits).
ParamSequence countUpSequence(int year, int month, int day);
// Count-down end date: 42 day, 43 month, 44 year (two digits). Sent with
// AfterFailure::Continue: every checked panel is tried.
ParamSequence countDownSequence(int year, int month, int day);

// ---- panel number ----------------------------------------------------------

// Only the digit keys of the main keyboard (virtual keys 48..57), Tab and
// Enter reach the panel-number fields.
bool panelIdKeyAccepted(int virtualKey);

enum class PanelIdOutcome {
    NotNumbers, // a field is not a number: nothing sent, nothing shown
    BadNew,     // prompt InvalidPanelId; "Nova ID:" gets the focus
    BadCurrent, // prompt InvalidPanelId; "ID atual:" gets the focus
    Valid,      // both numbers 1..255: prompt ConfirmPanelIdChange decides whether it goes out
};

// The two fields of the panel-number "Enviar", read before anything is asked
// or sent.
struct PanelIdChange {
    PanelIdOutcome outcome = PanelIdOutcome::NotNumbers;
    PanelId current = 0; // "ID atual:", when Valid
    uint8_t next = 0;    // "Nova ID:", when Valid
};
PanelIdChange checkNewPanelId(const std::string& currentText, const std::string& newText);
// The question the check leads to: prompt InvalidPanelId for a number out of range,
// prompt ConfirmPanelIdChange (the change confirmation) for a valid change, none otherwise.
std::optional<Prompt> panelIdPrompt(PanelIdOutcome outcome);

// Sends 13 <- next to the panel's current number; the result goes to
// lastSendResult and is returned (the caller reports it).
uint8_t sendNewPanelId(PanelLink& link, PanelId current, uint8_t next);

// ---- transmitter pairing ---------------------------------------------------

// "Configurar Painel" and its poll. The steady clock drives the deadline.
class TransmitterPairing {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    static constexpr std::chrono::seconds ConfigWindow{5};

    TransmitterPairing(PanelLink& link, RandomRange& random);

    // The button: when the transmitter is not configured, a new configuration
    // byte (1..254, never "2") goes to transmitterIdentity byte 6 and to the
    // transmitter in the configuration report, and the deadline is now + 5 s.
    // Returns true when a configuration report was written. The caller then
    // starts the poll timer in any case.
    bool configure(TimePoint now);
    // A tick of the poll timer: polls panel 255 (253 <- 0) into
    // lastSendResult; the front end then tells its notice. Returns false
    // when the timer is to stop: the deadline has passed, or the poll failed
    // (the next one would fail the same way).
    bool tick(TimePoint now);

    TimePoint configDeadline{};

  private:
    PanelLink& link_;
    RandomRange& random_;
};

// ---- factory reset ---------------------------------------------------------

struct ResetSelection {
    bool speed = true;
    bool brightness = true;
    bool upright = true;
    bool pageSchedule = true;
    bool onOffTimes = true;
    bool any() const { return speed || brightness || upright || pageSchedule || onOffTimes; }
};

// ---- daylight saving -------------------------------------------------------

// The flags the warning check box stores: 0x10 when checked, plus 1 while
// daylight-saving time is in force.
uint8_t daylightSavingFlags(bool warn, bool dstNow);

enum class DaylightSavingChange { None, Began, Ended };

// The check at start-up: with the warning on (bit 4) and bit 0 different
// from dstNow, records the new state and writes "conn.cfg". Returns the
// change and why "conn.cfg" could not be written ("" when it was); on a
// change the front end shows `writeError` (when any), then asks prompt DaylightSavingStarted
// (began) or 7 (ended) whether to adjust the clock now.
struct DaylightSavingCheck {
    DaylightSavingChange change = DaylightSavingChange::None;
    std::string writeError;
};
DaylightSavingCheck checkDaylightSaving(ConnectionSettingsStore& settings, bool dstNow,
                                        const std::string& connCfgPath);
// The prompt that announces `change` (nothing for None).
std::optional<Prompt> daylightSavingPrompt(DaylightSavingChange change);

} // namespace vorelux
