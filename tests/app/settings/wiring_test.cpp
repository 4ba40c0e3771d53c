// The settings dialog inside the real main window: its openers.
#include "../app_fakes.h"
#include "app/send/send_features.h"
#include "app/settings/install.h"

#include <QAction>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace vorelux::app {
namespace {

struct Openers : ::testing::Test {
    vorelux::testing::WindowHarness h;
    MainWindow* window = nullptr;
    PanelSettingsDialog* settings = nullptr;
    void SetUp() override {
        window = &h.start();
        settings = window->settingsDialog();
        ASSERT_NE(settings, nullptr);
    }
    // Runs `open` and reports the tab the dialog showed on, closing it again.
    int tabOpenedBy(const std::function<void()>& open) {
        int tab = -1;
        QTimer::singleShot(0, settings, [&] {
            if (settings->isVisible())
                tab = settings->findChild<QTabWidget*>("tabs")->currentIndex();
            settings->reject();
        });
        open();
        QTest::qWait(1);
        EXPECT_FALSE(settings->isVisible());
        return tab;
    }
};

TEST_F(Openers, SettingsButtonOpensOnTheSpeedTab) {
    EXPECT_EQ(window->findChild<QPushButton*>("settingsButton")->toolTip(),
              "Ajusta e configura o painel");
    settings->findChild<QTabWidget*>("tabs")->setCurrentIndex(PanelSettingsDialog::CountDownTab);
    EXPECT_EQ(tabOpenedBy([&] { window->findChild<QPushButton*>("settingsButton")->click(); }),
              PanelSettingsDialog::SpeedTab);
    EXPECT_TRUE(settings->findChild<QGroupBox*>("targetGroup")->isVisibleTo(settings));
}

TEST_F(Openers, FunctionListAdjustOpensTheLiveFieldsTab) {
    EXPECT_EQ(functionSettingsTab(0), PanelSettingsDialog::ClockTab);
    EXPECT_EQ(functionSettingsTab(12), PanelSettingsDialog::CountDownTab);
    EXPECT_EQ(functionSettingsTab(13), PanelSettingsDialog::CountUpTab);
    QListWidget* list = window->findChild<QListWidget*>("functionList");
    QAction* adjustAction = window->findChild<QMenu*>("functionMenu")->actions().first();
    struct Case {
        int item;
        int tab; // -1: no menu
    };
    for (Case c :
         {Case{.item = 12, .tab = PanelSettingsDialog::CountDownTab},
          Case{.item = 13, .tab = PanelSettingsDialog::CountUpTab},
          Case{.item = 2, .tab = PanelSettingsDialog::ClockTab}, Case{.item = 10, .tab = -1}}) {
        SCOPED_TRACE(c.item);
        list->scrollToItem(list->item(c.item));
        QPoint at = list->visualItemRect(list->item(c.item)).center();
        emit list->customContextMenuRequested(at);
        EXPECT_EQ(list->currentRow(), c.item);
        EXPECT_EQ(window->findChild<QMenu*>("functionMenu")->isVisible(), c.tab >= 0);
        if (c.tab < 0) continue;
        window->findChild<QMenu*>("functionMenu")->hide();
        EXPECT_EQ(tabOpenedBy([&] { adjustAction->trigger(); }), c.tab);
    }
}

TEST_F(Openers, PowerMenusAutomaticOpensTheOnOffTab) {
    for (QMenu* menu :
         {window->sendFeatures()->powerOnMenu(), window->sendFeatures()->powerOffMenu()}) {
        QAction* automaticAction = nullptr;
        for (QAction* a : menu->actions())
            if (a->text() == QString::fromUtf8("Automático")) automaticAction = a;
        ASSERT_NE(automaticAction, nullptr);
        EXPECT_TRUE(automaticAction->isEnabled());
        EXPECT_EQ(tabOpenedBy([&] { automaticAction->trigger(); }), PanelSettingsDialog::OnOffTab);
    }
}

} // namespace
} // namespace vorelux::app
