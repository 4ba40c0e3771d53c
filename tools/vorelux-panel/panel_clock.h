#pragma once
// The panel's own clock: the seven registers of a battery-backed clock chip
// (seconds, minutes, hours, weekday, day, month, two-digit year) that tick
// once a second. Each register is set on its own by parameters 64..70, so a
// sequence that sets the day to 31 before moving the month on from February
// keeps its 31, as a clock chip does. Until it is set, the clock runs from the
// computer's local time at start.
#include "render/clock.h"

#include <cstdint>
#include <functional>
#include <mutex>

namespace vorelux::panel {

// Milliseconds of a monotonic clock (std::chrono::steady_clock by default;
// tests step their own).
using MonotonicMs = std::function<int64_t()>;
int64_t steadyMs();

struct ClockRegisters {
    int second = 0;
    int minute = 0;
    int hour = 0;
    int weekday = 0; // 0 = Sunday
    int day = 1;
    int month = 1;
    int year = 0; // 0..99, the century is 2000
    bool operator==(const ClockRegisters&) const = default;
};

// The registers after `seconds` more seconds: a day ends at 24:00, a month
// after its last day (a day register beyond the month's length rolls over at
// the next midnight), the year after December, the weekday with the day.
ClockRegisters advanceRegisters(ClockRegisters r, int64_t seconds);

int daysInMonth(int month, int year);
// Days since 2000-01-01 of a date (day clamped to the month).
int64_t dayNumber(int year, int month, int day);

class PanelClock final : public Clock {
  public:
    explicit PanelClock(const LocalDateTime& start, MonotonicMs monotonic = steadyMs);
    PanelClock() : PanelClock(SystemClock().now()) {}

    LocalDateTime now() const override;
    ClockRegisters registers() const;

    // Sets one register by its parameter code (64 seconds, 65 minutes, 66
    // hours, 67 day, 68 month, 69 weekday, 70 year). False, and nothing
    // changes, for a value out of the register's range.
    bool setRegister(uint8_t parameter, uint8_t value);

  private:
    ClockRegisters currentLocked(int64_t nowMs) const;

    MonotonicMs monotonic_;
    mutable std::mutex mutex_;
    ClockRegisters regs_;
    int64_t anchorMs_ = 0; // monotonic time at which regs_ held
};

} // namespace vorelux::panel
