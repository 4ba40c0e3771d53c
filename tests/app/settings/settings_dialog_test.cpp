// The settings dialog on the real widgets: the operator's clicks and keys
// go in, the panel on the other side of a pseudo-terminal decodes the frames.
#include "app/link/transport_group.h"
#include "app/settings/settings_dialog.h"
#include "link/simulated.h"
#include "support/operator_fakes.h"
#include "support/pty_panel.h"
#include "support/recording_prompter.h"
#include "support/watched_port.h"
#include "transport/qt_serial.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimeEdit>
#include <algorithm>
#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace vorelux::app {
namespace {

using vorelux::testing::CountingConfigurator;
using vorelux::testing::Frame;
using vorelux::testing::RecordingPrompter;
using vorelux::testing::ReportingTransmitter;
using Frames = std::vector<Frame>;

constexpr int PtyCom = 150;
// The reset tab's checks, in the order of their captions.
constexpr const char* ResetChecks[] = {"resetSpeedCheck", "resetBrightnessCheck",
                                       "resetUprightCheck", "resetPageScheduleCheck",
                                       "resetOnOffCheck"};

using vorelux::testing::WatchedPort;

struct FixedRandom : RandomRange {
    std::vector<int> values;
    size_t at = 0;
    int between(int, int) override { return values.at(at++); }
};

struct SettingsDialog : ::testing::Test {
    vorelux::testing::Pty pty;
    ConnectionSettingsStore connection;
    const ConnectionSettings& cfg = connection.get();
    QtPortCatalog catalog;
    WatchedPort port;
    vorelux::testing::PanelWire wire{pty};
    RecordingPrompter prompter;
    SimulatedHidBus bus;
    ReportingTransmitter transmitter{bus, connection, prompter};
    QTemporaryDir dir;
    std::string cfgPath = (dir.path() + "/conn.cfg").toStdString();
    FixedRandom random;
    FixedClock clock{LocalDateTime{2023, 3, 5, 14, 7, 9, 0, 0, false}};
    std::chrono::steady_clock::time_point t0 = std::chrono::steady_clock::now();
    int steadyCalls = 0;
    int closes = 0;
    std::unique_ptr<PanelSettingsDialog> form;

    void SetUp() override {
        ASSERT_FALSE(pty.slavePath.empty()) << "no pseudo-terminal available";
        catalog.registerPort(PtyCom, pty.slavePath, "painel virtual");
        connection.setPortNumber(PtyCom);
        SettingsServices services;
        services.connCfgPath = cfgPath;
        services.mainCaption = [] { return QStringLiteral("Vorelux"); };
        services.sleeper = &wire;
        services.random = &random;
        services.clock = &clock;
        // Each look at the steady clock is one second later: one poll tick each.
        services.steadyNow = [this] { return t0 + std::chrono::seconds(steadyCalls++); };
        services.pollIntervalMs = 1;
        services.afterClose = [this] { ++closes; };
        form = std::make_unique<PanelSettingsDialog>(
            SettingsLink{connection, catalog, port, transmitter, prompter}, services);
    }
    void TearDown() override {
        form.reset();
        // The port is this thread's own, and nothing leaves it open.
        EXPECT_EQ(port.offThreadCalls, 0);
        EXPECT_FALSE(port.isOpen);
    }

    // The dialog's widget named `name`; a failure when there is none.
    template <class Widget> Widget* child(const char* name) {
        auto* widget = form->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    // Shows the dialog without waiting for it (the openers show it modally).
    void showOn(int tab) {
        form->prepareToShow();
        form->show();
        child<QTabWidget>("tabs")->setCurrentIndex(tab);
        form->enterTab(tab);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    // A click on a check box's own box (its centre may lie past its text).
    static void clickBox(QCheckBox* box) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    void check(int item, bool on = true) {
        child<QListWidget>("targetPanelList")
            ->item(item)
            ->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    // Waits for the runs the last action started, and for their results.
    void settle() {
        while (form && form->isSending()) {
            QSignalSpy ended(form.get(), &PanelSettingsDialog::runFinished);
            ASSERT_TRUE(ended.wait(10000)) << "the run did not end";
        }
    }
    // A click that starts a run, and the run to its end.
    void clickAndSettle(QPushButton* button) {
        QTest::mouseClick(button, Qt::LeftButton);
        settle();
    }
    Frames received() {
        settle();
        auto rest = pty.drain(20);
        wire.bytes.insert(wire.bytes.end(), rest.begin(), rest.end());
        bool ok = false;
        Frames frames = vorelux::testing::decodeFrames(wire.bytes, ok);
        EXPECT_TRUE(ok) << "bytes that are not whole parameter frames";
        wire.bytes.clear();
        return frames;
    }
    std::vector<uint8_t> savedCfg() {
        std::ifstream in(cfgPath, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::shared_ptr<SimulatedTransmitter> attachTransmitter(uint8_t configByte) {
        auto device = bus.plug("/dev/hidraw1", KqProductString, configByte);
        transmitter.scanDevices();
        std::vector<uint8_t> reply;
        EXPECT_GT(device->read(reply, 200), 0);
        // A transmitter that is not configured asks Prompt::ConfigureTransmitter at once (the
        // dialog exists); the scripted answer decides.
        transmitter.deviceReport(device->path(), reply);
        return device;
    }
};

TEST_F(SettingsDialog, TabsCaptionsAndTheHiddenOnes) {
    EXPECT_EQ(form->windowTitle(), "Vorelux - Ajustes do painel");
    const QStringList captions{"&Velocidade",
                               "&Brilho",
                               "Em &Pé",
                               "&Relógio",
                               "&Página por &hora",
                               "Página por &dia da &semana",
                               "Horário de &ligar e &desligar",
                               "&Contagem &progressiva",
                               "&Contagem &regressiva",
                               "&ID do Painel",
                               "&Configurar painel",
                               "&Temperatura",
                               "Reset de Ajustes"};
    ASSERT_EQ(child<QTabWidget>("tabs")->count(), 13);
    for (int i = 0; i < 13; ++i) EXPECT_EQ(child<QTabWidget>("tabs")->tabText(i), captions[i]) << i;
    showOn(PanelSettingsDialog::SpeedTab);
    EXPECT_FALSE(child<QTabWidget>("tabs")->isTabVisible(PanelSettingsDialog::TransmitterTab));
    EXPECT_FALSE(child<QTabWidget>("tabs")->isTabVisible(PanelSettingsDialog::TemperatureTab));

    QTest::keyClick(form.get(), Qt::Key_T, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(child<QTabWidget>("tabs")->isTabVisible(PanelSettingsDialog::TemperatureTab));
    EXPECT_EQ(child<QTabWidget>("tabs")->currentIndex(), PanelSettingsDialog::TemperatureTab);
    // Reopening hides it again.
    form->prepareToShow();
    EXPECT_FALSE(child<QTabWidget>("tabs")->isTabVisible(PanelSettingsDialog::TemperatureTab));

    // The transmitter page follows the transmitter, and so does the transport box.
    attachTransmitter(0x41);
    EXPECT_TRUE(child<QTabWidget>("tabs")->isTabVisible(PanelSettingsDialog::TransmitterTab));
    EXPECT_TRUE(child<TransportGroup>("transportGroup")->showsTransmitter());
    bus.unplug("/dev/hidraw1");
    transmitter.deviceUnplugged("/dev/hidraw1");
    EXPECT_FALSE(child<QTabWidget>("tabs")->isTabVisible(PanelSettingsDialog::TransmitterTab));
    EXPECT_FALSE(child<TransportGroup>("transportGroup")->showsTransmitter());
}

TEST_F(SettingsDialog, TargetListStoresTheChecksAndCaptionsThem) {
    ASSERT_EQ(child<QListWidget>("targetPanelList")->count(), 256);
    EXPECT_EQ(child<QListWidget>("targetPanelList")->item(0)->text(),
              QString::fromUtf8("  TODOS OS PAINÉIS "));
    EXPECT_EQ(child<QListWidget>("targetPanelList")->item(255)->text(), "  PAINEL 255");
    connection.setTargetPanels({3, 7});
    showOn(PanelSettingsDialog::SpeedTab);
    EXPECT_EQ(child<QGroupBox>("targetGroup")->title(),
              QString::fromUtf8("Enviar para: (2 painéis)"));

    // A click on a box, as the operator does it.
    QListWidgetItem* item3 = child<QListWidget>("targetPanelList")->item(3);
    QRect box = child<QListWidget>("targetPanelList")->visualItemRect(item3);
    QPoint at(box.left() + 10, box.center().y());
    QTest::mouseClick(child<QListWidget>("targetPanelList")->viewport(), Qt::LeftButton, {}, at);
    if (item3->checkState() == Qt::Checked)
        child<QListWidget>("targetPanelList")->item(3)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(cfg.targetPanels, std::vector<uint8_t>{7});
    EXPECT_EQ(child<QGroupBox>("targetGroup")->title(), "Enviar para: (apenas 1 painel)");
    auto saved = savedCfg();
    ASSERT_EQ(saved.size(), 17u);
    EXPECT_EQ(saved[16], 7);

    form->prepareToShow();
    EXPECT_EQ(child<QGroupBox>("targetGroup")->title(), "Enviar para: (1 painel)");
    check(0);
    EXPECT_EQ(child<QGroupBox>("targetGroup")->title(), "Enviar para: (Todos)");
    check(0, false);
    check(7, false);
    EXPECT_EQ(child<QGroupBox>("targetGroup")->title(), "Enviar para: (Nenhum painel)");
    EXPECT_TRUE(cfg.targetPanels.empty());

    // The group is there on tabs 0..8, not from 9 on; on tab 5 without "Exibir IDs".
    for (int tab : {PanelSettingsDialog::PageByWeekdayTab, PanelSettingsDialog::PanelIdTab,
                    PanelSettingsDialog::ClockTab}) {
        child<QTabWidget>("tabs")->setCurrentIndex(tab);
        EXPECT_EQ(child<QGroupBox>("targetGroup")->isVisible(),
                  tab <= PanelSettingsDialog::CountDownTab)
            << tab;
        EXPECT_EQ(child<QPushButton>("showIdsButton")->isVisible(),
                  tab <= PanelSettingsDialog::CountDownTab &&
                      tab != PanelSettingsDialog::PageByWeekdayTab)
            << tab;
    }
}

TEST_F(SettingsDialog, BarsSendWhenLetGo) {
    showOn(PanelSettingsDialog::SpeedTab);
    check(12);
    struct Case {
        int from;
        Qt::Key key;
        Frame expected;
    };
    // Speed positions 101, 100, 195 and 0 by the keyboard.
    for (Case c : {Case{.from = 100, .key = Qt::Key_Right, .expected = {12, 10, 8}},
                   Case{.from = 101, .key = Qt::Key_Left, .expected = {12, 10, 9}},
                   Case{.from = 195, .key = Qt::Key_End, .expected = {12, 10, 2}},
                   Case{.from = 1, .key = Qt::Key_Home, .expected = {12, 10, 30}}}) {
        child<QSlider>("speedSlider")->setValue(c.from);
        child<QSlider>("speedSlider")->setFocus();
        QTest::keyClick(child<QSlider>("speedSlider"), c.key);
        EXPECT_EQ(received(), Frames{c.expected}) << c.from;
    }
    child<QTabWidget>("tabs")->setCurrentIndex(PanelSettingsDialog::BrightnessTab);
    child<QSlider>("brightnessSlider")->setValue(200);
    emit child<QSlider>("brightnessSlider")->sliderReleased();
    EXPECT_EQ(received(), (Frames{{12, 11, 200}}));
    EXPECT_EQ(form->focusWidget(), nullptr);
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(SettingsDialog, ClockTabStartsAtTheCurrentMomentAndSendsIt) {
    check(0);
    showOn(PanelSettingsDialog::ClockTab);
    EXPECT_EQ(child<QTimeEdit>("clockTimeEdit")->time(), QTime(14, 7, 9));
    EXPECT_EQ(child<QDateEdit>("clockDateEdit")->date(), QDate(2023, 3, 5));
    EXPECT_EQ(child<QLabel>("weekdayLabel")->text(), "Domingo");
    QTest::mouseClick(child<QPushButton>("sendClockButton"), Qt::LeftButton);
    EXPECT_EQ(
        received(),
        (Frames{
            {0, 64, 9}, {0, 65, 7}, {0, 66, 14}, {0, 69, 0}, {0, 67, 5}, {0, 68, 3}, {0, 70, 23}}));
    child<QDateEdit>("clockDateEdit")->setDate(QDate(2024, 2, 29));
    EXPECT_EQ(child<QLabel>("weekdayLabel")->text(), "Quinta-Feira");

    // The warning box stores its flag with the daylight-saving state of now.
    clock.set(LocalDateTime{2023, 11, 5, 9, 0, 0, 0, 0, true});
    clickBox(child<QCheckBox>("daylightSavingWarningCheck"));
    EXPECT_EQ(cfg.daylightSaving, 0x11);
    EXPECT_EQ(savedCfg().at(3), 0x11);
}

TEST_F(SettingsDialog, PageByHourFromTheListToThePanels) {
    check(0);
    showOn(PanelSettingsDialog::PageByHourTab);
    EXPECT_EQ(child<QListWidget>("pageByHourList")->item(8)->text(),
              QString::fromUtf8(" Multi-Página  9"));
    child<QListWidget>("pageByHourList")->setCurrentRow(2);
    EXPECT_EQ(child<QLabel>("pageTimeLabel")->text(), QString::fromUtf8("Horário da página 3"));
    EXPECT_EQ(child<QStackedWidget>("pageTimeStack")->currentWidget(),
              child<QPushButton>("activatePageTimeButton"));
    QTest::mouseClick(child<QPushButton>("activatePageTimeButton"), Qt::LeftButton);
    QTest::qWait(1);
    // Activating the first item warns that page by weekday goes off.
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::PageByHourExcludesDay});
    EXPECT_EQ(child<QStackedWidget>("pageTimeStack")->currentWidget(),
              child<QTimeEdit>("pageTimeEdit"));
    child<QTimeEdit>("pageTimeEdit")->setTime(QTime(8, 30));
    EXPECT_EQ(child<QListWidget>("pageByHourList")->item(2)->text(),
              QString::fromUtf8(" Página  3     -     08:30"));
    EXPECT_TRUE(child<QCheckBox>("pageByHourEnabledCheck")->isChecked());

    QTest::mouseClick(child<QPushButton>("sendPageByHourButton"), Qt::LeftButton);
    Frames expected;
    for (int i = 0; i < 8; ++i) {
        expected.push_back({0, 16 + 2 * i, i == 2 ? 8 : 255});
        expected.push_back({0, 17 + 2 * i, i == 2 ? 30 : 255});
        expected.push_back({0, 7, 1});
    }
    EXPECT_EQ(received(), expected);

    // Unchecking " Ativado" clears the list; the entries keep their times.
    clickBox(child<QCheckBox>("pageByHourEnabledCheck"));
    EXPECT_EQ(child<QListWidget>("pageByHourList")->item(2)->checkState(), Qt::Unchecked);
    EXPECT_EQ(cfg.pagesByHour[2].hour, 8);
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::PageByHourExcludesDay});
}

TEST_F(SettingsDialog, OnOffTimesStartUncheckedAndGreyed) {
    check(9);
    showOn(PanelSettingsDialog::OnOffTab);
    EXPECT_FALSE(child<QCheckBox>("onOffEnabledCheck")->isChecked());
    EXPECT_FALSE(child<QGroupBox>("onOffTimesBox")->isEnabled());
    EXPECT_EQ(
        child<QTimeEdit>("switchOnTimeEdit")->palette().color(QPalette::Disabled, QPalette::Base),
        QColor(191, 205, 219));
    QTest::mouseClick(child<QPushButton>("sendOnOffButton"), Qt::LeftButton);
    EXPECT_EQ(received(), (Frames{{9, 48, 0}, {9, 49, 0}, {9, 50, 0}, {9, 51, 255}}));

    clickBox(child<QCheckBox>("onOffEnabledCheck"));
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::PageByDayExcludesHour});
    EXPECT_TRUE(child<QGroupBox>("onOffTimesBox")->isEnabled());
    EXPECT_EQ(child<QTimeEdit>("switchOnTimeEdit")->palette().color(QPalette::Base),
              QColor(255, 255, 255));
    child<QTimeEdit>("switchOnTimeEdit")->setTime(QTime(6, 45));
    child<QTimeEdit>("switchOffTimeEdit")->setTime(QTime(23, 5));
    QTest::mouseClick(child<QPushButton>("sendOnOffButton"), Qt::LeftButton);
    EXPECT_EQ(received(), (Frames{{9, 48, 6}, {9, 49, 45}, {9, 50, 23}, {9, 51, 5}}));
}

TEST_F(SettingsDialog, PanelNumberFieldsTakeDigitsOnly) {
    showOn(PanelSettingsDialog::PanelIdTab);
    EXPECT_FALSE(child<QGroupBox>("targetGroup")->isVisible());
    QTest::keyClicks(child<QLineEdit>("currentIdEdit"), "1x2");
    QTest::keyClick(child<QLineEdit>("currentIdEdit"), Qt::Key_Backspace);
    QTest::keyClick(child<QLineEdit>("currentIdEdit"), Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(child<QLineEdit>("currentIdEdit")->text(), "12");

    for (const char* bad : {"0", "256"}) {
        SCOPED_TRACE(bad);
        prompter.prompts.clear();
        child<QLineEdit>("newIdEdit")->clear();
        QTest::keyClicks(child<QLineEdit>("newIdEdit"), bad);
        QTest::keyClick(child<QLineEdit>("newIdEdit"), Qt::Key_Return);
        EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::InvalidPanelId});
        EXPECT_EQ(child<QLineEdit>("newIdEdit")->selectedText(), bad);
        EXPECT_TRUE(received().empty());
    }
    child<QLineEdit>("newIdEdit")->clear();
    QTest::keyClicks(child<QLineEdit>("newIdEdit"), "77");
    // The change is confirmed before the run: No sends nothing.
    prompter.prompts.clear();
    prompter.answers = {ButtonNo};
    QTest::mouseClick(child<QPushButton>("sendIdButton"), Qt::LeftButton);
    EXPECT_FALSE(form->isSending());
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::ConfirmPanelIdChange});
    EXPECT_TRUE(received().empty());
    prompter.prompts.clear();
    prompter.answers = {ButtonYes};
    QTest::mouseClick(child<QPushButton>("sendIdButton"), Qt::LeftButton);
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::ConfirmPanelIdChange});
    EXPECT_EQ(received(), (Frames{{12, 13, 77}}));
}

TEST_F(SettingsDialog, TemperatureCountersAndWeekday) {
    check(2);
    showOn(PanelSettingsDialog::SpeedTab);
    form->revealTemperatures();
    child<QSpinBox>("indoorTemperatureSpin")->setValue(-20);
    clickAndSettle(child<QPushButton>("sendIndoorTemperatureButton"));
    child<QSpinBox>("outdoorTemperatureSpin")->setValue(-99);
    clickAndSettle(child<QPushButton>("sendOutdoorTemperatureButton"));
    child<QDateEdit>("countUpDateEdit")->setDate(QDate(2024, 1, 15));
    clickAndSettle(child<QPushButton>("sendCountUpButton"));
    child<QDateEdit>("countDownDateEdit")->setDate(QDate(2025, 12, 24));
    clickAndSettle(child<QPushButton>("sendCountDownButton"));
    clickAndSettle(child<QPushButton>("enableWeekdayPagesButton"));
    clickAndSettle(child<QPushButton>("disableWeekdayPagesButton"));
    clickAndSettle(child<QPushButton>("verticalButton"));
    EXPECT_EQ(received(), (Frames{{2, 8, 236},
                                  {2, 9, 157},
                                  {2, 45, 15},
                                  {2, 46, 1},
                                  {2, 47, 24},
                                  {2, 42, 24},
                                  {2, 43, 12},
                                  {2, 44, 25},
                                  {2, 7, 2},
                                  {2, 7, 0},
                                  {2, 12, 1}}));
}

TEST_F(SettingsDialog, RestoreSendsEachCheckedFactorySetting) {
    check(4);
    showOn(PanelSettingsDialog::ResetTab);
    for (const char* name : ResetChecks) child<QCheckBox>(name)->setChecked(false);
    QTest::mousePress(child<QPushButton>("restoreButton"), Qt::LeftButton);
    QTest::mouseRelease(child<QPushButton>("restoreButton"), Qt::LeftButton);
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::NothingToReset});
    EXPECT_TRUE(received().empty());

    for (const char* name : ResetChecks) child<QCheckBox>(name)->setChecked(true);
    child<QSlider>("speedSlider")->setValue(10);
    child<QCheckBox>("onOffEnabledCheck")->setChecked(true);
    form->pageByHour().activateSelected();
    QTest::mousePress(child<QPushButton>("restoreButton"), Qt::LeftButton);
    QTest::mouseRelease(child<QPushButton>("restoreButton"), Qt::LeftButton);
    EXPECT_EQ(child<QSlider>("speedSlider")->value(), 97);
    EXPECT_EQ(child<QSlider>("brightnessSlider")->value(), 127);
    EXPECT_FALSE(child<QCheckBox>("onOffEnabledCheck")->isChecked());
    EXPECT_FALSE(form->pageByHour().anyChecked());
    EXPECT_EQ(received(), (Frames{{4, 10, 9},
                                  {4, 11, 127},
                                  {4, 12, 0},
                                  {4, 7, 0},
                                  {4, 48, 0},
                                  {4, 49, 0},
                                  {4, 50, 0},
                                  {4, 51, 255}}));

    // With the port gone each setting is reported in turn, once the run has ended.
    connection.setPortNumber(PtyCom + 1);
    prompter.prompts.clear();
    QTest::mousePress(child<QPushButton>("restoreButton"), Qt::LeftButton);
    EXPECT_TRUE(form->isSending());
    EXPECT_TRUE(prompter.prompts.empty());
    QTest::mouseRelease(child<QPushButton>("restoreButton"), Qt::LeftButton);
    settle();
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>(5, Prompt::PortNotSelected));
    EXPECT_TRUE(received().empty());
}

TEST_F(SettingsDialog, ClosingResumesEveryPanel) {
    check(0);
    bool sawTab = false;
    QTimer::singleShot(0, form.get(), [&] {
        sawTab = form->isVisible() &&
                 child<QTabWidget>("tabs")->currentIndex() == PanelSettingsDialog::ClockTab;
        form->reject();
    });
    form->openOnTab(PanelSettingsDialog::ClockTab);
    EXPECT_TRUE(sawTab);
    EXPECT_FALSE(form->isVisible());
    // The dialog has gone; the main window comes back once the command is out.
    EXPECT_EQ(received(), (Frames{{0, 255, 0}}));
    EXPECT_EQ(closes, 1);
}

// The clock tab's moment to panels 3, 5 and 9: seven frames each, four pauses a frame.
Frames clockToThreePanels() {
    Frames frames;
    for (int panel : {3, 5, 9})
        for (Frame f : Frames{{0, 64, 9},
                              {0, 65, 7},
                              {0, 66, 14},
                              {0, 69, 0},
                              {0, 67, 5},
                              {0, 68, 3},
                              {0, 70, 23}}) {
            f.panel = panel;
            frames.push_back(f);
        }
    return frames;
}

// The frames sent are the first ones of `whole`, cut inside the second panel.
void expectCutInside(const Frames& sent, const Frames& whole) {
    ASSERT_GE(sent.size(), 8u);
    ASSERT_LT(sent.size(), 14u);
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), whole.begin()));
}

TEST_F(SettingsDialog, DestroyedMidSequenceStopsAndClosesThePort) {
    for (int panel : {3, 5, 9}) check(panel);
    showOn(PanelSettingsDialog::ClockTab);
    QObject context;
    QSignalSpy destroyed(form.get(), &QObject::destroyed);
    wire.pauses.clear();
    wire.onPause = [&](size_t count) {
        // Inside the second panel's first frame; asked for while the worker goes on.
        if (count == 30)
            QMetaObject::invokeMethod(
                &context, [&] { form.reset(); }, Qt::QueuedConnection);
    };
    QTest::mouseClick(child<QPushButton>("sendClockButton"), Qt::LeftButton);
    ASSERT_TRUE(destroyed.wait(10000));
    wire.onPause = {};
    EXPECT_FALSE(port.isOpen);
    const Frames sent = received(); // whole frames only
    expectCutInside(sent, clockToThreePanels());
    EXPECT_TRUE(pty.drain(200).empty()); // nothing follows
    EXPECT_TRUE(prompter.prompts.empty());
    EXPECT_EQ(closes, 0);
}

TEST_F(SettingsDialog, ClosedMidSequenceStopsThenResumesThePanels) {
    for (int panel : {3, 5, 9}) check(panel);
    showOn(PanelSettingsDialog::ClockTab);
    wire.pauses.clear();
    wire.onPause = [&](size_t count) {
        if (count == 30)
            QMetaObject::invokeMethod(
                form.get(), [&] { form->reject(); }, Qt::QueuedConnection);
    };
    QTest::mouseClick(child<QPushButton>("sendClockButton"), Qt::LeftButton);
    settle();
    wire.onPause = {};
    EXPECT_FALSE(form->isVisible());
    Frames sent = received();
    ASSERT_FALSE(sent.empty());
    // The rest of the sequence is not sent; every panel is told to resume.
    EXPECT_EQ(sent.back(), (Frame{0, 255, 0}));
    sent.pop_back();
    expectCutInside(sent, clockToThreePanels());
    EXPECT_TRUE(prompter.prompts.empty());
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(child<QTabWidget>("tabs")->isEnabled());
}

TEST_F(SettingsDialog, PairingSendsTheConfigurationThenPollsUntilTheDeadline) {
    prompter.answers = {ButtonNo};
    auto device = attachTransmitter(KqNotConfigured);
    ASSERT_EQ(cfg.transport, Transport::Transmitter);
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::ConfigureTransmitter});
    prompter.prompts.clear();
    random.values = {200};
    showOn(PanelSettingsDialog::TransmitterTab);
    QTest::mouseClick(child<QPushButton>("configurePanelButton"), Qt::LeftButton);
    EXPECT_EQ(cfg.transmitterIdentity[6], 200);
    EXPECT_EQ(device->configByte(), 200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->isPollingConfiguration(); }, 5000));
    // The identity request, the configuration, then five polls of three reports.
    auto writes = device->writes();
    ASSERT_EQ(writes.size(), 2u + 5 * 3);
    EXPECT_EQ(writes[1][1], KqCmdConfigure);
    for (size_t i = 2; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i][6], 255);
        EXPECT_EQ(writes[i][8], 253);
    }
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(SettingsDialog, StartUpWarnsOfDaylightSavingOnlyWhenAsked) {
    connection.setDaylightSaving(0x01); // warning off
    clock.set(LocalDateTime{2023, 3, 5, 14, 7, 9, 0, 0, false});
    {
        std::ofstream out(cfgPath, std::ios::binary);
        out.write("\0\226\0\1\0\0\0\0\0\0\0\0\0\0\0\0", 16);
    }
    form->runStartUpChecks();
    EXPECT_TRUE(prompter.prompts.empty());
    EXPECT_EQ(savedCfg().at(3), 1);

    // Warning on, daylight-saving time began: the flag is written first, then asked.
    {
        std::ofstream out(cfgPath, std::ios::binary);
        out.write("\0\226\0\20\0\0\0\0\0\0\0\0\0\0\0\0", 16);
    }
    clock.set(LocalDateTime{2023, 11, 5, 14, 7, 9, 0, 0, true});
    prompter.answers = {ButtonNo};
    form->runStartUpChecks();
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::DaylightSavingStarted});
    EXPECT_EQ(savedCfg().at(3), 0x11);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SettingsDialog, UnconfiguredTransmitterIsOfferedItsPage) {
    prompter.answers = {ButtonNo};
    attachTransmitter(KqNotConfigured);
    ASSERT_TRUE(transmitter.transmitterNotConfigured);
    prompter.prompts.clear();
    std::ofstream(cfgPath, std::ios::binary).write(std::string(16, '\0').data(), 16);
    prompter.answers = {ButtonNo};
    form->runStartUpChecks();
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::ConfigureTransmitter});
    EXPECT_TRUE(transmitter.transmitterNotConfigured); // a No leaves it

    int tab = -1;
    QTimer::singleShot(0, form.get(), [&] {
        tab = child<QTabWidget>("tabs")->currentIndex();
        form->reject();
    });
    prompter.answers = {ButtonYes};
    form->runStartUpChecks();
    EXPECT_EQ(tab, PanelSettingsDialog::TransmitterTab);
    EXPECT_FALSE(transmitter.transmitterNotConfigured);
}

} // namespace
} // namespace vorelux::app
