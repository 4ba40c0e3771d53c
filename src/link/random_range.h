#pragma once
// Pseudo-random numbers in a range: the key of a page upload, the
// transmitter's new configuration byte. Tests give a fixed sequence.
#include <cstddef>
#include <random>
#include <vector>

namespace vorelux {

class RandomRange {
  public:
    virtual ~RandomRange() = default;
    // A number from `low` to `high`, both included.
    virtual int between(int low, int high) = 0;
};

// std::mt19937 seeded from the system.
class StdRandomRange : public RandomRange {
  public:
    StdRandomRange() : engine_(std::random_device{}()) {}
    int between(int low, int high) override {
        return std::uniform_int_distribution<int>(low, high)(engine_);
    }

  private:
    std::mt19937 engine_;
};

// Gives `values` in turn, round again at the end; each value is brought into
// the asked range (values below it give `low`, above it `high`).
class FixedRandomRange : public RandomRange {
  public:
    explicit FixedRandomRange(std::vector<int> values) : values_(std::move(values)) {}
    int between(int low, int high) override {
        int v = values_.empty() ? low : values_[next_++ % values_.size()];
        return v < low ? low : (v > high ? high : v);
    }
    size_t drawn() const { return next_; }

  private:
    std::vector<int> values_;
    size_t next_ = 0;
};

} // namespace vorelux
