// The sending windows in the real main window: "Enviar" opens the send
// dialog, an upload leaves the main window's controls disabled until the
// operator answers, closing the dialog resumes every panel; the power buttons
// and their menus.
#include "../app_fakes.h"
#include "app/send/send_features.h"
#include "pty.h"
#include "settle.h"
#include "support/decoders.h"
#include "transport/link_system.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace vorelux::app {
namespace {

using sendtest::decodeSerial;
using sendtest::Pty;
using sendtest::SerialFrame;

// A control of the main window (not of its dialogs) by its object name.
QPushButton* mainButton(MainWindow& window, const char* name) {
    return window.centralWidget()->findChild<QPushButton*>(QString::fromLatin1(name));
}

TEST(SendInMainWindow, SendButtonOpensTheDialogAndAnUploadGoesOut) {
    Pty pty;
    ASSERT_FALSE(pty.slavePath.empty());
    vorelux::testing::WindowHarness harness;
    MainWindow& form = harness.start();
    ASSERT_NE(form.sendFeatures(), nullptr);
    ASSERT_NE(form.linkSystem(), nullptr);
    form.linkSystem()->catalog().registerPort(150, pty.slavePath, "painel virtual");
    form.connectionSettings().setPortNumber(150);
    form.connectionSettings().setTargetPanels({5});
    LineStream ola{0xFF, 192, 192, 'O', 'L', 'A'};
    form.store().setPageLines(1, {ola});

    SendPagesDialog& send = form.sendFeatures()->sendDialog();
    QTest::mouseClick(mainButton(form, "sendButton"), Qt::LeftButton);
    ASSERT_TRUE(send.isVisible());
    EXPECT_EQ(send.windowTitle(), MainWindow::WindowCaption + " - Enviar");
    EXPECT_EQ(send.currentSheet(), SendPagesDialog::Sheet::Main);
    EXPECT_TRUE(send.findChild<QCheckBox*>("sendBox2")->isChecked()); // page 2 holds a line
    EXPECT_TRUE(
        send.findChild<QCheckBox*>("displayBox1")->isChecked()); // page 1 is the main window's page

    // While the page goes out, the main window's controls wait and the dialog answers.
    std::vector<bool> mainEnabled, dialogEnabled;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        mainEnabled.push_back(form.centralWidget()->isEnabled());
        dialogEnabled.push_back(send.isEnabled());
    });
    sampler.start(20);
    QTest::mouseClick(send.findChild<QPushButton*>("sendButton"), Qt::LeftButton);
    settle(send);
    sampler.stop();
    ASSERT_FALSE(mainEnabled.empty());
    EXPECT_EQ(std::count(mainEnabled.begin(), mainEnabled.end(), true), 0);
    EXPECT_EQ(std::count(dialogEnabled.begin(), dialogEnabled.end(), false), 0);
    EXPECT_FALSE(form.menuBar()->isEnabled());
    QTest::mouseClick(send.findChild<QPushButton*>("allReceivedButton"), Qt::LeftButton);
    EXPECT_TRUE(form.centralWidget()->isEnabled());
    EXPECT_TRUE(form.menuBar()->isEnabled());

    // The menu entry closes the open dialog (resume) and shows it again.
    form.findChild<QAction*>("sendAction")->trigger();
    EXPECT_TRUE(send.isVisible());
    settle(send);
    send.close();
    settle(send);
    EXPECT_FALSE(send.isVisible());

    std::vector<SerialFrame> frames;
    auto wire = pty.drain(500);
    // Page 1 holds the start-up line: it goes too, ending with 17 (the display selector's page).
    PageContent first = pageContent(form.store().pages()[0]);
    ASSERT_TRUE(decodeSerial(wire, {first.size(), 6}, frames)) << ::testing::PrintToString(wire);
    EXPECT_EQ(frames, (std::vector<SerialFrame>{{5, 150, 0, first, 17},
                                                {5, 150, 1, {0xFF, 192, 192, 'O', 'L', 'A'}, 16},
                                                {0, 98, -1, {}, -1, 255, 0},
                                                {0, 98, -1, {}, -1, 255, 0}}));
    EXPECT_TRUE(harness.prompter.prompts.empty());
}

#ifdef VORELUX_PANEL
// A virtual panel started by hand appears in the send dialog's port list by
// itself, and the page sent to it from the dialog is stored and shown there.
TEST(SendInMainWindow, ARunningVirtualPanelIsListedAndGetsThePage) {
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QProcess panel;
    panel.start(VORELUX_PANEL, {"--headless", "--log", "--id", "5", "--pty"});
    ASSERT_TRUE(panel.waitForReadyRead(10000));
    const QStringList first = QString::fromLocal8Bit(panel.readLine()).split(' ');
    ASSERT_EQ(first.size(), 3) << first.join(' ').toStdString(); // pty /dev/pts/N COMn
    const QString device = first[1], com = first[2].trimmed();

    vorelux::testing::WindowHarness harness;
    MainWindow& form = harness.start();
    form.connectionSettings().setTargetPanels({5});
    LineStream ola{0xFF, 192, 192, 'O', 'L', 'A'};
    form.store().setPageLines(0, {ola});

    SendPagesDialog& send = form.sendFeatures()->sendDialog();
    QTest::mouseClick(mainButton(form, "sendButton"), Qt::LeftButton);
    ASSERT_TRUE(send.isVisible());
    QTest::mouseClick(send.findChild<QPushButton*>("refreshPortsButton"), Qt::LeftButton);
    auto* selector = send.findChild<QComboBox*>("portSelector");
    const int index = selector->findText(com + "  (painel virtual 5, " + device + ")");
    ASSERT_GE(index, 0) << selector->itemText(0).toStdString();
    selector->setCurrentIndex(index);
    emit selector->activated(index); // the operator's choice
    EXPECT_EQ(form.connectionSettings().get().portNumber, com.mid(3).toInt());

    QTest::mouseClick(send.findChild<QPushButton*>("sendButton"), Qt::LeftButton);
    settle(send);
    QTest::mouseClick(send.findChild<QPushButton*>("allReceivedButton"), Qt::LeftButton);
    // Only prompt PortNotFound on opening: conn.cfg names no port yet.
    EXPECT_EQ(harness.prompter.prompts, std::vector<Prompt>{Prompt::PortNotFound});
    QString log;
    for (int i = 0; i < 50 && !log.contains("escolhida para exibição"); ++i) {
        panel.waitForReadyRead(100);
        log += QString::fromUtf8(panel.readAll());
    }
    EXPECT_TRUE(log.contains("página 1 (painel 5, fim 17): gravada, 1 linha")) << log.toStdString();
    EXPECT_TRUE(log.contains("escolhida para exibição")) << log.toStdString();
    send.close();
    settle(send);
    panel.terminate();
    panel.waitForFinished(5000);
    qunsetenv("XDG_RUNTIME_DIR");
}
#endif

TEST(SendInMainWindow, PowerButtonsAndTheirMenus) {
    Pty pty;
    ASSERT_FALSE(pty.slavePath.empty());
    vorelux::testing::WindowHarness harness;
    MainWindow& form = harness.start();
    form.linkSystem()->catalog().registerPort(150, pty.slavePath);
    form.connectionSettings().setPortNumber(150);

    SendFeatures& features = *form.sendFeatures();
    form.connectionSettings().setTargetPanels({});
    QTest::mouseClick(mainButton(form, "powerOnButton"), Qt::LeftButton);
    settle(features);
    QTest::mouseClick(mainButton(form, "powerOffButton"), Qt::LeftButton);
    settle(features);
    EXPECT_TRUE(pty.drain(100).empty());

    form.connectionSettings().setTargetPanels({0, 7});
    QTest::mouseClick(mainButton(form, "powerOffButton"), Qt::LeftButton);
    settle(features);
    EXPECT_EQ(pty.drain(300), (std::vector<uint8_t>{0, 98, 252, 0}));

    EXPECT_EQ(mainButton(form, "powerOnButton")->contextMenuPolicy(), Qt::CustomContextMenu);
    features.powerOnMenu()->actions().first()->trigger(); // "Ligar todos"
    settle(features);
    EXPECT_EQ(pty.drain(300), (std::vector<uint8_t>{0, 98, 255, 0}));
    form.findChild<QMenu*>("powerOffMenu")
        ->actions()
        .first()
        ->trigger(); // "Desligar todos" on "Parar"
    settle(features);
    EXPECT_EQ(pty.drain(300), (std::vector<uint8_t>{0, 98, 252, 0}));
    EXPECT_TRUE(harness.prompter.prompts.empty());
}

} // namespace
} // namespace vorelux::app
