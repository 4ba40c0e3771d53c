// The line editor on the real main window: key sequences, clicks, the lists,
// the effect-number entry, the page keys and paste, each checked on the line
// bytes, the cursor byte index and the status texts.
#include "app_fakes.h"
#include "editor_keys.h"

#include "app/canvas_widget.h"
#include "app/editor_input.h"
#include "editor/line_editor.h"
#include "model/charset.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTextCursor>
#include <QWheelEvent>
#include <QtTest>

#include <functional>
#include <vector>

using namespace vorelux;
using namespace vorelux::testing;
using vorelux::app::MainWindow;
using vorelux::app::StatusField;

namespace {

const uint8_t D0 = InsertCodeTable[0], D1 = InsertCodeTable[1], D2 = InsertCodeTable[2];

struct KeyCase {
    const char* name;
    std::vector<std::vector<uint8_t>> lines;
    int edit;
    int cursor;
    std::function<void(Keys&)> keys;
    std::vector<std::vector<uint8_t>> expected;
    int expectedLine;
    int expectedCursor;
};

// Typing: characters as the panel has them.
std::vector<KeyCase> typingCases() {
    return {
        {.name = "typing on a fresh line",
         .lines = {{}},
         .edit = 0,
         .cursor = 2,
         .keys = [](Keys& k) { k.type("A"); },
         .expected = {text("A")},
         .expectedLine = 0,
         .expectedCursor = 3},
        {.name = "typing in the middle",
         .lines = {text("AC")},
         .edit = 0,
         .cursor = 3,
         .keys = [](Keys& k) { k.type("bé"); },
         .expected = {{65, 98, 130, 67}},
         .expectedLine = 0,
         .expectedCursor = 5},
        {.name = "shift+space types a tilde",
         .lines = {text("A")},
         .edit = 0,
         .cursor = 3,
         .keys = [](Keys& k) { k.tap(Qt::Key_Space, Qt::ShiftModifier, " "); },
         .expected = {{65, 126}},
         .expectedLine = 0,
         .expectedCursor = 4},
        {.name = "a character the panel lacks is not typed",
         .lines = {text("A")},
         .edit = 0,
         .cursor = 3,
         .keys = [](Keys& k) { k.tap(0, {}, QStringLiteral("í")); },
         .expected = {text("A")},
         .expectedLine = 0,
         .expectedCursor = 3},
    };
}

// Left and right, over drawing pairs and at the line ends.
std::vector<KeyCase> cursorStepCases() {
    return {
        {.name = "left steps over a drawing pair",
         .lines = {{65, 31, D1, 66}},
         .edit = 0,
         .cursor = 5,
         .keys = [](Keys& k) { k.tap(Qt::Key_Left); },
         .expected = {{65, 31, D1, 66}},
         .expectedLine = 0,
         .expectedCursor = 3},
        {.name = "right steps over a drawing pair",
         .lines = {{65, 31, D1, 66}},
         .edit = 0,
         .cursor = 3,
         .keys = [](Keys& k) { k.tap(Qt::Key_Right); },
         .expected = {{65, 31, D1, 66}},
         .expectedLine = 0,
         .expectedCursor = 5},
        {.name = "left at the start does nothing",
         .lines = {text("AB")},
         .edit = 0,
         .cursor = 2,
         .keys = [](Keys& k) { k.tap(Qt::Key_Left); },
         .expected = {text("AB")},
         .expectedLine = 0,
         .expectedCursor = 2},
        {.name = "right at the end does nothing",
         .lines = {text("AB")},
         .edit = 0,
         .cursor = 4,
         .keys = [](Keys& k) { k.tap(Qt::Key_Right); },
         .expected = {text("AB")},
         .expectedLine = 0,
         .expectedCursor = 4},
    };
}

// Backspace and Delete on drawing pairs, and held keys.
std::vector<KeyCase> pairAndRepeatCases() {
    return {
        {.name = "backspace removes a drawing pair",
         .lines = {{65, 31, D1, 66}},
         .edit = 0,
         .cursor = 5,
         .keys = [](Keys& k) { k.tap(Qt::Key_Backspace); },
         .expected = {text("AB")},
         .expectedLine = 0,
         .expectedCursor = 3},
        {.name = "delete removes a drawing pair",
         .lines = {{65, 31, D1, 66}},
         .edit = 0,
         .cursor = 3,
         .keys = [](Keys& k) { k.tap(Qt::Key_Delete); },
         .expected = {text("AB")},
         .expectedLine = 0,
         .expectedCursor = 3},
        {.name = "held backspace stops at the line start",
         .lines = {text("XY"), text("AB")},
         .edit = 1,
         .cursor = 3,
         .keys = [](Keys& k) { k.hold(Qt::Key_Backspace, 4, "\b"); },
         .expected = {text("XY"), text("B")},
         .expectedLine = 1,
         .expectedCursor = 2},
        {.name = "a repeat that X11 reports as a real release and press joins nothing",
         .lines = {text("XY"), text("AB")},
         .edit = 1,
         .cursor = 3,
         .keys =
             [](Keys& k) {
                 k.send(QEvent::KeyPress, Qt::Key_Backspace, {}, "\b", false, 1000);
                 k.send(QEvent::KeyRelease, Qt::Key_Backspace, {}, "\b", false, 1500);
                 k.send(QEvent::KeyPress, Qt::Key_Backspace, {}, "\b", false, 1500);
                 k.send(QEvent::KeyRelease, Qt::Key_Backspace, {}, "\b", false, 1600);
             },
         .expected = {text("XY"), text("B")},
         .expectedLine = 1,
         .expectedCursor = 2},
    };
}

// Backspace and Delete at the line ends: joins and empty lines.
std::vector<KeyCase> lineJoinCases() {
    return {
        {.name = "a fresh backspace joins onto the line above",
         .lines = {text("XY"), text("AB")},
         .edit = 1,
         .cursor = 3,
         .keys =
             [](Keys& k) {
                 k.hold(Qt::Key_Backspace, 4, "\b");
                 k.tap(Qt::Key_Backspace, {}, "\b");
             },
         .expected = {text("XYB")},
         .expectedLine = 0,
         .expectedCursor = 4},
        {.name = "backspace on an empty line deletes it",
         .lines = {text("XY"), {}, text("CD")},
         .edit = 1,
         .cursor = 2,
         .keys = [](Keys& k) { k.tap(Qt::Key_Backspace, {}, "\b"); },
         .expected = {text("XY"), text("CD")},
         .expectedLine = 0,
         .expectedCursor = 4},
        {.name = "backspace on the first line's start does nothing",
         .lines = {text("AB"), text("CD")},
         .edit = 0,
         .cursor = 2,
         .keys = [](Keys& k) { k.tap(Qt::Key_Backspace, {}, "\b"); },
         .expected = {text("AB"), text("CD")},
         .expectedLine = 0,
         .expectedCursor = 2},
        {.name = "held delete removes an empty next line but joins nothing",
         .lines = {text("AB"), {}, text("CD")},
         .edit = 0,
         .cursor = 3,
         .keys = [](Keys& k) { k.hold(Qt::Key_Delete, 3); },
         .expected = {text("A"), text("CD")},
         .expectedLine = 0,
         .expectedCursor = 3},
        {.name = "a fresh delete at the end joins the next line",
         .lines = {text("AB"), text("CD")},
         .edit = 0,
         .cursor = 4,
         .keys = [](Keys& k) { k.tap(Qt::Key_Delete); },
         .expected = {text("ABCD")},
         .expectedLine = 0,
         .expectedCursor = 4},
        {.name = "delete on an empty line that is not the last deletes it",
         .lines = {{}, text("CD")},
         .edit = 0,
         .cursor = 2,
         .keys = [](Keys& k) { k.tap(Qt::Key_Delete); },
         .expected = {text("CD")},
         .expectedLine = 0,
         .expectedCursor = 2},
    };
}

// Enter, Home, End and the arrows between lines.
std::vector<KeyCase> lineMoveCases() {
    return {
        {.name = "enter splits the line",
         .lines = {text("ABCD")},
         .edit = 0,
         .cursor = 4,
         .keys = [](Keys& k) { k.tap(Qt::Key_Return, {}, "\r"); },
         .expected = {text("AB"), text("CD")},
         .expectedLine = 1,
         .expectedCursor = 2},
        {.name = "enter at the end adds a line",
         .lines = {text("AB")},
         .edit = 0,
         .cursor = 4,
         .keys = [](Keys& k) { k.tap(Qt::Key_Return, {}, "\r"); },
         .expected = {text("AB"), {}},
         .expectedLine = 1,
         .expectedCursor = 2},
        {.name = "home and end",
         .lines = {text("ABC")},
         .edit = 0,
         .cursor = 3,
         .keys =
             [](Keys& k) {
                 k.tap(Qt::Key_End);
                 k.type("D");
                 k.tap(Qt::Key_Home);
                 k.type("Z");
             },
         .expected = {text("ZABCD")},
         .expectedLine = 0,
         .expectedCursor = 3},
        {.name = "ctrl+end goes to the last line's end",
         .lines = {text("AB"), text("CDE")},
         .edit = 0,
         .cursor = 2,
         .keys = [](Keys& k) { k.tap(Qt::Key_End, Qt::ControlModifier); },
         .expected = {text("AB"), text("CDE")},
         .expectedLine = 1,
         .expectedCursor = 5},
        {.name = "ctrl+home goes to the first line's start",
         .lines = {text("AB"), text("CDE")},
         .edit = 1,
         .cursor = 4,
         .keys = [](Keys& k) { k.tap(Qt::Key_Home, Qt::ControlModifier); },
         .expected = {text("AB"), text("CDE")},
         .expectedLine = 0,
         .expectedCursor = 2},
        {.name = "down and up put the cursor at the line start",
         .lines = {text("AB"), text("CDE")},
         .edit = 0,
         .cursor = 4,
         .keys =
             [](Keys& k) {
                 k.tap(Qt::Key_Down);
                 k.tap(Qt::Key_Right);
                 k.tap(Qt::Key_Up);
             },
         .expected = {text("AB"), text("CDE")},
         .expectedLine = 0,
         .expectedCursor = 2},
    };
}

// Ctrl shortcuts for codes, and Shift+Delete.
std::vector<KeyCase> shortcutCases() {
    return {
        {.name = "ctrl+1..4 insert font codes",
         .lines = {text("A")},
         .edit = 0,
         .cursor = 3,
         .keys =
             [](Keys& k) {
                 k.ctrl(Qt::Key_1);
                 k.ctrl(Qt::Key_4);
             },
         .expected = {{65, 0, 3}},
         .expectedLine = 0,
         .expectedCursor = 5},
        {.name = "ctrl+letters insert live fields",
         .lines = {{}},
         .edit = 0,
         .cursor = 2,
         .keys =
             [](Keys& k) {
                 for (int key : {Qt::Key_H, Qt::Key_D, Qt::Key_J, Qt::Key_T, Qt::Key_E, Qt::Key_R,
                                 Qt::Key_X, Qt::Key_F, Qt::Key_B, Qt::Key_K, Qt::Key_L, Qt::Key_S,
                                 Qt::Key_O, Qt::Key_P, Qt::Key_Q})
                     k.ctrl(key);
             },
         .expected = {{8, 9, 10, 11, 12, 13, 14, 15, 18, 19, 20, 25, 26, 27}},
         .expectedLine = 0,
         .expectedCursor = 16},
        {.name = "shift+delete deletes the edit line",
         .lines = {text("AB"), text("CD")},
         .edit = 0,
         .cursor = 3,
         .keys = [](Keys& k) { k.tap(Qt::Key_Delete, Qt::ShiftModifier); },
         .expected = {text("CD")},
         .expectedLine = 0,
         .expectedCursor = 3},
    };
}

// Ctrl+Up / Ctrl+Down drawing cycles.
std::vector<KeyCase> drawingCycleCases() {
    return {
        {.name = "ctrl+up three times cycles one drawing",
         .lines = {text("A")},
         .edit = 0,
         .cursor = 3,
         .keys =
             [](Keys& k) {
                 k.press(Qt::Key_Control, Qt::ControlModifier);
                 for (int i = 0; i < 3; ++i) k.tap(Qt::Key_Up, Qt::ControlModifier);
                 k.release(Qt::Key_Control);
             },
         .expected = {{65, 31, D2}},
         .expectedLine = 0,
         .expectedCursor = 5},
        {.name = "a new ctrl press starts a second drawing",
         .lines = {{}},
         .edit = 0,
         .cursor = 2,
         .keys =
             [](Keys& k) {
                 k.ctrl(Qt::Key_Up);
                 k.press(Qt::Key_Control, Qt::ControlModifier);
                 k.tap(Qt::Key_Up, Qt::ControlModifier);
                 k.tap(Qt::Key_Up, Qt::ControlModifier);
                 k.release(Qt::Key_Control);
             },
         .expected = {{31, D0, 31, D1}},
         .expectedLine = 0,
         .expectedCursor = 6},
        {.name = "a cycle whose drawing the cursor has left starts a new drawing",
         .lines = {text("A")},
         .edit = 0,
         .cursor = 3,
         .keys =
             [](Keys& k) {
                 k.press(Qt::Key_Control, Qt::ControlModifier);
                 k.tap(Qt::Key_Up, Qt::ControlModifier);
                 k.tap(Qt::Key_Left, Qt::ControlModifier);
                 k.tap(Qt::Key_Left, Qt::ControlModifier);
                 k.tap(Qt::Key_Up, Qt::ControlModifier);
                 k.release(Qt::Key_Control);
             },
         .expected = {{31, D1, 65, 31, D0}},
         .expectedLine = 0,
         .expectedCursor = 4},
        {.name = "ctrl+down starts at the last drawing",
         .lines = {{}},
         .edit = 0,
         .cursor = 2,
         .keys = [](Keys& k) { k.ctrl(Qt::Key_Down); },
         .expected = {{31, InsertCodeTable[123]}},
         .expectedLine = 0,
         .expectedCursor = 4},
    };
}

// Runs one case on a fresh window and checks the page, the cursor, the status
// and that nothing was asked.
void runKeyCase(const KeyCase& c) {
    WindowHarness h;
    MainWindow& window = h.start();
    setPage(window, c.lines, c.edit, c.cursor);
    Keys keys{window};
    c.keys(keys);
    QVERIFY2(pageContent(window) == c.expected, c.name);
    QVERIFY2(window.store().view().lineIndex == c.expectedLine, c.name);
    QVERIFY2(
        window.store().view().cursorByte == c.expectedCursor,
        qPrintable(
            QStringLiteral("%1: cursor %2").arg(c.name).arg(window.store().view().cursorByte)));
    // Line boxes and status follow the edit line.
    QCOMPARE(window.statusText(StatusField::Line),
             QStringLiteral("Linha %1 de %2").arg(c.expectedLine + 1).arg(c.expected.size()));
    QVERIFY2(h.prompter.prompts.empty(), c.name);
}

} // namespace

class EditorKeysTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QVERIFY(app::loadPrivateFont() >= 0); }

    void keySequences() {
        for (auto cases : {typingCases, cursorStepCases, pairAndRepeatCases, lineJoinCases,
                           lineMoveCases, shortcutCases, drawingCycleCases})
            for (const KeyCase& c : cases()) {
                runKeyCase(c);
                if (QTest::currentTestFailed()) return;
            }
    }

    void typingEndToEnd() {
        WindowHarness h;
        MainWindow& window = h.start();
        Keys keys{window};
        keys.tap(Qt::Key_F2);
        keys.type("A");
        const LineStream& line = window.store().editLine();
        QCOMPARE(line, (LineStream{0xFF, 192, 192, 65}));
        QCOMPARE(window.store().view().cursorByte, 3);
        QVERIFY(window.store().isModified());
        QCOMPARE(window.statusText(StatusField::Total), QStringLiteral("Total: 4 caracteres"));
        QCOMPARE(child<QPlainTextEdit>(window, "editLineText")->toPlainText(),
                 QString(QChar(0x241)));
    }

    void effectNumberEntry() {
        struct Case {
            const char* digits;
            bool ctrl;
            int entryByte, exitByte;
            const char* shownWhileTyping;
            const char* shownAfter; // nullptr: nothing new after Alt comes up
        };
        const Case cases[] = {
            {.digits = "12",
             .ctrl = false,
             .entryByte = 203,
             .exitByte = 192,
             .shownWhileTyping = "ENTRADA 12",
             .shownAfter = nullptr},
            {.digits = "61",
             .ctrl = true,
             .entryByte = 192,
             .exitByte = 252,
             .shownWhileTyping = "SAÍDA   61",
             .shownAfter = nullptr},
            {.digits = "62",
             .ctrl = false,
             .entryByte = 192,
             .exitByte = 192,
             .shownWhileTyping = "ENTRADA 62",
             .shownAfter = "INVÁLIDO!"},
            {.digits = "00",
             .ctrl = false,
             .entryByte = 192,
             .exitByte = 192,
             .shownWhileTyping = "ENTRADA 00",
             .shownAfter = "INVÁLIDO!"},
            {.digits = "",
             .ctrl = false,
             .entryByte = 192,
             .exitByte = 192,
             .shownWhileTyping = nullptr,
             .shownAfter = "INVÁLIDO!"},
            {.digits = "105",
             .ctrl = false,
             .entryByte = 196,
             .exitByte = 192,
             .shownWhileTyping = "ENTRADA 05",
             .shownAfter = nullptr}, // only the last two digits count
        };
        for (const Case& c : cases) {
            WindowHarness h;
            MainWindow& window = h.start();
            setPage(window, {text("AB")}, 0, 3);
            window.store().markSaved();
            Keys keys{window};
            app::EditorInput& input = window.editorInput();
            keys.press(Qt::Key_Alt, Qt::AltModifier);
            for (const char* d = c.digits; *d; ++d) {
                const Qt::KeyboardModifiers mods =
                    Qt::AltModifier | (c.ctrl ? Qt::ControlModifier : Qt::NoModifier);
                keys.tap(Qt::Key_0 + (*d - '0'), mods, QString(QChar(*d)));
            }
            if (c.shownWhileTyping) {
                QCOMPARE(input.flashedText(), QString::fromUtf8(c.shownWhileTyping));
                QVERIFY(input.canvasTextShowing());
                QCOMPARE(window.editorInput().effectEntry().target, c.ctrl ? 2 : 1);
            }
            // Nothing was typed into the line while Alt was held.
            QCOMPARE(content(window.store().editLine()), text("AB"));
            const QString before = input.flashedText();
            keys.release(Qt::Key_Alt);
            QCOMPARE(window.editorInput().effectEntry().target, 0);
            const LineStream& line = window.store().editLine();
            QVERIFY2(line[1] == c.entryByte && line[2] == c.exitByte, c.digits);
            QCOMPARE(input.flashedText(), c.shownAfter ? QString::fromUtf8(c.shownAfter) : before);
            const bool changed = c.entryByte != 192 || c.exitByte != 192;
            QCOMPARE(window.store().isModified(), changed);
            QCOMPARE(child<QComboBox>(window, "entryEffectCombo")->currentIndex(),
                     c.entryByte - 192);
            QCOMPARE(child<QComboBox>(window, "exitEffectCombo")->currentIndex(), c.exitByte - 192);
        }
    }

    void altWithOtherKeysIsLeftToTheSystem() {
        WindowHarness h;
        MainWindow& window = h.start();
        Keys keys{window};
        keys.press(Qt::Key_Alt, Qt::AltModifier);
        QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier);
        QApplication::sendEvent(child<QPlainTextEdit>(window, "editLineText"), &f4);
        QVERIFY(!f4.isAccepted()); // the platform may close the window
        QCOMPARE(int(window.store().currentPage()), 0);
        keys.tap(Qt::Key_3, Qt::AltModifier, "3");
        keys.release(Qt::Key_Alt);
        QCOMPARE(int(window.store().editLine()[1]), 194);
    }

    void effectMessageIsTimedWithoutBlocking() {
        WindowHarness h;
        MainWindow& window = h.start();
        Keys keys{window};
        QElapsedTimer clock;
        clock.start();
        keys.altDigits("62");
        // The window went on at once; the text goes after its 800 ms.
        QVERIFY(clock.elapsed() < 700);
        QVERIFY(window.editorInput().canvasTextShowing());
        QTRY_VERIFY_WITH_TIMEOUT(!window.editorInput().canvasTextShowing(), 3000);
    }

    void pageKeys() {
        WindowHarness h;
        MainWindow& window = h.start();
        Keys keys{window};
        keys.tap(Qt::Key_F3);
        QCOMPARE(int(window.store().currentPage()), 2);
        QCOMPARE(child<QTabBar>(window, "pageTabs")->currentIndex(), 2);
        QCOMPARE(window.editorInput().flashedText(), QStringLiteral("PÁGINA 3"));
        QVERIFY(window.editorInput().canvasTextShowing());
        QCOMPARE(window.statusText(StatusField::Page), QStringLiteral("Pagina 3"));
        keys.type("Z");
        QCOMPARE(content(window.store().page(2).lines()[0]), text("Z"));
        QCOMPARE(content(window.store().page(0).lines()[0]), text("ARDENCORE "));

        // A tab is taken when the button comes up over it.
        const QRect tab5 = child<QTabBar>(window, "pageTabs")->tabRect(4);
        QTest::mousePress(child<QTabBar>(window, "pageTabs"), Qt::LeftButton, {}, tab5.center());
        QCOMPARE(int(window.store().currentPage()), 2);
        QTest::mouseRelease(child<QTabBar>(window, "pageTabs"), Qt::LeftButton, {}, tab5.center());
        QCOMPARE(int(window.store().currentPage()), 4);
        QCOMPARE(window.editorInput().flashedText(), QStringLiteral("PÁGINA 5"));
    }

    void canvasClicks() {
        WindowHarness h;
        MainWindow& window = h.start();
        setPage(window, {{65, 31, D1, 66}}, 0, 2);
        const auto& map = window.store().view().columnMap;
        QCOMPARE(map.size(), size_t(5));
        QCOMPARE(map[2], 0); // the escape of the pair is no cursor place
        // Right of the last character: the end of the visible window.
        QTest::mouseClick(child<app::CanvasWidget>(window, "editCanvasView"), Qt::LeftButton, {},
                          QPoint(600, 30));
        QCOMPARE(window.store().view().cursorByte, 6);
        QCOMPARE(child<QPlainTextEdit>(window, "editLineText")->textCursor().position(), 4);
        // Inside the drawing: after the whole pair.
        QTest::mouseClick(child<app::CanvasWidget>(window, "editCanvasView"), Qt::LeftButton, {},
                          QPoint(map[3] * 10 - 5, 30));
        QCOMPARE(window.store().view().cursorByte, 5);
        // Left of everything: the start.
        QTest::mouseClick(child<app::CanvasWidget>(window, "editCanvasView"), Qt::LeftButton, {},
                          QPoint(2, 30));
        QCOMPARE(window.store().view().cursorByte, 2);
    }

    void wheelKeepsDrawingsWhole() {
        WindowHarness h;
        MainWindow& window = h.start();
        // Cursor at byte 4 of line 1; on line 2 byte 4 is a drawing escape.
        setPage(window, {text("ABCD"), {65, 31, D1, 66}, text("X")}, 0, 4);
        auto wheel = [&](int delta) {
            const QPoint at = child<QWidget>(window, "canvasPanel")->rect().center();
            QWheelEvent event(at, child<QWidget>(window, "canvasPanel")->mapToGlobal(at), QPoint(),
                              QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(child<QWidget>(window, "canvasPanel"), &event);
        };
        wheel(-120);
        QCOMPARE(window.store().view().lineIndex, 1);
        QCOMPARE(window.store().view().cursorByte, 5);
        wheel(-120);
        QCOMPARE(window.store().view().lineIndex, 2);
        QCOMPARE(window.store().view().cursorByte, 3); // clamped to the line end
        wheel(-120);                                   // no line below
        QCOMPARE(window.store().view().lineIndex, 2);
        wheel(120);
        wheel(120);
        QCOMPARE(window.store().view().lineIndex, 0);
        // Over a list the wheel scrolls the list, not the lines.
        const QPoint inList =
            child<QListWidget>(window, "drawingList")->viewport()->rect().center();
        QWheelEvent event(
            inList, child<QListWidget>(window, "drawingList")->viewport()->mapToGlobal(inList),
            QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(child<QListWidget>(window, "drawingList")->viewport(), &event);
        QCOMPARE(window.store().view().lineIndex, 0);
    }

    void lineBoxesAndLabels() {
        WindowHarness h;
        MainWindow& window = h.start();
        setPage(window, {text("L1"), text("L2"), {65, 31, D1, 66}, text("L4"), text("L5")}, 0, 2);
        window.store().setEditLine(1);
        window.redrawEditCanvas();
        // A click in the box below: that line, cursor after the caret; a
        // caret between escape and code moves past the drawing.
        QTextCursor caret = child<QPlainTextEdit>(window, "nextLineText")->textCursor();
        caret.setPosition(2);
        child<QPlainTextEdit>(window, "nextLineText")->setTextCursor(caret);
        window.editorInput().neighbourTextClicked(1);
        QCOMPARE(window.store().view().lineIndex, 2);
        QCOMPARE(window.store().view().cursorByte, 5);

        // A click in the edit line's text: the cursor goes to the caret, and
        // past a drawing when the caret stands between escape and code.
        caret = child<QPlainTextEdit>(window, "editLineText")->textCursor();
        caret.setPosition(2);
        child<QPlainTextEdit>(window, "editLineText")->setTextCursor(caret);
        window.store().view().cursorByte = 2;
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(5, 5),
                       QPointF(child<QPlainTextEdit>(window, "editLineText")
                                   ->viewport()
                                   ->mapToGlobal(QPoint(5, 5))),
                       Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(child<QPlainTextEdit>(window, "editLineText")->viewport(), &up);
        QCOMPARE(window.store().view().cursorByte, 5);
        QCOMPARE(child<QPlainTextEdit>(window, "editLineText")->textCursor().position(), 3);

        // "Recuar" without a preview: the line above, cursor at its start.
        QTest::mouseClick(child<QPushButton>(window, "previousLineButton"), Qt::LeftButton);
        QCOMPARE(window.store().view().lineIndex, 1);
        QCOMPARE(window.store().view().cursorByte, 2);
        QTest::mouseClick(child<QPushButton>(window, "nextLineButton"), Qt::LeftButton);
        QCOMPARE(window.store().view().lineIndex, 2);

        // The frame of the box two below, outside its text.
        QTest::mouseClick(child<QGroupBox>(window, "secondNextLineGroup"), Qt::LeftButton, {},
                          QPoint(3, 3));
        QCOMPARE(window.store().view().lineIndex, 4);

        // " X " above: the line above goes; the edit line keeps its number.
        QTest::mouseClick(child<app::DeleteLabel>(window, "deletePreviousLineLabel"),
                          Qt::LeftButton);
        QCOMPARE(pageContent(window).size(), size_t(4));
        QCOMPARE(content(window.store().page().lines()[3]), text("L5"));
        QCOMPARE(window.store().view().lineIndex, 3);
        QCOMPARE(window.statusText(StatusField::Line), QStringLiteral("Linha 4 de 4"));
        QCOMPARE(int(h.prompter.prompts.size()), 0);
    }

    void listsInsertAndHint() {
        WindowHarness h;
        MainWindow& window = h.start();
        setPage(window, {{}}, 0, 2);
        // Drawing list: item texts are the list indices, 9 left out.
        QCOMPARE(child<QListWidget>(window, "drawingList")->count(), 123);
        QCOMPARE(child<QListWidget>(window, "drawingList")->item(9)->text(), QStringLiteral("10"));
        QCOMPARE(child<QListWidget>(window, "drawingList")->item(122)->text(),
                 QStringLiteral("123"));
        QCOMPARE(child<QListWidget>(window, "drawingList")
                     ->visualItemRect(child<QListWidget>(window, "drawingList")->item(0))
                     .height(),
                 100);
        const QRect first =
            child<QListWidget>(window, "drawingList")
                ->visualItemRect(child<QListWidget>(window, "drawingList")->item(1));
        QTest::mouseClick(child<QListWidget>(window, "drawingList")->viewport(), Qt::LeftButton, {},
                          first.center());
        QCOMPARE(content(window.store().editLine()), (std::vector<uint8_t>{31, D1}));
        QCOMPARE(window.store().view().cursorByte, 4);

        child<QListWidget>(window, "functionList")
            ->scrollToItem(child<QListWidget>(window, "functionList")->item(11));
        const QRect fn = child<QListWidget>(window, "functionList")
                             ->visualItemRect(child<QListWidget>(window, "functionList")->item(11));
        QTest::mouseClick(child<QListWidget>(window, "functionList")->viewport(), Qt::LeftButton,
                          {}, fn.center());
        QCOMPARE(content(window.store().editLine()), (std::vector<uint8_t>{31, D1, 25}));
        QMouseEvent move(
            QEvent::MouseMove, QPointF(fn.center()),
            QPointF(
                child<QListWidget>(window, "functionList")->viewport()->mapToGlobal(fn.center())),
            Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(child<QListWidget>(window, "functionList")->viewport(), &move);
        QCOMPARE(child<QListWidget>(window, "functionList")->toolTip(),
                 QStringLiteral("Inserir função: Saudação"));

        const QRect font = child<QListWidget>(window, "fontList")
                               ->visualItemRect(child<QListWidget>(window, "fontList")->item(2));
        QTest::mouseClick(child<QListWidget>(window, "fontList")->viewport(), Qt::LeftButton, {},
                          font.center());
        QCOMPARE(content(window.store().editLine()), (std::vector<uint8_t>{31, D1, 25, 2}));
        QMouseEvent moveFont(
            QEvent::MouseMove, QPointF(font.center()),
            QPointF(child<QListWidget>(window, "fontList")->viewport()->mapToGlobal(font.center())),
            Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(child<QListWidget>(window, "fontList")->viewport(), &moveFont);
        QCOMPARE(child<QListWidget>(window, "fontList")->toolTip(),
                 QStringLiteral("Inserir a Fonte: 3"));

        // The effect list, as the operator picks an item.
        child<QComboBox>(window, "exitEffectCombo")->setCurrentIndex(4);
        emit child<QComboBox>(window, "exitEffectCombo")->activated(4);
        QCOMPARE(int(window.store().editLine()[2]), 196);
    }

    void clearPageNeedsCapsLockHeld() {
        WindowHarness h;
        MainWindow& window = h.start();
        setPage(window, {text("AB"), text("CD")}, 0, 4);
        h.prompter.answers = {ButtonYes};
        Keys keys{window};
        // Without Caps Lock held Ctrl+Delete is a plain Delete (a join here).
        keys.tap(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(pageContent(window), (std::vector<std::vector<uint8_t>>{text("ABCD")}));
        QVERIFY(h.prompter.prompts.empty());
        keys.press(Qt::Key_CapsLock);
        keys.tap(Qt::Key_Delete, Qt::ControlModifier);
        keys.release(Qt::Key_CapsLock);
        QCOMPARE(h.prompter.prompts, (std::vector<Prompt>{Prompt::ClearPage}));
        QCOMPARE(pageContent(window), (std::vector<std::vector<uint8_t>>{{}}));
        // Pressing Caps Lock leaves the operator's setting alone at exit.
        QVERIFY(!window.restoresCapsLockAtExit());
    }

    void paste() {
        struct Case {
            const char* name;
            std::u16string clip;
            std::vector<std::vector<uint8_t>> expected;
            int line, cursor;
        };
        const Case cases[] = {
            {.name = "CR LF starts a new line",
             .clip = u"AB\r\nC",
             .expected = {text("AB"), text("C")},
             .line = 1,
             .cursor = 3},
            {.name = "accented letters",
             .clip = u"Olá",
             .expected = {{79, 108, 160}},
             .line = 0,
             .cursor = 5},
            {.name = "a character outside the set",
             .clip = u"¿",
             .expected = {{32}},
             .line = 0,
             .cursor = 3},
            {.name = "lone controls become codes",
             .clip = u"\t\r\x1f\n",
             .expected = {{9, 13, 32, 10}},
             .line = 0,
             .cursor = 6},
        };
        for (const Case& c : cases) {
            WindowHarness h;
            MainWindow& window = h.start();
            setPage(window, {{}}, 0, 2);
            window.editorInput().clipboardText = [&] { return QString::fromStdU16String(c.clip); };
            Keys{window}.tap(Qt::Key_V, Qt::ControlModifier);
            QVERIFY2(pageContent(window) == c.expected, c.name);
            QCOMPARE(window.store().view().lineIndex, c.line);
            QCOMPARE(window.store().view().cursorByte, c.cursor);
        }
    }

    void pasteStopsAtTheBudget() {
        WindowHarness h;
        MainWindow& window = h.start();
        // 100 bytes on the page: a 3-byte line and one of 97.
        setPage(window, {{}, std::vector<uint8_t>(94, 'x')}, 0, 2);
        QCOMPARE(pageByteTotal(window.store().page()), 100);
        window.editorInput().clipboardText = [] { return QString(1000, QChar(u'a')); };
        child<QAction>(window, "pasteAction")->trigger();
        QCOMPARE(pageByteTotal(window.store().page()), 1023);
        QCOMPARE(h.prompter.prompts, (std::vector<Prompt>{Prompt::PageFull}));
        QCOMPARE(window.store().view().cursorByte, 2 + 923);
        QCOMPARE(window.statusText(StatusField::Total), QStringLiteral("Total: 1023 caracteres"));

        // A long paste is one operation: once it returns, the canvas, the line
        // boxes and the status show all of it, and the blink starts again with
        // the cursor shown (the next tick hides it).
        setPage(window, {{}}, 0, 2);
        auto* view = child<app::CanvasWidget>(window, "editCanvasView");
        auto bandLit = [&] {
            const int column = window.store().view().cursorColumn;
            return view->picture().pixel(column * 10 + 5, 35) ==
                   QRgb(ledShades(DefaultLedColour).cursor);
        };
        window.blinkCursor();
        QVERIFY(!bandLit()); // the blink is in its "off" phase
        auto* blink = child<QTimer>(window, "cursorBlinkTimer");
        blink->stop();
        window.editorInput().clipboardText = [] { return QString(500, QChar(u'b')); };
        child<QAction>(window, "pasteAction")->trigger();
        QCOMPARE(window.store().page().lines()[0].size(), size_t(503));
        QCOMPARE(window.store().view().cursorByte, 502);
        QCOMPARE(window.statusText(StatusField::Total), QStringLiteral("Total: 503 caracteres"));
        QCOMPARE(child<QPlainTextEdit>(window, "editLineText")->toPlainText().size(), 500);
        QCOMPARE(child<QPlainTextEdit>(window, "editLineText")->textCursor().position(), 500);
        QVERIFY(bandLit());
        const QImage picture = view->picture();
        int lit = 0;
        for (int x = 0; x < picture.width(); ++x)
            lit += picture.pixel(x, 35) == QRgb(ledShades(DefaultLedColour).lit);
        QVERIFY(lit > 100); // the line's LEDs, not only the cursor band
        QVERIFY(blink->isActive());
        QTest::qWait(320); // past the blink's own 300 ms guard
        window.blinkCursor();
        QVERIFY(!bandLit());

        // An empty clipboard changes nothing.
        window.editorInput().clipboardText = [] { return std::optional<QString>(); };
        child<QAction>(window, "pasteAction")->trigger();
        QCOMPARE(h.prompter.prompts.size(), size_t(1));
    }

    void keysDuringPreview() {
        WindowHarness h;
        MainWindow& window = h.start();
        Keys keys{window};
        const LineStream before = window.store().editLine();
        keys.tap(Qt::Key_Escape, {}, "\x1b");
        QVERIFY(window.previewRunning());
        // Typing, editing keys and the canvas are left alone while it plays.
        keys.type("X");
        keys.tap(Qt::Key_Backspace, {}, "\b");
        keys.tap(Qt::Key_Return, {}, "\r");
        QTest::mouseClick(child<app::CanvasWidget>(window, "editCanvasView"), Qt::LeftButton, {},
                          QPoint(5, 30));
        QCOMPARE(window.store().editLine(), before);
        QCOMPARE(window.store().page().lineCount(), 1);
        // The effect number still reaches the line.
        keys.altDigits("7");
        QCOMPARE(int(window.store().editLine()[1]), 198);
        QVERIFY(window.previewRunning());
        keys.tap(Qt::Key_Escape, {}, "\x1b");
        QVERIFY(!window.previewRunning());
        keys.type("Y");
        QCOMPARE(window.store().editLine().size(), before.size() + 1);

        // A page key stops the preview, changes the page and plays it again.
        keys.tap(Qt::Key_Escape, {}, "\x1b");
        QVERIFY(window.previewRunning());
        keys.tap(Qt::Key_F1);
        QVERIFY(window.previewRunning());
        keys.tap(Qt::Key_Escape, {}, "\x1b");
        QVERIFY(!window.previewRunning());
    }

    void drawingListHoverRules() {
        WindowHarness h;
        MainWindow& window = h.start();
        setPage(window, {{}}, 0, 2);
        QListWidget* list = child<QListWidget>(window, "drawingList");
        auto hover = [&](QPoint at) {
            QMouseEvent move(QEvent::MouseMove, QPointF(at),
                             QPointF(list->viewport()->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(list->viewport(), &move);
        };
        list->setCurrentRow(0);
        hover(QPoint(20, 150)); // second item
        QCOMPARE(list->currentRow(), 1);
        // Near the bottom edge the item above is taken (the item under the
        // pointer is not the last).
        hover(QPoint(20, list->viewport()->height() - 2));
        const int under = list->row(list->itemAt(QPoint(20, list->viewport()->height() - 2)));
        QCOMPARE(list->currentRow(), under - 1);
        // A press over no item changes nothing; a click inserts the drawing.
        list->setCurrentRow(1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, 150));
        QCOMPARE(content(window.store().editLine()), (std::vector<uint8_t>{31, D1}));
    }

    void screenshot() {
        WindowHarness h;
        MainWindow& window = h.start();
        setPage(window, {{}}, 0, 2);
        Keys keys{window};
        keys.type("Oi ");
        keys.ctrl(Qt::Key_Up);
        keys.type(" ");
        keys.ctrl(Qt::Key_H);
        keys.type("!");
        QVERIFY(window.grab().save(QStringLiteral("/tmp/editor_keys_window.png")));
        QVERIFY(child<app::CanvasWidget>(window, "editCanvasView")
                    ->picture()
                    .save(QStringLiteral("/tmp/editor_keys_canvas.png")));
        keys.tap(Qt::Key_F2);
        QVERIFY(window.grab().save(QStringLiteral("/tmp/editor_keys_page_flash.png")));
    }
};

QTEST_MAIN(EditorKeysTest)
#include "editor_keys_test.moc"
