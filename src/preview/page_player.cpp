// The public face of the preview: PagePlayer and the one-shot helpers over
// the engine.
#include "preview/page_player.h"

#include "preview/engine.h"

namespace vorelux::preview {

PagePlayer::PagePlayer(const LineSource& lines, GlyphRenderer& glyphs, const Clock& clock)
    : engine_(std::make_unique<PreviewEngine>(lines, glyphs, clock)) {}

PagePlayer::~PagePlayer() = default;

RunResult PagePlayer::run(FrameSink& sink, const PlayOptions& options) {
    engine_->drawLiveField = options.drawLiveField;
    return engine_->run(sink, options.rounds);
}

void PagePlayer::requestStop() {
    engine_->requestStop();
}

void PagePlayer::requestLineSkip(int direction) {
    engine_->requestLineSkip(direction);
}

bool PagePlayer::running() const {
    return engine_->running();
}

RunResult runPage(const LineSource& lines, GlyphRenderer& glyphs, const Clock& clock,
                  FrameSink& sink, const PlayOptions& options) {
    return PagePlayer(lines, glyphs, clock).run(sink, options);
}

namespace {
// Composing and single effects read no lines and no clock.
PreviewEngine detachedEngine(GlyphRenderer& glyphs) {
    static const VectorLineSource noLines;
    static const FixedClock noClock;
    return PreviewEngine(noLines, glyphs, noClock);
}
} // namespace

ComposedSegment composeFirstSegment(const LineStream& line, GlyphRenderer& glyphs) {
    PreviewEngine engine = detachedEngine(glyphs);
    ComposedSegment segment;
    segment.startColumn = engine.composeSegment(line);
    segment.image = engine.screen.composed;
    return segment;
}

RunResult playEffect(bool entry, int n, const PanelImage& segment, GlyphRenderer& glyphs,
                     FrameSink& sink) {
    PreviewEngine engine = detachedEngine(glyphs);
    engine.screen.composed = segment;
    if (!entry) engine.screen.shown = segment;
    return engine.playEffect(entry, n, sink);
}

} // namespace vorelux::preview
