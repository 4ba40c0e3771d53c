#pragma once
// The clock seam: the local wall-clock time with milliseconds and whether
// daylight-saving time is in force. The editor reads the system clock; tests
// and the command-line tool fix the moment.
#include <cstdint>
#include <mutex>
#include <string>

namespace vorelux {

struct LocalDateTime {
    int year = 2000;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;  // 0..23
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int weekday = 6; // 0 = Sunday .. 6 = Saturday
    bool dst = false;

    // Days since 1899-12-30 with the time of day as the fraction, the
    // day-count form the blink and the frame timing compare.
    double dayCount() const;
};

// Weekday (0 = Sunday) of a date of the proleptic Gregorian calendar.
int weekdayOf(int year, int month, int day);
// A checked date and time (weekday filled in); false when a field is out of range.
bool makeLocalDateTime(int year, int month, int day, int hour, int minute, int second,
                       LocalDateTime& out);
// Reads "YYYY-MM-DD HH:MM:SS" (seconds optional); false on anything else.
bool parseLocalDateTime(const std::string& text, LocalDateTime& out);

class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

// The computer's local time.
class SystemClock final : public Clock {
  public:
    LocalDateTime now() const override;
};

// Always the same moment (tests, traces). Safe to change from another thread.
class FixedClock final : public Clock {
  public:
    explicit FixedClock(const LocalDateTime& at = {}) : at_(at) {}
    LocalDateTime now() const override {
        std::lock_guard lock(mutex_);
        return at_;
    }
    void set(const LocalDateTime& at) {
        std::lock_guard lock(mutex_);
        at_ = at;
    }

  private:
    mutable std::mutex mutex_;
    LocalDateTime at_;
};

} // namespace vorelux
