// "Exibir" → "Cor dos LEDs" in the real main window: the colour is applied
// to the canvas at once, saved in "aparencia.txt" and read at the next start.
#include "app_fakes.h"

#include "app/canvas_widget.h"
#include "render/edit_canvas.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

using namespace vorelux;
using namespace vorelux::testing;

namespace {

// The centre of LED (column, row) on the canvas as the window shows it.
uint32_t ledCentre(app::MainWindow& window, int column, int row) {
    return window.canvas().canvas().pixel(column * 10 + 5, row * 10 + 5);
}

// Whether the canvas shows LEDs in `colour`: the entry marker's lit LEDs and
// the dark ones after it.
bool showsColour(app::MainWindow& window, LedColour colour) {
    const LedShades shades = ledShades(colour);
    bool lit = false, dark = false;
    for (int column = 0; column < 40; ++column)
        for (int row = 0; row < PanelRows; ++row) {
            const uint32_t c = ledCentre(window, column, row);
            lit = lit || c == shades.lit;
            dark = dark || c == shades.dim;
            if (c != shades.lit && c != shades.dim && c != shades.cursor) return false;
        }
    return lit && dark;
}

QAction* colourAction(app::MainWindow& window, const char* word) {
    return child<QAction>(window, (std::string("ledColour_") + word).c_str());
}

} // namespace

class LedColourMenuTest : public QObject {
    Q_OBJECT
  private slots:
    void theMenuSitsBeforeHelpWithFiveExclusiveColours() {
        WindowHarness h;
        app::MainWindow& window = h.start();
        QStringList titles;
        for (QAction* a : window.menuBar()->actions()) titles << a->text();
        const qsizetype options = titles.indexOf(QStringLiteral("E&xibir"));
        QVERIFY2(options >= 0, qPrintable(titles.join(", ")));
        QCOMPARE(options + 1, titles.size() - 1); // just before "Ajuda"
        auto* colours = child<QMenu>(window, "ledColourMenu");
        QCOMPARE(colours->title(), QStringLiteral("&Cor dos LEDs"));
        QStringList items;
        for (QAction* a : colours->actions()) {
            QVERIFY(a->isCheckable());
            items << a->text();
        }
        QCOMPARE(items, (QStringList{"&Vermelho", "Â&mbar", "V&erde", "&Branco", "&Azul"}));
        // No file: red, and nothing asked or told.
        QVERIFY(colourAction(window, "red")->isChecked());
        QVERIFY(showsColour(window, LedColour::Red));
        QVERIFY(h.prompter.messages.empty());
        QVERIFY(!QFile::exists(h.path("aparencia.txt")));
    }

    void aChoiceShowsAtOnceAndIsKeptForTheNextStart() {
        WindowHarness h;
        {
            app::MainWindow& window = h.start();
            colourAction(window, "amber")->trigger();
            QVERIFY(colourAction(window, "amber")->isChecked());
            QVERIFY(!colourAction(window, "red")->isChecked());
            QVERIFY(showsColour(window, LedColour::Amber));
            QCOMPARE(h.readFile("aparencia.txt"), QByteArray("cor=ambar\r\n"));
            QCOMPARE(child<app::CanvasWidget>(window, "editCanvasView")->ledColour(),
                     LedColour::Amber);
            // The cursor stays visible and distinct in the new colour.
            const int column = window.store().view().cursorColumn;
            QCOMPARE(ledCentre(window, column, 3), ledShades(LedColour::Amber).cursor);
            h.window.reset();
        }
        app::MainWindow& again = h.start();
        QVERIFY(colourAction(again, "amber")->isChecked());
        QVERIFY(showsColour(again, LedColour::Amber));
    }

    void aDamagedFileIsRedWithoutAWord() {
        WindowHarness h;
        h.writeFile("aparencia.txt", QByteArray("cor=roxo\n\xFF\xFE"));
        app::MainWindow& window = h.start();
        QVERIFY(colourAction(window, "red")->isChecked());
        QVERIFY(showsColour(window, LedColour::Red));
        QVERIFY(h.prompter.messages.empty());
        colourAction(window, "blue")->trigger();
        QCOMPARE(h.readFile("aparencia.txt"), QByteArray("cor=azul\r\n"));
    }
};

QTEST_MAIN(LedColourMenuTest)
#include "led_colour_menu_test.moc"
