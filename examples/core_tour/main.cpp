// A tour of the core with no window and no prompter: loads a page file, adds
// a word to the first line of page 1, plays that page's preview into a text
// sink, and uploads it to a panel on a serial device (for instance the
// pseudo-terminal of `vorelux-panel --pty`).
//
//   core_tour PAGE_FILE DEVICE [PANEL]
//
// Links the core libraries only: model, render, files, preview and link.
#include "posix_serial_port.h"

#include "files/page_file.h"
#include "link/panel_link.h"
#include "link/random_range.h"
#include "link/simulated.h"
#include "link/sleeper.h"
#include "link/transmitter.h"
#include "link/upload.h"
#include "model/store.h"
#include "preview/page_player.h"
#include "render/clock.h"
#include "render/glyphs.h"

#include <cstdio>
#include <iostream>
#include <string>

using namespace vorelux;

namespace {

constexpr int TourPage = 0;        // page 1 on the screen
constexpr uint8_t EveryPage = 255; // the page-file mask that reads all eight pages

// Counts the frames of a preview and keeps the fullest one, to print it.
class TextSink : public preview::FrameSink {
  public:
    bool show(const PanelImage& screen, uint8_t cycles) override {
        ++frames;
        totalCycles += cycles;
        if (litLeds(screen) >= litLeds(fullest)) fullest = screen;
        return true;
    }
    void print() const {
        for (int row = PanelLastRow; row >= 0; --row) { // bit 6 is the top row
            std::string text;
            for (int column = 0; column < PanelColumns; ++column)
                text += (fullest[size_t(column)] >> row) & 1 ? '#' : '.';
            std::cout << text << '\n';
        }
    }
    int frames = 0;
    long totalCycles = 0;

  private:
    static int litLeds(const PanelImage& screen) {
        int lit = 0;
        for (int column = 0; column < PanelColumns; ++column)
            for (int row = 0; row < PanelRows; ++row) lit += (screen[size_t(column)] >> row) & 1;
        return lit;
    }
    PanelImage fullest{};
};

// Adds " OK" at the end of the first line of the tour's page.
void editFirstLine(PageStore& store) {
    store.setCurrentPage(TourPage);
    store.setEditLine(0);
    for (char c : std::string(" OK")) {
        const auto end = int32_t(store.editLine().size());
        if (!store.insertByte(uint8_t(c), end)) {
            std::cout << "a página está cheia: a linha fica como estava\n";
            return;
        }
    }
}

void playPreview(const PageStore& store) {
    preview::VectorLineSource lines(store.page(TourPage).lines());
    GlyphRenderer glyphs;
    FixedClock clock({2026, 12, 11, 9, 30, 0});
    TextSink sink;
    preview::PlayOptions options;
    options.rounds = 1;
    if (preview::runPage(lines, glyphs, clock, sink, options) ==
        preview::RunResult::NothingToPlay) {
        std::cout << "prévia: a página está vazia\n";
        return;
    }
    std::cout << "prévia: " << sink.frames << " quadros, " << sink.totalCycles * 8 / 700
              << " s; o quadro mais aceso:\n";
    sink.print();
}

bool upload(const PageStore& store, const std::string& device, int panel) {
    ConnectionSettingsStore settings;
    settings.setPortNumber(1);
    settings.setTargetPanels({uint8_t(panel)});
    StaticPortCatalog catalog;
    catalog.add(settings.get().portNumber, device);
    example::PosixSerialPort port;
    ThreadSleeper sleeper;
    SimulatedHidBus noTransmitter; // no USB transmitter: the serial port is used
    Transmitter transmitter(noTransmitter, settings);
    PanelLink link(settings, catalog, port, transmitter, sleeper);
    StdRandomRange random;
    const UploadResult result = sendPages(link, random, uploadJobs(store.pages(), {TourPage}),
                                          runTargets(settings.get().targetPanels));
    if (result.status != UploadStatus::Done || result.sent.empty()) {
        std::cerr << "envio: " << (result.message.empty() ? result.error : result.message) << '\n';
        return false;
    }
    std::cout << "envio: página " << TourPage + 1 << " enviada ao painel " << panel << '\n';
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::cerr << "uso: core_tour ARQUIVO DISPOSITIVO [PAINEL]\n";
        return 2;
    }
    const int panel = argc == 4 ? std::atoi(argv[3]) : 0;
    if (panel < 0 || panel > 255) {
        std::cerr << "painel: de 0 (todos) a 255\n";
        return 2;
    }
    PageStore store;
    std::string error;
    if (!loadPageFile(store, argv[1], EveryPage, error)) {
        std::cerr << error << '\n';
        return 1;
    }
    editFirstLine(store);
    playPreview(store);
    return upload(store, argv[2], panel) ? 0 : 1;
}
