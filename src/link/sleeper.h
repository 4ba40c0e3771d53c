#pragma once
// The pauses between bytes and reports. Transfers pause through a Sleeper so
// tests can run at once and still see every pause.
#include <chrono>
#include <thread>

namespace vorelux {

class Sleeper {
  public:
    virtual ~Sleeper() = default;
    virtual void sleep(int milliseconds) = 0;
};

// Blocks the calling thread for the pause.
class ThreadSleeper : public Sleeper {
  public:
    void sleep(int milliseconds) override {
        if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

} // namespace vorelux
