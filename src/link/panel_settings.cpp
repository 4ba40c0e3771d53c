#include "link/panel_settings.h"

#include "files/conn_cfg.h"

#include <cstdio>

namespace vorelux {

namespace {
uint8_t byte(int value) {
    return static_cast<uint8_t>(value & 0xFF);
}
std::string hhmm(int hour, int minute) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", hour % 24, minute % 60);
    return text;
}
} // namespace

// ---- page by hour ----------------------------------------------------------

PageByHourList::PageByHourList(ConnectionSettingsStore& settings) : settings_(settings) {
    for (int i = 0; i < PageHourItems; ++i) checked_[i] = entries()[i].active != 0;
    refresh(false);
}

std::string PageByHourList::caption(int item) const {
    std::string text =
        (item < PageHourSentItems ? " Página  " : " Multi-Página  ") + std::to_string(item + 1);
    if (checked_[item]) text += "     -     " + hhmm(entries()[item].hour, entries()[item].minute);
    return text;
}

bool PageByHourList::anyChecked() const {
    for (bool on : checked_)
        if (on) return true;
    return false;
}

void PageByHourList::refresh(bool fromTimeField) {
    settings_.update([this](ConnectionSettings& s) {
        for (int i = 0; i < PageHourItems; ++i) s.pagesByHour[i].active = checked_[i] ? 1 : 0;
    });
    if (!fromTimeField) {
        timeLabel_ = "Horário da página " + std::to_string(selected_ + 1);
        fieldHour_ = entries()[selected_].hour;
        fieldMinute_ = entries()[selected_].minute;
        activateVisible_ = !checked_[selected_];
    }
    enabled_ = anyChecked();
}

void PageByHourList::setChecked(int item, bool on) {
    if (item < 0 || item >= PageHourItems) return;
    checked_[item] = on;
    refresh(false);
}

void PageByHourList::select(int item) {
    if (item < 0 || item >= PageHourItems) return;
    selected_ = item;
    refresh(false);
}

void PageByHourList::setTime(int hour, int minute) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59) return;
    settings_.update([&](ConnectionSettings& s) {
        s.pagesByHour[selected_].hour = hour;
        s.pagesByHour[selected_].minute = minute;
    });
    fieldHour_ = hour;
    fieldMinute_ = minute;
    refresh(true);
}

void PageByHourList::activateSelected() {
    checked_[selected_] = true;
    refresh(false);
}

void PageByHourList::setEnabled(bool on) {
    if (on) {
        bool any = false;
        for (int i = 0; i < PageHourItems; ++i) {
            checked_[i] = checked_[i] || entries()[i].active != 0;
            any = any || checked_[i];
        }
        if (!any) checked_[0] = true;
    } else {
        checked_.fill(false);
    }
    refresh(false);
}

std::array<HourMinute, PageHourSentItems> PageByHourList::pairs() const {
    std::array<HourMinute, PageHourSentItems> out{};
    for (int i = 0; i < PageHourSentItems; ++i)
        if (checked_[i]) out[i] = {byte(entries()[i].hour), byte(entries()[i].minute)};
    return out;
}

uint8_t sendPageByHour(PanelLink& link, const TargetChecks& targets,
                       const std::array<HourMinute, PageHourSentItems>& pairs, bool enable,
                       ProgressWindow* progress, const KeepSending& keepSending) {
    auto goOn = [&] { return !keepSending || keepSending(); };
    if (targets[0]) {
        // Every panel at once: the mode follows each pair.
        link.lastSendResult = SendOk;
        uint8_t result = SendOk;
        for (int i = 0; i < PageHourSentItems && result == SendOk && goOn(); ++i) {
            if (enable) {
                result = sendSequence(link, EveryPanel,
                                      {{byte(ParPageHourFirst + 2 * i), pairs[i].hour},
                                       {byte(ParPageHourFirst + 2 * i + 1), pairs[i].minute},
                                       {ParScheduleMode, SchedulePageByHour}},
                                      keepSending);
            } else {
                result = link.sendParameter(ParScheduleMode, EveryPanel, ScheduleOff);
            }
        }
        link.lastSendResult = result;
        return result;
    }
    auto command = [&](PanelId panel) -> uint8_t {
        uint8_t last = SendOk;
        uint8_t firstFailure = SendOk;
        auto note = [&](uint8_t result) {
            last = result;
            if (firstFailure == SendOk) firstFailure = result;
        };
        if (enable) {
            for (int i = 0; i < PageHourSentItems && goOn(); ++i) {
                // Every hour goes out; its minute only when the hour did.
                note(link.sendParameter(byte(ParPageHourFirst + 2 * i), panel, pairs[i].hour));
                if (last == SendOk && goOn())
                    note(link.sendParameter(byte(ParPageHourFirst + 2 * i + 1), panel,
                                            pairs[i].minute));
            }
            if (last == SendOk && goOn())
                note(link.sendParameter(ParScheduleMode, panel, SchedulePageByHour));
        } else {
            note(link.sendParameter(ParScheduleMode, panel, ScheduleOff));
        }
        // A pair that failed is reported even when later ones went out.
        return firstFailure;
    };
    return link.sendToCheckedPanels(targets, command, progress, AfterFailure::Continue);
}

ParamSequence weekdayScheduleSequence(bool enable) {
    return {{ParScheduleMode, enable ? SchedulePageByWeekday : ScheduleOff}};
}

// ---- switch-on and switch-off times ---------------------------------------

ParamSequence onOffSequence(bool enable, int onHour, int onMinute, int offHour, int offMinute) {
    if (!enable) return {{ParOnHour, 0}, {ParOnMinute, 0}, {ParOffHour, 0}, {ParOffMinute, 255}};
    return {{ParOnHour, byte(onHour)},
            {ParOnMinute, byte(onMinute)},
            {ParOffHour, byte(offHour)},
            {ParOffMinute, byte(offMinute)}};
}

// ---- day counters ----------------------------------------------------------

ParamSequence countUpSequence(int year, int month, int day) {
    return {{ParCountUpDay, byte(day)},
            {ParCountUpMonth, byte(month)},
            {ParCountUpYear, byte(year % 100)}};
}

ParamSequence countDownSequence(int year, int month, int day) {
    return {{ParCountDownDay, byte(day)},
            {ParCountDownMonth, byte(month)},
            {ParCountDownYear, byte(year % 100)}};
}

// ---- panel number ----------------------------------------------------------

bool panelIdKeyAccepted(int virtualKey) {
    return virtualKey == 9 || virtualKey == 13 || (virtualKey >= 48 && virtualKey <= 57);
}

namespace {
// The number in a field: digits only (spaces around them allowed).
std::optional<long> fieldNumber(const std::string& text) {
    size_t begin = text.find_first_not_of(' ');
    size_t end = text.find_last_not_of(' ');
    if (begin == std::string::npos) return std::nullopt;
    std::string digits = text.substr(begin, end - begin + 1);
    if (digits.size() > 9) return std::nullopt;
    long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}
} // namespace

PanelIdChange checkNewPanelId(const std::string& currentText, const std::string& newText) {
    auto current = fieldNumber(currentText);
    auto next = fieldNumber(newText);
    if (!current || !next) return {};
    if (*next < 1 || *next > 255) return {PanelIdOutcome::BadNew};
    if (*current < 1 || *current > 255) return {PanelIdOutcome::BadCurrent};
    return {PanelIdOutcome::Valid, byte(int(*current)), byte(int(*next))};
}

std::optional<Prompt> panelIdPrompt(PanelIdOutcome outcome) {
    switch (outcome) {
    case PanelIdOutcome::BadNew:
    case PanelIdOutcome::BadCurrent:
        return Prompt::InvalidPanelId;
    case PanelIdOutcome::Valid:
        return Prompt::ConfirmPanelIdChange;
    case PanelIdOutcome::NotNumbers:
        break;
    }
    return std::nullopt;
}

uint8_t sendNewPanelId(PanelLink& link, PanelId current, uint8_t next) {
    link.lastSendResult = link.sendParameter(ParNewPanelId, current, next);
    return link.lastSendResult;
}

// ---- transmitter pairing ---------------------------------------------------

TransmitterPairing::TransmitterPairing(PanelLink& link, RandomRange& random)
    : link_(link), random_(random) {}

bool TransmitterPairing::configure(TimePoint now) {
    const KqIdentity previous = link_.cfg().transmitterIdentity;
    if (previous[6] != KqNotConfigured) return false;
    int c = 0;
    do {
        c = random_.between(1, 254);
    } while (c == KqNotConfigured || c < 1 || c > 254);
    KqIdentity identity = previous;
    identity[6] = byte(c);
    link_.settings().setTransmitterIdentity(identity);
    auto report = kqConfigReport(identity, byte(c));
    if (!link_.writeReport({report.begin(), report.end()})) {
        // The transmitter did not take the byte: it is still not configured.
        link_.settings().setTransmitterIdentity(previous);
        return false;
    }
    configDeadline = now + ConfigWindow;
    return true;
}

bool TransmitterPairing::tick(TimePoint now) {
    const bool more = now < configDeadline;
    link_.lastSendResult = link_.sendParameter(ParConfigPoll, ConfigPanel, 0);
    return more && link_.lastSendResult == SendOk;
}

// ---- daylight saving -------------------------------------------------------

uint8_t daylightSavingFlags(bool warn, bool dstNow) {
    return static_cast<uint8_t>((warn ? DaylightSavingWarn : 0) +
                                (dstNow ? DaylightSavingInForce : 0));
}

DaylightSavingCheck checkDaylightSaving(ConnectionSettingsStore& settings, bool dstNow,
                                        const std::string& connCfgPath) {
    DaylightSavingCheck check;
    const uint8_t flags = settings.get().daylightSaving;
    if (!(flags & DaylightSavingWarn)) return check;
    const bool recorded = (flags & DaylightSavingInForce) != 0;
    if (recorded == dstNow) return check;
    if (dstNow) {
        settings.setDaylightSaving(flags | DaylightSavingInForce);
        check.change = DaylightSavingChange::Began;
    } else {
        settings.setDaylightSaving(flags & 0xF0);
        check.change = DaylightSavingChange::Ended;
    }
    std::string error;
    if (!writeConnCfg(connCfgPath, settings.get(), ConnCfgDaylightSaving, error))
        check.writeError = error;
    return check;
}

std::optional<Prompt> daylightSavingPrompt(DaylightSavingChange change) {
    switch (change) {
    case DaylightSavingChange::Began:
        return Prompt::DaylightSavingStarted;
    case DaylightSavingChange::Ended:
        return Prompt::DaylightSavingEnded;
    default:
        return std::nullopt;
    }
}

} // namespace vorelux
