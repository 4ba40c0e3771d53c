// The virtual panel's window on the offscreen platform: the player shows the
// panel's number, its own day counter, pages with the editor's LED look,
// dimmed and turned upright as set; the log pane lists the newest lines.
#include "panel_live.h"
#include "panel_window.h"
#include "preview/page_player.h"
#include "render/edit_canvas.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QThread>
#include <gtest/gtest.h>

#include <set>

namespace vorelux::panel {
namespace {

using Bytes = std::vector<uint8_t>;

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

// With VORELUX_PANEL_SHOTS set, saves the window there for a person to look at.
void keepShot(QWidget& w, const char* name) {
    const QString dir = qEnvironmentVariable("VORELUX_PANEL_SHOTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    w.grab().save(dir + "/" + name + ".png");
}

struct WindowFixture : ::testing::Test {
    PanelHost host{6};
    std::unique_ptr<PanelWindow> window;

    void SetUp() override {
        window = std::make_unique<PanelWindow>(host);
        window->resize(1200, 160);
        window->show();
    }
    void send(const Bytes& bytes) {
        host.receive(
            QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    }
    void param(uint8_t code, uint8_t value) { send({6, 98, code, value}); }
    void page(int p, const Bytes& content) {
        Bytes f{0, 150, uint8_t(p + 3)};
        f.insert(f.end(), content.begin(), content.end());
        f.push_back(16);
        send(f);
    }
    PanelImage textImage(const PanelText& text) {
        GlyphRenderer glyphs;
        PanelImage image{};
        drawCentred(image, glyphs, text);
        return image;
    }
    bool shows(const PanelImage& expected) {
        return pumpUntil([&] { return window->view().frame() == expected; });
    }
};

TEST_F(WindowFixture, ShowsItsNumberOnRequestAndItsPagesAfterwards) {
    page(0, {0xFF, 197, 197, 'V', 'O', 'R', 'E', 'L', 'U', 'X'});
    param(254, 0);
    ASSERT_TRUE(shows(textImage(panelNumberText(6))));
    EXPECT_TRUE(window->statusText().contains("exibindo o número 6"));
    keepShot(*window, "panel-number");
    EXPECT_TRUE(window->logPane().toPlainText().contains(
        "parâmetro 254 = 0 (painel 6): exibindo o número do painel: 6"));

    param(255, 0); // the page plays: "Aparece" puts it up whole, then it is held
    PanelImage text{};
    {
        GlyphRenderer glyphs;
        preview::VectorLineSource lines({{0xFF, 197, 197, 'V', 'O', 'R', 'E', 'L', 'U', 'X'}});
        const PanelImage segment = preview::composeFirstSegment(lines.lines[0], glyphs).image;
        for (int c = 0; c < PanelColumns; ++c) text[size_t(c)] = segment[size_t(c)];
    }
    ASSERT_TRUE(shows(text));
    keepShot(*window, "panel-page");
    param(252, 0);
    ASSERT_TRUE(shows(PanelImage{}));
    EXPECT_TRUE(window->statusText().contains("desligado"));
}

TEST_F(WindowFixture, TheDayCounterCountsFromThePanelsOwnClock) {
    // Its clock set to Sunday 5 March 2023, the count-down ending on Christmas.
    const std::pair<uint8_t, uint8_t> sets[] = {{64, 9}, {65, 7},  {66, 14}, {69, 0},  {67, 5},
                                                {68, 3}, {70, 23}, {42, 25}, {43, 12}, {44, 23}};
    for (auto [code, value] : sets) param(code, value);
    page(1, {0xFF, 197, 197, 26});
    PanelText expected;
    for (char c : std::string("295 DIAS")) expected.text.push_back(uint8_t(c));
    ASSERT_TRUE(shows(textImage(expected)));
    EXPECT_TRUE(window->statusText().contains("05/03/23 14:07"));
    keepShot(*window, "panel-counter");
}

TEST_F(WindowFixture, BrightnessDimsTheLedsAndVerticalStandsThePanelUp) {
    param(254, 0);
    ASSERT_TRUE(shows(textImage(panelNumberText(6))));
    auto litColours = [&](const QImage& image) {
        std::set<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
        colours.erase(qRgb(0, 0, 0));
        colours.erase(QRgb(GridColour));
        colours.erase(QRgb(ledShades(LedColour::Red).dim)); // the dark LEDs stay as they are
        return colours;
    };
    param(11, 255);
    pumpUntil([] { return false; }, 100);
    const LedShades full = ledShades(LedColour::Red);
    EXPECT_EQ(litColours(window->view().picture()), (std::set<QRgb>{full.lit, full.edge}));
    param(11, 20);
    pumpUntil([] { return false; }, 100);
    const LedShades dimmed = ledShades(LedColour::Red, 20);
    EXPECT_EQ(litColours(window->view().picture()), (std::set<QRgb>{dimmed.lit, dimmed.edge}));
    EXPECT_LT(qRed(dimmed.lit), qRed(full.lit));
    EXPECT_GT(qRed(dimmed.lit), 2 * qRed(full.dim)); // still well above a dark LED

    const QImage flat = window->view().picture();
    EXPECT_EQ(flat.size(), QSize(CanvasWidth, CanvasHeight));
    param(12, 1);
    pumpUntil([] { return false; }, 100);
    const QImage upright = window->view().picture();
    ASSERT_EQ(upright.size(), QSize(CanvasHeight, CanvasWidth));
    // The panel's left end at the bottom: column 0 of the flat picture is the
    // bottom row of the upright one.
    for (int y = 0; y < CanvasHeight; ++y)
        EXPECT_EQ(upright.pixel(y, CanvasWidth - 1), flat.pixel(0, y));
    for (int x = 0; x < CanvasWidth; x += 7)
        EXPECT_EQ(upright.pixel(CanvasHeight / 2, CanvasWidth - 1 - x),
                  flat.pixel(x, CanvasHeight / 2));
    window->resize(900, 720);
    keepShot(*window, "panel-vertical");
}

TEST_F(WindowFixture, TheLogPaneKeepsOnlyTheNewestLines) {
    const int total = 3 * int(PanelHost::LogCapacity) + 5;
    for (int i = 0; i < total; ++i) host.note(QStringLiteral("linha %1.").arg(i));
    const QTextDocument& log = *window->logPane().document();
    ASSERT_TRUE(pumpUntil([&] {
        return log.lastBlock().text().endsWith(QStringLiteral("  linha %1.").arg(total - 1));
    }));
    EXPECT_EQ(log.blockCount(), PanelHost::LogCapacity);
    EXPECT_TRUE(log.firstBlock().text().endsWith(
        QStringLiteral("  linha %1.").arg(total - PanelHost::LogCapacity)))
        << log.firstBlock().text().toStdString();
}

TEST(PanelPlayerTiming, SpeedScalesTheCycle) {
    EXPECT_DOUBLE_EQ(PanelPlayer::cycleSeconds(DefaultSpeed), 8.0 / 700.0);
    EXPECT_DOUBLE_EQ(PanelPlayer::cycleSeconds(2) * 15, PanelPlayer::cycleSeconds(30));
}

} // namespace
} // namespace vorelux::panel
