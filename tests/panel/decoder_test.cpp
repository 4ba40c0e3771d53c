// The panel's frame decoder: frames whole or in pieces, noise between them,
// frames cut off, and pages whose drawings are numbered like the end byte.
#include "frame_decoder.h"

#include <gtest/gtest.h>

namespace vorelux::panel {
namespace {

using Bytes = std::vector<uint8_t>;

struct Decoded {
    std::vector<ParameterFrame> params;
    std::vector<PageFrame> pages;
    std::vector<std::pair<size_t, bool>> discarded;
    std::vector<char> order; // 'P' parameter, 'G' page, 'D' discarded
};

struct DecoderFixture : ::testing::Test {
    Decoded got;
    FrameDecoder decoder{FrameDecoder::Handlers{[this](const ParameterFrame& f) {
                                                    got.params.push_back(f);
                                                    got.order.push_back('P');
                                                },
                                                [this](const PageFrame& f) {
                                                    got.pages.push_back(f);
                                                    got.order.push_back('G');
                                                },
                                                [this](size_t n, bool cut) {
                                                    got.discarded.push_back({n, cut});
                                                    got.order.push_back('D');
                                                }}};
    int64_t now = 1000;

    // Feeds one byte every 30 ms, as the editor's serial transfers do.
    void paced(const Bytes& bytes) {
        for (uint8_t b : bytes) {
            decoder.feed(&b, 1, now);
            now += 30;
        }
    }
};

const Bytes Line1{0xFF, 192, 192, 'O', 'L', 'A'};
const Bytes Line2{0xFF, 200, 210, 1, 'B', 31, 16, 31, 17, 'C'}; // drawings 16 and 17

Bytes pageFrame(uint8_t panel, int page, const Bytes& content, uint8_t end = 16) {
    Bytes f{panel, 150, uint8_t(page + 3)};
    f.insert(f.end(), content.begin(), content.end());
    f.push_back(end);
    return f;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST_F(DecoderFixture, FramesPacedOrAllAtOnceDecodeTheSame) {
    Bytes content = concat({Line1, Line2});
    const Bytes wire = concat({{4, 98, 0, 5}, pageFrame(0, 7, content, 17), {255, 98, 255, 0}});
    for (bool pacedFeed : {true, false}) {
        SCOPED_TRACE(pacedFeed ? "paced" : "one block");
        got = {};
        if (pacedFeed)
            paced(wire);
        else
            decoder.feed(wire, now += 1000);
        EXPECT_EQ(got.params, (std::vector<ParameterFrame>{{4, 0, 5}, {255, 255, 0}}));
        ASSERT_EQ(got.pages.size(), 1u);
        EXPECT_EQ(got.pages[0], (PageFrame{0, 7, content, 17}));
        EXPECT_TRUE(got.discarded.empty());
        EXPECT_EQ(decoder.pending(), 0u);
    }
}

TEST_F(DecoderFixture, NoiseBetweenFramesIsDroppedAndTheFramesSurvive) {
    struct Case {
        const char* what;
        Bytes noise;
    };
    const Case cases[] = {
        {"random bytes", {0x13, 0x37, 0x00, 0xAA}},
        {"a command byte with an unknown parameter", {1, 98, 200}},
        {"a page command with a page out of range", {1, 150, 11}},
        {"a page command not followed by a line", {1, 150, 3, 65}},
        {"line feeds and carriage returns", {'\r', '\n', '\r', '\n'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        got = {};
        now += 1000;
        paced(concat({c.noise, {1, 98, 11, 200}, c.noise, pageFrame(1, 0, Line1), c.noise}));
        EXPECT_EQ(got.params, (std::vector<ParameterFrame>{{1, 11, 200}}));
        ASSERT_EQ(got.pages.size(), 1u);
        EXPECT_EQ(got.pages[0].content, Line1);
        // Noise before a frame is known as noise at once; a last byte of
        // noise could still start a frame until the line falls silent.
        for (auto [n, cut] : got.discarded) EXPECT_FALSE(cut);
        decoder.idle(now + DefaultFrameTimeoutMs + 1);
        size_t dropped = 0;
        for (auto [n, cut] : got.discarded) dropped += n;
        EXPECT_EQ(dropped, 3 * c.noise.size());
        EXPECT_EQ(decoder.pending(), 0u);
    }
}

TEST_F(DecoderFixture, AFrameCutOffIsDroppedAfterTheTimeoutAndTheNextOneIsRead) {
    struct Case {
        const char* what;
        Bytes cut;
    };
    const Case cases[] = {
        {"parameter frame without its value", {1, 98, 0}},
        {"parameter frame after its address", {1, 98}},
        {"page frame in the middle of a line", {1, 150, 4, 0xFF, 192, 192, 'A', 'B'}},
        {"page frame inside a drawing pair", {1, 150, 4, 0xFF, 192, 192, 31}},
        {"page frame inside a line header", {1, 150, 4, 0xFF, 192}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        got = {};
        now += 1000;
        paced(c.cut);
        EXPECT_EQ(decoder.pending(), c.cut.size());
        now += DefaultFrameTimeoutMs + 100; // the line falls silent
        paced(concat({{1, 98, 0, 6}, pageFrame(1, 2, Line2)}));
        EXPECT_EQ(got.params, (std::vector<ParameterFrame>{{1, 0, 6}}));
        ASSERT_EQ(got.pages.size(), 1u);
        EXPECT_EQ(got.pages[0].content, Line2);
        ASSERT_EQ(got.discarded.size(), 1u);
        EXPECT_EQ(got.discarded[0], (std::pair<size_t, bool>{c.cut.size(), true}));
        EXPECT_EQ(got.order.front(), 'D'); // reported before the frames that follow
    }
}

TEST_F(DecoderFixture, IdleReportsACutOffFrameWithoutFurtherBytes) {
    paced({9, 150, 5, 0xFF, 192, 192, 'X'});
    decoder.idle(now + DefaultFrameTimeoutMs / 2);
    EXPECT_TRUE(got.discarded.empty()); // still within a frame's pace
    decoder.idle(now + DefaultFrameTimeoutMs + 1);
    EXPECT_EQ(got.discarded, (std::vector<std::pair<size_t, bool>>{{7, true}}));
    EXPECT_EQ(decoder.pending(), 0u);
}

TEST_F(DecoderFixture, CompleteFramesBehindACutOffStartSurviveTheTimeout) {
    // Noise that looks like the start of a page swallows a real parameter
    // frame until the line falls silent; then the frame is found again.
    paced({5, 150, 3, 0xFF, 192, 192, 'A'});
    paced({2, 98, 12, 1});
    EXPECT_TRUE(got.params.empty());
    decoder.idle(now + DefaultFrameTimeoutMs + 1);
    EXPECT_EQ(got.params, (std::vector<ParameterFrame>{{2, 12, 1}}));
    EXPECT_EQ(got.order, (std::vector<char>{'D', 'P'}));
}

TEST_F(DecoderFixture, EveryAddressIsDecodedTheReceiverChooses) {
    for (int panel : {0, 1, 98, 150, 255}) {
        SCOPED_TRACE(panel);
        got = {};
        now += 1000;
        paced(concat({{uint8_t(panel), 98, 254, 0}, pageFrame(uint8_t(panel), 1, Line1)}));
        EXPECT_EQ(got.params, (std::vector<ParameterFrame>{{uint8_t(panel), 254, 0}}));
        ASSERT_EQ(got.pages.size(), 1u);
        EXPECT_EQ(got.pages[0].panel, panel);
        EXPECT_TRUE(got.discarded.empty());
    }
}

TEST_F(DecoderFixture, TheEndByteIsFoundOnlyOutsideLineHeadersAndDrawingPairs) {
    // Effect bytes and drawing codes equal to 16 or 17 are data; a cleared
    // page (one empty line) is a page too.
    const Bytes odd{0xFF, 16, 17, 31, 16, 'Z'};
    const Bytes cleared{0xFF, 192, 192};
    paced(concat({pageFrame(3, 4, odd), pageFrame(3, 5, cleared, 17)}));
    ASSERT_EQ(got.pages.size(), 2u);
    EXPECT_EQ(got.pages[0].content, odd);
    EXPECT_EQ(got.pages[1].content, cleared);
    EXPECT_EQ(got.pages[1].end, 17);
}

TEST_F(DecoderFixture, APageThatNeverEndsWithinTheLimitIsNoise) {
    Bytes wire{1, 150, 3, 0xFF, 192, 192};
    wire.insert(wire.end(), MaxPageContent + 10, 'A');
    decoder.feed(wire, now);
    EXPECT_TRUE(got.pages.empty());
    EXPECT_LT(decoder.pending(), 4u);
    decoder.feed(Bytes{7, 98, 0, 1}, now + 10);
    EXPECT_EQ(got.params, (std::vector<ParameterFrame>{{7, 0, 1}}));
}

} // namespace
} // namespace vorelux::panel
