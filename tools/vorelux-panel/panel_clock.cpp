#include "panel_clock.h"

#include <chrono>

namespace vorelux::panel {

int64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int daysInMonth(int month, int year) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 31;
    if (month == 2) {
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return leap ? 29 : 28;
    }
    return days[month - 1];
}

int64_t dayNumber(int year, int month, int day) {
    // Days from civil (proleptic Gregorian), shifted to 2000-01-01.
    if (month < 1) month = 1;
    if (month > 12) month = 12;
    if (day < 1) day = 1;
    if (day > daysInMonth(month, year)) day = daysInMonth(month, year);
    const int64_t y = year - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 - 10957;
}

ClockRegisters advanceRegisters(ClockRegisters r, int64_t seconds) {
    if (seconds <= 0) return r;
    int64_t total = int64_t(r.second) + seconds;
    r.second = int(total % 60);
    total = int64_t(r.minute) + total / 60;
    r.minute = int(total % 60);
    total = int64_t(r.hour) + total / 60;
    r.hour = int(total % 24);
    int64_t days = total / 24;
    for (; days > 0; --days) {
        r.weekday = (r.weekday + 1) % 7;
        if (++r.day > daysInMonth(r.month, 2000 + r.year)) {
            r.day = 1;
            if (++r.month > 12) {
                r.month = 1;
                r.year = (r.year + 1) % 100;
            }
        }
    }
    return r;
}

PanelClock::PanelClock(const LocalDateTime& start, MonotonicMs monotonic)
    : monotonic_(std::move(monotonic)) {
    regs_.second = start.second;
    regs_.minute = start.minute;
    regs_.hour = start.hour;
    regs_.weekday = start.weekday;
    regs_.day = start.day;
    regs_.month = start.month;
    regs_.year = ((start.year % 100) + 100) % 100;
    anchorMs_ = monotonic_() - start.millisecond;
}

ClockRegisters PanelClock::currentLocked(int64_t nowMs) const {
    return advanceRegisters(regs_, (nowMs - anchorMs_) / 1000);
}

LocalDateTime PanelClock::now() const {
    std::lock_guard lock(mutex_);
    const int64_t nowMs = monotonic_();
    const ClockRegisters r = currentLocked(nowMs);
    LocalDateTime t;
    t.year = 2000 + r.year;
    t.month = r.month;
    t.day = r.day;
    t.hour = r.hour;
    t.minute = r.minute;
    t.second = r.second;
    t.millisecond = int((nowMs - anchorMs_) % 1000);
    t.weekday = r.weekday;
    return t;
}

ClockRegisters PanelClock::registers() const {
    std::lock_guard lock(mutex_);
    return currentLocked(monotonic_());
}

bool PanelClock::setRegister(uint8_t parameter, uint8_t value) {
    const int v = value;
    switch (parameter) {
    case 64:
    case 65:
        if (v > 59) return false;
        break;
    case 66:
        if (v > 23) return false;
        break;
    case 67:
        if (v < 1 || v > 31) return false;
        break;
    case 68:
        if (v < 1 || v > 12) return false;
        break;
    case 69:
        if (v > 6) return false;
        break;
    case 70:
        if (v > 99) return false;
        break;
    default:
        return false;
    }
    std::lock_guard lock(mutex_);
    const int64_t nowMs = monotonic_();
    const int64_t elapsed = nowMs - anchorMs_;
    regs_ = advanceRegisters(regs_, elapsed / 1000);
    anchorMs_ += (elapsed / 1000) * 1000; // keep the part of the running second
    switch (parameter) {
    case 64:
        regs_.second = v;
        anchorMs_ = nowMs; // writing the seconds restarts the second
        break;
    case 65:
        regs_.minute = v;
        break;
    case 66:
        regs_.hour = v;
        break;
    case 67:
        regs_.day = v;
        break;
    case 68:
        regs_.month = v;
        break;
    case 69:
        regs_.weekday = v;
        break;
    case 70:
        regs_.year = v;
        break;
    }
    return true;
}

} // namespace vorelux::panel
