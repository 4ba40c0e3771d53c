// bench_panel_flood [megabytes]: floods the virtual panel (its host and its
// window, on the offscreen platform unless QT_QPA_PLATFORM says otherwise)
// through its pseudo-terminal as fast as the line takes bytes: first line
// noise with a frame now and then, then nothing but parameter frames. Prints
// how long reading and decoding it all took, the longest the event loop went
// without a turn (what a person at the window would feel) and how much the
// program's resident memory grew. However fast the bytes come, the longest
// turn should stay a few tens of milliseconds and the memory flat.
#include "panel_host.h"
#include "panel_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

Bytes noiseWithFrames(size_t size) {
    std::mt19937 rng(99);
    Bytes b;
    while (b.size() < size) {
        for (int k = 0; k < 4000; ++k) b.push_back(uint8_t(rng()));
        b.insert(b.end(), {5, 98, 10, uint8_t(2 + rng() % 29)});
        b.insert(b.end(), {5, 150, 4, 0xFF, 192, 192, 'R', 'U', 'I', 'D', 'O', 16});
    }
    return b;
}

Bytes parameterFrames(size_t size) {
    Bytes b;
    for (uint8_t v = 0; b.size() < size; ++v) b.insert(b.end(), {4, 98, 10, uint8_t(2 + v % 29)});
    return b;
}

bool writeAll(int fd, const Bytes& b) {
    for (size_t at = 0; at < b.size();) {
        const ssize_t n = ::write(fd, b.data() + at, std::min<size_t>(b.size() - at, 65536));
        if (n > 0) {
            at += size_t(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 50);
        }
    }
    return true;
}

struct Result {
    bool done = false;
    double seconds = 0;
    qint64 longestTurnMs = 0;
    long grewKiB = 0;
};

Result run(const Bytes& flood) {
    using namespace vorelux::panel;
    PanelHost host(4);
    PanelWindow window(host);
    window.show();
    QString error;
    if (!host.input().openPty(error)) {
        std::fprintf(stderr, "bench_panel_flood: no pseudo-terminal: %s\n", qPrintable(error));
        std::exit(1);
    }
    const int fd = ::open(host.input().slavePath().toLocal8Bit().constData(),
                          O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) std::exit(1);

    Result r;
    const long startKiB = residentKiB();
    long mostKiB = startKiB;
    size_t received = 0;
    QElapsedTimer clock;
    QObject::connect(&host.input(), &SerialInput::bytesReceived, [&](const QByteArray& b) {
        received += size_t(b.size()); // the host has decoded them by now
        if (r.seconds == 0 && received >= flood.size())
            r.seconds = double(clock.nsecsElapsed()) / 1e9;
    });
    // A timer that wants a turn every 5 ms: the gaps between its turns.
    QEventLoop loop;
    QTimer turn;
    turn.setInterval(5);
    qint64 lastTurn = 0;
    QObject::connect(&turn, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        r.longestTurnMs = std::max(r.longestTurnMs, now - lastTurn);
        lastTurn = now;
        mostKiB = std::max(mostKiB, residentKiB());
        if (host.panel().settings().brightness == 77 || now > 600000) loop.quit();
    });
    std::atomic<bool> stop{false};
    clock.start();
    turn.start();
    std::thread writer([&] {
        if (!writeAll(fd, flood)) return;
        for (int ms = 0; ms < 800 && !stop; ms += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        writeAll(fd, {4, 98, 11, 77}); // after a silence: a frame to tell the end by
    });
    loop.exec();
    stop = true;
    writer.join();
    ::close(fd);
    r.done = host.panel().settings().brightness == 77;
    r.grewKiB = mostKiB - startKiB;
    return r;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 4.0;
    if (megabytes <= 0) {
        std::fprintf(stderr, "usage: bench_panel_flood [megabytes]\n");
        return 2;
    }
    const auto size = size_t(megabytes * 1024 * 1024);
    std::printf("%-22s %8s %10s %12s %14s %12s\n", "flood", "MiB", "seconds", "MiB/s",
                "longest turn", "memory grew");
    const std::pair<const char*, Bytes> floods[] = {{"noise and frames", noiseWithFrames(size)},
                                                    {"parameter frames", parameterFrames(size)}};
    for (const auto& [what, bytes] : floods) {
        const Result r = run(bytes);
        if (!r.done) {
            std::printf("%-22s %8.1f    not decoded within 10 minutes\n", what,
                        double(bytes.size()) / 1048576.0);
            continue;
        }
        std::printf("%-22s %8.1f %10.2f %12.2f %11lld ms %9ld KiB\n", what,
                    double(bytes.size()) / 1048576.0, r.seconds,
                    double(bytes.size()) / 1048576.0 / r.seconds,
                    static_cast<long long>(r.longestTurnMs), r.grewKiB);
    }
    return 0;
}
