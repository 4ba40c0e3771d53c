// Line splices: the difference of two pages' lines, done and taken back
// exactly; two splices fused into one; the cost of a change on a page of
// 21,845 lines.
#include "model/line_splice.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace vorelux;

namespace {

using Lines = std::vector<LineStream>;

// Lines named by letters: "a" is {0xFF, 192, 192, 'a'}; the same letter, the
// same bytes.
Lines lines(const std::string& letters) {
    Lines out;
    for (char c : letters) out.push_back({0xFF, 192, 192, uint8_t(c)});
    return out;
}

void expectRoundTrip(const Lines& before, const Lines& after, const LineSplice& splice) {
    Lines forward = before;
    ASSERT_TRUE(applySplice(forward, splice, true));
    EXPECT_EQ(forward, after);
    Lines back = after;
    ASSERT_TRUE(applySplice(back, splice, false));
    EXPECT_EQ(back, before);
}

struct DiffCase {
    const char* name;
    std::string before, after;
    int first;
    size_t oldCount, newCount;
};

} // namespace

TEST(LineSplice, KeepsOnlyTheLinesBetweenTheCommonStartAndEnd) {
    const DiffCase cases[] = {
        {"nothing changed", "abc", "abc", 3, 0, 0},
        {"one line changed in the middle", "abcde", "abXde", 2, 1, 1},
        {"first line changed", "abc", "Xbc", 0, 1, 1},
        {"last line changed", "abc", "abX", 2, 1, 1},
        {"line inserted", "abc", "abXc", 2, 0, 1},
        {"line appended", "abc", "abcd", 3, 0, 1},
        {"line deleted", "abcd", "abd", 2, 1, 0},
        {"lines joined", "abcd", "aXd", 1, 2, 1},
        {"line split", "abcd", "abXYd", 2, 1, 2},
        {"page cleared", "abcd", "n", 0, 4, 1},
        {"page replaced by more lines", "ab", "wxyz", 0, 2, 4},
        // Repeated lines: the common start and end never overlap.
        {"one of equal lines deleted", "aaa", "aa", 2, 1, 0},
        {"an equal line added", "a", "aaa", 1, 0, 2},
        {"equal lines around a change", "aaXaa", "aaaa", 2, 1, 0},
        {"all lines went", "abc", "", 0, 3, 0},
        {"lines from none", "", "ab", 0, 0, 2},
    };
    for (const DiffCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Lines before = lines(c.before), after = lines(c.after);
        const LineSplice splice = diffLines(LineSnapshot(before), after);
        EXPECT_EQ(splice.first, c.first);
        EXPECT_EQ(splice.oldLines.lineCount(), c.oldCount);
        EXPECT_EQ(splice.newLines.lineCount(), c.newCount);
        EXPECT_EQ(splice.changesNothing(), c.before == c.after);
        expectRoundTrip(before, after, splice);
    }
}

TEST(LineSplice, LinesOfAnySizeSurviveThePacking) {
    Lines page = {{}, {0xFF}, LineStream(1000, 0xAB), {0xFF, 192, 192, 0, 31, 12}};
    page.push_back(LineStream(70000, 7)); // more than two size bytes
    const LineSplice splice = diffLines(LineSnapshot(Lines{}), page);
    EXPECT_EQ(splice.newLines.unpack(), page);
    EXPECT_EQ(splice.newLines.slice(1, 3).unpack(), Lines(page.begin() + 1, page.begin() + 3));
    EXPECT_EQ(splice.newLines.slice(4, 99).unpack(), Lines{page.back()});
    EXPECT_EQ(splice.newLines.slice(3, 2).lineCount(), 0u);
}

TEST(LineSplice, ASpliceThatDoesNotFitLeavesTheLinesAlone) {
    const LineSplice splice = diffLines(LineSnapshot(lines("abcde")), lines("abX"));
    Lines shorter = lines("ab"); // lacks the three lines the splice replaces
    EXPECT_FALSE(applySplice(shorter, splice, true));
    EXPECT_EQ(shorter, lines("ab"));
    Lines none;
    EXPECT_FALSE(applySplice(none, splice, false));
    EXPECT_TRUE(none.empty());
}

TEST(LineSplice, AChangeOnAHugePageCostsAboutItsLines) {
    Lines page(21845, LineStream{0xFF, 192, 192});
    page[10000] = {0xFF, 192, 192, 'A', 'B'};
    Lines after = page;
    after[10000].push_back('C');
    const LineSplice typed = diffLines(LineSnapshot(page), after);
    EXPECT_EQ(typed.first, 10000);
    EXPECT_EQ(typed.byteSize(), 4 + 5 + 4 + 6u);
    // Enter on an empty line among equal empty lines: one line more.
    after = page;
    after.insert(after.begin() + 20000, LineStream{0xFF, 192, 192});
    const LineSplice added = diffLines(LineSnapshot(page), after);
    EXPECT_EQ(added.byteSize(), 4 + 3u);
    expectRoundTrip(page, after, added);
}

// Random pages of a few letters (so equal lines are common) and random
// edits: every splice goes both ways, and two fused go both ways as the pair.
TEST(LineSplice, RandomEditsAndTheirFusionsRoundTrip) {
    std::mt19937 random(27);
    auto pick = [&](int n) { return int(random() % uint32_t(n)); };
    auto edit = [&](Lines page) {
        const int at = pick(int(page.size()) + 1);
        const int removed = std::min(pick(3), int(page.size()) - at);
        page.erase(page.begin() + at, page.begin() + at + removed);
        for (int added = pick(3); added > 0; --added)
            page.insert(page.begin() + at, lines(std::string(1, char('a' + pick(3))))[0]);
        return page;
    };
    int fused = 0, apart = 0;
    for (int round = 0; round < 3000; ++round) {
        Lines start;
        for (int n = pick(8); n > 0; --n) start.push_back(lines(std::string(1, "abc"[pick(3)]))[0]);
        const Lines middle = edit(start), end = edit(middle);
        const LineSplice first = diffLines(LineSnapshot(start), middle);
        const LineSplice second = diffLines(LineSnapshot(middle), end);
        expectRoundTrip(start, middle, first);
        expectRoundTrip(middle, end, second);
        const std::optional<LineSplice> both = fuseSplices(first, second);
        const size_t firstEnd = size_t(first.first) + first.newLines.lineCount();
        const size_t secondEnd = size_t(second.first) + second.oldLines.lineCount();
        const bool meet = size_t(second.first) <= firstEnd && secondEnd >= size_t(first.first);
        ASSERT_EQ(both.has_value(), meet) << "round " << round;
        if (!both) {
            ++apart;
            continue;
        }
        ++fused;
        expectRoundTrip(start, end, *both);
        if (::testing::Test::HasFailure()) FAIL() << "round " << round;
    }
    EXPECT_GT(fused, 1000);
    EXPECT_GT(apart, 100);
}
