// preview-timing FILE.vpg --page P [--rounds N]
//
// Plays page P of a page file N rounds (default 1) through the preview host
// the main window uses (the same worker thread and absolute-deadline pacing
// on the steady clock), with frames delivered to the event loop and not
// painted. Prints the nominal duration (cycles x 8/700 s), the measured one,
// their ratio and the process CPU time over the play; the last line reads
// "ratio <measured/nominal> cpu <cpu time/wall time>".
#include "app/preview_host.h"
#include "files/page_file.h"
#include "model/store.h"

#include <QCoreApplication>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace vorelux;

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

int usage() {
    std::fprintf(stderr, "usage: preview-timing FILE.vpg --page P [--rounds N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::string file;
    long page = 1, rounds = 1;
    for (int i = 1; i < argc; ++i) {
        auto number = [&](long& out, long lo, long hi) {
            if (i + 1 >= argc) return false;
            char* end = nullptr;
            out = std::strtol(argv[++i], &end, 10);
            return *end == '\0' && out >= lo && out <= hi;
        };
        if (std::strcmp(argv[i], "--page") == 0) {
            if (!number(page, 1, PageCount)) return usage();
        } else if (std::strcmp(argv[i], "--rounds") == 0) {
            if (!number(rounds, 1, 1000)) return usage();
        } else if (file.empty() && argv[i][0] != '-') {
            file = argv[i];
        } else {
            return usage();
        }
    }
    if (file.empty()) return usage();

    PageStore store;
    std::string error;
    if (!loadPageFile(store, file, 255, error)) {
        std::fprintf(stderr, "preview-timing: %s\n", error.c_str());
        return 1;
    }
    std::vector<LineStream> lines = store.page(page - 1).lines();

    app::PreviewHost host;
    uint64_t frames = 0;
    host.onFrame = [&](const PanelImage&, uint8_t) { ++frames; };
    using Steady = std::chrono::steady_clock;
    Steady::time_point end;
    host.onFinished = [&](preview::RunResult) {
        end = Steady::now();
        app.quit();
    };
    const double cpuStart = cpuSeconds();
    const Steady::time_point start = Steady::now();
    if (!host.start(std::move(lines), int(rounds))) {
        std::fprintf(stderr, "preview-timing: page %ld has nothing to show\n", page);
        return 1;
    }
    app.exec();
    const double cpu = cpuSeconds() - cpuStart;
    const double measured = std::chrono::duration<double>(end - start).count();
    const double nominal = double(host.cyclesPaced()) * 8.0 / 700.0;
    std::printf("page %ld, %ld round(s), %llu frames, %llu cycles\n", page, rounds,
                static_cast<unsigned long long>(frames),
                static_cast<unsigned long long>(host.cyclesPaced()));
    std::printf("nominal duration  %.4f s\n", nominal);
    std::printf("measured duration %.4f s\n", measured);
    std::printf("process CPU time  %.4f s\n", cpu);
    std::printf("ratio %.4f cpu %.4f\n", nominal > 0 ? measured / nominal : 0.0,
                measured > 0 ? cpu / measured : 0.0);
    return 0;
}
