#pragma once
// Frame pacing of the preview, without Qt: a frame of n cycles stays until
// the absolute deadline start + (all cycles shown so far) x 8/700 s on a
// steady clock, so the play neither drifts nor busy-waits. The clock is a
// seam: the editor sleeps on the steady clock, tests move time by hand.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

namespace vorelux::app {

class PacingClock {
  public:
    using Duration = std::chrono::nanoseconds;
    virtual ~PacingClock() = default;
    // Time since an arbitrary, fixed origin; never goes back.
    virtual Duration now() const = 0;
    // Blocks until now() >= deadline or `cancelled` is true; returns false
    // when cancelled. Whoever sets `cancelled` calls interrupt() afterwards.
    virtual bool sleepUntil(Duration deadline, const std::atomic<bool>& cancelled) = 0;
    // Wakes every sleeper so it looks at its `cancelled` flag again.
    virtual void interrupt() = 0;
};

// std::chrono::steady_clock with a condition variable: a sleeper uses no CPU
// and a stop wakes it at once.
class SteadyPacingClock final : public PacingClock {
  public:
    Duration now() const override;
    bool sleepUntil(Duration deadline, const std::atomic<bool>& cancelled) override;
    void interrupt() override;

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
};

// Time that moves only when told to (tests).
class ManualPacingClock final : public PacingClock {
  public:
    Duration now() const override;
    bool sleepUntil(Duration deadline, const std::atomic<bool>& cancelled) override;
    void interrupt() override;

    void advance(Duration by);
    void advanceTo(Duration at);
    // The deadline someone sleeps for now, if anyone does.
    std::optional<Duration> sleeping() const;
    // Number of sleeps begun so far.
    uint64_t sleeps() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    Duration now_{0};
    std::optional<Duration> sleeping_;
    uint64_t sleeps_ = 0;
};

// One cycle of the preview: 8/700 s.
constexpr PacingClock::Duration cyclesDuration(uint64_t cycles) {
    // 8/700 s = 80'000'000 / 7 ns, computed exactly for any whole count.
    return PacingClock::Duration(int64_t(cycles) * 80'000'000 / 7);
}

class Pacer {
  public:
    explicit Pacer(PacingClock& clock) : clock_(&clock) {}

    // A new play starts now.
    void begin();
    // The frame just shown stays `cycles` cycles: sleeps until the deadline
    // of every cycle shown since begin(). False when stopped.
    bool wait(uint8_t cycles);
    // Ends the wait in progress at once; every later wait returns false.
    void stop();
    bool stopped() const { return stopped_; }

    uint64_t totalCycles() const { return totalCycles_; }
    PacingClock& clock() { return *clock_; }
    void setClock(PacingClock& clock) { clock_ = &clock; }

  private:
    PacingClock* clock_;
    std::atomic<bool> stopped_{false};
    PacingClock::Duration start_{0};
    std::atomic<uint64_t> totalCycles_{0};
};

} // namespace vorelux::app
