// The play loop, the segment player, the scroll-only mode, the frame output
// and the live fields of the preview.
#include "preview/effect_table.h"
#include "preview/engine.h"
#include "render/live_fields.h"

namespace vorelux::preview {

namespace {
constexpr uint8_t EndOfLine = 255;
constexpr uint8_t Space = 32;
constexpr uint8_t NoColumns = 127;        // takes no columns in a segment
constexpr uint8_t ScrollOnlyEffect = 192; // effect 1 both ways: the line only scrolls
constexpr uint8_t HoldCycles = 70;
constexpr uint8_t ScrollCycles = 2;

bool isLiveCode(uint8_t b) {
    return b >= 8 && b <= 30;
}
} // namespace

PreviewEngine::PreviewEngine(const LineSource& lines, GlyphRenderer& glyphs, const Clock& clock)
    : lines_(lines), glyphs_(glyphs), clock_(clock) {}

bool pageHasContent(const LineSource& lines) {
    for (int i = 0; i < lines.lineCount(); ++i)
        if (lines.line(i).size() > size_t(HeaderSize)) return true;
    return false;
}

uint8_t PreviewEngine::readByte(int32_t pos) const {
    const LineStream& bytes = play_.line;
    if (bytes.empty()) return EndOfLine;
    if (pos < 0) pos = 0;
    if (size_t(pos) >= bytes.size()) return bytes.back();
    return bytes[size_t(pos)];
}

void PreviewEngine::loadLine(int index) {
    // The page may have lost lines meanwhile; a missing line plays as empty.
    play_.line = index < lines_.lineCount() ? lines_.line(index) : newLine();
    // A damaged line without its header plays as an empty line.
    if (play_.line.size() < size_t(HeaderSize)) play_.line = newLine();
    play_.entryEffect = play_.line[1];
    play_.exitEffect = play_.line[2];
}

// Loads the item whose code was just read into the glyph buffer; a drawing
// takes its number from the next byte.
void PreviewEngine::loadItem(uint8_t code, int32_t& pos, int font) {
    if (code == DrawingEscape) {
        glyphs_.convertSprite(readByte(pos));
        ++pos;
    } else {
        glyphs_.convertCharacter(font, code);
    }
}

// ---------------------------------------------------------------- frames

// Shows `screen.shown` for `cycles` cycles. With a line skip pending nothing is
// shown and no time passes. A stop (requested, or refused by the sink) ends
// the preview here: nothing after it is shown or computed.
void PreviewEngine::showFrame(uint8_t cycles) {
    if (lineSkipRequest_ != 0) return;
    if (!play_.enabled) throw PreviewStopped{};
    const bool goOn = sink_->show(screen.shown, cycles);
    if (!goOn) play_.enabled = false;
    if (cycles != 0 && !play_.enabled) throw PreviewStopped{};
}

void PreviewEngine::scrollStep(uint8_t column) {
    showFrame(ScrollCycles);
    for (int c = 0; c < PanelColumns; ++c) screen.shown[size_t(c)] = screen.shown[size_t(c + 1)];
    screen.shown[PanelLastColumn] = column;
}

// ---------------------------------------------------------------- effects

void PreviewEngine::runEntry(uint8_t effectByte) {
    if (isEffectByte(effectByte)) playEntryEffect(effectNumber(effectByte), screen, glyphs_, *this);
}

void PreviewEngine::runExit(uint8_t effectByte) {
    if (isEffectByte(effectByte)) playExitEffect(effectNumber(effectByte), screen, glyphs_, *this);
}

RunResult PreviewEngine::playEffect(bool entry, int n, FrameSink& sink) {
    if (n < 1 || n > EffectCount) return RunResult::NothingToPlay;
    sink_ = &sink;
    play_.enabled = true;
    lineSkipRequest_ = 0;
    RunResult result = RunResult::RoundsDone;
    try {
        if (entry) {
            screen.shown.fill(0);
            runEntry(effectByte(n));
        } else {
            runExit(effectByte(n));
        }
    } catch (const PreviewStopped&) {
        result = RunResult::Stopped;
    }
    play_.enabled = false;
    sink_ = nullptr;
    return result;
}

// ---------------------------------------------------------------- live fields

void PreviewEngine::holdLiveField(int frames, uint8_t cycles) {
    for (int n = 0; n < frames && play_.enabled; ++n) showFrame(cycles);
}

void PreviewEngine::showPendingLiveField() {
    if (pendingLiveCode_ == 0) return;
    if (drawLiveField && drawLiveField(pendingLiveCode_, screen.shown)) {
        holdLiveField(25, 10);
        pendingLiveCode_ = 0;
        return;
    }
    const LiveFieldRule rule = liveFieldRule(pendingLiveCode_);
    if (rule.drawn && rule.redraw) {
        for (int n = 0; n < 50 && play_.enabled; ++n) {
            drawTimeDateTemperature(screen.shown, glyphs_, clock_, 0, 0, rule.mask, rule.fontIndex);
            showFrame(5);
        }
    } else if (rule.drawn) {
        drawTimeDateTemperature(screen.shown, glyphs_, clock_, 0, 0, rule.mask, rule.fontIndex);
    }
    // The clocks (8, 18) were held while redrawn; the other fields are held here.
    if (pendingLiveCode_ > 8 && pendingLiveCode_ != 18) holdLiveField(25, 10);
    pendingLiveCode_ = 0;
}

// ---------------------------------------------------------------- segments

int PreviewEngine::composeSegment(const LineStream& line) {
    play_.line = line;
    if (play_.line.size() < size_t(HeaderSize)) play_.line = newLine();
    play_.segmentStart = HeaderSize;
    screen.composed.fill(0);
    const bool wasRunning = play_.enabled;
    play_.enabled = true; // the measure pass stops early when the preview is stopped
    const SegmentLayout layout = composeNextSegment(play_.startFont);
    play_.enabled = wasRunning;
    return layout.empty ? 0 : layout.startColumn;
}

// Steps shared by the segment player and composeSegment: skip the spaces,
// measure how much of the line fits and where it breaks, place it and render
// it into screen.composed.
PreviewEngine::SegmentLayout PreviewEngine::composeNextSegment(uint8_t font) {
    SegmentLayout layout;
    const int32_t size = int32_t(play_.line.size());
    if (play_.segmentStart < 3) play_.segmentStart = 3;
    if (size <= 4 || readByte(play_.segmentStart) == EndOfLine) return layout;
    while (readByte(play_.segmentStart) == Space && play_.segmentStart < size) ++play_.segmentStart;
    if (play_.segmentStart >= size) return layout;
    layout.empty = false;

    for (int c = 0; c < PanelColumns; ++c) screen.composed[size_t(c)] = 0;

    const Measure measure = measureSegment(font);
    layout.finished = measure.finished;
    layout.lastByte = measure.lastByte;
    layout.width = measure.width;
    // Centred when it fits (the last glyph's blank column(s) not counted),
    // from column 0 otherwise.
    if (layout.width > 0 && layout.width < PanelColumns) {
        layout.width -= measure.font / 2 + 1;
        layout.startColumn = (PanelColumns - layout.width) / 2;
    }
    renderSegment(layout, font);
    return layout;
}

// Finds the end of the segment starting at play_.segmentStart: the line's end,
// a live field (left pending), or the last word break before the panel is full.
PreviewEngine::Measure PreviewEngine::measureSegment(uint8_t font) {
    Measure m;
    m.font = font;
    const int32_t size = int32_t(play_.line.size());
    int32_t pos = play_.segmentStart;
    int width = 0;
    for (;;) {
        if ((m.lastByte != 0 && width > PanelColumns) || !play_.enabled) break;
        const uint8_t b = readByte(pos);
        if (b == EndOfLine || pos >= size) {
            m.lastByte = pos - 1;
            m.width = width;
            m.finished = true;
            break;
        }
        if (isLiveCode(b)) {
            pendingLiveCode_ = b;
            m.lastByte = pos - 1;
            m.width = width;
            break;
        }
        if (b <= 7) {
            m.font = b;
        } else if (b == DrawingEscape) {
            ++pos;
            glyphs_.convertSprite(readByte(pos));
            width += glyphs_.lastGlyphColumn + 1;
        } else {
            if (b == Space && readByte(pos - 1) != Space) {
                m.lastByte = pos - 1; // a word break; only the first space of a run counts
                m.width = width;
            }
            if (b != NoColumns) width += glyphs_.convertCharacter(m.font, b) + 1;
        }
        ++pos;
    }
    if (width == PanelColumns) {
        m.width = PanelLastColumn;
        m.lastByte = pos - 1;
    }
    return m;
}

// Renders the segment into screen.composed from its start column, as far as the
// panel reaches.
void PreviewEngine::renderSegment(SegmentLayout& layout, uint8_t font) {
    int32_t pos = play_.segmentStart;
    int current = font;
    int column = layout.startColumn;
    int itemColumn = 0;
    while (pos <= layout.lastByte && column < PanelColumns) {
        const uint8_t b = readByte(pos);
        ++pos;
        if (b < DrawingEscape) {
            current = b;
            continue;
        }
        if (b == NoColumns) continue;
        loadItem(b, pos, current);
        for (itemColumn = 0; itemColumn <= glyphs_.lastGlyphColumn && column < PanelColumns;
             ++itemColumn, ++column)
            screen.composed[size_t(column)] = glyphs_.glyphColumns[size_t(itemColumn)];
    }
    layout.nextByte = pos;
    layout.font = current;
    layout.lastItemColumns = itemColumn;
}

// Plays one segment: entry effect, hold, overflow scroll, exit effect and a
// dark frame. True when the segment ran to the end of the line.
bool PreviewEngine::playSegment(uint8_t font) {
    SegmentLayout layout = composeNextSegment(font);
    if (layout.empty) return true;

    screen.shown.fill(0);
    if (play_.enabled && lineSkipRequest_ == 0) runEntry(play_.entryEffect);
    for (int c = 0; c < PanelColumns; ++c) screen.shown[size_t(c)] = screen.composed[size_t(c)];
    showFrame(HoldCycles);

    if (layout.width >= PanelColumns && play_.enabled) scrollOverflow(layout);

    if (play_.enabled && lineSkipRequest_ == 0) runExit(play_.exitEffect);

    for (int c = 0; c < PanelColumns; ++c) screen.shown[size_t(c)] = 0;
    showFrame(0);

    play_.segmentStart = layout.finished ? layout.nextByte - 1 : layout.nextByte;
    return layout.finished;
}

// The rest of a segment wider than the panel runs in from the right and is
// held; layout.nextByte moves past it.
void PreviewEngine::scrollOverflow(SegmentLayout& layout) {
    int32_t pos = layout.nextByte;
    int font = layout.font;
    // Reload the last item placed (an entry effect may have used the buffer).
    if (readByte(pos - 2) == DrawingEscape)
        glyphs_.convertSprite(readByte(pos - 1));
    else
        glyphs_.convertCharacter(font, readByte(pos - 1));
    std::array<uint8_t, GlyphColumnsSize> item = glyphs_.glyphColumns;
    int last = glyphs_.lastGlyphColumn;
    for (int j = layout.lastItemColumns; j <= last && j < GlyphColumnsSize && play_.enabled; ++j)
        scrollStep(item[size_t(j)]);

    while (pos <= layout.lastByte && play_.enabled) {
        const uint8_t b = readByte(pos);
        ++pos;
        if (b < DrawingEscape) {
            font = b;
            glyphs_.convertCharacter(font, NoColumns);
        } else if (b == NoColumns) {
            glyphs_.convertCharacter(font, NoColumns);
        } else {
            loadItem(b, pos, font);
        }
        item = glyphs_.glyphColumns;
        last = glyphs_.lastGlyphColumn;
        // The trailing blank column of the segment's final item stays out.
        const int count = pos > layout.lastByte ? last : last + 1;
        for (int k = 0; k < count && k < GlyphColumnsSize && play_.enabled; ++k)
            scrollStep(item[size_t(k)]);
    }
    for (int c = 0; c < PanelColumns; ++c) screen.composed[size_t(c)] = screen.shown[size_t(c)];
    showFrame(HoldCycles);
    layout.nextByte = pos;
    layout.font = font;
}

// Lines with effect 1 both ways: the text runs through the panel from right
// to left, with no effects and no hold.
bool PreviewEngine::playScrollOnly() {
    int font = play_.startFont;
    int32_t pos = play_.segmentStart;
    loadLine(play_.lineIndex);
    const int32_t size = int32_t(play_.line.size());
    while (pos < size && readByte(pos) != EndOfLine && play_.enabled && lineSkipRequest_ == 0) {
        const uint8_t b = readByte(pos);
        ++pos;
        if (isLiveCode(b)) {
            pendingLiveCode_ = b;
            break;
        }
        if (b <= 7) {
            font = b;
            continue;
        }
        if (b == NoColumns) continue;
        loadItem(b, pos, font);
        scrollItemThrough();
    }
    for (int n = 0; n < PanelColumns && play_.enabled && lineSkipRequest_ == 0; ++n)
        scrollBlankColumn();
    if (pendingLiveCode_ != 0) {
        play_.segmentStart = pos - 1;
        return false;
    }
    return true;
}

// The item in the glyph buffer runs in; its last column is replaced by a
// blank one.
void PreviewEngine::scrollItemThrough() {
    const std::array<uint8_t, GlyphColumnsSize> item = glyphs_.glyphColumns;
    const int last = glyphs_.lastGlyphColumn;
    for (int j = 0; j < last && j < GlyphColumnsSize && play_.enabled && lineSkipRequest_ == 0; ++j)
        scrollStep(item[size_t(j)]);
    scrollBlankColumn();
}

void PreviewEngine::scrollBlankColumn() {
    showFrame(ScrollCycles);
    for (int c = 0; c < PanelLastColumn; ++c) screen.shown[size_t(c)] = screen.shown[size_t(c + 1)];
    screen.shown[PanelLastColumn] = 0;
}

// ---------------------------------------------------------------- play loop

RunResult PreviewEngine::run(FrameSink& sink, int rounds) {
    if (!pageHasContent(lines_)) return RunResult::NothingToPlay;
    sink_ = &sink;
    play_.lineCount = 0;
    play_.segmentStart = HeaderSize;
    play_.lineIndex = 0;
    play_.startFont = 1;
    // A field left pending by an earlier, stopped preview is not shown now.
    pendingLiveCode_ = 0;
    screen.shown.fill(0);
    screen.composed.fill(0);

    RunResult result = RunResult::Stopped;
    try {
        sink.lineStarted(0);
        play_.lineCount = lines_.lineCount();
        play_.enabled = true;
        loadLine(0);
        lineSkipRequest_ = 0;
        long linesPlayed = 0;
        while (play_.enabled) {
            bool finished = playNextSegment();
            if (!play_.enabled && lineSkipRequest_ == 0) break;
            const int32_t size = int32_t(play_.line.size());
            if (pendingLiveCode_ != 0 && lineSkipRequest_ == 0) {
                showPendingLiveField();
                ++play_.segmentStart;
                finished = play_.segmentStart >= size;
            }
            if (!finished && play_.segmentStart < size && lineSkipRequest_ == 0) continue;
            if (changeLine(rounds, linesPlayed)) {
                result = RunResult::RoundsDone;
                break;
            }
        }
    } catch (const PreviewStopped&) {
    }
    play_.enabled = false;
    sink_ = nullptr;
    return result;
}

// Plays what starts at play_.segmentStart: a live field there is only left
// pending, a scroll-only line scrolls, any other line plays a segment. True
// when the line is finished.
bool PreviewEngine::playNextSegment() {
    const uint8_t first = readByte(play_.segmentStart);
    if (isLiveCode(first)) {
        pendingLiveCode_ = first;
        return false;
    }
    screen.shown.fill(0);
    if (play_.entryEffect == ScrollOnlyEffect && play_.exitEffect == ScrollOnlyEffect) {
        const bool finished = playScrollOnly();
        screen.shown.fill(0);
        return finished;
    }
    return playSegment(play_.startFont);
}

// Moves to the next line, or to the previous one on a skip back. True when
// the requested rounds are done.
bool PreviewEngine::changeLine(int rounds, long& linesPlayed) {
    const int32_t skip = lineSkipRequest_;
    play_.segmentStart = HeaderSize;
    if (skip < 0) {
        if (--play_.lineIndex < 0) play_.lineIndex = play_.lineCount - 1;
    } else {
        ++play_.lineIndex;
    }
    lineSkipRequest_ = 0;
    // A field met in a skipped segment belongs to the line left behind.
    if (skip != 0) pendingLiveCode_ = 0;
    play_.lineIndex %= play_.lineCount;
    loadLine(play_.lineIndex);
    if (rounds > 0 && ++linesPlayed >= long(rounds) * play_.lineCount) return true;
    sink_->lineStarted(play_.lineIndex);
    return false;
}

} // namespace vorelux::preview
