// The main window from the keyboard alone: mnemonics, the menus' keys, Tab
// out of the edited line and back, the lists and tabs from the keyboard,
// and the names a screen reader says.
#include "app_fakes.h"
#include "editor_keys.h"

#include "app/editor_input.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QtTest>

using namespace vorelux;
using namespace vorelux::testing;
using vorelux::app::MainWindow;

namespace {

// The underlined letter of a caption ("A&brir" -> 'B'), or 0.
QChar mnemonicOf(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&') continue;
        if (caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        return caption[i + 1].toUpper();
    }
    return {};
}

QWidget* focused() {
    return QApplication::focusWidget();
}

void pressOn(QWidget* widget, int key, Qt::KeyboardModifiers mods = {}) {
    QTest::keyClick(widget, Qt::Key(key), mods);
}

MainWindow& activeWindow(WindowHarness& h) {
    MainWindow& window = h.start();
    window.activateWindow();
    [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(&window);
    child<QPlainTextEdit>(window, "editLineText")->setFocus();
    return window;
}

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
  private slots:
    // Every menu and button has its own letter (Alt + a digit stays the
    // effect number), so Alt + letter never picks between two.
    void everyMenuAndButtonHasItsOwnLetter_data() {
        QTest::addColumn<bool>("previewing");
        QTest::newRow("editing") << false;
        QTest::newRow("previewing") << true; // "Parar" in place of "Visualizar"
    }
    void everyMenuAndButtonHasItsOwnLetter() {
        QFETCH(bool, previewing);
        WindowHarness h;
        MainWindow& window = h.start();
        if (previewing) {
            setPage(window, {text("AB")}, 0, 4);
            window.togglePreview();
            QVERIFY(window.previewRunning());
        }
        QSet<QChar> seen;
        QStringList captions;
        for (QAction* action : window.menuBar()->actions())
            if (!action->isSeparator()) captions << action->text();
        for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
            if (button->window() == &window && !button->text().isEmpty() &&
                button->isVisibleTo(&window))
                captions << button->text();
        QVERIFY(captions.size() >= 17); // five menus, twelve buttons
        for (const QString& caption : captions) {
            const QChar letter = mnemonicOf(caption);
            QVERIFY2(letter.isLetter(), qPrintable(caption));
            QVERIFY2(!seen.contains(letter), qPrintable(caption));
            seen.insert(letter);
        }
        // Inside each menu too.
        for (QMenu* menu : window.menuBar()->findChildren<QMenu*>()) {
            QSet<QChar> inMenu;
            for (QAction* action : menu->actions()) {
                if (action->isSeparator() || action->text().isEmpty()) continue;
                const QChar letter = mnemonicOf(action->text());
                QVERIFY2(letter.isLetter(), qPrintable(action->text()));
                QVERIFY2(!inMenu.contains(letter), qPrintable(action->text()));
                inMenu.insert(letter);
            }
        }
    }

    // The menus' keys, and none of them is a key of the line editor.
    void fileKeysAreConventionalAndLeaveTheEditorsKeysAlone() {
        const struct {
            const char* action;
            QKeySequence key;
        } table[] = {{"newAction", QKeySequence(Qt::CTRL | Qt::Key_N)},
                     {"openAction", QKeySequence(Qt::CTRL | Qt::Key_F12)},
                     {"saveAction", QKeySequence(Qt::SHIFT | Qt::Key_F12)},
                     {"saveAsAction", QKeySequence(Qt::Key_F12)},
                     {"exitAction", QKeySequence(Qt::CTRL | Qt::Key_Q)},
                     {"sendAction", QKeySequence(Qt::Key_F9)}};
        WindowHarness h;
        MainWindow& window = h.start();
        QSet<int> editorKeys;
        for (const FunctionInfo& f : FunctionTable)
            editorKeys << (Qt::CTRL | Qt::Key(Qt::Key_A + (f.shortcut - 'A'))).toCombined();
        for (int k : {Qt::Key_V, Qt::Key_Z, Qt::Key_Y, Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4})
            editorKeys << (Qt::CTRL | Qt::Key(k)).toCombined();
        for (const auto& row : table) {
            QAction* action = window.findChild<QAction*>(QString::fromLatin1(row.action));
            QVERIFY2(action, row.action);
            QCOMPARE(action->shortcut(), row.key);
            QVERIFY(!editorKeys.contains(row.key[0].toCombined()));
        }
    }

    void fileKeysWork() {
        WindowHarness h;
        MainWindow& window = activeWindow(h);
        auto* line = child<QPlainTextEdit>(window, "editLineText");
        pressOn(line, Qt::Key_F12);
        QCOMPARE(h.dialogs.saveCalls, 1); // "Salvar como..."
        pressOn(line, Qt::Key_F12, Qt::ControlModifier);
        QCOMPARE(h.dialogs.openCalls, 1); // "Abrir..."
        // Ctrl+O still inserts its live field.
        setPage(window, {text("AB")}, 0, 4);
        pressOn(line, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(content(window.store().editLine()), (std::vector<uint8_t>{'A', 'B', 26}));
        pressOn(line, Qt::Key_N, Qt::ControlModifier); // "Novo" clears all pages, asking first
        QCOMPARE(h.prompter.prompts.back(), Prompt::ClearAllPages);
    }

    // Tab leaves the edited line for the effect lists, the LED lists, the
    // buttons and the page tabs, and comes back; keys then belong to the
    // control with the focus.
    void tabLeavesTheLineAndComesBack() {
        WindowHarness h;
        MainWindow& window = activeWindow(h);
        auto* line = child<QPlainTextEdit>(window, "editLineText");
        if (focused() != line) QSKIP("the offscreen platform gave no keyboard focus");
        setPage(window, {text("AB")}, 0, 4);
        pressOn(line, Qt::Key_Tab);
        auto* entry = child<QComboBox>(window, "entryEffectCombo");
        QCOMPARE(focused(), entry);
        pressOn(entry, Qt::Key_Down); // the next entry effect, not the next line
        QCOMPARE(int(window.store().editLine()[1]), 193);
        pressOn(entry, Qt::Key_X); // typing does not reach the line
        QCOMPARE(content(window.store().editLine()), text("AB"));
        pressOn(entry, Qt::Key_Tab);
        pressOn(focused(), Qt::Key_Tab);
        auto* fonts = child<QListWidget>(window, "fontList");
        QCOMPARE(focused(), fonts);
        fonts->setCurrentRow(2);
        pressOn(fonts, Qt::Key_Return); // inserts font 3 as a click does
        QCOMPARE(content(window.store().editLine()), (std::vector<uint8_t>{'A', 'B', 2}));
        // F1..F8 and Esc keep working wherever the focus is.
        pressOn(focused(), Qt::Key_F2);
        QCOMPARE(int(window.store().currentPage()), 1);
        // Round the window back to the line.
        for (int i = 0; i < 40 && focused() != line; ++i) pressOn(focused(), Qt::Key_Tab);
        QCOMPARE(focused(), line);
        pressOn(line, Qt::Key_Backtab);
        auto* tabs = child<QTabBar>(window, "pageTabs");
        QCOMPARE(focused(), tabs);
        pressOn(tabs, Qt::Key_Right); // the next page, the tabs keep the focus
        QCOMPARE(int(window.store().currentPage()), 2);
        QCOMPARE(focused(), tabs);
    }

    // Alt + a letter opens a menu or presses a button; its release is not
    // an effect number ("INVÁLIDO!" is for Alt alone or wrong digits).
    void altLetterIsAMnemonicNotAnEffectNumber() {
        WindowHarness h;
        MainWindow& window = activeWindow(h);
        Keys keys{window};
        auto* line = child<QPlainTextEdit>(window, "editLineText");
        QTest::keyPress(line, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyClick(line, Qt::Key_B, Qt::AltModifier); // "A&brir"
        QTest::keyRelease(line, Qt::Key_Alt);
        QTRY_COMPARE(h.dialogs.openCalls, 1); // the button shows itself pressed first
        QVERIFY(window.editorInput().flashedText() != QStringLiteral("INVÁLIDO!"));
        keys.altDigits(QString());
        QCOMPARE(window.editorInput().flashedText(), QStringLiteral("INVÁLIDO!"));
        // A digit after Alt came up elsewhere (in a dialog) is typed, not an effect.
        keys.press(Qt::Key_Alt, Qt::AltModifier);
        setPage(window, {text("AB")}, 0, 4);
        keys.tap(Qt::Key_5, {}, QStringLiteral("5"));
        QCOMPARE(content(window.store().editLine()), text("AB5"));
    }

    void controlsHaveNamesAScreenReaderSays() {
        WindowHarness h;
        MainWindow& window = h.start();
        for (const char* name : {"pageTabs", "entryEffectCombo", "exitEffectCombo", "fontList",
                                 "functionList", "drawingList", "editCanvasView", "editLineText"})
            QVERIFY2(!child<QWidget>(window, name)->accessibleName().isEmpty(), name);
        auto* drawings = child<QListWidget>(window, "drawingList");
        QCOMPARE(drawings->item(9)->data(Qt::AccessibleTextRole).toString(),
                 QStringLiteral("Desenho 10"));
        auto* functions = child<QListWidget>(window, "functionList");
        QCOMPARE(functions->item(0)->data(Qt::AccessibleTextRole).toString(),
                 QStringLiteral("Hora"));
        setPage(window, {{'O', 'I', 1, ' ', 8}}, 0, 3);
        QCOMPARE(child<QWidget>(window, "editCanvasView")->accessibleDescription(),
                 QStringLiteral("OI [fonte 2] [Hora]"));
    }
};

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
