// gif-size [FILE.vpg --page P]
//
// Exports pages as GIFs at the default scale (both looks) and compares each
// file with what `gifsicle -O3` makes of it; prints the export's speed
// against real time and its timing: the smallest delay, the worst distance
// of a running sum of delays from the panel's time, the total against the
// page's duration, and how long a browser (which raises delays under 2 cs
// to 10 cs) plays it. For comparison the last columns give the browser
// duration of the old timing (every distinct frame its own rounded delay).
// Without a file it uses three built-in pages.
#include "files/file_io.h"
#include "files/page_file.h"
#include "preview/gif_export.h"
#include "preview/page_player.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using namespace vorelux;

namespace {

struct NamedPage {
    std::string name;
    std::vector<LineStream> lines;
};

LineStream textLine(int entry, int exit, const std::string& text) {
    LineStream line;
    line.reserve(HeaderSize + text.size());
    line.assign({LineStart, effectByte(entry), effectByte(exit)});
    line.insert(line.end(), text.begin(), text.end());
    return line;
}

std::vector<NamedPage> builtInPages() {
    NamedPage all{"all effects", {}};
    for (int n = 1; n <= 61; ++n)
        all.lines.push_back(textLine(n, n % 61 + 1, "EF " + std::to_string(n)));
    NamedPage scroll{"scroll", {}};
    scroll.lines.push_back(textLine(1, 1,
                                    "PROMOCAO DA SEMANA: PAO FRANCES A 12,90 O QUILO, "
                                    "LEITE A 5,49 E CAFE A 18,90. ABERTO DAS 7 AS 21 H"));
    NamedPage shop{"shop", {}};
    const char* texts[] = {"BOM DIA",     "PADARIA CENTRAL", "PAO QUENTINHO TODA HORA",
                           "CAFE 18,90",  "BOLO DE MILHO",   "ACEITAMOS CARTOES",
                           "VOLTE SEMPRE"};
    const int effects[][2] = {{3, 16}, {10, 22}, {2, 1}, {32, 47}, {9, 28}, {1, 1}, {30, 31}};
    for (size_t i = 0; i < std::size(texts); ++i)
        shop.lines.push_back(textLine(effects[i][0], effects[i][1], texts[i]));
    return {all, scroll, shop};
}

// Feeds the writer and keeps the panel's frame ends.
class TeeSink final : public preview::FrameSink {
  public:
    explicit TeeSink(preview::GifPreviewWriter& writer) : writer_(writer) {}
    bool show(const PanelImage& screen, uint8_t cycles) override {
        if (cycles > 0) {
            cycles_ += cycles;
            ends.push_back(double(cycles_) * 8.0 / 7.0);
            if (screen != last_ || ends.size() == 1) {
                // The old timing: each distinct frame its carried rounded delay.
                const long end = preview::cyclesToCentiseconds(cycles_ - cycles);
                if (ends.size() > 1) oldDelays.push_back(int(end - oldEnd_));
                oldEnd_ = end;
                last_ = screen;
            }
        }
        return writer_.show(screen, cycles);
    }
    void close() { oldDelays.push_back(int(preview::cyclesToCentiseconds(cycles_) - oldEnd_)); }
    std::vector<double> ends;
    std::vector<int> oldDelays;

  private:
    preview::GifPreviewWriter& writer_;
    long cycles_ = 0;
    long oldEnd_ = 0;
    PanelImage last_{};
};

// The delays of a GIF file's frames, read from its control extensions.
std::vector<int> readDelays(const std::vector<uint8_t>& gif) {
    std::vector<int> delays;
    for (size_t i = 0; i + 7 < gif.size(); ++i)
        if (gif[i] == 0x21 && gif[i + 1] == 0xF9 && gif[i + 2] == 4 && gif[i + 7] == 0)
            delays.push_back(gif[i + 4] | (gif[i + 5] << 8));
    return delays;
}

double browserSeconds(const std::vector<int>& delays) {
    long cs = 0;
    for (int d : delays) cs += d < 2 ? 10 : d;
    return double(cs) / 100.0;
}

void report(const NamedPage& page, preview::LedLook look, const std::string& dir) {
    const std::string path = dir + "/page.gif", optimised = dir + "/page-O3.gif";
    preview::VectorLineSource source(page.lines);
    GlyphRenderer glyphs;
    FixedClock clock;
    preview::GifPreviewWriter writer;
    std::string error;
    if (!writer.open(path, 10, error, look)) {
        std::fprintf(stderr, "gif-size: %s\n", error.c_str());
        std::exit(1);
    }
    TeeSink sink(writer);
    const auto start = std::chrono::steady_clock::now();
    preview::runPage(source, glyphs, clock, sink, {.rounds = 1});
    if (!writer.finish(error)) {
        std::fprintf(stderr, "gif-size: %s\n", error.c_str());
        std::exit(1);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    sink.close();
    const std::string command = "gifsicle -O3 '" + path + "' -o '" + optimised + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "gif-size: gifsicle failed (apt-get install gifsicle)\n");
        std::exit(1);
    }
    const double ours = double(std::filesystem::file_size(path));
    const double theirs = double(std::filesystem::file_size(optimised));

    std::vector<uint8_t> bytes;
    readWholeFile(path, bytes, error, size_t(1) << 30);
    const std::vector<int> delays = readDelays(bytes);
    double worst = 0;
    long sum = 0;
    for (int d : delays) {
        sum += d;
        const auto near = std::lower_bound(sink.ends.begin(), sink.ends.end(), double(sum) - 1.5);
        double best = 1e9;
        for (auto it = near; it != sink.ends.end() && *it <= double(sum) + 1.5; ++it)
            best = std::min(best, std::abs(*it - double(sum)));
        worst = std::max(worst, best);
    }
    const double nominal = sink.ends.empty() ? 0 : sink.ends.back() / 100.0;
    std::printf("%-12s %-4s %6.1f s %9.0f %9.0f %6.3f %7.0fx | %5zu frames min %d cs worst "
                "%.2f cs total %+.2f cs browser %+5.1f%% | old browser %+6.1f%%\n",
                page.name.c_str(), look == preview::LedLook::Dots ? "dots" : "grid", nominal, ours,
                theirs, ours / theirs, nominal / seconds, delays.size(),
                delays.empty() ? 0 : *std::min_element(delays.begin(), delays.end()), worst,
                double(sum) - nominal * 100.0, 100.0 * (browserSeconds(delays) / nominal - 1.0),
                100.0 * (browserSeconds(sink.oldDelays) / nominal - 1.0));
}

} // namespace

int main(int argc, char** argv) {
    std::vector<NamedPage> pages;
    if (argc == 4 && std::string(argv[2]) == "--page") {
        std::vector<uint8_t> data;
        std::string error;
        const int page = std::atoi(argv[3]);
        if (page < 1 || page > PageCount ||
            !readWholeFile(argv[1], data, error, PageFileSizeLimit)) {
            std::fprintf(stderr, "gif-size: cannot read %s page %s\n", argv[1], argv[3]);
            return 1;
        }
        const DecodedPageFile decoded = decodePageFile(data);
        if (!decoded.ok) {
            std::fprintf(stderr, "gif-size: %s\n", decoded.problem.c_str());
            return 1;
        }
        pages.push_back({argv[1], decoded.pages[size_t(page - 1)]});
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: gif-size [FILE.vpg --page P]\n");
        return 2;
    } else {
        pages = builtInPages();
    }
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("gif-size-" + std::to_string(::getpid())))
            .string();
    std::filesystem::create_directories(dir);
    std::printf("%-12s %-4s %8s %9s %9s %6s %8s\n", "page", "look", "length", "ours", "O3", "ratio",
                "speed");
    for (const NamedPage& page : pages)
        for (preview::LedLook look : {preview::LedLook::Dots, preview::LedLook::Grid})
            report(page, look, dir);
    std::filesystem::remove_all(dir);
    return 0;
}
