// bench_panel_player [seconds per speed]: plays a page on the virtual panel's
// player at speeds 2, 9 and 30 and prints the measured cycle length against
// the nominal one (8/700 s x speed / 9), and the frames shown per second.
// The player waits for absolute deadlines, so the error should stay within a
// few milliseconds over the whole run, whatever the speed.
#include "panel.h"
#include "panel_player.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    using namespace vorelux;
    using namespace vorelux::panel;
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: bench_panel_player [seconds per speed]\n");
        return 2;
    }
    PanelClock clock;
    Panel panel(1, clock);
    // Scrolling text (effect 1 both ways) and a held segment with effects.
    std::vector<uint8_t> page = {0xFF, 192, 192};
    for (char c : std::string("VORELUX PAINEL VIRTUAL 0123456789")) page.push_back(uint8_t(c));
    page.insert(page.end(), {0xFF, 197, 203, 'O', 'L', 'A'});
    panel.apply(PageFrame{1, 0, page, 16});

    std::printf("%6s %12s %12s %10s %12s\n", "speed", "nominal ms", "measured ms", "error %",
                "frames/s");
    for (int speed : {2, 9, 30}) {
        panel.apply(ParameterFrame{1, 10, uint8_t(speed)});
        PanelPlayer player(panel, [](const PanelImage&) {});
        player.start();
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // let it settle
        const auto t0 = std::chrono::steady_clock::now();
        const uint64_t c0 = player.cyclesShown(), f0 = player.framesShown();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        const auto t1 = std::chrono::steady_clock::now();
        const uint64_t c1 = player.cyclesShown(), f1 = player.framesShown();
        player.stop();
        const double elapsed = std::chrono::duration<double>(t1 - t0).count();
        const double nominal = PanelPlayer::cycleSeconds(speed) * 1000.0;
        const double measured = c1 > c0 ? elapsed * 1000.0 / double(c1 - c0) : 0.0;
        std::printf("%6d %12.3f %12.3f %10.2f %12.1f\n", speed, nominal, measured,
                    nominal > 0 ? 100.0 * (measured - nominal) / nominal : 0.0,
                    double(f1 - f0) / elapsed);
    }
    return 0;
}
