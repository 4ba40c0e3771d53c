// Throughput of the virtual panel's frame decoder: 256 KiB of line noise, of
// page-like noise that never ends, and of frames, fed in reads of 512 bytes,
// 16 KiB or all at once. Decoding must keep up with any line: the time per
// byte may not grow with the size of a read.
#include "frame_decoder.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using namespace vorelux::panel;
using Bytes = std::vector<uint8_t>;

constexpr size_t StreamBytes = 256 * 1024;

Bytes noise() {
    std::mt19937 rng(1);
    Bytes b(StreamBytes);
    for (uint8_t& x : b) x = uint8_t(rng());
    return b;
}

// Pages that keep going past the longest page, each broken by a bad line header.
Bytes pageLikeNoise() {
    Bytes b;
    while (b.size() < StreamBytes) {
        for (size_t n = 0; n < 3 * MaxFrameBytes; n += 8)
            b.insert(b.end(), {1, CmdPage, 3, 0xFF, 192, 192, 'A', 'B'});
        b.insert(b.end(), {0xFF, 0xFF});
    }
    return b;
}

// Parameter frames and pages of a few hundred bytes, as an upload sends them.
Bytes frames() {
    Bytes b;
    for (uint8_t k = 0; b.size() < StreamBytes; ++k) {
        b.insert(b.end(), {1, CmdParameter, 11, k});
        b.insert(b.end(), {1, CmdPage, uint8_t(3 + k % 8)});
        for (int line = 0; line < 4; ++line) {
            b.insert(b.end(), {0xFF, 197, 203});
            for (int c = 0; c < 60; ++c) b.push_back(uint8_t('A' + c % 26));
            b.insert(b.end(), {31, 16});
        }
        b.push_back(PageEndPlain);
    }
    return b;
}

void decode(benchmark::State& state, const Bytes& wire) {
    const size_t piece = size_t(state.range(0));
    size_t frames = 0;
    for (auto _ : state) {
        FrameDecoder decoder(
            {[&](const ParameterFrame&) { ++frames; }, [&](const PageFrame&) { ++frames; }, {}});
        for (size_t at = 0; at < wire.size(); at += piece)
            decoder.feed(wire.data() + at, std::min(piece, wire.size() - at), 0);
        benchmark::DoNotOptimize(frames);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(wire.size()));
}

void BM_Noise(benchmark::State& state) {
    static const Bytes wire = noise();
    decode(state, wire);
}
void BM_PageLikeNoise(benchmark::State& state) {
    static const Bytes wire = pageLikeNoise();
    decode(state, wire);
}
void BM_Frames(benchmark::State& state) {
    static const Bytes wire = frames();
    decode(state, wire);
}

BENCHMARK(BM_Noise)->Arg(512)->Arg(16 * 1024)->Arg(StreamBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageLikeNoise)
    ->Arg(512)
    ->Arg(16 * 1024)
    ->Arg(StreamBytes)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frames)->Arg(512)->Arg(16 * 1024)->Arg(StreamBytes)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
