#pragma once
// The preview engine: plays a page as a panel would, line after line, each
// line cut into segments that fit the 64 columns, brought in by the line's
// entry effect, held, scrolled when wider than the panel and taken out by its
// exit effect, with live fields shown in their place.
//
// The engine is plain synchronous code that knows nothing of time or windows:
// every frame goes to FrameSink::show(screen, cycles), one cycle being
// 8/700 s. The sink decides how long a frame stays (a trace records it, the
// editor waits until an absolute deadline) and whether the preview goes on.
//
// Threading: the host may run `run` on a worker thread. requestStop() and
// requestLineSkip() may be called from any thread; the engine reads line
// bytes only through LineSource::line(), which returns a copy (the host makes
// that copy under its own lock). GlyphRenderer keeps the conversion buffer
// as its state, so an engine on a worker thread gets a renderer of its own.
// ScreenBitmap is passed to show() by reference for the call only: a sink
// that hands the frame to another thread copies the 65 bytes.
#include "model/line.h"
#include "render/clock.h"
#include "render/glyphs.h"
#include "render/panel.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace vorelux::preview {

// Where the engine reads the lines of the page being played.
class LineSource {
  public:
    virtual ~LineSource() = default;
    virtual int lineCount() const = 0;
    // A snapshot of line `index` (0 <= index < lineCount()).
    virtual LineStream line(int index) const = 0;
};

// A fixed list of lines (tests, the command-line tool).
class VectorLineSource final : public LineSource {
  public:
    VectorLineSource() = default;
    explicit VectorLineSource(std::vector<LineStream> lines) : lines(std::move(lines)) {}
    int lineCount() const override { return int(lines.size()); }
    LineStream line(int index) const override { return lines.at(size_t(index)); }
    std::vector<LineStream> lines;
};

// Receives every frame. show() returns false to stop the preview (it may also
// throw PreviewStopped); either way no further frame and no further effect
// step follows.
class FrameSink {
  public:
    virtual ~FrameSink() = default;
    virtual bool show(const PanelImage& screen, uint8_t cycles) = 0;
    // The play loop moved to line `index` (the editor shows it and its
    // neighbours in the line boxes).
    virtual void lineStarted(int /*index*/) {}
};

// Thrown to unwind a stopped preview; run() and playEffect() catch it.
struct PreviewStopped {};

// The preview state record.
struct PlayState {
    std::atomic<bool> enabled{false}; // the preview is running; false is the stop request
    int32_t num_linhas = 0;           // lines of the page, taken at the start
    int32_t index_linha = 0;          // line being played
    int32_t index_char_ini = 3;       // where the next segment starts (3 = first content byte)
    int32_t index_frame = 0;
    uint8_t animaEntrada = 0; // entry-effect byte of the line
    uint8_t animaSaida = 0;   // exit-effect byte of the line
    uint8_t fonteEntrada = 1; // font in force at the start of every segment
    LineStream MemoryView;    // snapshot of the line being played
};

enum class RunResult {
    NothingToPlay, // no line holds more than its three header bytes (prompt 9)
    Stopped,       // a stop request ended the preview
    RoundsDone,    // the requested number of rounds was played
};

// Scrambled column sweeps: visit k (0..63) is column 8 * P[k mod 8] + P[k div 8].
extern const std::array<uint8_t, 8> PixelOrderA;
extern const std::array<uint8_t, 8> PixelOrderB;
inline uint8_t sweepA(int k) {
    return uint8_t(8 * PixelOrderA[size_t(k % 8)] + PixelOrderA[size_t(k / 8)]);
}
inline uint8_t sweepB(int k) {
    return uint8_t(8 * PixelOrderB[size_t(k % 8)] + PixelOrderB[size_t(k / 8)]);
}

class PreviewEngine {
  public:
    PreviewEngine(const LineSource& lines, GlyphRenderer& glyphs, const Clock& clock);

    // True when some line holds content (more than its three header bytes).
    static bool pageHasContent(const LineSource& lines);

    // Plays the page from its first line until stopped, or for `rounds`
    // rounds (a round plays every line once) when rounds > 0.
    RunResult run(FrameSink& sink, int rounds = 0);

    // Thread-safe requests from the host.
    void requestStop() { play.enabled = false; }
    // -1: go to the previous line, +1: the next one.
    void requestLineSkip(int direction) { LineSkipRequest = direction < 0 ? -1 : 1; }
    bool running() const { return play.enabled; }

    // Composes the first segment of `line` into AuxScreen the way the segment
    // player does (centred when it fits). Returns the start column.
    int composeSegment(const LineStream& line);
    // Runs the entry (or exit) routine of effect n (1..61) alone. For an exit,
    // ScreenBitmap should hold the image to take away.
    RunResult playEffect(bool entry, int n, FrameSink& sink);

    // A host that knows values the editor does not (a panel with its own day
    // counters and temperature adjustments) may draw a live field itself:
    // it returns true when it drew `code` into the screen, which is then held
    // like any other field; false leaves the field to the engine.
    std::function<bool(uint8_t code, PanelImage& screen)> drawLiveField;

    // ---- state ----
    PlayState play;
    uint8_t PendingLiveCode = 0;
    std::atomic<int32_t> LineSkipRequest{0};
    PanelImage ScreenBitmap{};
    PanelImage AuxScreen{};

    // ---- driver ----
    bool carregaTelaComAnimacao(uint8_t fonte);
    bool ef_somenteCorrer();
    void espera_tempo(uint8_t ciclos);
    void functionHDT();
    void runEntry(uint8_t effectByte);
    void runExit(uint8_t effectByte);

    // ---- primitives (on ScreenBitmap; positions are bytes) ----
    void ef_copia_telaaux(uint8_t coluna_ini, uint8_t coluna_fim);
    void ef_limpa(uint8_t coluna_ini, uint8_t coluna_fim);
    void ef_inverte(uint8_t coluna_ini, uint8_t coluna_fim);
    void ef_pinta_linha(uint8_t coluna_ini, uint8_t coluna_fim, uint8_t linhas);
    void ef_desloca_esquerda(uint8_t colunas, uint8_t coluna_ini, uint8_t coluna_fim);
    void ef_desloca_direita(uint8_t colunas, uint8_t coluna_ini, uint8_t coluna_fim);
    void ef_desloca_linha_esquerda(uint8_t colunas, uint8_t linhas);
    void ef_desloca_linha_direita(uint8_t colunas, uint8_t linhas);
    void ef_desloca_baixo(uint8_t coluna_ini, uint8_t coluna_fim, uint8_t linhas_congeladas,
                          uint8_t linhas_somativas);
    void ef_desloca_cima(uint8_t coluna_ini, uint8_t coluna_fim, uint8_t linhas_congeladas,
                         uint8_t linhas_somativas);
    void ef_imprime_desenho(uint8_t posicx, uint8_t posicy, uint8_t tamdesenho, uint8_t na_frente);

    // ---- entry routines ----
    void ef_e_rola_da_direita();
    void ef_e_rola_da_esquerda();
    void ef_e_abre();
    void ef_e_acendendo_da_direita();
    void ef_e_acendendo_da_esquerda();
    void ef_e_aparece();
    void ef_e_aparece_de_baixo();
    void ef_e_aparece_de_cima();
    void ef_e_cai_tijolo();
    void ef_e_cascata();
    void ef_e_chove_pixels();
    void ef_e_desce();
    void ef_e_encolhe();
    void ef_e_esmagar();
    void ef_e_estica();
    void ef_e_fecha();
    void ef_e_grade_abre();
    void ef_e_grade_sobe_desce();
    void ef_e_laser();
    void ef_e_laser2();
    void ef_e_mar_pixels();
    void ef_e_preenche_pixels();
    void ef_e_reparte_abre();
    void ef_e_reparte_sobe_desce();
    void ef_e_rola_linhas();
    void ef_e_sobe();
    void ef_e_sobe_onda();
    void ef_e_tetris1();
    void ef_e_tetris2();
    void ef_es_pisca();
    void ef_es_pisca_inverte();
    void ef_e_come_come(uint8_t posic_desenho, uint8_t tempo_frame);

    // ---- exit routines ----
    void ef_s_rola_da_direita();
    void ef_s_rola_da_esquerda();
    void ef_s_abre();
    void ef_s_acendendo_da_direita();
    void ef_s_acendendo_da_esquerda();
    void ef_s_aparece();
    void ef_s_aparece_de_baixo();
    void ef_s_aparece_de_cima();
    void ef_s_cai_tijolo();
    void ef_s_cascata();
    void ef_s_chove_pixels();
    void ef_s_desce();
    void ef_s_encolhe();
    void ef_s_esmagar();
    void ef_s_estica();
    void ef_s_fecha();
    void ef_s_grade_abre();
    void ef_s_grade_sobe_desce();
    void ef_s_laser();
    void ef_s_laser2();
    void ef_s_mar_pixels();
    void ef_s_preenche_pixels();
    void ef_s_reparte_abre();
    void ef_s_reparte_sobe_desce();
    void ef_s_rola_linhas();
    void ef_s_sobe();
    void ef_s_sobe_onda();
    void ef_s_tetris1();
    void ef_s_tetris2();
    void ef_s_come_come(uint8_t posic_desenho, uint8_t tempo_frame);

  private:
    struct SegmentLayout {
        bool empty = true;     // nothing to show: the line is finished
        bool finished = false; // the segment runs to the end of the line
        int32_t P = 0;         // byte after the last one rendered
        int32_t B = 0;         // last byte of the segment
        int BW = 0;            // width of the segment (64 or more: it scrolls)
        int S = 0;             // start column
        int font = 1;          // font in force after the render pass
        int j = 0;             // columns of the last item already placed
    };
    SegmentLayout composeAux(uint8_t fonte);
    uint8_t readByte(int32_t pos) const;
    void takeLine(int index);
    void squeezePass(std::array<uint8_t, 64>& b) const;
    void scrollStep(uint8_t column);

    const LineSource& lines_;
    GlyphRenderer& glyphs_;
    const Clock& clock_;
    FrameSink* sink_ = nullptr;
};

} // namespace vorelux::preview
