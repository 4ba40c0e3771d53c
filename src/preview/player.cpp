// The play loop, the segment player, the scroll-only mode, the frame output
// and the live fields of the preview.
#include "preview/effect_table.h"
#include "preview/engine.h"
#include "render/live_fields.h"

namespace vorelux::preview {

namespace {
constexpr uint8_t EndOfLine = 255;
constexpr uint8_t Space = 32;
constexpr uint8_t NoColumns = 127; // takes no columns in a segment
constexpr uint8_t HoldCycles = 70;
constexpr uint8_t ScrollCycles = 2;

bool isLiveCode(uint8_t b) {
    return b >= 8 && b <= 30;
}
} // namespace

PreviewEngine::PreviewEngine(const LineSource& lines, GlyphRenderer& glyphs, const Clock& clock)
    : lines_(lines), glyphs_(glyphs), clock_(clock) {}

bool PreviewEngine::pageHasContent(const LineSource& lines) {
    for (int i = 0; i < lines.lineCount(); ++i)
        if (lines.line(i).size() > size_t(HeaderSize)) return true;
    return false;
}

uint8_t PreviewEngine::readByte(int32_t pos) const {
    const LineStream& m = play.MemoryView;
    if (m.empty()) return EndOfLine;
    if (pos < 0) pos = 0;
    if (size_t(pos) >= m.size()) return m.back();
    return m[size_t(pos)];
}

void PreviewEngine::takeLine(int index) {
    // The page may have lost lines meanwhile; a missing line plays as empty.
    play.MemoryView = index < lines_.lineCount() ? lines_.line(index) : newLine();
    // A damaged line without its header plays as an empty line.
    if (play.MemoryView.size() < size_t(HeaderSize)) play.MemoryView = newLine();
    play.animaEntrada = play.MemoryView[1];
    play.animaSaida = play.MemoryView[2];
}

// ---------------------------------------------------------------- frames

// Shows ScreenBitmap for `ciclos` cycles. With a line skip pending nothing is
// shown and no time passes. A stop (requested, or refused by the sink) ends
// the preview here: nothing after it is shown or computed.
void PreviewEngine::espera_tempo(uint8_t ciclos) {
    if (LineSkipRequest != 0) return;
    if (!play.enabled) throw PreviewStopped{};
    const bool goOn = sink_->show(ScreenBitmap, ciclos);
    if (!goOn) play.enabled = false;
    if (ciclos != 0 && !play.enabled) throw PreviewStopped{};
}

void PreviewEngine::scrollStep(uint8_t column) {
    espera_tempo(ScrollCycles);
    for (int c = 0; c < PanelColumns; ++c) ScreenBitmap[size_t(c)] = ScreenBitmap[size_t(c + 1)];
    ScreenBitmap[63] = column;
}

// ---------------------------------------------------------------- effects

void PreviewEngine::runEntry(uint8_t effectByte) {
    if (!isEffectByte(effectByte)) return;
    const int n = effectNumber(effectByte);
    using Routine = void (PreviewEngine::*)();
    static const Routine routines[31] = {
        &PreviewEngine::ef_e_rola_da_direita,
        &PreviewEngine::ef_e_rola_da_esquerda,
        &PreviewEngine::ef_e_abre,
        &PreviewEngine::ef_e_acendendo_da_direita,
        &PreviewEngine::ef_e_acendendo_da_esquerda,
        &PreviewEngine::ef_e_aparece,
        &PreviewEngine::ef_e_aparece_de_baixo,
        &PreviewEngine::ef_e_aparece_de_cima,
        &PreviewEngine::ef_e_cai_tijolo,
        &PreviewEngine::ef_e_cascata,
        &PreviewEngine::ef_e_chove_pixels,
        &PreviewEngine::ef_e_desce,
        &PreviewEngine::ef_e_encolhe,
        &PreviewEngine::ef_e_esmagar,
        &PreviewEngine::ef_e_estica,
        &PreviewEngine::ef_e_fecha,
        &PreviewEngine::ef_e_grade_abre,
        &PreviewEngine::ef_e_grade_sobe_desce,
        &PreviewEngine::ef_e_laser,
        &PreviewEngine::ef_e_laser2,
        &PreviewEngine::ef_e_mar_pixels,
        &PreviewEngine::ef_e_preenche_pixels,
        &PreviewEngine::ef_e_reparte_abre,
        &PreviewEngine::ef_e_reparte_sobe_desce,
        &PreviewEngine::ef_e_rola_linhas,
        &PreviewEngine::ef_e_sobe,
        &PreviewEngine::ef_e_sobe_onda,
        &PreviewEngine::ef_e_tetris1,
        &PreviewEngine::ef_e_tetris2,
        &PreviewEngine::ef_es_pisca,
        &PreviewEngine::ef_es_pisca_inverte,
    };
    if (n < FirstSpriteEffect) {
        (this->*routines[n - 1])();
    } else {
        const EffectInfo& e = EffectTable[size_t(n - 1)];
        ef_e_come_come(e.firstFrame, e.frameHold);
    }
}

void PreviewEngine::runExit(uint8_t effectByte) {
    if (!isEffectByte(effectByte)) return;
    const int n = effectNumber(effectByte);
    using Routine = void (PreviewEngine::*)();
    static const Routine routines[31] = {
        &PreviewEngine::ef_s_rola_da_direita,
        &PreviewEngine::ef_s_rola_da_esquerda,
        &PreviewEngine::ef_s_abre,
        &PreviewEngine::ef_s_acendendo_da_direita,
        &PreviewEngine::ef_s_acendendo_da_esquerda,
        &PreviewEngine::ef_s_aparece,
        &PreviewEngine::ef_s_aparece_de_baixo,
        &PreviewEngine::ef_s_aparece_de_cima,
        &PreviewEngine::ef_s_cai_tijolo,
        &PreviewEngine::ef_s_cascata,
        &PreviewEngine::ef_s_chove_pixels,
        &PreviewEngine::ef_s_desce,
        &PreviewEngine::ef_s_encolhe,
        &PreviewEngine::ef_s_esmagar,
        &PreviewEngine::ef_s_estica,
        &PreviewEngine::ef_s_fecha,
        &PreviewEngine::ef_s_grade_abre,
        &PreviewEngine::ef_s_grade_sobe_desce,
        &PreviewEngine::ef_s_laser,
        &PreviewEngine::ef_s_laser2,
        &PreviewEngine::ef_s_mar_pixels,
        &PreviewEngine::ef_s_preenche_pixels,
        &PreviewEngine::ef_s_reparte_abre,
        &PreviewEngine::ef_s_reparte_sobe_desce,
        &PreviewEngine::ef_s_rola_linhas,
        &PreviewEngine::ef_s_sobe,
        &PreviewEngine::ef_s_sobe_onda,
        &PreviewEngine::ef_s_tetris1,
        &PreviewEngine::ef_s_tetris2,
        &PreviewEngine::ef_es_pisca,
        &PreviewEngine::ef_es_pisca_inverte,
    };
    if (n < FirstSpriteEffect) {
        (this->*routines[n - 1])();
    } else {
        const EffectInfo& e = EffectTable[size_t(n - 1)];
        ef_s_come_come(e.firstFrame, e.frameHold);
    }
}

RunResult PreviewEngine::playEffect(bool entry, int n, FrameSink& sink) {
    if (n < 1 || n > EffectCount) return RunResult::NothingToPlay;
    sink_ = &sink;
    play.enabled = true;
    LineSkipRequest = 0;
    RunResult result = RunResult::RoundsDone;
    try {
        if (entry) {
            ScreenBitmap.fill(0);
            runEntry(effectByte(n));
        } else {
            runExit(effectByte(n));
        }
    } catch (const PreviewStopped&) {
        result = RunResult::Stopped;
    }
    play.enabled = false;
    sink_ = nullptr;
    return result;
}

// ---------------------------------------------------------------- live fields

void PreviewEngine::functionHDT() {
    if (PendingLiveCode == 0) return;
    if (drawLiveField && drawLiveField(PendingLiveCode, ScreenBitmap)) {
        for (int n = 0; n < 25 && play.enabled; ++n) espera_tempo(10);
        PendingLiveCode = 0;
        return;
    }
    const LiveFieldRule rule = liveFieldRule(PendingLiveCode);
    if (rule.drawn && rule.redraw) {
        for (int n = 0; n < 50 && play.enabled; ++n) {
            printHoraDataTemp(ScreenBitmap, glyphs_, clock_, 0, 0, rule.mask, rule.fonte);
            espera_tempo(5);
        }
    } else if (rule.drawn) {
        printHoraDataTemp(ScreenBitmap, glyphs_, clock_, 0, 0, rule.mask, rule.fonte);
    }
    if (PendingLiveCode > 8 && PendingLiveCode != 18)
        for (int n = 0; n < 25 && play.enabled; ++n) espera_tempo(10);
    PendingLiveCode = 0;
}

// ---------------------------------------------------------------- segments

int PreviewEngine::composeSegment(const LineStream& line) {
    play.MemoryView = line;
    if (play.MemoryView.size() < size_t(HeaderSize)) play.MemoryView = newLine();
    play.index_char_ini = HeaderSize;
    AuxScreen.fill(0);
    const bool wasRunning = play.enabled;
    play.enabled = true; // the measure pass stops early when the preview is stopped
    const SegmentLayout layout = composeAux(play.fonteEntrada);
    play.enabled = wasRunning;
    return layout.empty ? 0 : layout.S;
}

// Steps shared by the segment player and composeSegment: skip the spaces,
// measure how much of the line fits and where it breaks, place it and render
// it into AuxScreen.
PreviewEngine::SegmentLayout PreviewEngine::composeAux(uint8_t fonte) {
    SegmentLayout r;
    const int32_t size = int32_t(play.MemoryView.size());
    if (play.index_char_ini < 3) play.index_char_ini = 3;
    if (size <= 4 || readByte(play.index_char_ini) == EndOfLine) return r;
    while (readByte(play.index_char_ini) == Space && play.index_char_ini < size)
        ++play.index_char_ini;
    if (play.index_char_ini >= size) return r;
    r.empty = false;

    for (int c = 0; c < PanelColumns; ++c) AuxScreen[size_t(c)] = 0;

    // Measure pass.
    int32_t P = play.index_char_ini;
    int f = fonte;
    int W = 0;
    int32_t B = 0;
    int BW = 0;
    for (;;) {
        if ((B != 0 && W > 64) || !play.enabled) break;
        const uint8_t b = readByte(P);
        if (b == EndOfLine || P >= size) {
            B = P - 1;
            BW = W;
            r.finished = true;
            break;
        }
        if (isLiveCode(b)) {
            PendingLiveCode = b;
            B = P - 1;
            BW = W;
            break;
        }
        if (b <= 7) {
            f = b;
        } else if (b == DrawingEscape) {
            ++P;
            glyphs_.converte_desenho(readByte(P));
            W += glyphs_.GlyphLast + 1;
        } else {
            if (b == Space && readByte(P - 1) != Space) {
                B = P - 1; // a word break; only the first space of a run counts
                BW = W;
            }
            if (b != NoColumns) W += glyphs_.converte_fonte(f, b) + 1;
        }
        ++P;
    }
    if (W == 64) {
        BW = 63;
        B = P - 1;
    }

    // Placement: centred when it fits (the last glyph's blank column(s) not
    // counted), from column 0 otherwise.
    int S = 0;
    if (BW > 0 && BW < 64) {
        BW -= f / 2 + 1;
        S = (64 - BW) / 2;
    }

    // Render pass.
    P = play.index_char_ini;
    int font = fonte;
    int i = S;
    int j = 0;
    while (P <= B && i < 64) {
        const uint8_t b = readByte(P);
        ++P;
        if (b < DrawingEscape) {
            font = b;
            continue;
        }
        if (b == NoColumns) continue;
        if (b == DrawingEscape) {
            glyphs_.converte_desenho(readByte(P));
            ++P;
        } else {
            glyphs_.converte_fonte(font, b);
        }
        for (j = 0; j <= glyphs_.GlyphLast && i < 64; ++j, ++i)
            AuxScreen[size_t(i)] = glyphs_.GlyphBuffer[size_t(j)];
    }
    r.P = P;
    r.B = B;
    r.BW = BW;
    r.S = S;
    r.font = font;
    r.j = j;
    return r;
}

bool PreviewEngine::carregaTelaComAnimacao(uint8_t fonte) {
    const SegmentLayout layout = composeAux(fonte);
    if (layout.empty) return true;
    int32_t P = layout.P;
    const int32_t B = layout.B;
    int font = layout.font;
    int j = layout.j;

    ScreenBitmap.fill(0);
    if (play.enabled && LineSkipRequest == 0) runEntry(play.animaEntrada);
    for (int c = 0; c < PanelColumns; ++c) ScreenBitmap[size_t(c)] = AuxScreen[size_t(c)];
    espera_tempo(HoldCycles);

    // Overflow scroll: the rest of the segment runs in from the right.
    if (layout.BW >= 64 && play.enabled) {
        // Reload the last item placed (an entry effect may have used the buffer).
        if (readByte(P - 2) == DrawingEscape)
            glyphs_.converte_desenho(readByte(P - 1));
        else
            glyphs_.converte_fonte(font, readByte(P - 1));
        std::array<uint8_t, GlyphBufferSize> item = glyphs_.GlyphBuffer;
        int last = glyphs_.GlyphLast;
        for (; j <= last && j < GlyphBufferSize && play.enabled; ++j) scrollStep(item[size_t(j)]);

        while (P <= B && play.enabled) {
            const uint8_t b = readByte(P);
            ++P;
            if (b < DrawingEscape) {
                font = b;
                glyphs_.converte_fonte(font, NoColumns);
            } else if (b == NoColumns) {
                glyphs_.converte_fonte(font, NoColumns);
            } else if (b == DrawingEscape) {
                glyphs_.converte_desenho(readByte(P));
                ++P;
            } else {
                glyphs_.converte_fonte(font, b);
            }
            item = glyphs_.GlyphBuffer;
            last = glyphs_.GlyphLast;
            // The trailing blank column of the segment's final item stays out.
            const int count = P > B ? last : last + 1;
            for (int k = 0; k < count && k < GlyphBufferSize && play.enabled; ++k)
                scrollStep(item[size_t(k)]);
        }
        for (int c = 0; c < PanelColumns; ++c) AuxScreen[size_t(c)] = ScreenBitmap[size_t(c)];
        espera_tempo(HoldCycles);
    }

    if (play.enabled && LineSkipRequest == 0) runExit(play.animaSaida);

    for (int c = 0; c < PanelColumns; ++c) ScreenBitmap[size_t(c)] = 0;
    espera_tempo(0);

    play.index_char_ini = layout.finished ? P - 1 : P;
    return layout.finished;
}

// Lines with effect 1 both ways: the text runs through the panel from right
// to left, with no effects and no hold.
bool PreviewEngine::ef_somenteCorrer() {
    int font = play.fonteEntrada;
    int32_t P = play.index_char_ini;
    takeLine(play.index_linha);
    const int32_t size = int32_t(play.MemoryView.size());
    while (P < size && readByte(P) != EndOfLine && play.enabled && LineSkipRequest == 0) {
        const uint8_t b = readByte(P);
        ++P;
        if (isLiveCode(b)) {
            PendingLiveCode = b;
            break;
        }
        if (b <= 7) {
            font = b;
            continue;
        }
        if (b == NoColumns) continue;
        if (b == DrawingEscape) {
            glyphs_.converte_desenho(readByte(P));
            ++P;
        } else {
            glyphs_.converte_fonte(font, b);
        }
        const std::array<uint8_t, GlyphBufferSize> item = glyphs_.GlyphBuffer;
        const int L = glyphs_.GlyphLast;
        for (int j = 0; j < L && j < GlyphBufferSize && play.enabled && LineSkipRequest == 0; ++j)
            scrollStep(item[size_t(j)]);
        // The item's last column is replaced by a blank one.
        espera_tempo(ScrollCycles);
        for (int c = 0; c < 63; ++c) ScreenBitmap[size_t(c)] = ScreenBitmap[size_t(c + 1)];
        ScreenBitmap[63] = 0;
    }
    for (int n = 0; n < 64 && play.enabled && LineSkipRequest == 0; ++n) {
        espera_tempo(ScrollCycles);
        for (int c = 0; c < 63; ++c) ScreenBitmap[size_t(c)] = ScreenBitmap[size_t(c + 1)];
        ScreenBitmap[63] = 0;
    }
    if (PendingLiveCode != 0) {
        play.index_char_ini = P - 1;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- play loop

RunResult PreviewEngine::run(FrameSink& sink, int rounds) {
    play.index_frame = 0;
    if (!pageHasContent(lines_)) return RunResult::NothingToPlay;
    sink_ = &sink;
    play.num_linhas = 0;
    play.index_char_ini = HeaderSize;
    play.index_linha = 0;
    play.fonteEntrada = 1;
    // A field left pending by an earlier, stopped preview is not shown now.
    PendingLiveCode = 0;
    ScreenBitmap.fill(0);
    AuxScreen.fill(0);

    RunResult result = RunResult::Stopped;
    try {
        sink.lineStarted(0);
        play.num_linhas = lines_.lineCount();
        play.enabled = true;
        takeLine(0);
        LineSkipRequest = 0;
        bool finished = false;
        long linesPlayed = 0;
        while (play.enabled) {
            const uint8_t c = readByte(play.index_char_ini);
            if (isLiveCode(c)) {
                PendingLiveCode = c;
            } else if (play.animaEntrada == 192 && play.animaSaida == 192) {
                ScreenBitmap.fill(0);
                finished = ef_somenteCorrer();
                ScreenBitmap.fill(0);
            } else {
                ScreenBitmap.fill(0);
                finished = carregaTelaComAnimacao(play.fonteEntrada);
            }
            if (!play.enabled && LineSkipRequest == 0) break;
            const int32_t size = int32_t(play.MemoryView.size());
            if (PendingLiveCode != 0 && LineSkipRequest == 0) {
                functionHDT();
                ++play.index_char_ini;
                finished = play.index_char_ini >= size;
            }
            if (!finished && play.index_char_ini < size && LineSkipRequest == 0) continue;

            // Line change.
            const int32_t skip = LineSkipRequest;
            play.index_char_ini = HeaderSize;
            if (skip < 0) {
                if (--play.index_linha < 0) play.index_linha = play.num_linhas - 1;
            } else {
                ++play.index_linha;
            }
            LineSkipRequest = 0;
            // A field met in a skipped segment belongs to the line left behind.
            if (skip != 0) PendingLiveCode = 0;
            play.index_linha %= play.num_linhas;
            takeLine(play.index_linha);
            if (rounds > 0 && ++linesPlayed >= long(rounds) * play.num_linhas) {
                result = RunResult::RoundsDone;
                break;
            }
            sink.lineStarted(play.index_linha);
        }
    } catch (const PreviewStopped&) {
    }
    play.enabled = false;
    sink_ = nullptr;
    return result;
}

} // namespace vorelux::preview
