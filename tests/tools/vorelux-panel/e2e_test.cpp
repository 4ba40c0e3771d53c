// End to end: the editor's own sending code (sendParameter, the page upload)
// writes through the real QSerialPort into a pseudo-terminal; on the other
// side a virtual panel decodes what arrives. In process (the panel's host on
// this thread's event loop) and as the real `vorelux-panel --headless --log`.
#include "link/panel_link.h"
#include "link/simulated.h"
#include "link/upload.h"
#include "panel_host.h"
#include "support/operator_fakes.h"
#include "support/recording_prompter.h"
#include "transport/qt_serial.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <random>
#include <thread>
#include <unistd.h>

#ifndef VORELUX_PANEL_EXE
#error "VORELUX_PANEL_EXE must name the vorelux-panel program"
#endif

namespace vorelux::panel {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::CountingConfigurator;
using testing::RecordingPrompter;
using testing::ReportingTransmitter;

constexpr int PanelCom = 150; // the port number the editor is given for the panel

// Lets the event loop run until `done` holds or `ms` pass.
bool pumpUntil(const std::function<bool()>& done, int ms = 15000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

// The editor's side of the wire: the real serial port, port list and sendParameter.
struct Editor {
    ConnectionSettingsStore connection;
    const ConnectionSettings& cfg = connection.get();
    QtPortCatalog catalog;
    QtSerialPort port;
    RecordingSleeper quick; // no pauses: the in-process panel reads when the send is over
    ThreadSleeper paced;    // the real pauses, for a panel in its own process
    RecordingPrompter prompter;
    SimulatedHidBus bus;
    ReportingTransmitter transmitter{bus, connection, prompter};
    std::unique_ptr<OperatorLink> link;
    FixedRandomRange random{{150}};

    Editor(const QString& device, bool realPauses) {
        catalog.registerPort(PanelCom, device.toStdString(), "painel virtual");
        connection.setTransport(Transport::Serial);
        connection.setPortNumber(PanelCom);
        link = std::make_unique<OperatorLink>(connection, catalog, port, transmitter,
                                              realPauses ? static_cast<Sleeper&>(paced) : quick,
                                              prompter);
    }
};

// Three pages of a message: effects, fonts, drawings numbered 16 and 17 (the
// values of the frame's end byte), a live field, a second line.
std::array<Page, PageCount> messagePages() {
    std::array<Page, PageCount> control;
    control[0] = Page({{0xFF, 197, 203, 'B', 'O', 'M', ' ', 'D', 'I', 'A'},
                       {0xFF, 192, 192, 0, 'O', 'F', 'E', 'R', 'T', 'A', 31, 16, 31, 17, 26}});
    control[2] = Page({{0xFF, 230, 199, 3, 'P', 'R', 'O', 'M', 'O', 31, 253}});
    return control;
}

struct InProcess : ::testing::Test {
    PanelHost host{4};
    std::unique_ptr<Editor> editor;

    void SetUp() override {
        QString error;
        ASSERT_TRUE(host.input().openPty(error)) << error.toStdString();
        editor = std::make_unique<Editor>(host.input().slavePath(), false);
    }
    Panel& panel() { return host.panel(); }
    bool logged(const QString& text) {
        return pumpUntil([&] {
            for (const QString& l : host.lines())
                if (l.endsWith(text)) return true;
            return false;
        });
    }
    // Writes raw bytes on the editor's side of the wire (noise, a cut frame).
    void writeRaw(const Bytes& bytes) {
        const int fd =
            ::open(host.input().slavePath().toLocal8Bit().constData(), O_WRONLY | O_NOCTTY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        ::close(fd);
    }
};

TEST_F(InProcess, PowerNumberDisplayAndPagesToDisplayFromParSend) {
    PanelLink& link = *editor->link;
    for (int p : {0, 1, 2}) panel().apply(PageFrame{4, uint8_t(p), {0xFF, 192, 192, 'X'}, 16});

    ASSERT_EQ(link.sendParameter(0, 4, 0b101), SendOk);
    ASSERT_TRUE(logged("parâmetro 0 = 5 (painel 4): páginas exibidas: 1, 3"));
    EXPECT_EQ(panel().plan().pages, (std::vector<int>{0, 2}));

    ASSERT_EQ(link.sendParameter(252, 4, 0), SendOk);
    ASSERT_TRUE(logged("parâmetro 252 = 0 (painel 4): desligado"));
    EXPECT_EQ(panel().plan().kind, DisplayPlan::Kind::Off);

    // The panel-number display: 254 to every panel, later 255 to every panel.
    ASSERT_EQ(link.sendParameter(254, 0, 0), SendOk);
    ASSERT_TRUE(logged("exibindo o número do painel: 4"));
    EXPECT_EQ(panel().plan(), (DisplayPlan{DisplayPlan::Kind::PanelNumber, 4, {}}));
    ASSERT_EQ(link.sendParameter(255, 0, 0), SendOk);
    ASSERT_TRUE(logged("parâmetro 255 = 0 (painel 0): ligado, exibição normal"));
    EXPECT_EQ(panel().plan().pages, (std::vector<int>{0, 2}));

    // Another panel's command is heard and ignored.
    ASSERT_EQ(link.sendParameter(252, 5, 0), SendOk);
    ASSERT_TRUE(logged("parâmetro 252 = 0 (painel 5): para outro painel, ignorado"));
    EXPECT_TRUE(panel().settings().powered);
}

TEST_F(InProcess, UploadedPagesAreStoredByteForByte) {
    const std::array<Page, PageCount> control = messagePages();
    // Targets 3, 4 and 9: every frame crosses the wire, the panel keeps its own.
    const UploadResult r =
        sendPages(*editor->link, editor->random, uploadJobs(control, {0, 1, 2}), {3, 4, 9});
    ASSERT_EQ(r.status, UploadStatus::Done);
    EXPECT_EQ(r.skipped, std::vector<int>{1});
    ASSERT_TRUE(logged("página 3 (painel 9, fim 16): para outro painel, ignorada"));
    const PanelSettings s = panel().settings();
    EXPECT_EQ(s.pages[0], pageContent(control[0]));
    EXPECT_EQ(s.pages[2], pageContent(control[2]));
    EXPECT_TRUE(s.pages[1].empty());
    EXPECT_EQ(s.selectedPage, 0); // the display selector's page ends with 17
    EXPECT_EQ(panel().plan().pages, (std::vector<int>{0, 2}));
    int stored = 0;
    for (const QString& l : host.lines()) stored += l.contains("(painel 4") ? 1 : 0;
    EXPECT_EQ(stored, 2);

    // Cleared: one empty line replaces the page.
    ASSERT_EQ(sendPages(*editor->link, editor->random, clearJobs({2}), {0}).status,
              UploadStatus::Done);
    ASSERT_TRUE(logged("página 3 (painel 0, fim 16): apagada"));
    EXPECT_EQ(panel().settings().pages[2], clearedPageContent());
    EXPECT_EQ(panel().plan().pages, (std::vector<int>{0}));
}

TEST_F(InProcess, NoiseAndACutOffFrameDoNotDesynchroniseThePanel) {
    writeRaw({0x55, 0xAA, 0x00, '\n', 98, 150});
    ASSERT_EQ(editor->link->sendParameter(11, 4, 40), SendOk);
    ASSERT_TRUE(logged("parâmetro 11 = 40 (painel 4): brilho: 40"));
    writeRaw({4, 150, 5, 0xFF, 192, 192, 'C', 'O', 'R'}); // a page cut off mid-way
    ASSERT_TRUE(logged("quadro incompleto descartado (9 bytes)"));
    const std::array<Page, PageCount> control = messagePages();
    ASSERT_EQ(sendPages(*editor->link, editor->random, uploadJobs(control, {2}), {4}).status,
              UploadStatus::Done);
    ASSERT_TRUE(logged("página 3 (painel 4, fim 16): gravada, 1 linha, 11 bytes"));
    EXPECT_EQ(panel().settings().pages[2], pageContent(control[2]));
    EXPECT_TRUE(panel().settings().pages[2 + 0].size() == 11);
    EXPECT_TRUE(panel().settings().pages[3].empty()); // the cut page was not stored
    EXPECT_EQ(panel().settings().brightness, 40);
}

// A few megabytes as a line full of interference brings them: random bytes,
// and now and then a frame for panel 5.
Bytes flood(size_t size) {
    std::mt19937 rng(99);
    Bytes b;
    while (b.size() < size) {
        for (int k = 0; k < 4000; ++k) b.push_back(uint8_t(rng()));
        b.insert(b.end(), {5, 98, 10, uint8_t(2 + rng() % 29)});
        b.insert(b.end(), {5, 150, 4, 0xFF, 192, 192, 'R', 'U', 'I', 'D', 'O', 16});
    }
    return b;
}

// Writes a flood into one end of a line as fast as the line takes it, from a
// thread of its own while the test's event loop lets the panel read; then the
// line falls silent for longer than a frame may pause, and `last` follows.
class Flooder {
  public:
    Flooder(int fd, Bytes bytes, Bytes last) : fd_(fd) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        thread_ = std::thread([this, bytes = std::move(bytes), last = std::move(last)] {
            if (!writeAll(bytes)) return;
            for (int ms = 0; ms < DefaultFrameTimeoutMs + 300 && !stop_; ms += 10)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            writeAll(last);
        });
    }
    ~Flooder() {
        stop_ = true;
        thread_.join();
    }

  private:
    bool writeAll(const Bytes& b) {
        for (size_t at = 0; at < b.size();) {
            if (stop_) return false;
            const ssize_t n = ::write(fd_, b.data() + at, std::min<size_t>(b.size() - at, 65536));
            if (n > 0) {
                at += size_t(n);
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                return false;
            } else {
                pollfd p{fd_, POLLOUT, 0};
                ::poll(&p, 1, 50);
            }
        }
        return true;
    }

    int fd_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST(InputFlood, ReadInBoundedPiecesKeepingLittleAndTheFrameAfterItDecodes) {
    struct Case {
        const char* what;
        bool pty;
    };
    for (const Case c : {Case{.what = "pseudo-terminal", .pty = true},
                         Case{.what = "serial device", .pty = false}}) {
        SCOPED_TRACE(c.what);
        PanelHost host{4};
        QString error;
        int writeFd = -1, master = -1, slave = -1;
        if (c.pty) {
            ASSERT_TRUE(host.input().openPty(error)) << error.toStdString();
            writeFd = ::open(host.input().slavePath().toLocal8Bit().constData(),
                             O_WRONLY | O_NOCTTY | O_CLOEXEC);
        } else {
            char name[256] = {};
            ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
            ASSERT_TRUE(host.input().openDevice(QString::fromLocal8Bit(name), error))
                << error.toStdString();
            writeFd = master;
        }
        ASSERT_GE(writeFd, 0);
        qsizetype largestRead = 0;
        size_t received = 0;
        QObject::connect(&host.input(), &SerialInput::bytesReceived, [&](const QByteArray& b) {
            largestRead = std::max(largestRead, b.size());
            received += size_t(b.size());
        });
        const Bytes bytes = flood(4 << 20);
        qsizetype mostLines = 0;
        size_t mostPending = 0, mostStorage = 0;
        bool decoded = false;
        {
            Flooder flooder(writeFd, bytes, {4, 98, 11, 77});
            decoded = pumpUntil(
                [&] {
                    mostLines = std::max(mostLines, host.lines().size());
                    mostPending = std::max(mostPending, host.panel().decoder().pending());
                    mostStorage = std::max(mostStorage, host.panel().decoder().storage());
                    return host.panel().settings().brightness == 77;
                },
                120000);
        }
        EXPECT_TRUE(decoded);
        EXPECT_EQ(received, bytes.size() + 4);
        EXPECT_LE(largestRead, SerialInput::ReadChunk);
        EXPECT_LE(mostLines, PanelHost::LogCapacity);
        EXPECT_LT(mostPending, MaxFrameBytes);
        EXPECT_LE(mostStorage, MaxFrameBytes + DecodeSlice);
        ASSERT_FALSE(host.lines().isEmpty());
        EXPECT_TRUE(host.lines().last().endsWith("parâmetro 11 = 77 (painel 4): brilho: 77"))
            << host.lines().last().toStdString();
        if (c.pty) {
            ::close(writeFd);
        } else {
            ::close(master);
            ::close(slave);
        }
    }
}

// The real program, spawned as scripts run it.
struct Spawned : ::testing::Test {
    QProcess process;
    QString device;
    QStringList out;

    void start(const QStringList& args) {
        process.start(QStringLiteral(VORELUX_PANEL_EXE), args);
        ASSERT_TRUE(process.waitForStarted(15000));
        ASSERT_TRUE(pumpUntil([&] { return process.canReadLine(); }, 15000))
            << process.readAllStandardError().toStdString();
        const QString first = QString::fromUtf8(process.readLine()).trimmed();
        ASSERT_TRUE(first.startsWith("pty /dev/")) << first.toStdString();
        device = first.section(' ', 1, 1);
    }
    void TearDown() override {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(15000)) process.kill();
        }
    }
    bool sawLine(const QString& text, int ms = 15000) {
        return pumpUntil(
                   [&] {
                       while (process.canReadLine())
                           out << QString::fromUtf8(process.readLine()).trimmed();
                       for (const QString& l : out)
                           if (l.endsWith(text)) return true;
                       return false;
                   },
                   ms) ||
               (ADD_FAILURE() << "not seen: " << text.toStdString() << "\nseen:\n"
                              << out.join('\n').toStdString()
                              << process.readAllStandardError().toStdString(),
                false);
    }
};

TEST_F(Spawned, HeadlessPanelLogsWhatTheEditorSendsAtTheRealPace) {
    start({"--id", "7", "--pty", "--headless", "--log"});
    ASSERT_TRUE(sawLine("painel 7 ouvindo em " + device));
    Editor editor(device, true);
    std::array<Page, PageCount> control = messagePages();
    control[0] = Page({control[0].line(0)});
    ASSERT_EQ(sendPages(*editor.link, editor.random, uploadJobs(control, {0}), {7}).status,
              UploadStatus::Done);
    EXPECT_TRUE(sawLine(
        "página 1 (painel 7, fim 17): gravada, 1 linha, 10 bytes, escolhida para exibição"));
    ASSERT_EQ(editor.link->sendParameter(0, 7, 1), SendOk);
    EXPECT_TRUE(sawLine("parâmetro 0 = 1 (painel 7): páginas exibidas: 1"));
    ASSERT_EQ(editor.link->sendParameter(254, 0, 0), SendOk);
    EXPECT_TRUE(sawLine("parâmetro 254 = 0 (painel 0): exibindo o número do painel: 7"));
    ASSERT_EQ(editor.link->sendParameter(13, 7, 12), SendOk);
    EXPECT_TRUE(sawLine("número do painel: 7 -> 12"));
    ASSERT_EQ(editor.link->sendParameter(252, 7, 0), SendOk); // the old number is gone
    EXPECT_TRUE(sawLine("parâmetro 252 = 0 (painel 7): para outro painel, ignorado"));
    ASSERT_EQ(editor.link->sendParameter(255, 0, 0), SendOk);
    EXPECT_TRUE(sawLine("parâmetro 255 = 0 (painel 0): ligado, exibição normal"));

    process.terminate();
    ASSERT_TRUE(process.waitForFinished(15000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

TEST_F(Spawned, ListensOnASerialDeviceGivenByPath) {
    // The test holds the line's far end: a pseudo-terminal stands in for the cable.
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    fcntl(master, F_SETFD, FD_CLOEXEC); // the panel must not hold the test's end
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    process.start(QStringLiteral(VORELUX_PANEL_EXE),
                  {"--port", QString::fromLocal8Bit(name), "--id", "3", "--headless", "--log"});
    ASSERT_TRUE(process.waitForStarted(15000));
    ASSERT_TRUE(sawLine(QStringLiteral("painel 3 ouvindo em %1 (9600 8N1)").arg(name)));
    const Bytes wire{0x00, 0x7F, 3, 98, 10, 30, 0, 98, 254, 0};
    ASSERT_EQ(::write(master, wire.data(), wire.size()), ssize_t(wire.size()));
    EXPECT_TRUE(sawLine("parâmetro 10 = 30 (painel 3): velocidade: 30"));
    EXPECT_TRUE(sawLine("parâmetro 254 = 0 (painel 0): exibindo o número do painel: 3"));
    EXPECT_TRUE(sawLine("ruído na linha ignorado (2 bytes)"));
    // The line goes dead (the cable pulled): told once, then the panel waits
    // for the device to come back, and still ends cleanly when asked.
    ::close(master);
    ::close(slave);
    EXPECT_TRUE(sawLine(QStringLiteral("; tentando abrir de novo")));
    EXPECT_TRUE(out.filter("perdida").size() == 1);
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(15000));
    EXPECT_EQ(process.exitCode(), 0);
}

// Resident memory of a process, in KiB (0 when unknown).
long residentKiB(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool BuiltWithAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool BuiltWithAddressSanitizer = true;
#else
constexpr bool BuiltWithAddressSanitizer = false;
#endif
#else
constexpr bool BuiltWithAddressSanitizer = false;
#endif

TEST_F(Spawned, AFloodLeavesTheHeadlessPanelSmallAndListening) {
    start({"--id", "4", "--pty", "--headless", "--log"});
    ASSERT_TRUE(sawLine("painel 4 ouvindo em " + device));
    const long startKiB = residentKiB(process.processId());
    ASSERT_GT(startKiB, 0);
    long mostKiB = startKiB;
    const int fd = ::open(device.toLocal8Bit().constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    {
        Flooder flooder(fd, flood(4 << 20), {4, 98, 11, 77});
        // Every line comes out as it is logged; the panel's memory stays put.
        EXPECT_TRUE(pumpUntil(
            [&] {
                mostKiB = std::max(mostKiB, residentKiB(process.processId()));
                while (process.canReadLine())
                    out << QString::fromUtf8(process.readLine()).trimmed();
                return !out.isEmpty() &&
                       out.last().endsWith("parâmetro 11 = 77 (painel 4): brilho: 77");
            },
            120000))
            << process.readAllStandardError().toStdString();
    }
    ::close(fd);
    EXPECT_GT(out.filter("(painel 5): para outro painel, ignorad").size(), 500);
    // AddressSanitizer holds freed memory back in its quarantine, so the
    // resident size says nothing about the panel there.
    if (!BuiltWithAddressSanitizer) {
        EXPECT_LT(mostKiB - startKiB, 16 * 1024)
            << startKiB << " KiB at the start, " << mostKiB << " KiB at most";
    }
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(15000));
    EXPECT_EQ(process.exitCode(), 0);
}

#ifdef VORELUX_TOOL
// Scripts drive a panel with the `vorelux` tool: the two programs meet on the
// panel's pseudo-terminal.
TEST_F(Spawned, TheVoreluxToolDrivesTheHeadlessPanel) {
    start({"--id", "5", "--pty", "--headless", "--log"});
    const QString dir = QDir::tempPath() + QStringLiteral("/vorelux-panel-tool-%1").arg(getpid());
    QDir().mkpath(dir);
    auto tool = [&](QStringList args) {
        args << "--port" << device << "--config" << dir + "/conn.cfg";
        QProcess p;
        p.start(QStringLiteral(VORELUX_TOOL), args);
        const bool done = p.waitForFinished(20000);
        return done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0
                   ? QString()
                   : args.join(' ') + ": " + QString::fromUtf8(p.readAllStandardError());
    };
    const QString page = dir + "/msg.vpg";
    QProcess make;
    make.start(QStringLiteral(VORELUX_TOOL), {"make", page, "--page", "2", "OLA", "MUNDO"});
    ASSERT_TRUE(make.waitForFinished(10000));
    ASSERT_EQ(make.exitCode(), 0);

    EXPECT_EQ(tool({"send", page, "--to", "5,7"}), QString());
    EXPECT_TRUE(sawLine("página 2 (painel 5, fim 16): gravada, 2 linhas, 14 bytes"));
    EXPECT_TRUE(sawLine("página 2 (painel 7, fim 16): para outro painel, ignorada"));
    EXPECT_EQ(tool({"show-pages", "2", "--to", "5"}), QString());
    EXPECT_TRUE(sawLine("parâmetro 0 = 2 (painel 5): páginas exibidas: 2"));
    EXPECT_EQ(tool({"set-clock", "--at", "2023-03-05 14:07:09", "--to", "0"}), QString());
    // The panel's clock runs from the moment its seconds are set, so on a
    // busy machine the last parameter may arrive a second or two later.
    const QString clockPrefix = "parâmetro 70 = 23 (painel 0): relógio: 05/03/23 14:07:";
    const auto clockLine = [&] {
        return std::find_if(out.begin(), out.end(),
                            [&](const QString& l) { return l.contains(clockPrefix); });
    };
    pumpUntil(
        [&] {
            while (process.canReadLine()) out << QString::fromUtf8(process.readLine()).trimmed();
            return clockLine() != out.end();
        },
        15000);
    ASSERT_NE(clockLine(), out.end()) << out.join('\n').toStdString();
    const QString line = *clockLine();
    const int seconds = line.section(':', -1).left(2).toInt();
    EXPECT_TRUE(seconds >= 9 && seconds <= 12) << line.toStdString();
    EXPECT_TRUE(line.endsWith(" DOM")) << line.toStdString();
    EXPECT_EQ(tool({"set", "temp-internal", "-5", "--to", "5"}), QString());
    EXPECT_TRUE(sawLine("parâmetro 8 = 251 (painel 5): ajuste da temperatura interna: -5 graus"));
    EXPECT_EQ(tool({"power", "off", "--to", "0"}), QString());
    EXPECT_TRUE(sawLine("parâmetro 252 = 0 (painel 0): desligado"));
    QDir(dir).removeRecursively();
}
// A send killed in the middle of a page leaves a cut frame at the panel. A
// send right after it waits for the line to be idle long enough that the
// panel drops the cut frame, instead of reading the new frame as its rest.
TEST_F(Spawned, ASendAfterAKilledOneStoresTheRightPage) {
    start({"--id", "5", "--pty", "--headless", "--log"});
    const QString dir = QDir::tempPath() + QStringLiteral("/vorelux-panel-kill-%1").arg(getpid());
    QDir().mkpath(dir);
    const auto make = [&](const QString& page, const QStringList& lines) {
        QProcess p;
        p.start(QStringLiteral(VORELUX_TOOL), QStringList{"make", page, "--page", "1"} + lines);
        return p.waitForFinished(10000) && p.exitCode() == 0;
    };
    const QString longPage = dir + "/long.vpg", shortPage = dir + "/short.vpg";
    ASSERT_TRUE(make(longPage, {QString(60, 'A'), QString(60, 'B'), QString(60, 'C')}));
    ASSERT_TRUE(make(shortPage, {"NOVA"}));
    const QStringList link{"--to", "5", "--port", device, "--config", dir + "/conn.cfg"};

    QProcess killed;
    killed.start(QStringLiteral(VORELUX_TOOL), QStringList{"send", longPage} + link);
    ASSERT_TRUE(killed.waitForStarted(10000));
    // Well into the page (about 190 bytes at 30 ms each), then gone at once.
    QThread::msleep(2000);
    killed.kill();
    ASSERT_TRUE(killed.waitForFinished(10000));

    QProcess again;
    again.start(QStringLiteral(VORELUX_TOOL), QStringList{"send", shortPage} + link);
    ASSERT_TRUE(again.waitForFinished(20000));
    EXPECT_EQ(again.exitCode(), 0) << again.readAllStandardError().toStdString();
    const auto logged = [&](const QString& text) {
        return pumpUntil(
            [&] {
                while (process.canReadLine())
                    out << QString::fromUtf8(process.readLine()).trimmed();
                return std::any_of(out.begin(), out.end(),
                                   [&](const QString& l) { return l.contains(text); });
            },
            15000);
    };
    EXPECT_TRUE(logged("página 1 (painel 5, fim 17): gravada, 1 linha, 7 bytes"))
        << out.join('\n').toStdString();
    EXPECT_TRUE(logged("quadro incompleto descartado")) << out.join('\n').toStdString();
    for (const QString& l : out)
        EXPECT_FALSE(l.contains("linhas"))
            << "the new page read as the rest of the cut one: " << l.toStdString();
    QDir(dir).removeRecursively();
}

#endif

TEST_F(Spawned, BadArgumentsAndAMissingPortAreToldClearly) {
    struct Case {
        QStringList args;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {.args = {"--id", "0", "--pty"},
         .code = 2,
         .message = "--id espera um número de painel 1..255"},
        {.args = {"--headless"},
         .code = 2,
         .message = "dê --port DISPOSITIVO, --pty ou --listen PORTA"},
        {.args = {"--pty", "--port", "/dev/null"}, .code = 2, .message = "dê só uma de"},
        {.args = {"--pty", "--listen", "4001"}, .code = 2, .message = "dê só uma de"},
        {.args = {"--listen", "65536"},
         .code = 2,
         .message = "--listen espera uma porta TCP 1..65535"},
        {.args = {"--pty", "--idd", "3"}, .code = 2, .message = "opção desconhecida: --idd"},
        {.args = {"--pty", "--id"}, .code = 2, .message = "falta o valor de --id"},
        {.args = {"--port", "/dev/vorelux-no-such-port", "--headless"},
         .code = 1,
         .message = "cannot open /dev/vorelux-no-such-port"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QProcess p;
        p.start(QStringLiteral(VORELUX_PANEL_EXE), c.args);
        ASSERT_TRUE(p.waitForFinished(15000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), c.code);
        EXPECT_TRUE(p.readAllStandardError().contains(c.message));
    }
}

// The help and the version are asked for, not errors: stdout, exit 0.
TEST_F(Spawned, HelpAndVersionGoToStdout) {
    for (const char* word : {"--help", "-h", "--version"}) {
        SCOPED_TRACE(word);
        QProcess p;
        p.start(QStringLiteral(VORELUX_PANEL_EXE), {QString::fromLatin1(word)});
        ASSERT_TRUE(p.waitForFinished(15000));
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_TRUE(p.readAllStandardError().isEmpty());
        const QByteArray printed = p.readAllStandardOutput();
        const char* start =
            std::string(word) == "--version" ? "vorelux-panel " : "uso: vorelux-panel ";
        EXPECT_TRUE(printed.startsWith(start)) << printed.toStdString();
    }
}

} // namespace
} // namespace vorelux::panel
