#include "app/preview_pacer.h"

namespace vorelux::app {

using Steady = std::chrono::steady_clock;

PacingClock::Duration SteadyPacingClock::now() const {
    return std::chrono::duration_cast<Duration>(Steady::now().time_since_epoch());
}

bool SteadyPacingClock::sleepUntil(Duration deadline, const std::atomic<bool>& cancelled) {
    const Steady::time_point until{std::chrono::duration_cast<Steady::duration>(deadline)};
    std::unique_lock lock(mutex_);
    cv_.wait_until(lock, until, [&] { return cancelled.load(); });
    return !cancelled;
}

void SteadyPacingClock::interrupt() {
    // Taking the lock orders this after a sleeper's look at its flag, so the
    // wake-up cannot fall between the look and the sleep.
    { std::lock_guard lock(mutex_); }
    cv_.notify_all();
}

PacingClock::Duration ManualPacingClock::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

bool ManualPacingClock::sleepUntil(Duration deadline, const std::atomic<bool>& cancelled) {
    std::unique_lock lock(mutex_);
    ++sleeps_;
    sleeping_ = deadline;
    cv_.notify_all();
    cv_.wait(lock, [&] { return cancelled.load() || now_ >= deadline; });
    sleeping_.reset();
    cv_.notify_all();
    return !cancelled;
}

void ManualPacingClock::interrupt() {
    { std::lock_guard lock(mutex_); }
    cv_.notify_all();
}

void ManualPacingClock::advance(Duration by) {
    {
        std::lock_guard lock(mutex_);
        now_ += by;
    }
    cv_.notify_all();
}

void ManualPacingClock::advanceTo(Duration at) {
    {
        std::lock_guard lock(mutex_);
        if (at > now_) now_ = at;
    }
    cv_.notify_all();
}

std::optional<PacingClock::Duration> ManualPacingClock::sleeping() const {
    std::lock_guard lock(mutex_);
    return sleeping_;
}

uint64_t ManualPacingClock::sleeps() const {
    std::lock_guard lock(mutex_);
    return sleeps_;
}

void Pacer::begin() {
    stopped_ = false;
    totalCycles_ = 0;
    start_ = clock_->now();
}

bool Pacer::wait(uint8_t cycles) {
    if (stopped_) return false;
    if (cycles == 0) return true;
    const uint64_t total = totalCycles_ += cycles;
    PacingClock::Duration deadline = start_ + cyclesDuration(total);
    const PacingClock::Duration now = clock_->now();
    // After a stall of the whole machine (a suspend, say) the play goes on
    // from now instead of racing through the lost time.
    if (deadline < now - std::chrono::seconds(1)) {
        start_ = now - cyclesDuration(total - cycles);
        deadline = start_ + cyclesDuration(total);
    }
    return clock_->sleepUntil(deadline, stopped_);
}

void Pacer::stop() {
    stopped_ = true;
    clock_->interrupt();
}

} // namespace vorelux::app
