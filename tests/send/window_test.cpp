// The sending windows in the real main window: "Enviar" opens the send
// dialog, an upload leaves the main window's controls disabled until the
// operator answers, closing the dialog resumes every panel; the power buttons
// and their menus.
#include "../app/app_fakes.h"
#include "app/send/send_features.h"
#include "decoders.h"
#include "link/link_system.h"
#include "pty.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace vorelux::app {
namespace {

using sendtest::decodeSerial;
using sendtest::Pty;
using sendtest::SerialFrame;

TEST(SendInMainWindow, EnviarOpensTheDialogAndAnUploadGoesOut) {
    Pty pty;
    ASSERT_FALSE(pty.slavePath.empty());
    vorelux::testing::WindowHarness harness;
    TForm1& form = harness.start();
    ASSERT_NE(form.sendFeatures(), nullptr);
    ASSERT_NE(form.linkSystem(), nullptr);
    form.linkSystem()->catalog().registerPort(150, pty.slavePath, "painel virtual");
    form.CfgComm.portNumber = 150;
    form.CfgComm.targetPanels = {5};
    LineStream ola{0xFF, 192, 192, 'O', 'L', 'A'};
    form.store().pages()[1].lines = {ola};
    form.store().pages()[1].lineCount = 1;

    TfrmEnviar& send = form.sendFeatures()->sendDialog();
    QTest::mouseClick(form.BitBtn2, Qt::LeftButton);
    ASSERT_TRUE(send.isVisible());
    EXPECT_EQ(send.windowTitle(), TForm1::FormCaption + " - Enviar");
    EXPECT_EQ(send.currentPage(), TfrmEnviar::tbsEnviar);
    EXPECT_TRUE(send.sendBoxes[1]->isChecked());
    EXPECT_TRUE(send.displayBoxes[0]->isChecked()); // page 1 is the main window's page

    // While the page goes out, the main window's controls wait and the dialog answers.
    std::vector<bool> mainEnabled, dialogEnabled;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        mainEnabled.push_back(form.centralWidget()->isEnabled());
        dialogEnabled.push_back(send.isEnabled());
    });
    sampler.start(20);
    QTest::mouseClick(send.BitBtn1, Qt::LeftButton);
    sampler.stop();
    ASSERT_FALSE(mainEnabled.empty());
    EXPECT_EQ(std::count(mainEnabled.begin(), mainEnabled.end(), true), 0);
    EXPECT_EQ(std::count(dialogEnabled.begin(), dialogEnabled.end(), false), 0);
    EXPECT_FALSE(form.menuBar()->isEnabled());
    QTest::mouseClick(send.BitBtn6, Qt::LeftButton);
    EXPECT_TRUE(form.centralWidget()->isEnabled());
    EXPECT_TRUE(form.menuBar()->isEnabled());

    // The menu entry closes the open dialog (resume) and shows it again.
    form.Enviar1->trigger();
    EXPECT_TRUE(send.isVisible());
    send.close();
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

TEST(SendInMainWindow, PowerButtonsAndTheirMenus) {
    Pty pty;
    ASSERT_FALSE(pty.slavePath.empty());
    vorelux::testing::WindowHarness harness;
    TForm1& form = harness.start();
    form.linkSystem()->catalog().registerPort(150, pty.slavePath);
    form.CfgComm.portNumber = 150;

    form.CfgComm.targetPanels = {};
    QTest::mouseClick(form.JvSpeedButton1, Qt::LeftButton);
    QTest::mouseClick(form.JvSpeedButton2, Qt::LeftButton);
    EXPECT_TRUE(pty.drain(100).empty());

    form.CfgComm.targetPanels = {0, 7};
    QTest::mouseClick(form.JvSpeedButton2, Qt::LeftButton);
    EXPECT_EQ(pty.drain(300), (std::vector<uint8_t>{0, 98, 252, 0}));

    EXPECT_EQ(form.JvSpeedButton1->contextMenuPolicy(), Qt::CustomContextMenu);
    form.sendFeatures()->powerOnMenu()->actions().first()->trigger(); // "Ligar todos"
    EXPECT_EQ(pty.drain(300), (std::vector<uint8_t>{0, 98, 255, 0}));
    form.PopupDesligar->actions().first()->trigger(); // "Desligar todos" on "Parar"
    EXPECT_EQ(pty.drain(300), (std::vector<uint8_t>{0, 98, 252, 0}));
    EXPECT_TRUE(harness.prompter.prompts.empty());
}

} // namespace
} // namespace vorelux::app
