// The panel's frame decoder: frames whole or in pieces, noise between them,
// frames cut off, and pages whose drawings are numbered like the end byte.
#include "frame_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

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
        {.what = "random bytes", .noise = {0x13, 0x37, 0x00, 0xAA}},
        {.what = "a command byte with an unknown parameter", .noise = {1, 98, 200}},
        {.what = "a page command with a page out of range", .noise = {1, 150, 11}},
        {.what = "a page command not followed by a line", .noise = {1, 150, 3, 65}},
        {.what = "line feeds and carriage returns", .noise = {'\r', '\n', '\r', '\n'}},
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
        {.what = "parameter frame without its value", .cut = {1, 98, 0}},
        {.what = "parameter frame after its address", .cut = {1, 98}},
        {.what = "page frame in the middle of a line",
         .cut = {1, 150, 4, 0xFF, 192, 192, 'A', 'B'}},
        {.what = "page frame inside a drawing pair", .cut = {1, 150, 4, 0xFF, 192, 192, 31}},
        {.what = "page frame inside a line header", .cut = {1, 150, 4, 0xFF, 192}},
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

TEST_F(DecoderFixture, APageIsReadUpToTheLongestFrameAndNoFurther) {
    // The content runs up to its last token; the end byte follows it.
    struct Case {
        const char* what;
        size_t fill;   // 'A's after the first line
        Bytes last;    // the content's last token
        bool complete; // a page, or noise the moment it cannot fit
    };
    const size_t room = MaxPageContent - 3; // after the first line's header
    const Case cases[] = {
        {.what = "a letter filling the page", .fill = room - 1, .last = {'B'}, .complete = true},
        {.what = "a drawing pair filling the page",
         .fill = room - 2,
         .last = {31, 17},
         .complete = true},
        {.what = "a line header filling the page",
         .fill = room - 3,
         .last = {0xFF, 192, 192},
         .complete = true},
        {.what = "a letter past the limit", .fill = room, .last = {'B'}, .complete = false},
        {.what = "a drawing pair past the limit",
         .fill = room - 1,
         .last = {31, 17},
         .complete = false},
        {.what = "a line header past the limit",
         .fill = room - 2,
         .last = {0xFF, 192, 192},
         .complete = false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        got = {};
        now += 1000;
        Bytes content{0xFF, 192, 192};
        content.insert(content.end(), c.fill, 'A');
        content.insert(content.end(), c.last.begin(), c.last.end());
        const Bytes wire = pageFrame(2, 1, content);
        size_t mostHeld = 0;
        for (uint8_t b : wire) {
            decoder.feed(&b, 1, now);
            mostHeld = std::max(mostHeld, decoder.pending());
        }
        EXPECT_LT(mostHeld, MaxFrameBytes);
        if (c.complete) {
            EXPECT_EQ(wire.size(), MaxFrameBytes);
            ASSERT_EQ(got.pages.size(), 1u);
            EXPECT_EQ(got.pages[0].content, content);
        } else {
            EXPECT_TRUE(got.pages.empty());
        }
        decoder.idle(now + DefaultFrameTimeoutMs + 1);
        EXPECT_EQ(decoder.pending(), 0u);
    }
}

// A stream of a few megabytes, as a line picking up interference for a long
// time carries: noise of every kind between frames. Nothing in the noise is
// or swallows a frame, so every frame must come out, whole and in order.
struct LongStream {
    Bytes wire;
    std::vector<char> order;
    std::vector<ParameterFrame> params;
    std::vector<PageFrame> pages;
    size_t noise = 0;
};

LongStream longStream(size_t size) {
    std::mt19937 rng(20240229);
    auto pick = [&](uint32_t n) { return uint32_t(rng() % n); };
    auto anyByteBut = [&](std::initializer_list<uint8_t> not_) {
        for (;;) {
            const auto b = uint8_t(rng());
            if (std::find(not_.begin(), not_.end(), b) == not_.end()) return b;
        }
    };
    LongStream s;
    auto addNoise = [&](const Bytes& n) {
        s.wire.insert(s.wire.end(), n.begin(), n.end());
        s.noise += n.size();
    };
    while (s.wire.size() < size) {
        switch (pick(5)) {
        case 0: { // random bytes that are no command
            Bytes n(pick(20000));
            for (uint8_t& b : n) b = anyByteBut({CmdParameter, CmdPage});
            addNoise(n);
            break;
        }
        case 1: { // pages that never end; a broken line header ends them all
            Bytes n;
            const size_t len = MaxFrameBytes + pick(3 * MaxFrameBytes);
            while (n.size() < len)
                n.insert(n.end(), {1, CmdPage, 3, 0xFF, 192, 192, 'A', uint8_t('B' + pick(20))});
            n.insert(n.end(), {0xFF, 0xFF});
            addNoise(n);
            break;
        }
        case 2: { // parameter frames naming no parameter
            Bytes n;
            for (uint32_t k = pick(3000); k > 0; --k) n.insert(n.end(), {1, CmdParameter, 200});
            addNoise(n);
            break;
        }
        case 3: {
            const ParameterFrame f{uint8_t(1 + pick(90)), uint8_t(16 + pick(16)), uint8_t(rng())};
            s.wire.insert(s.wire.end(), {f.panel, CmdParameter, f.parameter, f.value});
            s.params.push_back(f);
            s.order.push_back('P');
            break;
        }
        default: {
            PageFrame f{uint8_t(1 + pick(90)), uint8_t(pick(8)), {}, uint8_t(16 + pick(2))};
            const size_t len = pick(2) ? 3 + pick(200) : MaxPageContent - pick(8);
            while (f.content.size() + 3 <= len) {
                if (f.content.empty() || pick(40) == 0) {
                    f.content.insert(f.content.end(),
                                     {0xFF, anyByteBut({0xFF}), anyByteBut({0xFF})});
                } else if (pick(10) == 0) {
                    f.content.insert(f.content.end(), {31, anyByteBut({0xFF})});
                } else {
                    f.content.push_back(anyByteBut({0xFF, 31, 16, 17}));
                }
            }
            const Bytes w = pageFrame(f.panel, f.page, f.content, f.end);
            s.wire.insert(s.wire.end(), w.begin(), w.end());
            s.pages.push_back(f);
            s.order.push_back('G');
        }
        }
    }
    // A last frame: the noise before it is known as noise.
    s.wire.insert(s.wire.end(), {2, CmdParameter, 0, 1});
    s.params.push_back({2, 0, 1});
    s.order.push_back('P');
    return s;
}

FrameDecoder::Handlers recordInto(Decoded& d) {
    return {[&d](const ParameterFrame& f) {
                d.params.push_back(f);
                d.order.push_back('P');
            },
            [&d](const PageFrame& f) {
                d.pages.push_back(f);
                d.order.push_back('G');
            },
            [&d](size_t n, bool cut) {
                d.discarded.push_back({n, cut});
                d.order.push_back('D');
            }};
}

TEST(DecoderLongStreams, MegabytesOfNoiseAndFramesDecodeFullyWithinABoundedBuffer) {
    const LongStream s = longStream(4 << 20);
    struct Feeding {
        const char* what;
        size_t piece; // 0: random pieces of 1..70 bytes
    };
    for (const Feeding f : {Feeding{.what = "all at once", .piece = s.wire.size()},
                            Feeding{.what = "in 4093-byte reads", .piece = 4093},
                            Feeding{.what = "in small pieces", .piece = 0}}) {
        SCOPED_TRACE(f.what);
        Decoded d;
        FrameDecoder decoder(recordInto(d));
        std::mt19937 rng(7);
        size_t mostPending = 0, mostStorage = 0;
        for (size_t at = 0; at < s.wire.size();) {
            const size_t n = std::min(s.wire.size() - at, f.piece ? f.piece : 1 + rng() % 70);
            decoder.feed(s.wire.data() + at, n, 1000);
            at += n;
            mostPending = std::max(mostPending, decoder.pending());
            mostStorage = std::max(mostStorage, decoder.storage());
        }
        EXPECT_EQ(d.params, s.params);
        EXPECT_EQ(d.pages, s.pages);
        std::vector<char> frames;
        size_t dropped = 0;
        for (char c : d.order)
            if (c != 'D') frames.push_back(c);
        for (auto [n, cut] : d.discarded) {
            dropped += n;
            EXPECT_FALSE(cut);
        }
        EXPECT_EQ(frames, s.order);
        EXPECT_EQ(dropped, s.noise);
        EXPECT_EQ(decoder.pending(), 0u);
        // Never more than one frame not yet complete and one slice being read.
        EXPECT_LT(mostPending, MaxFrameBytes);
        EXPECT_LE(mostStorage, MaxFrameBytes + DecodeSlice);
    }
}

// The same reading done the plain way: every candidate frame is parsed again
// from its first byte, and each byte dropped is erased from the front.
class PlainDecoder {
  public:
    explicit PlainDecoder(Decoded& out) : out_(out) {}

    void feed(const Bytes& data, int64_t now) {
        if (data.empty()) return;
        idle(now);
        buf_.insert(buf_.end(), data.begin(), data.end());
        last_ = now;
        scan();
        if (buf_.empty()) flush();
    }
    void idle(int64_t now) {
        if (buf_.empty() || now - last_ <= DefaultFrameTimeoutMs) return;
        while (!buf_.empty()) {
            buf_.erase(buf_.begin());
            ++noise_;
            cut_ = true;
            scan();
        }
        flush();
    }

  private:
    enum class Parse { Frame, NeedMore, Noise };

    void scan() {
        while (!buf_.empty()) {
            const Parse p = parse();
            if (p == Parse::NeedMore) return;
            if (p == Parse::Noise) {
                buf_.erase(buf_.begin());
                ++noise_;
            }
        }
    }
    void flush() {
        if (noise_ > 0) {
            out_.discarded.push_back({noise_, cut_});
            out_.order.push_back('D');
        }
        noise_ = 0;
        cut_ = false;
    }
    Parse parse() {
        const Bytes& b = buf_;
        if (b.size() < 2) return Parse::NeedMore;
        if (b[1] == CmdParameter) {
            if (b.size() >= 3 && !isKnownParameter(b[2])) return Parse::Noise;
            if (b.size() < 4) return Parse::NeedMore;
            const ParameterFrame f{b[0], b[2], b[3]};
            buf_.erase(buf_.begin(), buf_.begin() + 4);
            flush();
            out_.params.push_back(f);
            out_.order.push_back('P');
            return Parse::Frame;
        }
        if (b[1] != CmdPage) return Parse::Noise;
        if (b.size() < 3) return Parse::NeedMore;
        if (b[2] < 3 || b[2] > 10) return Parse::Noise;
        if (b.size() < 4) return Parse::NeedMore;
        if (b[3] != 0xFF) return Parse::Noise;
        for (size_t i = 3;;) {
            const size_t used = i - 3; // content bytes before this one
            if (i == b.size()) return Parse::NeedMore;
            const uint8_t c = b[i];
            if (c == PageEndPlain || c == PageEndSelected) {
                const PageFrame f{b[0], uint8_t(b[2] - 3), Bytes(b.begin() + 3, b.begin() + i), c};
                buf_.erase(buf_.begin(), buf_.begin() + i + 1);
                flush();
                out_.pages.push_back(f);
                out_.order.push_back('G');
                return Parse::Frame;
            }
            size_t len = 1;
            if (c == 0xFF) {
                for (size_t k = i + 1; k < std::min(i + 3, b.size()); ++k)
                    if (b[k] == 0xFF) return Parse::Noise;
                len = 3;
            } else if (c == 31) {
                if (i + 1 == b.size())
                    return used + 1 > MaxPageContent ? Parse::Noise : Parse::NeedMore;
                len = b[i + 1] == 0xFF ? 1 : 2;
            }
            // The end byte must still fit behind this piece of content.
            if (used + len > MaxPageContent) return Parse::Noise;
            if (i + len > b.size()) return Parse::NeedMore;
            i += len;
        }
    }

    Decoded& out_;
    Bytes buf_;
    size_t noise_ = 0;
    bool cut_ = false;
    int64_t last_ = 0;
};

TEST(DecoderLongStreams, DecodesExactlyAsThePlainReadingDoes) {
    // Streams dense in the bytes that matter, in pieces, at paces with and
    // without silences; pages near the limit and page-like noise that runs
    // past it; frames whole and cut off.
    std::mt19937 rng(1234);
    auto pick = [&](uint32_t n) { return uint32_t(rng() % n); };
    const Bytes alphabet{0,       1,   3,   4,    10, 11, 16, 17, 31, CmdParameter,
                         CmdPage, 192, 200, 0xFF, 'A'};
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        Bytes wire;
        const size_t size = round % 10 == 0 ? 3 * MaxFrameBytes : 1 + pick(400);
        while (wire.size() < size) {
            Bytes piece;
            switch (pick(6)) {
            case 0:
                piece = {uint8_t(pick(3)), CmdParameter, uint8_t(pick(2) ? 11 : 200), 5};
                break;
            case 1: {
                piece = {uint8_t(pick(3)), CmdPage, uint8_t(2 + pick(10)), 0xFF, 192, 192};
                const size_t fill = pick(3) == 0 ? MaxPageContent - 6 - pick(4) : pick(30);
                for (size_t k = 0; k < fill; ++k)
                    piece.push_back(pick(50) ? 'A' : alphabet[pick(uint32_t(alphabet.size()))]);
                if (pick(2)) piece.push_back(uint8_t(16 + pick(2)));
                break;
            }
            default:
                for (uint32_t k = 1 + pick(12); k > 0; --k)
                    piece.push_back(alphabet[pick(uint32_t(alphabet.size()))]);
            }
            if (pick(4) == 0) piece.resize(pick(uint32_t(piece.size()) + 1)); // cut off
            wire.insert(wire.end(), piece.begin(), piece.end());
        }
        Decoded fast, plain;
        FrameDecoder decoder(recordInto(fast));
        PlainDecoder reference(plain);
        int64_t now = 1000;
        for (size_t at = 0; at < wire.size();) {
            const size_t n =
                std::min(wire.size() - at, size_t(pick(8) ? 1 + pick(16) : 1 + pick(6000)));
            const Bytes part(wire.begin() + at, wire.begin() + at + n);
            at += n;
            now += pick(10) ? pick(60) : 400 + pick(400);
            if (pick(8) == 0) {
                decoder.idle(now);
                reference.idle(now);
                now += pick(20);
            }
            decoder.feed(part, now);
            reference.feed(part, now);
            ASSERT_LT(decoder.pending(), MaxFrameBytes);
        }
        decoder.idle(now + DefaultFrameTimeoutMs + 1);
        reference.idle(now + DefaultFrameTimeoutMs + 1);
        EXPECT_EQ(fast.order, plain.order);
        EXPECT_EQ(fast.params, plain.params);
        EXPECT_EQ(fast.pages, plain.pages);
        EXPECT_EQ(fast.discarded, plain.discarded);
        EXPECT_EQ(decoder.pending(), 0u);
    }
}

} // namespace
} // namespace vorelux::panel
