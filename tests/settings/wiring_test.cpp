// The settings dialog inside the real main window: its openers.
#include "app/app_fakes.h"
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
    TForm1* window = nullptr;
    TForm3* settings = nullptr;
    void SetUp() override {
        window = &h.start();
        settings = window->settingsDialog();
        ASSERT_NE(settings, nullptr);
    }
    // Runs `open` and reports the tab the dialog showed on, closing it again.
    int tabOpenedBy(const std::function<void()>& open) {
        int tab = -1;
        QTimer::singleShot(0, settings, [&] {
            if (settings->isVisible()) tab = settings->PageControl1->currentIndex();
            settings->reject();
        });
        open();
        QTest::qWait(1);
        EXPECT_FALSE(settings->isVisible());
        return tab;
    }
};

TEST_F(Openers, AjustesButtonOpensOnTheSpeedTab) {
    EXPECT_EQ(window->BitBtn4->toolTip(), "Ajusta e configura o painel");
    settings->PageControl1->setCurrentIndex(TForm3::tbsRegress);
    EXPECT_EQ(tabOpenedBy([&] { window->BitBtn4->click(); }), TForm3::tsVelocidade);
    EXPECT_TRUE(settings->GroupBoxTargets->isVisibleTo(settings));
}

TEST_F(Openers, FunctionListAjustarOpensTheLiveFieldsTab) {
    EXPECT_EQ(FunctionSettingsTab(0), TForm3::tsHora);
    EXPECT_EQ(FunctionSettingsTab(12), TForm3::tbsRegress);
    EXPECT_EQ(FunctionSettingsTab(13), TForm3::tbsProgress);
    QListWidget* list = window->ListBox2;
    QAction* ajustar = window->PopupFuncoes->actions().first();
    struct Case {
        int item;
        int tab; // -1: no menu
    };
    for (Case c : {Case{12, TForm3::tbsRegress}, Case{13, TForm3::tbsProgress},
                   Case{2, TForm3::tsHora}, Case{10, -1}}) {
        SCOPED_TRACE(c.item);
        list->scrollToItem(list->item(c.item));
        QPoint at = list->visualItemRect(list->item(c.item)).center();
        emit list->customContextMenuRequested(at);
        EXPECT_EQ(list->currentRow(), c.item);
        EXPECT_EQ(window->PopupFuncoes->isVisible(), c.tab >= 0);
        if (c.tab < 0) continue;
        window->PopupFuncoes->hide();
        EXPECT_EQ(tabOpenedBy([&] { ajustar->trigger(); }), c.tab);
    }
}

TEST_F(Openers, PowerMenusAutomaticoOpensTheOnOffTab) {
    for (QMenu* menu :
         {window->sendFeatures()->powerOnMenu(), window->sendFeatures()->powerOffMenu()}) {
        QAction* automatico = nullptr;
        for (QAction* a : menu->actions())
            if (a->text() == QString::fromUtf8("Automático")) automatico = a;
        ASSERT_NE(automatico, nullptr);
        EXPECT_TRUE(automatico->isEnabled());
        EXPECT_EQ(tabOpenedBy([&] { automatico->trigger(); }), TForm3::tbsOnOffTime);
    }
}

} // namespace
} // namespace vorelux::app
