// The send dialog, the panel chooser, the panel-number display and the power
// buttons on real widgets (offscreen), sending through the real QSerialPort
// to a pseudo-terminal, or through the simulated transmitter.
#include "app/link/progress_window.h"
#include "app/send/send_features.h"
#include "app/send/target_list.h"
#include "link/simulated.h"
#include "pty.h"
#include "settle.h"
#include "support/decoders.h"
#include "support/operator_fakes.h"
#include "support/recording_prompter.h"
#include "support/watched_port.h"
#include "transport/qt_network.h"
#include "transport/qt_serial.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <set>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace vorelux::app {
namespace {

using sendtest::decodeAll;
using sendtest::decodeSerial;
using sendtest::KqReport;
using sendtest::Pty;
using sendtest::SerialFrame;
using vorelux::testing::CountingConfigurator;
using vorelux::testing::RecordingPrompter;
using vorelux::testing::ReportingTransmitter;

constexpr int PtyCom = 150;     // the pseudo-terminal's port
constexpr int MissingCom = 201; // not installed

// Collects what reached the panel side at every pause, without waiting.
struct PtySleeper : Sleeper {
    Pty& pty;
    std::vector<uint8_t> wire;
    std::vector<int> pauses;
    std::function<void(int)> onPause; // called with the pause count
    explicit PtySleeper(Pty& p) : pty(p) {}
    void sleep(int ms) override {
        pauses.push_back(ms);
        auto bytes = pty.drain(0);
        wire.insert(wire.end(), bytes.begin(), bytes.end());
        if (onPause) onPause(static_cast<int>(pauses.size()));
    }
    std::vector<uint8_t> take() {
        auto rest = pty.drain(100);
        wire.insert(wire.end(), rest.begin(), rest.end());
        return std::exchange(wire, {});
    }
};

using vorelux::testing::WatchedPort;

// A widget of a dialog by its object name; a missing one fails the test.
template <class T> T* child(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found) throw std::runtime_error(std::string("no widget named ") + name);
    return found;
}
QPushButton* button(QWidget& parent, const char* name) {
    return child<QPushButton>(parent, name);
}
QLabel* label(QWidget& parent, const char* name) {
    return child<QLabel>(parent, name);
}
TargetList* targets(QWidget& parent) {
    return child<TargetList>(parent, "targetList");
}
// The box of page `page` (0..7) in a row: "sendBox", "clearBox" or "displayBox".
QCheckBox* box(QWidget& parent, const char* row, int page) {
    return child<QCheckBox>(parent, (std::string(row) + std::to_string(page + 1)).c_str());
}
void checkSendBoxes(QWidget& dialog, std::initializer_list<int> pages) {
    for (int p = 0; p < PageCount; ++p) box(dialog, "sendBox", p)->setChecked(false);
    for (int p : pages) box(dialog, "sendBox", p)->setChecked(true);
}

// Runs `step` on the dialog's thread from the worker's pause, and waits for it.
void onDialogThread(QObject* context, const std::function<void()>& step) {
    QMetaObject::invokeMethod(context, step, Qt::BlockingQueuedConnection);
}

LineStream line(const std::string& text) {
    // Built by appending: GCC at -O2 misreads an insert after a three-byte list.
    LineStream l;
    l.reserve(text.size() + 3);
    for (int b : {0xFF, 192, 192}) l.push_back(static_cast<uint8_t>(b));
    l.insert(l.end(), text.begin(), text.end());
    return l;
}

struct SendDialogTest : ::testing::Test {
    QTemporaryDir dir;
    ConnectionSettingsStore connection;
    const ConnectionSettings& cfg = connection.get();
    RecordingPrompter prompter;
    PageStore store;
    Pty pty;
    QtPortCatalog catalog;
    WatchedPort port;
    PtySleeper sleeper{pty};
    SimulatedHidBus bus;
    ReportingTransmitter transmitter{bus, connection, prompter};
    OperatorLink link{connection, catalog, port, transmitter, sleeper, prompter};
    FixedRandomRange random{{150, 131, 177, 140, 160}};
    std::shared_ptr<SimulatedTransmitter> device;
    bool mainEnabled = true;
    int afterClose = 0;
    std::unique_ptr<SendPagesDialog> dlg;

    void SetUp() override {
        ASSERT_FALSE(pty.slavePath.empty()) << "no pseudo-terminal available";
        catalog.registerPort(PtyCom, pty.slavePath, "painel virtual");
        connection.setPortNumber(PtyCom);
        connection.setTargetPanels({3, 4});
        store.resetAllPages();
        dlg = std::make_unique<SendPagesDialog>(link, store, services());
    }
    void TearDown() override {
        if (dlg) settle(*dlg);
        // The port is the windows' thread's own, and nothing leaves it open.
        EXPECT_EQ(port.offThreadCalls, 0);
        EXPECT_FALSE(port.isOpen);
    }
    SendServices services() {
        SendServices s;
        s.connCfgPath = connCfg().toStdString();
        s.mainCaption = [] { return QStringLiteral("Vorelux"); };
        s.setMainEnabled = [this](bool enabled) { mainEnabled = enabled; };
        s.currentPage = [] { return 2; };
        s.afterClose = [this] { ++afterClose; };
        s.random = &random;
        return s;
    }
    QString connCfg() const { return dir.filePath("conn.cfg"); }
    void setPage(int p, std::vector<LineStream> lines) { store.setPageLines(p, std::move(lines)); }
    void attachTransmitter(bool identified = true) {
        device = bus.plug("/dev/hidraw0", KqProductString, 0x41);
        device->setAnswersIdentity(identified);
        transmitter.scanDevices();
        std::vector<uint8_t> reply;
        while (device->read(reply, 0) == 1) transmitter.deviceReport(device->path(), reply);
    }
    std::vector<KqReport> reports() {
        auto all = decodeAll(device->writes());
        std::erase_if(all, [](const KqReport& r) { return r.kind == KqReport::Identity; });
        return all;
    }
    void open() {
        dlg->show();
        QCoreApplication::processEvents();
    }
    void sendBoxes(std::initializer_list<int> pages) { checkSendBoxes(*dlg, pages); }
    QLineEdit* codeEdit() { return child<QLineEdit>(*dlg, "errorCodeEdit"); }
    void typeCode(const char* code) {
        codeEdit()->setFocus();
        codeEdit()->selectAll();
        QTest::keyClicks(codeEdit(), QString::fromLatin1(code));
        QTest::keyClick(codeEdit(), Qt::Key_Return);
        settle(*dlg);
    }
};

TEST_F(SendDialogTest, OpeningPreparesEveryBox) {
    setPage(1, {line("OLA")});
    setPage(5, {line(""), line(""), line("")});
    open();
    EXPECT_EQ(dlg->windowTitle(), "Vorelux - Enviar");
    EXPECT_EQ(child<QStackedWidget>(*dlg, "sheets")->count(), 3);
    EXPECT_EQ(dlg->currentSheet(), SendPagesDialog::Sheet::Main);
    EXPECT_TRUE(dlg->findChildren<QTabBar*>().isEmpty()); // no tabs to click
    EXPECT_EQ(box(*dlg, "sendBox", 0)->toolTip(), "Enviar página 1");
    EXPECT_EQ(box(*dlg, "clearBox", 4)->toolTip(), "Limpar página 5");
    EXPECT_EQ(box(*dlg, "displayBox", 7)->toolTip(), "Exibir página 8");
    EXPECT_EQ(button(*dlg, "sendButton")->toolTip(), "Envia os textos das páginas para o painel");
    for (int p = 0; p < PageCount; ++p) {
        SCOPED_TRACE(p);
        bool send = p == 1 || p == 5;
        EXPECT_EQ(box(*dlg, "sendBox", p)->isChecked(), send);
        EXPECT_EQ(box(*dlg, "clearBox", p)->isEnabled(), !send);
        EXPECT_FALSE(box(*dlg, "clearBox", p)->isChecked());
        EXPECT_EQ(box(*dlg, "displayBox", p)->isChecked(), p == 2); // the main window's page
    }
    // A send box click frees or locks its clear box.
    QTest::mouseClick(box(*dlg, "sendBox", 1), Qt::LeftButton);
    EXPECT_TRUE(box(*dlg, "clearBox", 1)->isEnabled());

    QListWidget* list = targets(*dlg)->list();
    ASSERT_EQ(list->count(), 256);
    EXPECT_EQ(list->item(0)->text(), "  TODOS OS PAINÉIS");
    EXPECT_EQ(list->item(255)->text(), "  PAINEL 255");
    EXPECT_EQ(targets(*dlg)->title(), "Enviar para: (2 painéis)");
    // No display-page selector: the first page stays the one the panels show.
    EXPECT_EQ(dlg->findChild<QWidget*>(QStringLiteral("displayPageGroup")), nullptr);
    EXPECT_TRUE(prompter.prompts.empty());

    struct Case {
        std::vector<uint8_t> stored;
        const char* caption;
    };
    for (const Case& c : {Case{.stored = {}, .caption = "Enviar para: (Nenhum painel)"},
                          Case{.stored = {5}, .caption = "Enviar para: (1 painel)"},
                          Case{.stored = {0, 7}, .caption = "Enviar para: (Todos)"}}) {
        targets(*dlg)->load(c.stored);
        EXPECT_EQ(targets(*dlg)->title(), c.caption);
    }
}

TEST_F(SendDialogTest, EveryTargetClickStoresTheList) {
    open();
    auto fileSize = [&] { return QFile(connCfg()).size(); };
    targets(*dlg)->setChecked(7, true);
    EXPECT_EQ(cfg.targetPanels, (std::vector<uint8_t>{3, 4, 7}));
    EXPECT_EQ(fileSize(), 16 + 3);
    EXPECT_EQ(targets(*dlg)->title(), "Enviar para: (3 painéis)");

    for (int n : {3, 4, 7}) targets(*dlg)->setChecked(n, false);
    EXPECT_TRUE(cfg.targetPanels.empty());
    EXPECT_EQ(fileSize(), 16);
    EXPECT_EQ(targets(*dlg)->title(), "Enviar para: (Nenhum painel)");

    targets(*dlg)->setChecked(7, true);
    targets(*dlg)->setChecked(0, true);
    EXPECT_EQ(cfg.targetPanels, (std::vector<uint8_t>{0, 7}));
    EXPECT_EQ(fileSize(), 16 + 1); // every panel stands alone in the file
    EXPECT_EQ(targets(*dlg)->title(), "Enviar para: (Todos)");
}

TEST_F(SendDialogTest, SerialUploadEndToEnd) {
    struct Case {
        std::vector<uint8_t> stored;
        std::vector<int> panels;
    };
    for (const Case& c :
         {Case{.stored = {3, 4}, .panels = {3, 4}}, Case{.stored = {0, 7}, .panels = {0}}}) {
        SCOPED_TRACE(c.panels.size());
        connection.setTargetPanels(c.stored);
        setPage(0, {line("")}); // 3 bytes: skipped
        setPage(1, {line("OLA")});
        setPage(4, {line("X"), line("YZ")});
        open();
        sendBoxes({0, 1, 4});
        QTest::mouseClick(button(*dlg, "sendButton"), Qt::LeftButton);
        settle(*dlg);

        PageContent p1 = pageContent(store.pages()[1]), p4 = pageContent(store.pages()[4]);
        std::vector<size_t> lengths;
        std::vector<SerialFrame> expected;
        for (auto [p, content] : {std::pair{1, p1}, {4, p4}})
            for (int panel : c.panels) {
                lengths.push_back(content.size());
                expected.push_back({panel, 150, p, content, 16});
            }
        std::vector<SerialFrame> frames;
        ASSERT_TRUE(decodeSerial(sleeper.take(), lengths, frames));
        EXPECT_EQ(frames, expected);
        // 30 ms after each byte; before the link's first frame, the idle line.
        for (size_t i = 0; i < sleeper.pauses.size(); ++i)
            EXPECT_EQ(sleeper.pauses[i], i == 0 && c.panels.size() == 2 ? LineSettleMs : 30);
        sleeper.pauses.clear();

        // The run ends with the question; the main window waits for the answer.
        EXPECT_EQ(dlg->currentSheet(), SendPagesDialog::Sheet::Progress);
        EXPECT_EQ(label(*dlg, "statusLabel")->text(), "Concluído!");
        EXPECT_EQ(label(*dlg, "headlineLabel")->text(),
                  QString("Envio pela porta serial COM%1").arg(PtyCom));
        EXPECT_TRUE(label(*dlg, "questionLabel")->isVisible());
        EXPECT_EQ(label(*dlg, "questionLabel")->text(),
                  "Todos os painéis receberão as mensagens corretamente?");
        EXPECT_TRUE(button(*dlg, "panelShowsErrorButton")->isVisible());
        EXPECT_TRUE(button(*dlg, "allReceivedButton")->isVisible());
        EXPECT_EQ(child<QProgressBar>(*dlg, "pagesBar")->value(), 3);
        EXPECT_EQ(dlg->sentPagesMask(), 255);
        EXPECT_FALSE(mainEnabled);
        QTest::mouseClick(button(*dlg, "allReceivedButton"), Qt::LeftButton);
        EXPECT_EQ(dlg->currentSheet(), SendPagesDialog::Sheet::Main);
        EXPECT_TRUE(mainEnabled);
        dlg->hide();
    }
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(SendDialogTest, SerialErrorAnswerSendsEverythingAgain) {
    setPage(1, {line("OLA")});
    connection.setTargetPanels({9});
    open();
    sendBoxes({1});
    QTest::mouseClick(button(*dlg, "sendButton"), Qt::LeftButton);
    settle(*dlg);
    QTest::mouseClick(button(*dlg, "panelShowsErrorButton"), Qt::LeftButton);
    settle(*dlg);
    PageContent p1 = pageContent(store.pages()[1]);
    std::vector<SerialFrame> frames;
    ASSERT_TRUE(decodeSerial(sleeper.take(), {p1.size(), p1.size()}, frames));
    EXPECT_EQ(frames.size(), 2u);
    EXPECT_EQ(dlg->currentSheet(), SendPagesDialog::Sheet::Progress);
}

TEST_F(SendDialogTest, NothingToSendToGoesBackToTheFirstPage) {
    setPage(1, {line("OLA")});
    open();
    targets(*dlg)->setChecked(3, false);
    targets(*dlg)->setChecked(4, false);
    for (const char* name : {"sendButton", "clearButton"}) {
        if (std::string(name) == "clearButton") box(*dlg, "clearBox", 0)->setChecked(true);
        QTest::mouseClick(button(*dlg, name), Qt::LeftButton);
        settle(*dlg);
        EXPECT_EQ(dlg->currentSheet(), SendPagesDialog::Sheet::Main);
        EXPECT_TRUE(mainEnabled);
    }
    EXPECT_TRUE(sleeper.take().empty());
    EXPECT_EQ(prompter.messages.size(), 2u);
}

TEST_F(SendDialogTest, MissingPortIsToldForEveryPage) {
    setPage(1, {line("OLA")});
    setPage(2, {line("OI!")});
    open();
    connection.setPortNumber(MissingCom);
    sendBoxes({1, 2});
    QTest::mouseClick(button(*dlg, "sendButton"), Qt::LeftButton);
    settle(*dlg);
    EXPECT_EQ(prompter.prompts,
              (std::vector<Prompt>{Prompt::PortNotSelected, Prompt::PortNotSelected}));
    EXPECT_EQ(dlg->currentSheet(), SendPagesDialog::Sheet::Main);
    EXPECT_TRUE(mainEnabled);
    EXPECT_TRUE(sleeper.take().empty());
}

// Opening says what is missing and puts the keyboard there: the port, then
// the panels; with both, "Enviar" has the focus and Enter sends. The
// selector shows the port the send goes out on, also after "Atualizar Portas".
TEST_F(SendDialogTest, OpeningGuidesToWhatIsMissing) {
    auto* guidance = child<QLabel>(*dlg, "guidanceLabel");
    auto* selector = child<QComboBox>(*dlg, "portSelector");
    dlg->activateWindow();
    open();
    EXPECT_FALSE(guidance->isVisibleTo(dlg.get()));
    EXPECT_TRUE(button(*dlg, "sendButton")->isDefault());
    EXPECT_EQ(selector->currentData().toInt(), PtyCom);
    QTest::mouseClick(button(*dlg, "refreshPortsButton"), Qt::LeftButton);
    EXPECT_EQ(selector->currentData().toInt(), PtyCom) << "the port in use, not the first";
    dlg->hide();

    connection.setPortNumber(MissingCom);
    connection.setTargetPanels({});
    open();
    EXPECT_TRUE(guidance->isVisibleTo(dlg.get()));
    EXPECT_EQ(selector->currentIndex(), -1);
    EXPECT_TRUE(guidance->text().contains("Adicionar porta..."));
    EXPECT_TRUE(guidance->text().contains("Enviar para"));
    EXPECT_EQ(dlg->focusWidget(), selector);
    selector->setCurrentIndex(selector->findData(PtyCom));
    emit selector->activated(selector->currentIndex());
    EXPECT_FALSE(guidance->text().contains("Adicionar porta..."));
    EXPECT_EQ(dlg->focusWidget(), child<QListWidget>(*dlg, "targetItems"));
    targets(*dlg)->setChecked(3, true);
    EXPECT_FALSE(guidance->isVisibleTo(dlg.get()));
    EXPECT_EQ(dlg->focusWidget(), button(*dlg, "sendButton"));
    EXPECT_EQ(box(*dlg, "sendBox", 0)->accessibleName(), "Enviar página 1");
}

TEST_F(SendDialogTest, ClearSendsOneEmptyLineAndReopens) {
    open();
    box(*dlg, "clearBox", 0)->setChecked(true);
    box(*dlg, "clearBox", 6)->setChecked(true);
    QTest::mouseClick(button(*dlg, "clearButton"), Qt::LeftButton);
    settle(*dlg);
    std::vector<SerialFrame> frames;
    ASSERT_TRUE(decodeSerial(sleeper.take(), {3, 3, 3, 3}, frames));
    PageContent empty{255, 192, 192};
    EXPECT_EQ(frames, (std::vector<SerialFrame>{{3, 150, 0, empty, 17},
                                                {4, 150, 0, empty, 17},
                                                {3, 150, 6, empty, 16},
                                                {4, 150, 6, empty, 16}}));
    // The opening ran again: the clear boxes are unchecked.
    EXPECT_FALSE(box(*dlg, "clearBox", 0)->isChecked());
    EXPECT_TRUE(label(*dlg, "questionLabel")->isVisible());
}

TEST_F(SendDialogTest, DisplayButtonSendsTheMaskToTheTargets) {
    open();
    box(*dlg, "displayBox", 2)->setChecked(false);
    QTest::mouseClick(button(*dlg, "displayButton"), Qt::LeftButton);
    settle(*dlg);
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::NoPageSelected});
    EXPECT_TRUE(sleeper.take().empty());

    box(*dlg, "displayBox", 0)->setChecked(true);
    box(*dlg, "displayBox", 2)->setChecked(true);
    QTest::mouseClick(button(*dlg, "displayButton"), Qt::LeftButton);
    settle(*dlg);
    EXPECT_EQ(sleeper.take(), (std::vector<uint8_t>{3, 98, 0, 5, 4, 98, 0, 5}));
    EXPECT_FALSE(dlg->progressWindow()->isVisible());
}

TEST_F(SendDialogTest, ClosingResumesEveryPanel) {
    open();
    dlg->close();
    EXPECT_FALSE(dlg->isVisible()); // at once; the resume goes out behind it
    settle(*dlg);
    EXPECT_EQ(sleeper.take(), (std::vector<uint8_t>{0, 98, 255, 0}));
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(afterClose, 1);
    EXPECT_TRUE(mainEnabled);
}

TEST_F(SendDialogTest, ClosingDuringARunStopsItFirst) {
    setPage(1, {line("UMA LINHA LONGA")});
    connection.setTargetPanels({1, 2, 3});
    open();
    sendBoxes({1});
    sleeper.onPause = [this](int count) {
        // The operator closes the window mid-frame (the first pause is the
        // idle line before it).
        if (count == 6) onDialogThread(dlg.get(), [this] { dlg->close(); });
    };
    QTest::mouseClick(button(*dlg, "sendButton"), Qt::LeftButton);
    settle(*dlg);
    auto wire = sleeper.take();
    // Five bytes of the first frame, then the resume command, after an idle
    // line so that the panels drop the cut frame instead of taking the
    // command as its rest.
    EXPECT_EQ(wire, (std::vector<uint8_t>{1, 150, 4, 0xFF, 192, 0, 98, 255, 0}));
    EXPECT_EQ(std::count(sleeper.pauses.begin(), sleeper.pauses.end(), LineSettleMs), 2);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(mainEnabled);
    EXPECT_EQ(afterClose, 1);
}

// The main window closing mid-upload destroys the send dialog (or all the
// send features) while the worker is between two bytes: the destruction
// waits for the worker, the port is closed, the rest is not sent and the
// resume command is not sent either.
// A result on show lets the window's events run: one of them may close the
// dialog for good before the message box returns.
TEST_F(SendDialogTest, DestroyedWhileItsResultIsOnShow) {
    setPage(1, {line("AB")});
    connection.setPortNumber(77); // not installed: the refused page is told after the run
    dlg->show();
    checkSendBoxes(*dlg, {1});
    QSignalSpy destroyed(dlg.get(), &QObject::destroyed);
    prompter.whileShown = [&] {
        if (prompter.prompts.empty() || prompter.prompts.back() != Prompt::PortNotSelected) return;
        prompter.whileShown = {};
        dlg.reset();
    };
    QTest::mouseClick(button(*dlg, "sendButton"), Qt::LeftButton);
    QTRY_COMPARE(destroyed.count(), 1);
    EXPECT_EQ(prompter.prompts.back(), Prompt::PortNotSelected);
    EXPECT_FALSE(port.isOpen);
}

TEST_F(SendDialogTest, DestroyedMidUploadStopsAndClosesThePort) {
    setPage(1, {line("UMA LINHA LONGA")});
    setPage(2, {line("OUTRA PAGINA")});
    connection.setTargetPanels({1, 2, 3});
    for (bool wholeFeatures : {false, true}) {
        SCOPED_TRACE(wholeFeatures ? "features" : "dialog");
        QWidget window;
        std::unique_ptr<SendFeatures> features;
        SendPagesDialog* send = dlg.get();
        if (wholeFeatures) {
            SendFeatureServices s;
            s.connCfgPath = connCfg().toStdString();
            s.sleeper = &sleeper;
            s.random = &random;
            features = std::make_unique<SendFeatures>(
                SendLink{connection, catalog, port, transmitter, prompter}, store, s, &window);
            send = &features->sendDialog();
        }
        send->show();
        checkSendBoxes(*send, {1, 2});
        QSignalSpy destroyed(send, &QObject::destroyed);
        sleeper.pauses.clear();
        sleeper.onPause = [&](int count) {
            // Asked for while the worker goes on: it is stopped wherever it is.
            if (count != 7) return;
            QMetaObject::invokeMethod(
                &window,
                [&] {
                    if (wholeFeatures)
                        features.reset();
                    else
                        dlg.reset();
                },
                Qt::QueuedConnection);
        };
        QTest::mouseClick(button(*send, "sendButton"), Qt::LeftButton);
        ASSERT_TRUE(destroyed.wait(10000));
        sleeper.onPause = {};
        EXPECT_FALSE(port.isOpen);
        auto wire = sleeper.take();
        // A part of the first frame (or of the first few frames), nothing else:
        // at least the six bytes before pause 7 (the first pause lets the line
        // settle before any byte); the stop may land before the next one.
        PageContent p1 = pageContent(store.pages()[1]);
        std::vector<uint8_t> whole = serialPageFrame(1, 1, p1, false);
        ASSERT_GE(wire.size(), 6u);
        ASSERT_LT(wire.size(), whole.size() * 3);
        for (size_t i = 0; i < std::min(wire.size(), whole.size()); ++i)
            EXPECT_EQ(wire[i], whole[i]) << i;
        EXPECT_TRUE(pty.drain(200).empty()); // nothing follows
        EXPECT_TRUE(prompter.prompts.empty());
    }
}

TEST_F(SendDialogTest, TheWindowStaysAliveDuringATransfer) {
    ThreadSleeper realPauses;
    OperatorLink slowLink{connection, catalog, port, transmitter, realPauses, prompter};
    SendPagesDialog live(slowLink, store, services());
    setPage(1, {line("0123456789")});
    live.show();
    live.setSerialPause(5);
    checkSendBoxes(live, {1});
    std::vector<int> seen;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout,
                     [&] { seen.push_back(child<QProgressBar>(live, "dataBar")->value()); });
    sampler.start(10);
    live.sendCheckedPages();
    settle(live);
    sampler.stop();
    pty.drain(100);
    // The timer kept firing and saw the bar move.
    ASSERT_GT(seen.size(), 5u);
    std::set<int> distinct(seen.begin(), seen.end());
    EXPECT_GT(distinct.size(), 3u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

// ---- the transmitter ----

TEST_F(SendDialogTest, TransmitterUploadAndTheErrorCodes) {
    attachTransmitter();
    setPage(0, {line("PAGE ONE")});
    setPage(1, {line("TWO"), line("")});
    setPage(3, {line("FOUR FOUR")});
    setPage(4, {line("FIVE!")});
    open();
    ASSERT_EQ(cfg.transport, Transport::Transmitter);
    sendBoxes({1, 4});
    QTest::mouseClick(button(*dlg, "sendButton"), Qt::LeftButton);
    settle(*dlg);
    EXPECT_EQ(dlg->sentPagesMask(), 237);
    auto run = reports();
    ASSERT_GE(run.size(), 2u);
    for (size_t i = run.size() - 2; i < run.size(); ++i) {
        EXPECT_EQ(run[i].kind, KqReport::End);
        EXPECT_EQ(run[i].mask, 237);
    }
    EXPECT_EQ(label(*dlg, "headlineLabel")->text(), "Envio pelo Transmissor KQ");
    size_t done = run.size();

    // "Não, painel exibe erro": the code page with its first digit selected.
    QTest::mouseClick(button(*dlg, "panelShowsErrorButton"), Qt::LeftButton);
    settle(*dlg);
    ASSERT_EQ(dlg->currentSheet(), SendPagesDialog::Sheet::ErrorCode);
    EXPECT_EQ(codeEdit()->text(), "000000");
    EXPECT_EQ(codeEdit()->selectionStart(), 0);
    EXPECT_EQ(codeEdit()->selectedText(), "0");

    typeCode("000004");
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"A PÁGINA 1 NÃO FOI ENVIADA"});
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::InvalidErrorCode});
    EXPECT_EQ(codeEdit()->selectionStart(), 0);
    EXPECT_EQ(codeEdit()->selectedText(), "000");

    typeCode("237009");
    EXPECT_EQ(prompter.messages.back(), "O painel 9 não está na lista de envios");
    EXPECT_EQ(codeEdit()->selectionStart(), 3);
    EXPECT_EQ(codeEdit()->selectedText(), "009");
    EXPECT_EQ(reports().size(), done);

    typeCode("237004");
    auto resumed = reports();
    ASSERT_EQ(resumed.size(), done + 3);
    EXPECT_EQ(resumed.back().kind, KqReport::Parameter);
    EXPECT_EQ(resumed.back().panel, 4);
    EXPECT_EQ(resumed.back().parameter, 255);
    done = resumed.size();

    typeCode("253004");
    auto resent = reports();
    std::vector<int> pages;
    for (size_t i = done; i < resent.size(); ++i)
        if (resent[i].kind == KqReport::Header) pages.push_back(resent[i].page);
    EXPECT_EQ(pages, (std::vector<int>{0, 0, 3, 3, 4, 4}));
    EXPECT_EQ(resent.back().kind, KqReport::RepairEnd);
    EXPECT_EQ(resent.back().mask, 2);
    EXPECT_EQ(dlg->currentSheet(), SendPagesDialog::Sheet::Progress);
    EXPECT_TRUE(label(*dlg, "questionLabel")->isVisible());
    EXPECT_EQ(prompter.prompts,
              (std::vector<Prompt>{Prompt::InvalidErrorCode, Prompt::InvalidErrorCode}));
}

// Destroyed while the transmitter upload is between two reports: the
// destruction waits for the worker, which stops at its next step; no end
// report and no resume command follow.
TEST_F(SendDialogTest, TransmitterUploadDestroyedMidRunStops) {
    attachTransmitter();
    setPage(1, {line("UMA LINHA LONGA")});
    setPage(2, {line("OUTRA PAGINA")});
    open();
    ASSERT_EQ(cfg.transport, Transport::Transmitter);
    sendBoxes({1, 2});
    QObject context;
    QSignalSpy destroyed(dlg.get(), &QObject::destroyed);
    sleeper.pauses.clear();
    sleeper.onPause = [&](int count) {
        // Before the third header report to panel 3.
        if (count != 4) return;
        QMetaObject::invokeMethod(
            &context, [&] { dlg.reset(); }, Qt::QueuedConnection);
    };
    QTest::mouseClick(button(*dlg, "sendButton"), Qt::LeftButton);
    ASSERT_TRUE(destroyed.wait(10000));
    sleeper.onPause = {};
    auto sent = reports();
    ASSERT_FALSE(sent.empty());
    EXPECT_LE(sent.size(), 3u);
    for (const KqReport& r : sent) {
        EXPECT_EQ(r.kind, KqReport::Header);
        EXPECT_EQ(r.panel, 3);
        EXPECT_EQ(r.page, 1);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(reports().size(), sent.size()); // nothing follows
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(SendDialogTest, TransmitterNotYetIdentifiedSendsNothing) {
    attachTransmitter(false);
    setPage(1, {line("OLA")});
    open();
    sendBoxes({1});
    prompter.answers = {ButtonNo};
    QTest::mouseClick(button(*dlg, "sendButton"), Qt::LeftButton);
    settle(*dlg);
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::ConfigureTransmitter});
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(dlg->currentSheet(), SendPagesDialog::Sheet::Main);
    EXPECT_TRUE(mainEnabled);
}

// ---- chooser, power buttons, panel-number display ----

struct FeaturesTest : SendDialogTest {
    std::unique_ptr<QWidget> window;
    std::unique_ptr<SendFeatures> features;
    QPushButton* on = nullptr;
    QPushButton* off = nullptr;
    void SetUp() override {
        SendDialogTest::SetUp();
        window = std::make_unique<QWidget>();
        window->setWindowTitle("Vorelux");
        makeFeatures();
    }
    void makeFeatures() {
        SendFeatureServices s;
        s.connCfgPath = connCfg().toStdString();
        s.sleeper = &sleeper;
        s.random = &random;
        features = std::make_unique<SendFeatures>(
            SendLink{connection, catalog, port, transmitter, prompter}, store, s, window.get());
        on = new QPushButton("Ligar", window.get());
        off = new QPushButton("Desligar", window.get());
        features->attachPowerButtons(on, off);
    }
    void TearDown() override {
        if (features) settle(*features);
        SendDialogTest::TearDown();
    }
    // Clicks a power button and lets its run end.
    void click(QPushButton* b) {
        QTest::mouseClick(b, Qt::LeftButton);
        settle(*features);
    }
    void trigger(QAction* entry) {
        entry->trigger();
        settle(*features);
    }
    // Runs `step` once the modal window in front has started.
    void whenShown(std::function<void()> step) { QTimer::singleShot(0, std::move(step)); }
};

TEST_F(FeaturesTest, ChooserSendsOnlyWhatItsButtonConfirms) {
    PanelChooserDialog& chooser = features->chooser();
    struct Case {
        const char* how;
        std::vector<uint8_t> wire;
    };
    for (const Case& c : {Case{.how = "Cancelar", .wire = {}}, Case{.how = "close box", .wire = {}},
                          Case{.how = "Esc", .wire = {}},
                          Case{.how = "Ligar", .wire = {5, 98, 255, 0, 9, 98, 255, 0}}}) {
        SCOPED_TRACE(c.how);
        std::string how = c.how;
        whenShown([&] {
            targets(chooser)->setChecked(9, true);
            targets(chooser)->setChecked(5, true);
            targets(chooser)->setChecked(3, false);
            targets(chooser)->setChecked(4, false);
            EXPECT_EQ(targets(chooser)->title(), "Enviar para: (2 painéis)");
            if (how == "Cancelar")
                QTest::mouseClick(button(chooser, "cancelButton"), Qt::LeftButton);
            else if (how == "close box")
                chooser.close();
            else if (how == "Esc")
                QTest::keyClick(&chooser, Qt::Key_Escape);
            else
                QTest::mouseClick(button(chooser, "confirmButton"), Qt::LeftButton);
        });
        features->choosePanels(PanelChooserDialog::Mode::SwitchOn);
        settle(*features);
        EXPECT_EQ(sleeper.take(), c.wire);
        EXPECT_FALSE(chooser.isVisible());
    }
    // The chooser's checks never touch the stored list.
    EXPECT_EQ(cfg.targetPanels, (std::vector<uint8_t>{3, 4}));
    EXPECT_TRUE(prompter.prompts.empty());

    chooser.prepare(PanelChooserDialog::Mode::SwitchOff);
    EXPECT_EQ(button(chooser, "confirmButton")->text(), "Desligar");
    EXPECT_EQ(chooser.windowTitle(), "Vorelux - Desligar");
    EXPECT_EQ(chooser.command(), ParSwitchOff);
    EXPECT_EQ(child<QPlainTextEdit>(chooser, "instructionsText")->toPlainText(),
              "Selecione os painéis que deseja desligar ao lado e click no botão [Desligar].");
}

TEST_F(FeaturesTest, PowerButtonsFollowTheStoredList) {
    struct Case {
        std::vector<uint8_t> stored;
        QPushButton* FeaturesTest::*button;
        std::vector<uint8_t> wire;
    };
    for (const Case& c :
         {Case{.stored = {}, .button = &FeaturesTest::on, .wire = {}},
          Case{.stored = {}, .button = &FeaturesTest::off, .wire = {}},
          Case{.stored = {0, 7}, .button = &FeaturesTest::on, .wire = {0, 98, 255, 0}},
          Case{.stored = {0, 7}, .button = &FeaturesTest::off, .wire = {0, 98, 252, 0}},
          Case{.stored = {3, 4},
          .button = &FeaturesTest::on,
          .wire = {3, 98, 255, 0, 4, 98, 255, 0}},
          Case{.stored = {3, 4},
          .button = &FeaturesTest::off,
          .wire = {3, 98, 252, 0, 4, 98, 252, 0}}}) {
        connection.setTargetPanels(c.stored);
        click(this->*c.button);
        EXPECT_EQ(sleeper.take(), c.wire);
    }
    EXPECT_TRUE(prompter.prompts.empty());
    EXPECT_FALSE(features->progressWindow()->isVisible());

    // The right-click menus.
    QStringList onItems, offItems;
    for (QAction* a : features->powerOnMenu()->actions()) onItems << a->text();
    for (QAction* a : features->powerOffMenu()->actions()) offItems << a->text();
    EXPECT_EQ(onItems, (QStringList{"Ligar todos", "Escolher painíes ...", "Automático"}));
    EXPECT_EQ(offItems, (QStringList{"Desligar todos", "Escolher painíes ...", "Automático"}));
    trigger(features->powerOffMenu()->actions().first());
    EXPECT_EQ(sleeper.take(), (std::vector<uint8_t>{0, 98, 252, 0}));

    // A failure is reported once: the port is gone.
    connection.setPortNumber(MissingCom);
    click(on);
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::PortNotSelected});
}

TEST_F(FeaturesTest, PanelNumbersShowWhileTheDisplayIsOpen) {
    PanelNumberDisplay& ids = features->panelNumberDisplay();
    EXPECT_EQ(ids.windowTitle(), "Vorelux - Exibindo ID");
    whenShown([&] {
        settle(*features);
        EXPECT_TRUE(ids.isVisible());
        EXPECT_EQ(sleeper.take(), (std::vector<uint8_t>{0, 98, 254, 0}));
        QTest::mouseClick(button(ids, "closeButton"), Qt::LeftButton);
    });
    features->showPanelNumbers();
    EXPECT_FALSE(ids.isVisible());
    EXPECT_EQ(sleeper.take(), (std::vector<uint8_t>{0, 98, 255, 0}));

    // The port unplugged: prompt PortNotSelected, the display closes itself, the resume fails
    // silently.
    connection.setPortNumber(MissingCom);
    features->showPanelNumbers();
    EXPECT_FALSE(ids.isVisible());
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::PortNotSelected});
    EXPECT_TRUE(sleeper.take().empty());
}

// Every command runs on the worker with the bytes and pauses it always had
// (per frame 50 ms after the first byte, 25 ms after each other; 20 ms once
// the progress window's bar is full); the window is free meanwhile, a second
// click is dropped and the send dialog waits.
TEST_F(FeaturesTest, CommandsKeepTheirBytesAndPausesOnTheWorker) {
    const std::vector<int> frame{50, 25, 25, 25};
    auto framePauses = [&](int frames, bool progressWindow) {
        std::vector<int> all;
        for (int i = 0; i < frames; ++i) all.insert(all.end(), frame.begin(), frame.end());
        if (progressWindow) all.push_back(20);
        return all;
    };
    PanelChooserDialog& chooser = features->chooser();
    struct Case {
        const char* name;
        std::function<void()> start;
        std::vector<uint8_t> wire;
        int frames;
    };
    bool firstCase = true;
    for (const Case& c : {Case{.name = "Ligar",
                         .start = [&] { QTest::mouseClick(on, Qt::LeftButton); },
                         .wire = {3, 98, 255, 0, 4, 98, 255, 0},
                         .frames = 2},
                          Case{.name = "Desligar",
                          .start = [&] { QTest::mouseClick(off, Qt::LeftButton); },
                          .wire = {3, 98, 252, 0, 4, 98, 252, 0},
                          .frames = 2},
                          Case{.name = "Ligar todos",
                          .start = [&] { features->powerOnMenu()->actions().first()->trigger(); },
                          .wire = {0, 98, 255, 0},
                          .frames = 1},
                          Case{.name = "Desligar todos",
                          .start = [&] { features->powerOffMenu()->actions().first()->trigger(); },
                          .wire = {0, 98, 252, 0},
                          .frames = 1},
                          Case{.name = "Escolher painéis",
                          .start =
                                   [&] {
                                       whenShown([&] {
                                           targets(chooser)->uncheckAll();
                                           targets(chooser)->setChecked(9, true);
                                           targets(chooser)->setChecked(5, true);
                                           QTest::mouseClick(button(chooser, "confirmButton"),
                                                             Qt::LeftButton);
                                       });
                                       features->choosePanels(PanelChooserDialog::Mode::SwitchOff);
                                   },
                          .wire = {5, 98, 252, 0, 9, 98, 252, 0},
                          .frames = 2}}) {
        SCOPED_TRACE(c.name);
        sleeper.pauses.clear();
        c.start();
        ASSERT_TRUE(features->running());
        EXPECT_FALSE(features->sendDialog().isEnabled());
        QTest::mouseClick(on, Qt::LeftButton); // dropped
        features->switchOffAllPanels();        // dropped
        settle(*features);
        EXPECT_TRUE(features->sendDialog().isEnabled());
        EXPECT_EQ(sleeper.take(), c.wire);
        std::vector<int> pauses = framePauses(c.frames, std::string(c.name) == "Ligar");
        if (firstCase) pauses.insert(pauses.begin(), LineSettleMs); // the line unknown yet
        firstCase = false;
        EXPECT_EQ(sleeper.pauses, pauses);
    }
    EXPECT_TRUE(prompter.prompts.empty());

    // "Enviar" during a run opens the dialog once the run has ended.
    QTest::mouseClick(off, Qt::LeftButton);
    features->openSendDialog();
    features->openSendDialog();
    EXPECT_FALSE(features->sendDialog().isVisible());
    settle(*features);
    EXPECT_TRUE(features->sendDialog().isVisible());
    features->sendDialog().close();
    settle(features->sendDialog());
    EXPECT_EQ(sleeper.take(), (std::vector<uint8_t>{3, 98, 252, 0, 4, 98, 252, 0, 0, 98, 255, 0}));

    // Through the transmitter: the report three times, the transmitter's pause before each.
    attachTransmitter();
    connection.setTransport(Transport::Transmitter);
    sleeper.pauses.clear();
    trigger(features->powerOnMenu()->actions().first());
    auto sent = reports();
    ASSERT_EQ(sent.size(), 3u);
    for (const KqReport& r : sent) {
        EXPECT_EQ(r.kind, KqReport::Parameter);
        EXPECT_EQ(r.panel, 0);
        EXPECT_EQ(r.parameter, 255);
    }
    EXPECT_EQ(sleeper.pauses, (std::vector<int>(3, link.transmitterPauseMs)));
    EXPECT_TRUE(prompter.prompts.empty());
}

// "Cancelar" on the progress window, clicked while the worker is inside the
// first panel's frame: that frame ends, the next panel gets nothing.
TEST_F(FeaturesTest, CancelStopsTheStoredListBeforeTheNextPanel) {
    connection.setTargetPanels({3, 4, 5});
    ProgressWindowDialog* progress = features->progressWindow();
    bool shownDuringRun = false;
    sleeper.onPause = [&](int count) {
        if (count != 2) return;
        onDialogThread(progress, [&] {
            shownDuringRun = progress->isVisible();
            QTest::mouseClick(progress->cancelButton(), Qt::LeftButton);
        });
    };
    click(on);
    sleeper.onPause = {};
    EXPECT_TRUE(shownDuringRun);
    EXPECT_EQ(sleeper.take(), (std::vector<uint8_t>{3, 98, 255, 0}));
    EXPECT_FALSE(progress->isVisible());
    EXPECT_TRUE(prompter.prompts.empty());

    // The next click serves the whole list again.
    click(on);
    EXPECT_EQ(sleeper.take(), (std::vector<uint8_t>{3, 98, 255, 0, 4, 98, 255, 0, 5, 98, 255, 0}));
}

// A listening socket on the loopback that never says a word; with a queue
// of none, filled by a first connection, the next one waits to connect.
struct SilentServer {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    int filler = -1;
    sockaddr_in at{};
    explicit SilentServer(bool fullQueue) {
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at);
        listen(fd, fullQueue ? 0 : 4);
        socklen_t len = sizeof at;
        getsockname(fd, reinterpret_cast<sockaddr*>(&at), &len);
        if (!fullQueue) return;
        filler = socket(AF_INET, SOCK_STREAM, 0);
        ::connect(filler, reinterpret_cast<sockaddr*>(&at), sizeof at);
    }
    ~SilentServer() {
        if (filler >= 0) close(filler);
        close(fd);
    }
    std::string address(const char* scheme) const {
        return std::string(scheme) + "127.0.0.1:" + std::to_string(ntohs(at.sin_port));
    }
};

// The editor waiting for a device server (a connection that is slow to be
// made, a telnet negotiation never answered) keeps its window alive, shows
// the progress window, and its "Cancelar" ends the wait at once: no 3 or 5 s,
// no message, nothing else sent.
TEST_F(FeaturesTest, WaitingForADeviceServerKeepsTheWindowAliveAndCancelEndsIt) {
    constexpr int NetworkCom = 170;
    QtNetworkPort windowsNetworkPort; // the editor's own, as in its link system
    PortByAddress editorPort{port, windowsNetworkPort};
    SendFeatureServices services;
    services.connCfgPath = connCfg().toStdString();
    services.random = &random;
    connection.setTargetPanels({3, 4, 5});
    connection.setPortNumber(NetworkCom);
    for (bool slowConnect : {false, true}) {
        SCOPED_TRACE(slowConnect ? "slow connection" : "silent negotiation");
        SilentServer server(slowConnect);
        catalog.registerPort(NetworkCom, server.address(slowConnect ? "socket://" : "rfc2217://"));
        SendFeatures editor(SendLink{connection, catalog, editorPort, transmitter, prompter}, store,
                            services, window.get());
        QPushButton onButton("Ligar", window.get());
        editor.attachPowerButtons(&onButton, nullptr);
        ProgressWindowDialog* progress = editor.progressWindow();

        QElapsedTimer clock;
        qint64 last = 0, widestGap = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            widestGap = std::max(widestGap, clock.elapsed() - last);
            last = clock.elapsed();
        });
        clock.start();
        ticker.start(10);
        QTest::mouseClick(&onButton, Qt::LeftButton);
        QTest::qWait(800);
        EXPECT_TRUE(editor.running());
        EXPECT_TRUE(progress->isVisible());
        QElapsedTimer sinceCancel;
        sinceCancel.start();
        QTest::mouseClick(progress->cancelButton(), Qt::LeftButton);
        settle(editor);
        const qint64 cancelTook = sinceCancel.elapsed();
        ticker.stop();
        // The window's events kept coming (wide margins: CI is busy).
        EXPECT_LT(widestGap, 500) << "the window stood still";
        EXPECT_LT(cancelTook, 1500) << "the wait went on after Cancelar";
        EXPECT_FALSE(progress->isVisible());
        EXPECT_TRUE(prompter.prompts.empty());
        EXPECT_TRUE(prompter.messages.empty());
    }
    catalog.unregisterPort(NetworkCom);
    EXPECT_TRUE(sleeper.take().empty());
}

// The main window closing mid-run destroys the features while the worker is
// inside the first panel's frame: the destruction waits for the worker, the
// frame ends, the port is closed and the other panels get nothing.
TEST_F(FeaturesTest, DestroyedMidRunStopsAndClosesThePort) {
    connection.setTargetPanels({3, 4, 5});
    for (bool switchOn : {true, false}) {
        SCOPED_TRACE(switchOn ? "Ligar" : "Desligar");
        QSignalSpy destroyed(features.get(), &QObject::destroyed);
        sleeper.pauses.clear();
        sleeper.onPause = [&](int count) {
            if (count != 2) return;
            QMetaObject::invokeMethod(
                window.get(), [&] { features.reset(); }, Qt::QueuedConnection);
        };
        QTest::mouseClick(switchOn ? on : off, Qt::LeftButton);
        ASSERT_TRUE(destroyed.wait(10000));
        sleeper.onPause = {};
        EXPECT_FALSE(port.isOpen);
        uint8_t command = switchOn ? ParSwitchOn : ParSwitchOff;
        EXPECT_EQ(sleeper.take(), (std::vector<uint8_t>{3, 98, command, 0}));
        QCoreApplication::processEvents();
        EXPECT_TRUE(pty.drain(200).empty()); // nothing follows
        EXPECT_TRUE(prompter.prompts.empty());
        makeFeatures();
    }
}

// installSendFeatures knows nothing of the main window: it hooks the controls
// a SendHost lends it and asks the host for its page and its closing step.
TEST_F(SendDialogTest, InstallHooksTheHostControls) {
    QMainWindow host;
    host.setWindowTitle("Anfitriao");
    auto* central = new QWidget(&host);
    host.setCentralWidget(central);
    auto* sendOpener = new QPushButton("Enviar", central);
    auto* powerOn = new QPushButton("Ligar", central);
    auto* sendAction = host.menuBar()->addAction("Enviar");
    QMenu previewOff;
    previewOff.addAction("Desligar todos");
    int closed = 0;
    SendHost hooks;
    hooks.window = &host;
    hooks.store = &store;
    hooks.connCfgPath = connCfg();
    hooks.currentPage = [] { return 5; };
    hooks.afterSendClose = [&closed] { ++closed; };
    hooks.sendButton = sendOpener;
    hooks.sendAction = sendAction;
    hooks.powerOnButton = powerOn;
    hooks.previewOffMenu = &previewOff;
    SendFeatureServices services;
    services.sleeper = &sleeper;
    services.random = &random;
    auto features = installSendFeatures(
        hooks, SendLink{connection, catalog, port, transmitter, prompter}, services);
    host.show();

    SendPagesDialog& send = features->sendDialog();
    QTest::mouseClick(sendOpener, Qt::LeftButton);
    ASSERT_TRUE(send.isVisible());
    EXPECT_EQ(send.windowTitle(), "Anfitriao - Enviar");
    EXPECT_TRUE(box(send, "displayBox", 5)->isChecked()); // the host's page

    // A run leaves the host's controls and menus disabled until the answer.
    setPage(1, {line("OLA")});
    checkSendBoxes(send, {1});
    QTest::mouseClick(button(send, "sendButton"), Qt::LeftButton);
    settle(send);
    EXPECT_FALSE(central->isEnabled());
    EXPECT_FALSE(host.menuBar()->isEnabled());
    QTest::mouseClick(button(send, "allReceivedButton"), Qt::LeftButton);
    EXPECT_TRUE(central->isEnabled());
    EXPECT_TRUE(host.menuBar()->isEnabled());
    send.close();
    settle(send);
    EXPECT_EQ(closed, 1);
    sendAction->trigger();
    EXPECT_TRUE(send.isVisible());
    send.close();
    settle(send);
    EXPECT_EQ(closed, 2);
    sleeper.take();

    QTest::mouseClick(powerOn, Qt::LeftButton);
    settle(*features);
    EXPECT_EQ(sleeper.take(), (std::vector<uint8_t>{3, 98, 255, 0, 4, 98, 255, 0}));
    previewOff.actions().first()->trigger();
    settle(*features);
    EXPECT_EQ(sleeper.take(), (std::vector<uint8_t>{0, 98, 252, 0}));
    EXPECT_TRUE(prompter.prompts.empty());
}

} // namespace
} // namespace vorelux::app
