// What recording one key press costs on a page of 21,845 lines (the most a
// page file holds): the page's lines copied end to end before the operation
// and compared after it, against copying the lines one vector each. Also the
// undo and redo of the resulting step.
#include "model/line_splice.h"

#include <benchmark/benchmark.h>

using namespace vorelux;

namespace {

std::vector<LineStream> longestPage() {
    std::vector<LineStream> page(21845, LineStream{0xFF, 192, 192});
    page[10000] = {0xFF, 192, 192, 'A', 'B', 'C'};
    return page;
}

// One recorded key press: snapshot, the edit, the comparison.
void SnapshotEditAndDiff(benchmark::State& state) {
    std::vector<LineStream> page = longestPage();
    for (auto _ : state) {
        const LineSnapshot before(page);
        page[10000].push_back('D');
        LineSplice splice = diffLines(before, page);
        benchmark::DoNotOptimize(splice);
        page[10000].pop_back();
    }
}
BENCHMARK(SnapshotEditAndDiff)->Unit(benchmark::kMicrosecond);

// The same page copied as a vector of lines (one allocation per line).
void CopyLines(benchmark::State& state) {
    const std::vector<LineStream> page = longestPage();
    for (auto _ : state) {
        std::vector<LineStream> copy = page;
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(CopyLines)->Unit(benchmark::kMicrosecond);

// Undo and redo of one line split in the middle of the page.
void UndoRedoSplit(benchmark::State& state) {
    std::vector<LineStream> page = longestPage();
    const LineSnapshot before(page);
    page.insert(page.begin() + 10001, LineStream{0xFF, 192, 192, 'C'});
    page[10000].pop_back();
    const LineSplice splice = diffLines(before, page);
    for (auto _ : state) {
        applySplice(page, splice, false);
        applySplice(page, splice, true);
        benchmark::DoNotOptimize(page.data());
    }
}
BENCHMARK(UndoRedoSplit)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
