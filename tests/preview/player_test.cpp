// The play loop, the segment player and the scroll-only mode: placement,
// segments, scrolling, live fields, line skips and stops.
#include "preview/page_player.h"
#include "preview/recording_sink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace vorelux::preview {
namespace {

constexpr uint8_t E1 = 192; // effect 1: scroll-only when used both ways
constexpr uint8_t E2 = 193; // roll from the left: 64 frames of 1 cycle
constexpr uint8_t E6 = 197; // appear: one frame of 4 cycles

LineStream line(uint8_t entry, uint8_t exit, const std::vector<uint8_t>& content) {
    LineStream l{0xFF, entry, exit};
    l.insert(l.end(), content.begin(), content.end());
    return l;
}

std::vector<uint8_t> text(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Rig {
    explicit Rig(std::vector<LineStream> page) : lines(std::move(page)) {
        LocalDateTime t;
        makeLocalDateTime(2015, 2, 19, 12, 34, 56, t);
        clock.set(t);
    }
    VectorLineSource lines;
    GlyphRenderer glyphs;
    FixedClock clock;
    PagePlayer engine{lines, glyphs, clock};
    RecordingSink sink;

    RunResult play(int rounds = 1) {
        return engine.run(sink, {.rounds = rounds, .drawLiveField = drawLiveField});
    }
    LiveFieldDrawer drawLiveField;
    std::vector<int> cycles() const {
        std::vector<int> out;
        for (const Frame& f : sink.frames) out.push_back(f.cycles);
        return out;
    }
    // Indices of the 70-cycle holds.
    std::vector<size_t> holds() const {
        std::vector<size_t> out;
        for (size_t i = 0; i < sink.frames.size(); ++i)
            if (sink.frames[i].cycles == 70) out.push_back(i);
        return out;
    }
};

// The frames of one segment under effect 6 both ways: appear, hold, clear, dark.
const std::vector<int> AppearSegment = {4, 70, 4, 0};

int firstLit(const PanelImage& s) {
    for (int c = 0; c < 64; ++c)
        if (s[size_t(c)] & 0x7F) return c;
    return -1;
}

// ------------------------------------------------------------------ placement

struct Placement {
    const char* name;
    std::vector<uint8_t> content;
    int firstColumn; // where the segment starts
};

class SegmentPlacement : public ::testing::TestWithParam<Placement> {};

TEST_P(SegmentPlacement, FittingTextIsCentred) {
    const Placement& p = GetParam();
    Rig rig({line(E6, E6, p.content)});
    rig.play();
    ASSERT_EQ(rig.cycles(), AppearSegment);
    // The hold shows the segment; bold and thin "A" start with a lit column.
    EXPECT_EQ(firstLit(rig.sink.frames[1].screen), p.firstColumn) << p.name;
}

INSTANTIATE_TEST_SUITE_P(
    Fonts, SegmentPlacement,
    ::testing::Values(
        // Bold "AA": 14 columns, 13 without the last blank: (64 - 13) / 2.
        Placement{.name = "bold", .content = text("AA"), .firstColumn = 25},
        // Thin: 10 columns, 9 lit extent.
        Placement{
            .name = "thin", .content = std::vector<uint8_t>{0} + text("AA"), .firstColumn = 27},
        // Double-width thin: 20 columns, two blank ones at the end.
        Placement{
            .name = "wide", .content = std::vector<uint8_t>{2} + text("AA"), .firstColumn = 23},
        // Leading spaces are skipped.
        Placement{.name = "spaces", .content = text("   AA"), .firstColumn = 25}));

TEST(SegmentPlayer, TheHoldShowsTheComposedGlyphs) {
    Rig rig({line(E6, E6, text("AA"))});
    rig.play();
    const uint8_t boldA[] = {0x3F, 0x7F, 0x48, 0x48, 0x7F, 0x3F, 0x00};
    const PanelImage& hold = rig.sink.frames[1].screen;
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(hold[size_t(25 + i)], boldA[i]);
        EXPECT_EQ(hold[size_t(32 + i)], boldA[i]);
    }
    EXPECT_EQ(rig.sink.frames[3].screen, PanelImage{}); // the dark frame after the exit
}

TEST(SegmentPlayer, ExactlySixtyFourColumnsAtTheLineEndStartAtColumnOne) {
    // Twelve thin "A" (5 columns each) and a thin "1" (4): 64 columns.
    Rig rig({line(E6, E6, std::vector<uint8_t>{0} + text("AAAAAAAAAAAA1"))});
    rig.play();
    ASSERT_EQ(rig.cycles(), AppearSegment);
    const PanelImage& hold = rig.sink.frames[1].screen;
    EXPECT_EQ(hold[0], 0);
    EXPECT_EQ(hold[1], 0x3F);
    EXPECT_EQ(hold[63], 0x01); // the last column of "1"; its blank falls off
}

TEST(SegmentPlayer, ExactlySixtyFourColumnsAtAWordBreakAreHeldTwiceWithoutScrolling) {
    Rig rig({line(E6, E6, std::vector<uint8_t>{0} + text("AAAAAAAAAAAA1 A"))});
    rig.play();
    // First segment: appear, hold, hold again, exit, dark; then " A".
    const std::vector<int> expected = {4, 70, 70, 4, 0, 4, 70, 4, 0};
    ASSERT_EQ(rig.cycles(), expected);
    EXPECT_EQ(rig.sink.frames[1].screen[0], 0x3F); // from column 0
    EXPECT_EQ(rig.sink.frames[1].screen, rig.sink.frames[2].screen);
}

TEST(SegmentPlayer, WordsWiderThanThePanelAreCutAtTheLastBreakThatFits) {
    // Bold: "AAAA AAAA" is 62 columns, one more word does not fit.
    Rig rig({line(E6, E6, text("AAAA AAAA AAAA"))});
    rig.play();
    const std::vector<int> expected = {4, 70, 4, 0, 4, 70, 4, 0};
    ASSERT_EQ(rig.cycles(), expected);
    // 61 columns without the last blank: from column 1; then one word centred.
    EXPECT_EQ(firstLit(rig.sink.frames[1].screen), 1);
    EXPECT_EQ(firstLit(rig.sink.frames[5].screen), (64 - 27) / 2);
}

TEST(SegmentPlayer, AWordWiderThanThePanelScrollsUntilItsLastGlyphHasEntered) {
    // Fifteen thin "A": 75 columns. 64 are placed, the rest scroll in two
    // cycles a column: 1 (the rest of the 13th "A") + 5 + 4 (the final blank stays out).
    Rig rig({line(E6, E6, std::vector<uint8_t>{0} + text("AAAAAAAAAAAAAAA"))});
    rig.play();
    std::vector<int> expected = {4, 70};
    expected.insert(expected.end(), 10, 2);
    expected.insert(expected.end(), {70, 4, 0});
    ASSERT_EQ(rig.cycles(), expected);
    // The second hold shows text columns 10..73: it ends with the last "A".
    const PanelImage& last = rig.sink.frames[12].screen;
    EXPECT_EQ(last[60], 0x3F);
    EXPECT_EQ(last[63], 0x3F);
}

TEST(SegmentPlayer, AFontByteInTheScrolledPartAddsABlankColumn) {
    // As above with a font byte before the 14th glyph: one scroll step more.
    Rig rig({line(E6, E6,
                  std::vector<uint8_t>{0} + text("AAAAAAAAAAAAA") + std::vector<uint8_t>{0} +
                      text("AA"))});
    rig.play();
    std::vector<int> expected = {4, 70};
    expected.insert(expected.end(), 11, 2);
    expected.insert(expected.end(), {70, 4, 0});
    ASSERT_EQ(rig.cycles(), expected);
}

TEST(SegmentPlayer, AFontByteInTheShownPartTakesNoColumn) {
    Rig plain({line(E6, E6, text("AA"))});
    plain.play();
    Rig withFont({line(E6, E6, text("A") + std::vector<uint8_t>{1} + text("A"))});
    withFont.play();
    EXPECT_EQ(plain.sink.frames[1].screen, withFont.sink.frames[1].screen);
}

TEST(SegmentPlayer, EmptyAndOneByteLinesShowNothing) {
    Rig rig({line(E6, E6, {}), line(E6, E6, text("A")), line(E6, E6, text("AA"))});
    rig.play();
    EXPECT_EQ(rig.cycles(), AppearSegment);
    EXPECT_EQ(rig.sink.lines, (std::vector<int>{0, 1, 2}));
}

TEST(SegmentPlayer, AnEffectByteOutsideTheTableRunsNoEffect) {
    Rig rig({line(100, 253, text("AA"))});
    rig.play();
    EXPECT_EQ(rig.cycles(), (std::vector<int>{70, 0}));
}

TEST(SegmentPlayer, EntryAndExitEffectsFrameTheHold) {
    Rig rig({line(E2, E2, text("AA"))});
    rig.play();
    ASSERT_EQ(rig.sink.frames.size(), 64u + 1 + 64 + 1);
    EXPECT_EQ(rig.sink.frames[64].cycles, 70);
    EXPECT_EQ(rig.sink.frames[64].screen, rig.sink.frames[63].screen);
}

TEST(NothingToPlay, APageOfEmptyLinesDoesNotStart) {
    Rig rig({line(E6, E6, {}), line(E2, E2, {})});
    EXPECT_EQ(rig.play(1), RunResult::NothingToPlay);
    EXPECT_TRUE(rig.sink.frames.empty());
    EXPECT_FALSE(rig.engine.running());
}

// ------------------------------------------------------------------ live fields

TEST(LiveFieldsInLines, AFieldBetweenWordsIsShownBetweenTwoSegments) {
    // "AA <date> CC": the words before it, the field held 25 x 10 cycles, the rest.
    Rig rig({line(E6, E6, text("AA ") + std::vector<uint8_t>{9} + text(" CC"))});
    rig.play();
    std::vector<int> expected = AppearSegment;
    expected.insert(expected.end(), 25, 10);
    expected.insert(expected.end(), AppearSegment.begin(), AppearSegment.end());
    ASSERT_EQ(rig.cycles(), expected);
    // The field: "QUI 19/02" in bold from column 3.
    EXPECT_EQ(firstLit(rig.sink.frames[4].screen), 3);
    // The first segment is measured up to the field, its trailing space included.
    EXPECT_EQ(firstLit(rig.sink.frames[1].screen), (64 - 19) / 2);
}

TEST(LiveFieldsInLines, TheClockIsRedrawnFiftyTimes) {
    Rig rig({line(E6, E6, std::vector<uint8_t>{8})});
    rig.play();
    // A line of only a field: shown without any segment.
    ASSERT_EQ(rig.cycles(), std::vector<int>(50, 5));
    EXPECT_EQ(firstLit(rig.sink.frames[0].screen), 8);
}

TEST(LiveFieldsInLines, DayCountersKeepThePreviousImageDuringTheHold) {
    Rig rig({line(E6, E6, text("AA") + std::vector<uint8_t>{26})});
    rig.play();
    std::vector<int> expected = AppearSegment;
    expected.insert(expected.end(), 25, 10);
    ASSERT_EQ(rig.cycles(), expected);
    EXPECT_EQ(rig.sink.frames[4].screen, rig.sink.frames[3].screen);
}

// ------------------------------------------------------------------ scroll-only

TEST(ScrollOnly, EffectOneBothWaysScrollsTheTextThrough) {
    // Bold "AA": two glyphs of 7 columns, then 64 blank columns, 2 cycles each.
    Rig rig({line(E1, E1, text("AA"))});
    rig.play();
    ASSERT_EQ(rig.cycles(), std::vector<int>(14 + 64, 2));
    // After 7 steps the first "A" fills columns 57..63 (shown at the 8th frame).
    const PanelImage& s = rig.sink.frames[7].screen;
    EXPECT_EQ(s[57], 0x3F);
    EXPECT_EQ(s[62], 0x3F);
    EXPECT_EQ(s[63], 0x00);
    EXPECT_EQ(rig.sink.frames.back().screen[0], 0x00);
}

TEST(ScrollOnly, EmptyAndOneByteLinesStillScroll) {
    Rig rig({line(E1, E1, {}), line(E1, E1, text("A"))});
    rig.play();
    // 64 blank steps; then one bold "A" (7 columns) and 64 blank steps.
    EXPECT_EQ(rig.cycles(), std::vector<int>(64 + 7 + 64, 2));
}

TEST(ScrollOnly, AFieldInTheLineIsShownAfterTheTextHasLeft) {
    Rig rig({line(E1, E1, text("A") + std::vector<uint8_t>{11} + text("A"))});
    rig.play();
    std::vector<int> expected(7 + 64, 2);
    expected.insert(expected.end(), 25, 10);
    expected.insert(expected.end(), 7 + 64, 2);
    EXPECT_EQ(rig.cycles(), expected);
}

TEST(LiveFieldsInLines, AHostMayDrawAFieldItself) {
    Rig rig({line(E6, E6, std::vector<uint8_t>{26} + text("AA"))});
    rig.drawLiveField = [](uint8_t code, PanelImage& screen) {
        if (code != 26) return false;
        screen.fill(0);
        screen[0] = 0x7F;
        return true;
    };
    rig.play();
    std::vector<int> expected(25, 10);
    expected.insert(expected.end(), AppearSegment.begin(), AppearSegment.end());
    ASSERT_EQ(rig.cycles(), expected);
    EXPECT_EQ(rig.sink.frames[0].screen[0], 0x7F);
}

// ------------------------------------------------------------------ skip and stop

TEST(LineSkip, AdvanceDuringAHoldSkipsTheExitAndStartsTheNextLine) {
    Rig rig({line(E2, E2, text("AA")), line(E6, E6, text("CC"))});
    rig.sink.onFrame = [&](size_t i) {
        if (rig.sink.frames[i].cycles == 70 && rig.sink.lines.size() == 1)
            rig.engine.requestLineSkip(+1);
        return true;
    };
    rig.play(1);
    // Line 0: 64 entry frames, the hold; no exit, no dark frame. Line 1 in full.
    std::vector<int> expected(64, 1);
    expected.push_back(70);
    expected.insert(expected.end(), AppearSegment.begin(), AppearSegment.end());
    EXPECT_EQ(rig.cycles(), expected);
    EXPECT_EQ(rig.sink.lines, (std::vector<int>{0, 1}));
}

TEST(LineSkip, BackOnTheFirstLineGoesToTheLastLine) {
    Rig rig({line(E6, E6, text("AA")), line(E6, E6, text("BB")), line(E6, E6, text("CC"))});
    rig.sink.onFrame = [&](size_t i) {
        if (i == 1) rig.engine.requestLineSkip(-1);
        return rig.sink.lines.size() < 3;
    };
    rig.play(0);
    ASSERT_GE(rig.sink.lines.size(), 2u);
    EXPECT_EQ(rig.sink.lines[1], 2);
}

TEST(LineSkip, AFieldMetInASkippedSegmentIsNotShownOnTheNextLine) {
    Rig rig({line(E6, E6, text("AA") + std::vector<uint8_t>{9}), line(E6, E6, text("CC"))});
    rig.sink.onFrame = [&](size_t i) {
        if (i == 1 && rig.sink.lines.size() == 1) rig.engine.requestLineSkip(+1);
        return true;
    };
    rig.play(1);
    // "AA" appears and is held; then "CC" plays with no field hold anywhere.
    EXPECT_EQ(rig.cycles(), (std::vector<int>{4, 70, 4, 70, 4, 0}));
}

TEST(LineSkip, WholeRoundsPlayEveryLineOnce) {
    Rig rig({line(E6, E6, text("AA")), line(E6, E6, text("BB"))});
    rig.play(2);
    EXPECT_EQ(rig.sink.frames.size(), 4u * AppearSegment.size());
    EXPECT_EQ(rig.sink.lines, (std::vector<int>{0, 1, 0, 1}));
}

TEST(Stop, AStopDuringAnEffectEndsThePreviewAtOnce) {
    Rig rig({line(E2, E2, text("AA")), line(E6, E6, text("CC"))});
    rig.sink.onFrame = [](size_t i) { return i != 20; };
    EXPECT_EQ(rig.play(0), RunResult::Stopped);
    EXPECT_EQ(rig.sink.frames.size(), 21u);
    EXPECT_FALSE(rig.engine.running());
}

TEST(Stop, AStopRequestedFromTheHostShowsNoFurtherFrame) {
    Rig rig({line(E2, E2, text("AA"))});
    rig.sink.onFrame = [&](size_t i) {
        if (i == 5) rig.engine.requestStop();
        return true;
    };
    EXPECT_EQ(rig.play(0), RunResult::Stopped);
    EXPECT_EQ(rig.sink.frames.size(), 6u);
}

TEST(Stop, AStopDuringAFieldEndsTheFieldToo) {
    Rig rig({line(E6, E6, std::vector<uint8_t>{25} + text("AA"))});
    rig.sink.onFrame = [](size_t i) { return i != 3; };
    EXPECT_EQ(rig.play(0), RunResult::Stopped);
    EXPECT_EQ(rig.sink.frames.size(), 4u);
}

TEST(Stop, AFieldLeftPendingByAStoppedPreviewIsNotShownByTheNext) {
    Rig rig({line(E6, E6, text("AA") + std::vector<uint8_t>{25})});
    // Stop during the field's hold: the field is still pending.
    rig.sink.onFrame = [](size_t i) { return i != 5; };
    ASSERT_EQ(rig.play(0), RunResult::Stopped);
    ASSERT_EQ(rig.sink.frames.back().cycles, 10); // stopped during the field hold
    // The next preview (of a page without fields) shows no greeting.
    rig.lines.lines = {line(E6, E6, text("CC"))};
    RecordingSink again;
    rig.engine.run(again, {.rounds = 1});
    ASSERT_EQ(again.frames.size(), AppearSegment.size());
}

TEST(Stop, AHostThreadCanStopAPreviewRunningOnAWorker) {
    Rig rig({line(E2, E2, text("AA")), line(E1, E1, text("BB"))});
    struct SlowSink final : FrameSink {
        std::atomic<int> frames{0};
        bool show(const PanelImage&, uint8_t) override {
            ++frames;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            return true;
        }
    } sink;
    RunResult result = RunResult::RoundsDone;
    std::thread worker([&] { result = rig.engine.run(sink); });
    while (sink.frames < 10) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    rig.engine.requestLineSkip(+1);
    while (sink.frames < 20) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    rig.engine.requestStop();
    worker.join();
    EXPECT_EQ(result, RunResult::Stopped);
    EXPECT_FALSE(rig.engine.running());
    const int shown = sink.frames;
    EXPECT_GE(shown, 20);
}

TEST(DamagedLines, AnyBytesPlayToTheEndOfTheRound) {
    // Lines a damaged file could hold: any content bytes, any effect bytes,
    // a drawing escape at the very end, lines shorter than their header.
    std::mt19937 random(12345);
    for (int page = 0; page < 20; ++page) {
        std::vector<LineStream> lines;
        for (int l = 0; l < 6; ++l) {
            LineStream bytes;
            const int size = int(random() % 40);
            for (int i = 0; i < size; ++i) bytes.push_back(uint8_t(random()));
            if (l == 0) bytes = {0xFF, uint8_t(192 + random() % 70), uint8_t(random()), 65, 31};
            lines.push_back(bytes);
        }
        Rig rig(lines);
        const RunResult result = rig.play(1);
        EXPECT_NE(result, RunResult::Stopped) << page;
        for (const Frame& f : rig.sink.frames) ASSERT_LE(f.cycles, 70);
    }
}

// ------------------------------------------------------------------ compose

TEST(Compose, ComposesTheFirstSegmentWithoutShowingIt) {
    GlyphRenderer glyphs;
    const ComposedSegment segment = composeFirstSegment(line(E6, E6, text("AA")), glyphs);
    EXPECT_EQ(segment.startColumn, 25);
    EXPECT_EQ(segment.image[25], 0x3F);
}

} // namespace
} // namespace vorelux::preview
