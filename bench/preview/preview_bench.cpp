// Computing (not showing) one round of a page whose 61 lines use every entry
// and every exit effect. The round's own duration on the panel is reported
// as the counter "panel_seconds" for comparison.
#include "preview/page_player.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace vorelux;

class CountingSink final : public preview::FrameSink {
  public:
    bool show(const PanelImage& screen, uint8_t cycles) override {
        cycles_ += cycles;
        checksum_ += screen[32];
        return true;
    }
    long cycles_ = 0;
    long checksum_ = 0;
};

preview::VectorLineSource allEffectsPage() {
    preview::VectorLineSource page;
    for (int n = 1; n <= 61; ++n) {
        // Entry n, exit n + 1: every effect both ways, never the scroll-only pair.
        LineStream line{LineStart, effectByte(n), effectByte(n % 61 + 1)};
        const std::string text = "EF " + std::to_string(n);
        line.insert(line.end(), text.begin(), text.end());
        page.lines.push_back(line);
    }
    return page;
}

void BM_RoundOfAllEffects(benchmark::State& state) {
    const preview::VectorLineSource page = allEffectsPage();
    GlyphRenderer glyphs;
    FixedClock clock;
    long cycles = 0;
    for (auto _ : state) {
        CountingSink sink;
        preview::runPage(page, glyphs, clock, sink, {.rounds = 1});
        benchmark::DoNotOptimize(sink.checksum_);
        cycles = sink.cycles_;
    }
    state.counters["panel_seconds"] = double(cycles) * 8.0 / 700.0;
    state.counters["cycles"] = double(cycles);
}
BENCHMARK(BM_RoundOfAllEffects)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
