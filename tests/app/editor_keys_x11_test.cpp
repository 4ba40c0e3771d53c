// The line editor under a real X server: keys typed through the X test
// extension reach the window as X11 reports them (Alt held over digits,
// Shift+Space, Caps Lock held, the server's own key repeat), and the editor
// behaves as on any other platform. Skipped unless running on X11.
#include "app_fakes.h"

#include "app/editor_input.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QtTest>

#include <X11/Xlib.h>
#include <X11/keysym.h>

extern "C" int XTestFakeKeyEvent(Display* display, unsigned int keycode, int is_press,
                                 unsigned long delay);

using namespace vorelux;
using namespace vorelux::testing;
using vorelux::app::MainWindow;

namespace {

Display* display() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

void fake(KeySym sym, bool press) {
    Display* d = display();
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, sym), press ? 1 : 0, 0);
    XFlush(d);
}

void tap(KeySym sym) {
    fake(sym, true);
    fake(sym, false);
}

// Lets the server deliver what was typed.
void settle(int ms = 150) {
    XSync(display(), False);
    QTest::qWait(ms);
}

std::vector<uint8_t> content(const LineStream& line) {
    return {line.begin() + HeaderSize, line.end()};
}

void setPage(MainWindow& window, std::vector<std::vector<uint8_t>> lines, int edit, int cursor) {
    PageStore& store = window.store();
    std::vector<LineStream> page;
    for (auto& bytes : lines) {
        LineStream line = newLine();
        line.insert(line.end(), bytes.begin(), bytes.end());
        page.push_back(line);
    }
    store.setPageLines(store.currentPage(), std::move(page));
    store.setEditLine(edit);
    store.view().cursorByte = cursor;
    window.redrawEditCanvas();
}

} // namespace

class EditorKeysX11Test : public QObject {
    Q_OBJECT
    WindowHarness* h = nullptr;
    MainWindow* window = nullptr;

  private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb") || !display())
            QSKIP("needs an X server");
        app::loadPrivateFont();
        h = new WindowHarness;
        window = &h->start();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        child<QPlainTextEdit>(*window, "editLineText")->setFocus();
        settle();
    }
    void cleanupTestCase() { delete h; }

    void typingWithShiftSpace() {
        setPage(*window, {{}}, 0, 2);
        fake(XK_Shift_L, true);
        tap(XK_a);
        tap(XK_space);
        fake(XK_Shift_L, false);
        tap(XK_b);
        settle();
        const auto line = content(window->store().editLine());
        QCOMPARE(line.size(), size_t(3));
        QCOMPARE(int(line[1]), 126); // Shift+Space types "~"
        QCOMPARE(window->store().view().cursorByte, 5);
    }

    void altDigitsSetEffects() {
        setPage(*window, {{65}}, 0, 3);
        fake(XK_Alt_L, true);
        tap(XK_1);
        tap(XK_2);
        settle();
        QCOMPARE(window->editorInput().flashedText(), QStringLiteral("ENTRADA 12"));
        fake(XK_Alt_L, false);
        settle();
        QCOMPARE(int(window->store().editLine()[1]), 203);

        // Ctrl for the exit effect, and Shift does not change the digits.
        fake(XK_Alt_L, true);
        fake(XK_Control_L, true);
        fake(XK_Shift_L, true);
        tap(XK_6);
        tap(XK_1);
        fake(XK_Shift_L, false);
        fake(XK_Control_L, false);
        fake(XK_Alt_L, false);
        settle();
        QCOMPARE(int(window->store().editLine()[2]), 252);
        QCOMPARE(content(window->store().editLine()), (std::vector<uint8_t>{65}));

        fake(XK_Alt_L, true);
        tap(XK_6);
        tap(XK_2);
        fake(XK_Alt_L, false);
        settle();
        QCOMPARE(window->editorInput().flashedText(), QStringLiteral("INVÁLIDO!"));
        QCOMPARE(int(window->store().editLine()[1]), 203);

        // Alt alone flashes "INVÁLIDO!" and leaves the keys with the editor
        // (the menu bar does not take them for its navigation).
        fake(XK_Alt_L, true);
        fake(XK_Alt_L, false);
        settle();
        tap(XK_b);
        settle();
        QCOMPARE(content(window->store().editLine()), (std::vector<uint8_t>{65, 98}));
    }

    void heldBackspaceStopsAtTheLineStart() {
        setPage(*window, {{88, 89}, {65, 66, 67}}, 1, 5);
        fake(XK_BackSpace, true);
        settle(1500); // long enough for the server's key repeat
        fake(XK_BackSpace, false);
        settle();
        QCOMPARE(window->store().page().lineCount(), 2);
        QCOMPARE(window->store().view().lineIndex, 1);
        // A fresh press joins (the line is empty when the repeat ran through).
        tap(XK_BackSpace);
        settle();
        QCOMPARE(window->store().view().lineIndex, 0);
        QCOMPARE(content(window->store().page().lines()[0]).front(), uint8_t(88));
    }

    void ctrlDeleteWithCapsLockHeld() {
        setPage(*window, {{65}, {66}}, 0, 3);
        h->prompter.prompts.clear();
        h->prompter.answers = {ButtonNo};
        fake(XK_Caps_Lock, true);
        fake(XK_Control_L, true);
        tap(XK_Delete);
        fake(XK_Control_L, false);
        fake(XK_Caps_Lock, false);
        tap(XK_Caps_Lock); // back to the state it had
        settle();
        QCOMPARE(h->prompter.prompts, (std::vector<Prompt>{Prompt::ClearPage}));
        QCOMPARE(window->store().page().lineCount(), 2);
    }

    // Alt + the underlined letter opens its menu for real; its release is
    // no effect number; F10 opens the menu bar; Tab leaves the line.
    void menusAndFocusFromTheKeyboard() {
        setPage(*window, {{65}}, 0, 3);
        const QString before = window->editorInput().flashedText();
        fake(XK_Alt_L, true);
        tap(XK_a); // "&Arquivo"
        fake(XK_Alt_L, false);
        settle();
        auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(open);
        QCOMPARE(open->objectName(), QStringLiteral("fileMenu"));
        tap(XK_Escape);
        settle();
        if (QApplication::activePopupWidget()) { // Esc went back to the bar
            tap(XK_Escape);
            settle();
        }
        QVERIFY(!QApplication::activePopupWidget());
        QVERIFY(window->editorInput().flashedText() != QStringLiteral("INVÁLIDO!") ||
                before == QStringLiteral("INVÁLIDO!"));
        QCOMPARE(content(window->store().editLine()), (std::vector<uint8_t>{65}));

        tap(XK_F10);
        settle();
        QVERIFY(window->menuBar()->activeAction());
        for (int i = 0;
             i < 3 && (QApplication::activePopupWidget() || window->menuBar()->activeAction());
             ++i) {
            tap(XK_Escape);
            settle();
        }
        QVERIFY(!window->previewRunning()); // every Esc went to the menus
        child<QPlainTextEdit>(*window, "editLineText")->setFocus();
        tap(XK_Tab);
        settle();
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("entryEffectCombo"));
        fake(XK_Shift_L, true);
        tap(XK_Tab);
        fake(XK_Shift_L, false);
        settle();
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("editLineText"));
    }
};

QTEST_MAIN(EditorKeysX11Test)
#include "editor_keys_x11_test.moc"
