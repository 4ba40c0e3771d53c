// Redraw cost of the edit canvas: a short line, a cursor step at the end of a
// 1000-byte line, a jump from the start to the end of that line, and the
// largest paste a page takes followed by its one redraw (the window runs no
// events meanwhile, so this is how long it stays still).
#include "editor/line_editor.h"
#include "model/line.h"
#include "model/store.h"
#include "render/edit_canvas.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vorelux;

LineStream longLine() {
    LineStream line = newLine();
    const std::string words = "PROMOCAO DE HOJE 12:00 ";
    while (line.size() < 1000) {
        if (line.size() % 97 == 0 && line.size() + 2 <= 1000) {
            line.push_back(DrawingEscape);
            line.push_back(60); // the widest drawing
        } else {
            line.push_back(uint8_t(words[line.size() % words.size()]));
        }
    }
    return line;
}

// The index of the last byte of the element before the last one.
int32_t previousElementEnd(const LineStream& line) {
    int32_t last = int32_t(line.size()) - 1;
    int32_t j = last - 1;
    if (j >= 3 && line[size_t(j - 1)] == DrawingEscape) --j; // j is the code byte of a pair
    return j;
}

struct Fixture {
    GlyphRenderer glyphs;
    PanelImage screen{};
    EditCanvas canvas{glyphs, screen};
    EditView page;
};

void BM_ShortLine(benchmark::State& state) {
    Fixture f;
    LineStream line = newLine();
    for (char c : std::string("ARDENCORE ")) line.push_back(uint8_t(c));
    for (auto _ : state) {
        f.page.cursorByte = int32_t(line.size()) - 1;
        f.page.windowStart = 2;
        f.canvas.rasterize(f.page, line);
        benchmark::DoNotOptimize(f.screen);
    }
}
BENCHMARK(BM_ShortLine);

void BM_LongLineStepAtEnd(benchmark::State& state) {
    Fixture f;
    const LineStream line = longLine();
    // The window as it stands with the cursor one element before the end.
    f.page.cursorByte = previousElementEnd(line);
    f.page.windowStart = 2;
    f.canvas.rasterize(f.page, line);
    const int32_t windowBefore = f.page.windowStart;
    for (auto _ : state) {
        f.page.windowStart = windowBefore;
        f.page.cursorByte = int32_t(line.size()) - 1; // one element right
        f.canvas.rasterize(f.page, line);
        benchmark::DoNotOptimize(f.screen);
    }
    state.counters["passes"] = f.canvas.lastPassCount();
}
BENCHMARK(BM_LongLineStepAtEnd);

void BM_LongLineJumpStartToEnd(benchmark::State& state) {
    Fixture f;
    const LineStream line = longLine();
    for (auto _ : state) {
        f.page.windowStart = 2;
        f.page.cursorByte = int32_t(line.size()) - 1;
        f.canvas.rasterize(f.page, line);
        benchmark::DoNotOptimize(f.screen);
    }
    state.counters["passes"] = f.canvas.lastPassCount();
}
BENCHMARK(BM_LongLineJumpStartToEnd);

void BM_MaximalPasteAndRedraw(benchmark::State& state) {
    PageStore store;
    Fixture f;
    // More than a page holds: the paste fills the page and stops at its budget.
    const std::u16string text(PageByteLimit, u'b');
    int inserted = 0;
    for (auto _ : state) {
        store.resetAllPages();
        store.setEditLine(0);
        inserted = editor::pasteText(store, text).inserted;
        f.canvas.rasterize(store);
        benchmark::DoNotOptimize(f.screen);
    }
    state.counters["bytes"] = inserted;
}
BENCHMARK(BM_MaximalPasteAndRedraw)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
