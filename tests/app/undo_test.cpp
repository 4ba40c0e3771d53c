// Undo and redo on the real main window, driven through its keys, labels,
// lists and buttons: every page byte after each step, the view and cursor
// that come back, merged typing, "Modified" against the saved state, the
// "Editar" entries, and the "Ajuda" windows.
#include "app_fakes.h"
#include "editor_keys.h"

#include "app/about_box.h"
#include "app/edit_history.h"
#include "app/editor_input.h"
#include "app/shortcuts_window.h"
#include "model/charset.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>
#include <QtTest>

#include <array>
#include <functional>
#include <vector>

using namespace vorelux;
using namespace vorelux::testing;
using vorelux::app::MainWindow;
using vorelux::app::StatusField;

namespace {

using Lines = std::vector<std::vector<uint8_t>>;
using AllPages = std::array<std::vector<LineStream>, PageCount>;

const uint8_t D1 = InsertCodeTable[1];

AllPages allPages(MainWindow& window) {
    AllPages out;
    for (int p = 0; p < PageCount; ++p) out[size_t(p)] = window.store().page(p).lines();
    return out;
}

// Where the operator stands: page, edited line, cursor byte.
struct Where {
    int page, line, cursor;
    bool operator==(const Where&) const = default;
};

Where where(MainWindow& window) {
    return {window.store().currentPage(), window.store().view().lineIndex,
            window.store().view().cursorByte};
}

QString whereText(const Where& w) {
    return QStringLiteral("page %1 line %2 cursor %3").arg(w.page).arg(w.line).arg(w.cursor);
}

QAction& action(MainWindow& window, const char* name) {
    return *child<QAction>(window, name);
}

void clickRow(QListWidget* list, int row) {
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

struct UndoCase {
    const char* name;
    Lines lines;
    int edit;
    int cursor;
    std::function<void(Keys&, WindowHarness&)> change;
    const char* step; // the operation's name in "Desfazer ..."
};

std::vector<UndoCase> textCases() {
    return {
        {.name = "typing",
         .lines = {text("AB")},
         .edit = 0,
         .cursor = 4,
         .change = [](Keys& k, WindowHarness&) { k.type("cdé"); },
         .step = "digitação"},
        {.name = "backspace over characters",
         .lines = {text("ABCD")},
         .edit = 0,
         .cursor = 6,
         .change =
             [](Keys& k, WindowHarness&) {
                 k.tap(Qt::Key_Backspace, {}, "\b");
                 k.tap(Qt::Key_Backspace, {}, "\b");
             },
         .step = "exclusão de texto"},
        {.name = "delete of a drawing pair",
         .lines = {{65, 31, D1, 66}},
         .edit = 0,
         .cursor = 3,
         .change = [](Keys& k, WindowHarness&) { k.tap(Qt::Key_Delete); },
         .step = "exclusão de texto"},
        {.name = "font by Ctrl+2",
         .lines = {text("AB")},
         .edit = 0,
         .cursor = 3,
         .change = [](Keys& k, WindowHarness&) { k.ctrl(Qt::Key_2); },
         .step = "inserção de fonte"},
        {.name = "font from the list",
         .lines = {text("AB")},
         .edit = 0,
         .cursor = 3,
         .change = [](Keys& k,
                      WindowHarness&) { clickRow(child<QListWidget>(k.window, "fontList"), 3); },
         .step = "inserção de fonte"},
        {.name = "a drawing cycle of three Ctrl+Up",
         .lines = {text("AB")},
         .edit = 0,
         .cursor = 3,
         .change =
             [](Keys& k, WindowHarness&) {
                 k.press(Qt::Key_Control, Qt::ControlModifier);
                 for (int i = 0; i < 3; ++i) k.tap(Qt::Key_Up, Qt::ControlModifier);
                 k.release(Qt::Key_Control);
             },
         .step = "inserção de desenho"},
        {.name = "drawing from the list",
         .lines = {text("AB")},
         .edit = 0,
         .cursor = 4,
         .change = [](Keys& k,
                      WindowHarness&) { clickRow(child<QListWidget>(k.window, "drawingList"), 1); },
         .step = "inserção de desenho"},
        {.name = "live field by Ctrl+H",
         .lines = {text("AB")},
         .edit = 0,
         .cursor = 2,
         .change = [](Keys& k, WindowHarness&) { k.ctrl(Qt::Key_H); },
         .step = "inserção de função"},
        {.name = "live field from the list",
         .lines = {text("AB")},
         .edit = 0,
         .cursor = 2,
         .change =
             [](Keys& k, WindowHarness&) {
                 clickRow(child<QListWidget>(k.window, "functionList"), 11);
             },
         .step = "inserção de função"},
        {.name = "entry effect from the list",
         .lines = {text("AB")},
         .edit = 0,
         .cursor = 3,
         .change =
             [](Keys& k, WindowHarness&) {
                 auto* combo = child<QComboBox>(k.window, "entryEffectCombo");
                 combo->setCurrentIndex(4);
                 emit combo->activated(4);
             },
         .step = "efeito de entrada"},
        {.name = "exit effect by Alt+Ctrl digits",
         .lines = {text("AB")},
         .edit = 0,
         .cursor = 3,
         .change = [](Keys& k, WindowHarness&) { k.altDigits("61", true); },
         .step = "efeito de saída"},
    };
}

std::vector<UndoCase> lineCases() {
    return {
        {.name = "enter splits a line",
         .lines = {text("ABCD")},
         .edit = 0,
         .cursor = 4,
         .change = [](Keys& k, WindowHarness&) { k.tap(Qt::Key_Return, {}, "\r"); },
         .step = "quebra de linha"},
        {.name = "enter at the end adds a line",
         .lines = {text("AB"), text("CD")},
         .edit = 0,
         .cursor = 4,
         .change = [](Keys& k, WindowHarness&) { k.tap(Qt::Key_Return, {}, "\r"); },
         .step = "nova linha"},
        {.name = "backspace joins onto the line above",
         .lines = {text("AB"), text("CD")},
         .edit = 1,
         .cursor = 2,
         .change = [](Keys& k, WindowHarness&) { k.tap(Qt::Key_Backspace, {}, "\b"); },
         .step = "junção de linhas"},
        {.name = "backspace deletes an empty line",
         .lines = {text("AB"), {}, text("CD")},
         .edit = 1,
         .cursor = 2,
         .change = [](Keys& k, WindowHarness&) { k.tap(Qt::Key_Backspace, {}, "\b"); },
         .step = "exclusão de linha"},
        {.name = "delete joins the next line",
         .lines = {text("AB"), text("CD")},
         .edit = 0,
         .cursor = 4,
         .change = [](Keys& k, WindowHarness&) { k.tap(Qt::Key_Delete); },
         .step = "junção de linhas"},
        {.name = "the X above the edited line",
         .lines = {text("L1"), text("L2"), text("L3")},
         .edit = 1,
         .cursor = 3,
         .change =
             [](Keys& k, WindowHarness&) {
                 QTest::mouseClick(child<app::DeleteLabel>(k.window, "deletePreviousLineLabel"),
                                   Qt::LeftButton);
             },
         .step = "exclusão de linha"},
        {.name = "shift+delete deletes the edited line",
         .lines = {text("L1"), text("L2")},
         .edit = 1,
         .cursor = 4,
         .change = [](Keys& k, WindowHarness&) { k.tap(Qt::Key_Delete, Qt::ShiftModifier); },
         .step = "exclusão de linha"},
        {.name = "paste of three lines",
         .lines = {text("AB")},
         .edit = 0,
         .cursor = 3,
         .change =
             [](Keys& k, WindowHarness&) {
                 k.window.editorInput().clipboardText = [] {
                     return QStringLiteral("x\r\ny\r\nz");
                 };
                 k.tap(Qt::Key_V, Qt::ControlModifier);
             },
         .step = "colagem"},
        {.name = "paste of thirty lines",
         .lines = {text("AB"), text("CD")},
         .edit = 0,
         .cursor = 3,
         .change =
             [](Keys& k, WindowHarness&) {
                 QStringList lines;
                 for (int i = 1; i <= 30; ++i) lines << QString::number(i);
                 k.window.editorInput().clipboardText = [lines] {
                     return lines.join(QStringLiteral("\r\n"));
                 };
                 k.tap(Qt::Key_V, Qt::ControlModifier);
             },
         .step = "colagem"},
        {.name = "Limpar página",
         .lines = {text("L1"), text("L2")},
         .edit = 1,
         .cursor = 3,
         .change =
             [](Keys& k, WindowHarness& h) {
                 h.prompter.answers = {ButtonYes};
                 QTest::mouseClick(child<QPushButton>(k.window, "clearPageButton"), Qt::LeftButton);
             },
         .step = "limpeza da página"},
        {.name = "Limpar tudo",
         .lines = {text("L1"), text("L2")},
         .edit = 1,
         .cursor = 3,
         .change =
             [](Keys& k, WindowHarness& h) {
                 h.prompter.answers = {ButtonYes};
                 QTest::mouseClick(child<QPushButton>(k.window, "clearAllButton"), Qt::LeftButton);
             },
         .step = "limpeza de todas as páginas"},
    };
}

bool clearsPages(const UndoCase& c) {
    return QString::fromUtf8(c.step).startsWith(QStringLiteral("limpeza"));
}

// The case's lines with `filler` empty lines above and below them (the same
// bytes as the cases' own empty lines, so equal lines meet across the edit).
UndoCase amidEmptyLines(UndoCase c, int filler) {
    Lines lines(size_t(filler), Lines::value_type{});
    lines.insert(lines.end(), c.lines.begin(), c.lines.end());
    lines.insert(lines.end(), size_t(filler), Lines::value_type{});
    c.lines = std::move(lines);
    c.edit += filler;
    return c;
}

// Does the change, then undo (Ctrl+Z), redo (Ctrl+Y), undo again and redo by
// Ctrl+Shift+Z: all eight pages, the page, the line and the cursor each time.
// A `maxStepBytes` above 0 bounds what the step keeps of the pages.
void runUndoCase(const UndoCase& c, size_t maxStepBytes = 0) {
    WindowHarness h;
    MainWindow& window = h.start();
    setPage(window, c.lines, c.edit, c.cursor);
    // Another page with lines of its own: only "Limpar tudo" may touch it.
    window.store().setPageLines(5, {lineOf("OUTRA"), lineOf("PAGINA", 200, 210)});
    window.store().view(5).lineIndex = 1;
    window.store().view(5).cursorByte = 5;
    Keys keys{window};
    const AllPages before = allPages(window);
    const Where at = where(window);
    c.change(keys, h);
    const AllPages after = allPages(window);
    const Where done = where(window);
    QVERIFY2(after != before, c.name);
    QVERIFY2(window.history().stepCount() == 1, c.name); // one step, however many keys
    QCOMPARE(action(window, "undoAction").text(), QStringLiteral("&Desfazer ") + c.step);
    if (maxStepBytes > 0)
        QVERIFY2(
            window.history().bytesHeld() <= maxStepBytes,
            qPrintable(
                QStringLiteral("%1 keeps %2 bytes").arg(c.name).arg(window.history().bytesHeld())));

    for (int round = 0; round < 2; ++round) {
        keys.ctrl(Qt::Key_Z);
        QVERIFY2(allPages(window) == before, c.name);
        QVERIFY2(
            where(window) == at,
            qPrintable(QStringLiteral("%1 after undo: %2").arg(c.name, whereText(where(window)))));
        QCOMPARE(child<QTabBar>(window, "pageTabs")->currentIndex(), at.page);
        QCOMPARE(action(window, "redoAction").text(), QStringLiteral("&Refazer ") + c.step);
        if (round == 0) {
            keys.ctrl(Qt::Key_Y);
        } else {
            keys.press(Qt::Key_Control, Qt::ControlModifier);
            keys.tap(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            keys.release(Qt::Key_Control);
        }
        QVERIFY2(allPages(window) == after, c.name);
        QVERIFY2(
            where(window) == done,
            qPrintable(QStringLiteral("%1 after redo: %2").arg(c.name, whereText(where(window)))));
    }
    // The line boxes and the status show the restored page.
    QCOMPARE(
        window.statusText(StatusField::Line),
        QStringLiteral("Linha %1 de %2").arg(done.line + 1).arg(window.store().page().lineCount()));
}

} // namespace

class UndoTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QVERIFY(app::loadPrivateFont() >= 0); }

    void everyKindOfChange() {
        for (auto cases : {textCases, lineCases})
            for (const UndoCase& c : cases()) {
                runUndoCase(c);
                if (QTest::currentTestFailed()) return;
            }
    }

    // The same changes amid 100 empty lines above and 100 below: undo and
    // redo exact, and a step keeps the lines it changed, not the page
    // (about 1.2 KB twice).
    void everyKindOfChangeAmidManyLines() {
        for (auto cases : {textCases, lineCases})
            for (const UndoCase& c : cases()) {
                runUndoCase(amidEmptyLines(c, 100), clearsPages(c) ? 0 : 500);
                if (QTest::currentTestFailed()) return;
            }
    }

    // A page of 21,845 lines (the most a page file holds): one step costs
    // about its edit, under 4 KB, not the page's 64 KB twice, and comes back
    // exactly. Such a page is full, so only what keeps or frees bytes goes
    // (line breaks may still be added).
    void stepsOnTheLongestPageCostTheirEdit() {
        Lines longest(21845, Lines::value_type{});
        longest[10000] = text("ABCD");
        longest[10001] = text("EF");
        auto at = [&](const char* name, int edit, int cursor, auto change, const char* step) {
            return UndoCase{name, longest, edit, cursor, change, step};
        };
        const std::vector<UndoCase> cases = {
            at(
                "backspace over a character", 10000, 5,
                [](Keys& k, WindowHarness&) { k.tap(Qt::Key_Backspace, {}, "\b"); },
                "exclusão de texto"),
            at(
                "delete over a character", 10000, 3,
                [](Keys& k, WindowHarness&) { k.tap(Qt::Key_Delete); }, "exclusão de texto"),
            at(
                "enter splits the line", 10000, 4,
                [](Keys& k, WindowHarness&) { k.tap(Qt::Key_Return, {}, "\r"); },
                "quebra de linha"),
            at(
                "backspace joins two lines", 10001, 2,
                [](Keys& k, WindowHarness&) { k.tap(Qt::Key_Backspace, {}, "\b"); },
                "junção de linhas"),
            at(
                "shift+delete deletes an empty line among empty ones", 20000, 2,
                [](Keys& k, WindowHarness&) { k.tap(Qt::Key_Delete, Qt::ShiftModifier); },
                "exclusão de linha"),
            at(
                "entry effect", 10001, 3,
                [](Keys& k, WindowHarness&) {
                    auto* combo = child<QComboBox>(k.window, "entryEffectCombo");
                    combo->setCurrentIndex(7);
                    emit combo->activated(7);
                },
                "efeito de entrada"),
            at(
                "paste of two hundred line breaks", 10000, 4,
                [](Keys& k, WindowHarness&) {
                    k.window.editorInput().clipboardText = [] {
                        return QStringLiteral("\r\n").repeated(200);
                    };
                    k.tap(Qt::Key_V, Qt::ControlModifier);
                },
                "colagem"),
        };
        for (const UndoCase& c : cases) {
            runUndoCase(c, 4096);
            if (QTest::currentTestFailed()) return;
        }
        // Clearing keeps the page, as it must, and still comes back exactly.
        runUndoCase(at(
            "Limpar página", 10000, 4,
            [](Keys& k, WindowHarness& h) {
                h.prompter.answers = {ButtonYes};
                QTest::mouseClick(child<QPushButton>(k.window, "clearPageButton"), Qt::LeftButton);
            },
            "limpeza da página"));
    }

    void typingMergesUntilTheCursorMoves() {
        WindowHarness h;
        MainWindow& window = h.start();
        setPage(window, {{}}, 0, 2);
        Keys keys{window};
        keys.type("ABC");
        keys.tap(Qt::Key_Left);
        keys.type("X");
        keys.tap(Qt::Key_Backspace, {}, "\b");
        QCOMPARE(content(window.store().editLine()), text("ABC"));
        QCOMPARE(window.history().stepCount(), 3); // "ABC", "X", the backspace

        keys.ctrl(Qt::Key_Z);
        QCOMPARE(content(window.store().editLine()), text("ABXC"));
        QCOMPARE(window.store().view().cursorByte, 5);
        keys.ctrl(Qt::Key_Z);
        QCOMPARE(content(window.store().editLine()), text("ABC"));
        QCOMPARE(window.store().view().cursorByte, 4); // where X was typed
        keys.ctrl(Qt::Key_Z);
        QCOMPARE(content(window.store().editLine()), std::vector<uint8_t>{});
        QCOMPARE(window.store().view().cursorByte, 2);
        QVERIFY(!action(window, "undoAction").isEnabled());
        QCOMPARE(action(window, "undoAction").text(), QStringLiteral("&Desfazer"));

        // Typing after an undo drops what could be redone.
        keys.type("Z");
        QVERIFY(!action(window, "redoAction").isEnabled());
        QCOMPARE(action(window, "redoAction").text(), QStringLiteral("&Refazer"));
        keys.ctrl(Qt::Key_Y);
        QCOMPARE(content(window.store().editLine()), text("Z"));
    }

    void undoAcrossPages() {
        WindowHarness h;
        MainWindow& window = h.start();
        setPage(window, {text("UM"), text("DOIS")}, 1, 6);
        Keys keys{window};
        keys.type("!");
        keys.tap(Qt::Key_F3);
        keys.type("TRES");
        keys.tap(Qt::Key_F8);
        keys.tap(Qt::Key_Return, {}, "\r");
        QCOMPARE(window.history().stepCount(), 3);

        keys.ctrl(Qt::Key_Z); // the new line on page 8
        QCOMPARE(int(window.store().currentPage()), 7);
        QCOMPARE(window.store().page().lineCount(), 1);
        keys.ctrl(Qt::Key_Z); // the typing on page 3: the view goes there
        QCOMPARE(int(window.store().currentPage()), 2);
        QCOMPARE(child<QTabBar>(window, "pageTabs")->currentIndex(), 2);
        QCOMPARE(window.statusText(StatusField::Page), QStringLiteral("Pagina 3"));
        QCOMPARE(content(window.store().editLine()), std::vector<uint8_t>{});
        keys.ctrl(Qt::Key_Z); // the "!" on line 2 of page 1
        QCOMPARE(int(window.store().currentPage()), 0);
        QCOMPARE(window.store().view().lineIndex, 1);
        QCOMPARE(window.store().view().cursorByte, 6);
        QCOMPARE(content(window.store().editLine()), text("DOIS"));
        QCOMPARE(window.statusText(StatusField::Line), QStringLiteral("Linha 2 de 2"));
        QCOMPARE(child<QPlainTextEdit>(window, "editLineText")->textCursor().position(), 4);

        keys.tap(Qt::Key_F5);
        keys.ctrl(Qt::Key_Y);
        QCOMPARE(int(window.store().currentPage()), 0);
        QCOMPARE(content(window.store().editLine()), text("DOIS!"));
        keys.ctrl(Qt::Key_Y);
        QCOMPARE(int(window.store().currentPage()), 2);
        QCOMPARE(content(window.store().editLine()), text("TRES"));
        QCOMPARE(window.store().view().cursorByte, 6);
    }

    void modifiedFollowsTheHistory() {
        WindowHarness h;
        MainWindow& window = h.start();
        setPage(window, {{}}, 0, 2);
        Keys keys{window};
        keys.type("A");
        QVERIFY(window.store().isModified());
        h.dialogs.saves = {h.path("p.vpg")};
        QVERIFY(window.save());
        QVERIFY(!window.store().isModified());

        keys.tap(Qt::Key_Return, {}, "\r");
        keys.type("B");
        QVERIFY(window.store().isModified());
        keys.ctrl(Qt::Key_Z);
        QVERIFY(window.store().isModified());
        keys.ctrl(Qt::Key_Z); // back to what the file holds
        QVERIFY(!window.store().isModified());
        keys.ctrl(Qt::Key_Z); // before the save
        QVERIFY(window.store().isModified());
        keys.ctrl(Qt::Key_Y);
        QVERIFY(!window.store().isModified());
        keys.ctrl(Qt::Key_Y); // past it again
        QVERIFY(window.store().isModified());
        keys.ctrl(Qt::Key_Z);
        QVERIFY(!window.store().isModified());

        // An effect chosen again is no change.
        auto* combo = child<QComboBox>(window, "entryEffectCombo");
        emit combo->activated(combo->currentIndex());
        QVERIFY(!window.store().isModified());

        // Back at the saved state the close asks nothing.
        window.close();
        QTRY_VERIFY_WITH_TIMEOUT(window.isHidden(), 2000);
        QVERIFY(h.prompter.prompts.empty());
    }

    void openAndNewStartAFreshHistory() {
        WindowHarness h;
        MainWindow& window = h.start();
        setPage(window, {{}}, 0, 2);
        Keys keys{window};
        keys.type("A");
        h.dialogs.saves = {h.path("p.vpg")};
        QVERIFY(window.save());
        keys.type("B");
        QVERIFY(window.history().stepCount() > 0);
        QVERIFY(window.openPageFile(h.path("p.vpg")));
        QCOMPARE(window.history().stepCount(), 0);
        QVERIFY(!action(window, "undoAction").isEnabled());
        keys.ctrl(Qt::Key_Z); // nothing to undo: the opened pages stay
        QCOMPARE(content(window.store().editLine()), text("A"));

        keys.type("C");
        h.prompter.answers = {ButtonNo, ButtonYes}; // do not save; clear everything
        QVERIFY(window.newDocument());
        QCOMPARE(window.history().stepCount(), 0);
        QVERIFY(!window.store().isModified());

        // "Limpar tudo" can be undone; the pages it brings back ask to be saved.
        keys.type("D");
        h.prompter.answers = {ButtonNo, ButtonYes};
        QVERIFY(window.clearAllPages());
        QVERIFY(!window.store().isModified());
        keys.ctrl(Qt::Key_Z);
        QCOMPARE(content(window.store().editLine()), text("D"));
        QVERIFY(window.store().isModified());
    }

    void keysIgnoredDuringPreview() {
        WindowHarness h;
        MainWindow& window = h.start();
        setPage(window, {text("AB")}, 0, 4);
        Keys keys{window};
        keys.type("C");
        keys.tap(Qt::Key_Return, {}, "\r");
        const AllPages edited = allPages(window);
        keys.tap(Qt::Key_Escape, {}, "\x1b");
        QVERIFY(window.previewRunning());
        QVERIFY(!action(window, "undoAction").isEnabled());
        keys.ctrl(Qt::Key_Z);
        // Through the shortcut machinery too, as a real keyboard goes.
        QTest::keyClick(child<QPlainTextEdit>(window, "editLineText"), Qt::Key_Z,
                        Qt::ControlModifier);
        action(window, "undoAction").trigger();
        QVERIFY(allPages(window) == edited);
        QVERIFY(window.previewRunning());

        keys.tap(Qt::Key_Escape, {}, "\x1b");
        QVERIFY(!window.previewRunning());
        QVERIFY(action(window, "undoAction").isEnabled());
        // One key press, one step back (the menu's shortcut does not add one).
        QTest::keyClick(child<QPlainTextEdit>(window, "editLineText"), Qt::Key_Z,
                        Qt::ControlModifier);
        QCOMPARE(window.history().stepIndex(), 1);
        QCOMPARE(window.store().page().lineCount(), 1);
        action(window, "undoAction").trigger();
        QCOMPARE(content(window.store().editLine()), text("AB"));
        action(window, "redoAction").trigger();
        QCOMPARE(content(window.store().editLine()), text("ABC"));
    }

    void editMenuOrder() {
        WindowHarness h;
        MainWindow& window = h.start();
        const QList<QAction*> actions = child<QMenu>(window, "editMenu")->actions();
        QCOMPARE(actions.at(0)->objectName(), QStringLiteral("undoAction"));
        QCOMPARE(actions.at(1)->objectName(), QStringLiteral("redoAction"));
        QCOMPARE(actions.at(0)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
        QVERIFY(actions.at(1)->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+Y"))));
        QVERIFY(actions.at(1)->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+Shift+Z"))));
        QVERIFY(!actions.at(0)->isEnabled() && !actions.at(1)->isEnabled());
    }

    void historyIsBounded() {
        WindowHarness h;
        MainWindow& window = h.start();
        auto* combo = child<QComboBox>(window, "exitEffectCombo");
        const int steps = app::EditHistory::StepLimit + 20;
        for (int i = 1; i <= steps; ++i) {
            combo->setCurrentIndex(i % 2);
            emit combo->activated(i % 2);
        }
        QCOMPARE(window.history().stepCount(), app::EditHistory::StepLimit);
        // Each step keeps the changed line twice (the page's only line), a
        // few dozen bytes.
        const size_t page = size_t(pageByteTotal(window.store().page())) + 4;
        QCOMPARE(window.history().bytesHeld(), size_t(app::EditHistory::StepLimit) * 2 * page);
        // The oldest steps went; the newest still undo.
        Keys keys{window};
        keys.ctrl(Qt::Key_Z);
        QCOMPARE(int(window.store().editLine()[2]), 192 + (steps - 1) % 2);
    }

    void shortcutsWindowListsTheKeys() {
        WindowHarness h;
        MainWindow& window = h.start();
        action(window, "shortcutsAction").trigger();
        auto* shown = child<QWidget>(window, "shortcutsWindow");
        QVERIFY(shown->isVisible());
        QCOMPARE(shown->windowTitle(), QStringLiteral("Teclas de atalho"));
        auto* list = child<QTreeWidget>(*shown, "shortcutList");
        QStringList groups, keys;
        for (int g = 0; g < list->topLevelItemCount(); ++g) {
            QTreeWidgetItem* group = list->topLevelItem(g);
            groups << group->text(0);
            QVERIFY(group->isExpanded());
            for (int k = 0; k < group->childCount(); ++k) keys << group->child(k)->text(0);
        }
        for (const char* group : {"Caracteres", "Edição", "Fontes", "Funções", "Desenhos",
                                  "Efeitos", "Páginas", "Linhas"})
            QVERIFY2(groups.contains(QString::fromUtf8(group)), group);
        for (const FunctionInfo& function : FunctionTable)
            QVERIFY(keys.contains(QStringLiteral("Ctrl + %1").arg(QChar(function.shortcut))));
        for (const char* key : {"Ctrl + 1", "Ctrl + 4", "Ctrl + ↑", "Ctrl + ↓", "Shift + Espaço",
                                "Alt + dois dígitos", "Alt + Ctrl + dois dígitos", "F1 … F8",
                                "Shift + Delete", "Ctrl + Z", "Ctrl + V", "Esc", "Enter"})
            QVERIFY2(keys.contains(QString::fromUtf8(key)), key);
        // Shown again, not made again.
        shown->hide();
        action(window, "shortcutsAction").trigger();
        QCOMPARE(window.findChildren<app::ShortcutsWindow*>().size(), 1);
    }

    void aboutBoxGivesVersionAndLicences() {
        WindowHarness h;
        MainWindow& window = h.start();
        QString title, libraries;
        QTimer::singleShot(0, &window, [&] {
            auto* box = child<QDialog>(window, "aboutBox");
            title = child<QLabel>(*box, "aboutTitle")->text();
            libraries = child<QLabel>(*box, "aboutLibraries")->text();
            box->reject();
        });
        action(window, "aboutAction").trigger();
        QVERIFY(title.contains(QStringLiteral("Versão ") + app::editorVersion()));
        QCOMPARE(app::editorVersion(), QStringLiteral("1.0"));
        QVERIFY(libraries.contains(QStringLiteral("Qt ") + QString::fromLatin1(qVersion())));
        QVERIFY(libraries.contains(QStringLiteral("LGPLv3")));
        QVERIFY(libraries.contains(QStringLiteral("Network")));
        // Only the tests link these: GoogleTest, and giflib to read the GIFs back.
        QVERIFY(!libraries.contains(QStringLiteral("GoogleTest")));
        QVERIFY(!libraries.contains(QStringLiteral("giflib")));
    }
};

QTEST_MAIN(UndoTest)
#include "undo_test.moc"
