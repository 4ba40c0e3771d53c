// The transmitter watcher: the rescan timer finds the simulated transmitter,
// the reader thread hands its identity reply over to this thread, and a
// failed read or a rescan notices its removal.
#include "link/frames.h"
#include "link/simulated.h"
#include "support/operator_fakes.h"
#include "support/recording_prompter.h"
#include "transport/hid_watcher.h"
#include "transport/link_system.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

namespace vorelux {
namespace {

using testing::CountingConfigurator;
using testing::RecordingPrompter;
using testing::ReportingTransmitter;

bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// The settings dialog: notes on which thread it was opened.
struct ThreadNotingConfigurator : TransmitterConfigurator {
    explicit ThreadNotingConfigurator(Prompter& asker) : prompter(asker) {}
    bool confirmConfiguration() override {
        return prompter.ask(Prompt::ConfigureTransmitter) == ButtonYes;
    }
    void openTransmitterConfiguration() override { openedOn = QThread::currentThread(); }
    Prompter& prompter;
    QThread* openedOn = nullptr;
};

struct Watcher : ::testing::Test {
    ConnectionSettingsStore connection;
    const ConnectionSettings& cfg = connection.get();
    RecordingPrompter prompter;
    SimulatedHidBus bus;
    ReportingTransmitter transmitter{bus, connection, prompter};
    ThreadNotingConfigurator settings{prompter};
    std::vector<QString> statusTexts;
    std::unique_ptr<TransmitterWatcher> watcher;

    void SetUp() override {
        transmitter.setConfigurator(&settings);
        watcher = std::make_unique<TransmitterWatcher>(transmitter);
        QObject::connect(watcher.get(), &TransmitterWatcher::statusTextChanged,
                         [this](const QString& text) { statusTexts.push_back(text); });
        watcher->start(30);
    }
};

TEST_F(Watcher, FindsTheTransmitterAndTakesItsReplyOnTheUserInterfaceThread) {
    bus.plug("/dev/hidraw7", "TRANSMISSOR-KQ"); // not it
    ASSERT_TRUE(waitFor([&] { return bus.enumerate().size() == 1; }));
    QThread::msleep(80);
    QCoreApplication::processEvents();
    EXPECT_FALSE(transmitter.attached());

    prompter.answers = {ButtonYes};
    bus.plug("/dev/hidraw8", KqProductString, KqNotConfigured);
    ASSERT_TRUE(waitFor([&] { return cfg.transmitterIdentity[7] == KqIdentityStored; }));
    EXPECT_EQ(cfg.transport, Transport::Transmitter);
    EXPECT_EQ(cfg.transmitterIdentity[6], KqNotConfigured);
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::ConfigureTransmitter});
    EXPECT_EQ(settings.openedOn, QCoreApplication::instance()->thread());
    EXPECT_FALSE(transmitter.transmitterNotConfigured);
    EXPECT_EQ(statusTexts, std::vector<QString>{"[USB] Transmissor KQ"});
}

TEST_F(Watcher, AFailedReadOrARescanNoticesTheRemoval) {
    for (bool byRead : {true, false}) {
        SCOPED_TRACE(byRead ? "read fails" : "rescan");
        statusTexts.clear();
        auto device = bus.plug("/dev/hidraw8", KqProductString);
        ASSERT_TRUE(waitFor([&] { return transmitter.attached() && !transmitter.awaitingReply; }));
        if (byRead)
            device->unplug(); // still listed, but its reads fail
        else
            bus.unplug("/dev/hidraw8");
        ASSERT_TRUE(waitFor([&] { return !transmitter.attached(); }));
        EXPECT_EQ(cfg.transport, Transport::Serial);
        ASSERT_FALSE(statusTexts.empty());
        EXPECT_EQ(statusTexts.back(), "[Serial] Porta COM");
        bus.unplug("/dev/hidraw8");
        ASSERT_TRUE(waitFor([&] { return bus.enumerate().empty(); }));
        QThread::msleep(60);
        QCoreApplication::processEvents();
    }
}

} // namespace
} // namespace vorelux

namespace vorelux {
namespace {

// The real wiring starts, scans the real bus (no transmitter on a build
// machine) and shuts down cleanly.
TEST(LinkSystemWiring, StartsOnTheSerialPortAndStopsCleanly) {
    ConnectionSettingsStore connection;
    const ConnectionSettings& cfg = connection.get();
    testing::RecordingPrompter prompter;
    {
        LinkSystem system(connection, {});
        system.transmitter().problemReported = [&](const std::string& text) {
            prompter.message(text);
        };
        std::vector<QString> texts;
        QObject::connect(&system.watcher(), &TransmitterWatcher::statusTextChanged,
                         [&](const QString& text) { texts.push_back(text); });
        system.start();
        waitFor([] { return false; }, 100);
        if (!system.transmitter().attached()) {
            EXPECT_EQ(cfg.transport, Transport::Serial);
            EXPECT_TRUE(texts.empty());
        }
        EXPECT_EQ(&system.link().transmitter(), &system.transmitter());
    }
    EXPECT_TRUE(prompter.messages.empty());
}

} // namespace
} // namespace vorelux
