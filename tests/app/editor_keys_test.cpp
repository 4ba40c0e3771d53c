// The line editor on the real main window: key sequences, clicks, the lists,
// the effect-number entry, the page keys and paste, each checked on the line
// bytes, the cursor byte index and the status texts.
#include "app_fakes.h"

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
using vorelux::app::TForm1;

namespace {

// Sends real key events to the focused line box, as the keyboard would:
// each event passes the window's key preview first.
struct Keys {
    TForm1& form;

    void send(QEvent::Type type, int key, Qt::KeyboardModifiers mods = {}, const QString& text = {},
              bool autoRepeat = false, quint64 timestamp = 0) {
        QKeyEvent event(type, key, mods, text, autoRepeat);
        event.setTimestamp(timestamp);
        QApplication::sendEvent(form.mmEdit, &event);
    }
    void press(int key, Qt::KeyboardModifiers mods = {}, const QString& text = {}) {
        send(QEvent::KeyPress, key, mods, text);
    }
    void release(int key, Qt::KeyboardModifiers mods = {}, const QString& text = {}) {
        send(QEvent::KeyRelease, key, mods, text);
    }
    void tap(int key, Qt::KeyboardModifiers mods = {}, const QString& text = {}) {
        press(key, mods, text);
        release(key, mods, text);
    }
    // A key held down: the platform's repeats come as release/press pairs
    // flagged as repeats, then the real release.
    void hold(int key, int repeats, const QString& text = {}) {
        press(key, {}, text);
        for (int i = 0; i < repeats; ++i) {
            send(QEvent::KeyRelease, key, {}, text, true);
            send(QEvent::KeyPress, key, {}, text, true);
        }
        release(key, {}, text);
    }
    void type(const QString& text) {
        for (QChar ch : text) {
            const bool upper = ch.isUpper();
            int key = ch.toUpper().unicode();
            if (ch == u' ') key = Qt::Key_Space;
            tap(key, upper ? Qt::ShiftModifier : Qt::NoModifier, QString(ch));
        }
    }
    void ctrl(int key) {
        press(Qt::Key_Control, Qt::ControlModifier);
        tap(key, Qt::ControlModifier);
        release(Qt::Key_Control);
    }
    // Alt held while the digits are typed; `withCtrl` holds Ctrl for them too.
    void altDigits(const QString& digits, bool withCtrl = false) {
        press(Qt::Key_Alt, Qt::AltModifier);
        for (QChar d : digits) {
            const Qt::KeyboardModifiers mods =
                Qt::AltModifier | (withCtrl ? Qt::ControlModifier : Qt::NoModifier);
            tap(Qt::Key_0 + (d.unicode() - u'0'), mods, QString(d));
        }
        release(Qt::Key_Alt);
    }
};

// One line per string; each string is line content bytes after the header.
std::vector<uint8_t> content(const LineStream& line) {
    return {line.begin() + HeaderSize, line.end()};
}

LineStream lineBytes(std::vector<uint8_t> bytes) {
    LineStream line = newLine();
    line.insert(line.end(), bytes.begin(), bytes.end());
    return line;
}

std::vector<uint8_t> text(const char* s) {
    std::vector<uint8_t> out;
    for (; *s; ++s) out.push_back(uint8_t(*s));
    return out;
}

// Puts these lines on the current page, line `edit` current with the cursor
// at byte index `cursor`, and redraws.
void setPage(TForm1& form, std::vector<std::vector<uint8_t>> lines, int edit, int cursor) {
    PageStore& store = form.store();
    Page& cfg = store.page();
    cfg.lines.clear();
    for (auto& line : lines) cfg.lines.push_back(lineBytes(line));
    cfg.lineCount = int(cfg.lines.size());
    store.setEditLine(edit);
    cfg.cursorByte = cursor;
    form.geraTela();
}

std::vector<std::vector<uint8_t>> pageContent(TForm1& form) {
    std::vector<std::vector<uint8_t>> out;
    for (const LineStream& line : form.store().page().lines) out.push_back(content(line));
    return out;
}

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

} // namespace

class EditorKeysTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QVERIFY(app::LoadPrivateFont() >= 0); }

    void keySequences() {
        const std::vector<KeyCase> cases = {
            {"typing on a fresh line", {{}}, 0, 2, [](Keys& k) { k.type("A"); }, {text("A")}, 0, 3},
            {"typing in the middle",
             {text("AC")},
             0,
             3,
             [](Keys& k) { k.type("bé"); },
             {{65, 98, 130, 67}},
             0,
             5},
            {"shift+space types a tilde",
             {text("A")},
             0,
             3,
             [](Keys& k) { k.tap(Qt::Key_Space, Qt::ShiftModifier, " "); },
             {{65, 126}},
             0,
             4},
            {"a character the panel lacks is not typed",
             {text("A")},
             0,
             3,
             [](Keys& k) { k.tap(0, {}, QStringLiteral("í")); },
             {text("A")},
             0,
             3},
            {"left steps over a drawing pair",
             {{65, 31, D1, 66}},
             0,
             5,
             [](Keys& k) { k.tap(Qt::Key_Left); },
             {{65, 31, D1, 66}},
             0,
             3},
            {"right steps over a drawing pair",
             {{65, 31, D1, 66}},
             0,
             3,
             [](Keys& k) { k.tap(Qt::Key_Right); },
             {{65, 31, D1, 66}},
             0,
             5},
            {"left at the start does nothing",
             {text("AB")},
             0,
             2,
             [](Keys& k) { k.tap(Qt::Key_Left); },
             {text("AB")},
             0,
             2},
            {"right at the end does nothing",
             {text("AB")},
             0,
             4,
             [](Keys& k) { k.tap(Qt::Key_Right); },
             {text("AB")},
             0,
             4},
            {"backspace removes a drawing pair",
             {{65, 31, D1, 66}},
             0,
             5,
             [](Keys& k) { k.tap(Qt::Key_Backspace); },
             {text("AB")},
             0,
             3},
            {"delete removes a drawing pair",
             {{65, 31, D1, 66}},
             0,
             3,
             [](Keys& k) { k.tap(Qt::Key_Delete); },
             {text("AB")},
             0,
             3},
            {"held backspace stops at the line start",
             {text("XY"), text("AB")},
             1,
             3,
             [](Keys& k) { k.hold(Qt::Key_Backspace, 4, "\b"); },
             {text("XY"), text("B")},
             1,
             2},
            {"a repeat that X11 reports as a real release and press joins nothing",
             {text("XY"), text("AB")},
             1,
             3,
             [](Keys& k) {
                 k.send(QEvent::KeyPress, Qt::Key_Backspace, {}, "\b", false, 1000);
                 k.send(QEvent::KeyRelease, Qt::Key_Backspace, {}, "\b", false, 1500);
                 k.send(QEvent::KeyPress, Qt::Key_Backspace, {}, "\b", false, 1500);
                 k.send(QEvent::KeyRelease, Qt::Key_Backspace, {}, "\b", false, 1600);
             },
             {text("XY"), text("B")},
             1,
             2},
            {"a fresh backspace joins onto the line above",
             {text("XY"), text("AB")},
             1,
             3,
             [](Keys& k) {
                 k.hold(Qt::Key_Backspace, 4, "\b");
                 k.tap(Qt::Key_Backspace, {}, "\b");
             },
             {text("XYB")},
             0,
             4},
            {"backspace on an empty line deletes it",
             {text("XY"), {}, text("CD")},
             1,
             2,
             [](Keys& k) { k.tap(Qt::Key_Backspace, {}, "\b"); },
             {text("XY"), text("CD")},
             0,
             4},
            {"backspace on the first line's start does nothing",
             {text("AB"), text("CD")},
             0,
             2,
             [](Keys& k) { k.tap(Qt::Key_Backspace, {}, "\b"); },
             {text("AB"), text("CD")},
             0,
             2},
            {"held delete removes an empty next line but joins nothing",
             {text("AB"), {}, text("CD")},
             0,
             3,
             [](Keys& k) { k.hold(Qt::Key_Delete, 3); },
             {text("A"), text("CD")},
             0,
             3},
            {"a fresh delete at the end joins the next line",
             {text("AB"), text("CD")},
             0,
             4,
             [](Keys& k) { k.tap(Qt::Key_Delete); },
             {text("ABCD")},
             0,
             4},
            {"delete on an empty line that is not the last deletes it",
             {{}, text("CD")},
             0,
             2,
             [](Keys& k) { k.tap(Qt::Key_Delete); },
             {text("CD")},
             0,
             2},
            {"enter splits the line",
             {text("ABCD")},
             0,
             4,
             [](Keys& k) { k.tap(Qt::Key_Return, {}, "\r"); },
             {text("AB"), text("CD")},
             1,
             2},
            {"enter at the end adds a line",
             {text("AB")},
             0,
             4,
             [](Keys& k) { k.tap(Qt::Key_Return, {}, "\r"); },
             {text("AB"), {}},
             1,
             2},
            {"home and end",
             {text("ABC")},
             0,
             3,
             [](Keys& k) {
                 k.tap(Qt::Key_End);
                 k.type("D");
                 k.tap(Qt::Key_Home);
                 k.type("Z");
             },
             {text("ZABCD")},
             0,
             3},
            {"ctrl+end goes to the last line's end",
             {text("AB"), text("CDE")},
             0,
             2,
             [](Keys& k) { k.tap(Qt::Key_End, Qt::ControlModifier); },
             {text("AB"), text("CDE")},
             1,
             5},
            {"ctrl+home goes to the first line's start",
             {text("AB"), text("CDE")},
             1,
             4,
             [](Keys& k) { k.tap(Qt::Key_Home, Qt::ControlModifier); },
             {text("AB"), text("CDE")},
             0,
             2},
            {"down and up put the cursor at the line start",
             {text("AB"), text("CDE")},
             0,
             4,
             [](Keys& k) {
                 k.tap(Qt::Key_Down);
                 k.tap(Qt::Key_Right);
                 k.tap(Qt::Key_Up);
             },
             {text("AB"), text("CDE")},
             0,
             2},
            {"ctrl+1..4 insert font codes",
             {text("A")},
             0,
             3,
             [](Keys& k) {
                 k.ctrl(Qt::Key_1);
                 k.ctrl(Qt::Key_4);
             },
             {{65, 0, 3}},
             0,
             5},
            {"ctrl+letters insert live fields",
             {{}},
             0,
             2,
             [](Keys& k) {
                 for (int key : {Qt::Key_H, Qt::Key_D, Qt::Key_J, Qt::Key_T, Qt::Key_E, Qt::Key_R,
                                 Qt::Key_X, Qt::Key_F, Qt::Key_B, Qt::Key_K, Qt::Key_L, Qt::Key_S,
                                 Qt::Key_O, Qt::Key_P, Qt::Key_Q})
                     k.ctrl(key);
             },
             {{8, 9, 10, 11, 12, 13, 14, 15, 18, 19, 20, 25, 26, 27}},
             0,
             16},
            {"ctrl+up three times cycles one drawing",
             {text("A")},
             0,
             3,
             [](Keys& k) {
                 k.press(Qt::Key_Control, Qt::ControlModifier);
                 for (int i = 0; i < 3; ++i) k.tap(Qt::Key_Up, Qt::ControlModifier);
                 k.release(Qt::Key_Control);
             },
             {{65, 31, D2}},
             0,
             5},
            {"a new ctrl press starts a second drawing",
             {{}},
             0,
             2,
             [](Keys& k) {
                 k.ctrl(Qt::Key_Up);
                 k.press(Qt::Key_Control, Qt::ControlModifier);
                 k.tap(Qt::Key_Up, Qt::ControlModifier);
                 k.tap(Qt::Key_Up, Qt::ControlModifier);
                 k.release(Qt::Key_Control);
             },
             {{31, D0, 31, D1}},
             0,
             6},
            {"a cycle whose drawing the cursor has left starts a new drawing",
             {text("A")},
             0,
             3,
             [](Keys& k) {
                 k.press(Qt::Key_Control, Qt::ControlModifier);
                 k.tap(Qt::Key_Up, Qt::ControlModifier);
                 k.tap(Qt::Key_Left, Qt::ControlModifier);
                 k.tap(Qt::Key_Left, Qt::ControlModifier);
                 k.tap(Qt::Key_Up, Qt::ControlModifier);
                 k.release(Qt::Key_Control);
             },
             {{31, D1, 65, 31, D0}},
             0,
             4},
            {"ctrl+down starts at the last drawing",
             {{}},
             0,
             2,
             [](Keys& k) { k.ctrl(Qt::Key_Down); },
             {{31, InsertCodeTable[123]}},
             0,
             4},
            {"shift+delete deletes the edit line",
             {text("AB"), text("CD")},
             0,
             3,
             [](Keys& k) { k.tap(Qt::Key_Delete, Qt::ShiftModifier); },
             {text("CD")},
             0,
             3},
        };
        for (const KeyCase& c : cases) {
            WindowHarness h;
            TForm1& form = h.start();
            setPage(form, c.lines, c.edit, c.cursor);
            Keys keys{form};
            c.keys(keys);
            QVERIFY2(pageContent(form) == c.expected, c.name);
            QVERIFY2(form.store().page().lineIndex == c.expectedLine, c.name);
            QVERIFY2(form.store().page().cursorByte == c.expectedCursor,
                     qPrintable(QStringLiteral("%1: cursor %2")
                                    .arg(c.name)
                                    .arg(form.store().page().cursorByte)));
            // Line boxes and status follow the edit line.
            QCOMPARE(
                form.statusText(4),
                QStringLiteral("Linha %1 de %2").arg(c.expectedLine + 1).arg(c.expected.size()));
            QVERIFY2(h.prompter.prompts.empty(), c.name);
        }
    }

    void typingEndToEnd() {
        WindowHarness h;
        TForm1& form = h.start();
        Keys keys{form};
        keys.tap(Qt::Key_F2);
        keys.type("A");
        const LineStream& line = form.store().editLine();
        QCOMPARE(line, (LineStream{0xFF, 192, 192, 65}));
        QCOMPARE(form.store().page().cursorByte, 3);
        QVERIFY(form.store().isModified());
        QCOMPARE(form.statusText(5), QStringLiteral("Total: 4 caracteres"));
        QCOMPARE(form.mmEdit->toPlainText(), QString(QChar(0x241)));
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
            {"12", false, 203, 192, "ENTRADA 12", nullptr},
            {"61", true, 192, 252, "SAÍDA   61", nullptr},
            {"62", false, 192, 192, "ENTRADA 62", "INVÁLIDO!"},
            {"00", false, 192, 192, "ENTRADA 00", "INVÁLIDO!"},
            {"", false, 192, 192, nullptr, "INVÁLIDO!"},
            {"105", false, 196, 192, "ENTRADA 05", nullptr}, // only the last two digits count
        };
        for (const Case& c : cases) {
            WindowHarness h;
            TForm1& form = h.start();
            setPage(form, {text("AB")}, 0, 3);
            form.store().markSaved();
            Keys keys{form};
            app::EditorInput& input = form.editorInput();
            keys.press(Qt::Key_Alt, Qt::AltModifier);
            for (const char* d = c.digits; *d; ++d) {
                const Qt::KeyboardModifiers mods =
                    Qt::AltModifier | (c.ctrl ? Qt::ControlModifier : Qt::NoModifier);
                keys.tap(Qt::Key_0 + (*d - '0'), mods, QString(QChar(*d)));
            }
            if (c.shownWhileTyping) {
                QCOMPARE(input.messageText(), QString::fromUtf8(c.shownWhileTyping));
                QVERIFY(input.messageShowing());
                QCOMPARE(form.EffectDigits.target, c.ctrl ? 2 : 1);
            }
            // Nothing was typed into the line while Alt was held.
            QCOMPARE(content(form.store().editLine()), text("AB"));
            const QString before = input.messageText();
            keys.release(Qt::Key_Alt);
            QCOMPARE(form.EffectDigits.target, 0);
            const LineStream& line = form.store().editLine();
            QVERIFY2(line[1] == c.entryByte && line[2] == c.exitByte, c.digits);
            QCOMPARE(input.messageText(), c.shownAfter ? QString::fromUtf8(c.shownAfter) : before);
            const bool changed = c.entryByte != 192 || c.exitByte != 192;
            QCOMPARE(form.store().isModified(), changed);
            QCOMPARE(form.ComboBox1->currentIndex(), c.entryByte - 192);
            QCOMPARE(form.ComboBox2->currentIndex(), c.exitByte - 192);
        }
    }

    void altWithOtherKeysIsLeftToTheSystem() {
        WindowHarness h;
        TForm1& form = h.start();
        Keys keys{form};
        keys.press(Qt::Key_Alt, Qt::AltModifier);
        QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier);
        QApplication::sendEvent(form.mmEdit, &f4);
        QVERIFY(!f4.isAccepted()); // the platform may close the window
        QCOMPARE(int(form.store().currentPage()), 0);
        keys.tap(Qt::Key_3, Qt::AltModifier, "3");
        keys.release(Qt::Key_Alt);
        QCOMPARE(int(form.store().editLine()[1]), 194);
    }

    void effectMessageIsTimedWithoutBlocking() {
        WindowHarness h;
        TForm1& form = h.start();
        Keys keys{form};
        QElapsedTimer clock;
        clock.start();
        keys.altDigits("62");
        // The window went on at once; the text goes after its 800 ms.
        QVERIFY(clock.elapsed() < 700);
        QVERIFY(form.editorInput().messageShowing());
        QTRY_VERIFY_WITH_TIMEOUT(!form.editorInput().messageShowing(), 3000);
    }

    void pageKeys() {
        WindowHarness h;
        TForm1& form = h.start();
        Keys keys{form};
        keys.tap(Qt::Key_F3);
        QCOMPARE(int(form.store().currentPage()), 2);
        QCOMPARE(form.tsPaginas->currentIndex(), 2);
        QCOMPARE(form.editorInput().messageText(), QStringLiteral("PÁGINA 3"));
        QVERIFY(form.editorInput().messageShowing());
        QCOMPARE(form.statusText(3), QStringLiteral("Pagina 3"));
        keys.type("Z");
        QCOMPARE(content(form.store().pages()[2].lines[0]), text("Z"));
        QCOMPARE(content(form.store().pages()[0].lines[0]), text("ARDENCORE "));

        // A tab is taken when the button comes up over it.
        const QRect tab5 = form.tsPaginas->tabRect(4);
        QTest::mousePress(form.tsPaginas, Qt::LeftButton, {}, tab5.center());
        QCOMPARE(int(form.store().currentPage()), 2);
        QTest::mouseRelease(form.tsPaginas, Qt::LeftButton, {}, tab5.center());
        QCOMPARE(int(form.store().currentPage()), 4);
        QCOMPARE(form.editorInput().messageText(), QStringLiteral("PÁGINA 5"));
    }

    void canvasClicks() {
        WindowHarness h;
        TForm1& form = h.start();
        setPage(form, {{65, 31, D1, 66}}, 0, 2);
        const auto& map = form.store().page().columnMap;
        QCOMPARE(map.size(), size_t(5));
        QCOMPARE(map[2], 0); // the escape of the pair is no cursor place
        // Right of the last character: the end of the visible window.
        QTest::mouseClick(form.imgEdit, Qt::LeftButton, {}, QPoint(600, 30));
        QCOMPARE(form.store().page().cursorByte, 6);
        QCOMPARE(form.mmEdit->textCursor().position(), 4);
        // Inside the drawing: after the whole pair.
        QTest::mouseClick(form.imgEdit, Qt::LeftButton, {}, QPoint(map[3] * 10 - 5, 30));
        QCOMPARE(form.store().page().cursorByte, 5);
        // Left of everything: the start.
        QTest::mouseClick(form.imgEdit, Qt::LeftButton, {}, QPoint(2, 30));
        QCOMPARE(form.store().page().cursorByte, 2);
    }

    void wheelKeepsDrawingsWhole() {
        WindowHarness h;
        TForm1& form = h.start();
        // Cursor at byte 4 of line 1; on line 2 byte 4 is a drawing escape.
        setPage(form, {text("ABCD"), {65, 31, D1, 66}, text("X")}, 0, 4);
        auto wheel = [&](int delta) {
            const QPoint at = form.pnlTela->rect().center();
            QWheelEvent event(at, form.pnlTela->mapToGlobal(at), QPoint(), QPoint(0, delta),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(form.pnlTela, &event);
        };
        wheel(-120);
        QCOMPARE(form.store().page().lineIndex, 1);
        QCOMPARE(form.store().page().cursorByte, 5);
        wheel(-120);
        QCOMPARE(form.store().page().lineIndex, 2);
        QCOMPARE(form.store().page().cursorByte, 3); // clamped to the line end
        wheel(-120);                                     // no line below
        QCOMPARE(form.store().page().lineIndex, 2);
        wheel(120);
        wheel(120);
        QCOMPARE(form.store().page().lineIndex, 0);
        // Over a list the wheel scrolls the list, not the lines.
        const QPoint inList = form.ListBox1->viewport()->rect().center();
        QWheelEvent event(inList, form.ListBox1->viewport()->mapToGlobal(inList), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(form.ListBox1->viewport(), &event);
        QCOMPARE(form.store().page().lineIndex, 0);
    }

    void lineBoxesAndLabels() {
        WindowHarness h;
        TForm1& form = h.start();
        setPage(form, {text("L1"), text("L2"), {65, 31, D1, 66}, text("L4"), text("L5")}, 0, 2);
        form.store().setEditLine(1);
        form.geraTela();
        // A click in the box below: that line, cursor after the caret; a
        // caret between escape and code moves past the drawing.
        QTextCursor caret = form.mmNext1->textCursor();
        caret.setPosition(2);
        form.mmNext1->setTextCursor(caret);
        form.editorInput().neighbourBoxClick(1);
        QCOMPARE(form.store().page().lineIndex, 2);
        QCOMPARE(form.store().page().cursorByte, 5);

        // A click in the edit line's text: the cursor goes to the caret, and
        // past a drawing when the caret stands between escape and code.
        caret = form.mmEdit->textCursor();
        caret.setPosition(2);
        form.mmEdit->setTextCursor(caret);
        form.store().page().cursorByte = 2;
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(5, 5),
                       QPointF(form.mmEdit->viewport()->mapToGlobal(QPoint(5, 5))), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(form.mmEdit->viewport(), &up);
        QCOMPARE(form.store().page().cursorByte, 5);
        QCOMPARE(form.mmEdit->textCursor().position(), 3);

        // "Recuar" without a preview: the line above, cursor at its start.
        QTest::mouseClick(form.BitBtn3, Qt::LeftButton);
        QCOMPARE(form.store().page().lineIndex, 1);
        QCOMPARE(form.store().page().cursorByte, 2);
        QTest::mouseClick(form.BitBtn5, Qt::LeftButton);
        QCOMPARE(form.store().page().lineIndex, 2);

        // The frame of the box two below, outside its text.
        QTest::mouseClick(form.gbxNext2, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(form.store().page().lineIndex, 4);

        // " X " above: the line above goes; the edit line keeps its number.
        QTest::mouseClick(form.Label5, Qt::LeftButton);
        QCOMPARE(pageContent(form).size(), size_t(4));
        QCOMPARE(content(form.store().page().lines[3]), text("L5"));
        QCOMPARE(form.store().page().lineIndex, 3);
        QCOMPARE(form.statusText(4), QStringLiteral("Linha 4 de 4"));
        QCOMPARE(int(h.prompter.prompts.size()), 0);
    }

    void listsInsertAndHint() {
        WindowHarness h;
        TForm1& form = h.start();
        setPage(form, {{}}, 0, 2);
        // Drawing list: item texts are the list indices, 9 left out.
        QCOMPARE(form.ListBox1->count(), 123);
        QCOMPARE(form.ListBox1->item(9)->text(), QStringLiteral("10"));
        QCOMPARE(form.ListBox1->item(122)->text(), QStringLiteral("123"));
        QCOMPARE(form.ListBox1->visualItemRect(form.ListBox1->item(0)).height(), 100);
        const QRect first = form.ListBox1->visualItemRect(form.ListBox1->item(1));
        QTest::mouseClick(form.ListBox1->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(content(form.store().editLine()), (std::vector<uint8_t>{31, D1}));
        QCOMPARE(form.store().page().cursorByte, 4);

        form.ListBox2->scrollToItem(form.ListBox2->item(11));
        const QRect fn = form.ListBox2->visualItemRect(form.ListBox2->item(11));
        QTest::mouseClick(form.ListBox2->viewport(), Qt::LeftButton, {}, fn.center());
        QCOMPARE(content(form.store().editLine()), (std::vector<uint8_t>{31, D1, 25}));
        QMouseEvent move(QEvent::MouseMove, QPointF(fn.center()),
                         QPointF(form.ListBox2->viewport()->mapToGlobal(fn.center())), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(form.ListBox2->viewport(), &move);
        QCOMPARE(form.ListBox2->toolTip(), QStringLiteral("Inserir função: Saudação"));

        const QRect font = form.ListBox3->visualItemRect(form.ListBox3->item(2));
        QTest::mouseClick(form.ListBox3->viewport(), Qt::LeftButton, {}, font.center());
        QCOMPARE(content(form.store().editLine()), (std::vector<uint8_t>{31, D1, 25, 2}));
        QMouseEvent moveFont(QEvent::MouseMove, QPointF(font.center()),
                             QPointF(form.ListBox3->viewport()->mapToGlobal(font.center())),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(form.ListBox3->viewport(), &moveFont);
        QCOMPARE(form.ListBox3->toolTip(), QStringLiteral("Inserir a Fonte: 3"));

        // The effect list, as the operator picks an item.
        form.ComboBox2->setCurrentIndex(4);
        emit form.ComboBox2->activated(4);
        QCOMPARE(int(form.store().editLine()[2]), 196);
    }

    void clearPageNeedsCapsLockHeld() {
        WindowHarness h;
        TForm1& form = h.start();
        setPage(form, {text("AB"), text("CD")}, 0, 4);
        h.prompter.answers = {ButtonYes};
        Keys keys{form};
        // Without Caps Lock held Ctrl+Delete is a plain Delete (a join here).
        keys.tap(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(pageContent(form), (std::vector<std::vector<uint8_t>>{text("ABCD")}));
        QVERIFY(h.prompter.prompts.empty());
        keys.press(Qt::Key_CapsLock);
        keys.tap(Qt::Key_Delete, Qt::ControlModifier);
        keys.release(Qt::Key_CapsLock);
        QCOMPARE(h.prompter.prompts, (std::vector<unsigned>{2}));
        QCOMPARE(pageContent(form), (std::vector<std::vector<uint8_t>>{{}}));
        // Pressing Caps Lock leaves the operator's setting alone at exit.
        QVERIFY(!form.RestoreCapsLock);
    }

    void paste() {
        struct Case {
            const char* name;
            std::u16string clip;
            std::vector<std::vector<uint8_t>> expected;
            int line, cursor;
        };
        const Case cases[] = {
            {"CR LF starts a new line", u"AB\r\nC", {text("AB"), text("C")}, 1, 3},
            {"accented letters", u"Olá", {{79, 108, 160}}, 0, 5},
            {"a character outside the set", u"¿", {{32}}, 0, 3},
            {"lone controls become codes", u"\t\r\x1f\n", {{9, 13, 32, 10}}, 0, 6},
        };
        for (const Case& c : cases) {
            WindowHarness h;
            TForm1& form = h.start();
            setPage(form, {{}}, 0, 2);
            form.editorInput().clipboardText = [&] { return QString::fromStdU16String(c.clip); };
            Keys{form}.tap(Qt::Key_V, Qt::ControlModifier);
            QVERIFY2(pageContent(form) == c.expected, c.name);
            QCOMPARE(form.store().page().lineIndex, c.line);
            QCOMPARE(form.store().page().cursorByte, c.cursor);
        }
    }

    void pasteStopsAtTheBudget() {
        WindowHarness h;
        TForm1& form = h.start();
        // 100 bytes on the page: a 3-byte line and one of 97.
        setPage(form, {{}, std::vector<uint8_t>(94, 'x')}, 0, 2);
        QCOMPARE(pageByteTotal(form.store().page()), 100);
        form.editorInput().clipboardText = [] { return QString(1000, QChar(u'a')); };
        form.Colar1->trigger();
        QCOMPARE(pageByteTotal(form.store().page()), 1023);
        QCOMPARE(h.prompter.prompts, (std::vector<unsigned>{3}));
        QCOMPARE(form.store().page().cursorByte, 2 + 923);
        QCOMPARE(form.statusText(5), QStringLiteral("Total: 1023 caracteres"));

        // The window's events run while a long paste goes on.
        setPage(form, {{}}, 0, 2);
        std::vector<size_t> sizesSeen;
        QTimer ticker;
        ticker.setInterval(0);
        connect(&ticker, &QTimer::timeout, &form,
                [&] { sizesSeen.push_back(form.store().page().lines[0].size()); });
        ticker.start();
        form.editorInput().clipboardText = [] { return QString(500, QChar(u'b')); };
        form.Colar1->trigger();
        ticker.stop();
        QCOMPARE(form.store().page().lines[0].size(), size_t(503));
        QVERIFY(std::any_of(sizesSeen.begin(), sizesSeen.end(),
                            [](size_t n) { return n > 3 && n < 503; }));

        // An empty clipboard changes nothing.
        form.editorInput().clipboardText = [] { return std::optional<QString>(); };
        form.Colar1->trigger();
        QCOMPARE(h.prompter.prompts.size(), size_t(1));
    }

    void keysDuringPreview() {
        WindowHarness h;
        TForm1& form = h.start();
        Keys keys{form};
        const LineStream before = form.store().editLine();
        keys.tap(Qt::Key_Escape, {}, "\x1b");
        QVERIFY(form.previewRunning());
        // Typing, editing keys and the canvas are left alone while it plays.
        keys.type("X");
        keys.tap(Qt::Key_Backspace, {}, "\b");
        keys.tap(Qt::Key_Return, {}, "\r");
        QTest::mouseClick(form.imgEdit, Qt::LeftButton, {}, QPoint(5, 30));
        QCOMPARE(form.store().editLine(), before);
        QCOMPARE(form.store().page().lineCount, 1);
        // The effect number still reaches the line.
        keys.altDigits("7");
        QCOMPARE(int(form.store().editLine()[1]), 198);
        QVERIFY(form.previewRunning());
        keys.tap(Qt::Key_Escape, {}, "\x1b");
        QVERIFY(!form.previewRunning());
        keys.type("Y");
        QCOMPARE(form.store().editLine().size(), before.size() + 1);

        // A page key stops the preview, changes the page and plays it again.
        keys.tap(Qt::Key_Escape, {}, "\x1b");
        QVERIFY(form.previewRunning());
        keys.tap(Qt::Key_F1);
        QVERIFY(form.previewRunning());
        keys.tap(Qt::Key_Escape, {}, "\x1b");
        QVERIFY(!form.previewRunning());
    }

    void drawingListHoverRules() {
        WindowHarness h;
        TForm1& form = h.start();
        setPage(form, {{}}, 0, 2);
        QListWidget* list = form.ListBox1;
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
        QCOMPARE(content(form.store().editLine()), (std::vector<uint8_t>{31, D1}));
    }

    void screenshot() {
        WindowHarness h;
        TForm1& form = h.start();
        setPage(form, {{}}, 0, 2);
        Keys keys{form};
        keys.type("Oi ");
        keys.ctrl(Qt::Key_Up);
        keys.type(" ");
        keys.ctrl(Qt::Key_H);
        keys.type("!");
        QVERIFY(form.grab().save(QStringLiteral("/tmp/editor_keys_window.png")));
        QVERIFY(form.imgEdit->picture().save(QStringLiteral("/tmp/editor_keys_canvas.png")));
        keys.tap(Qt::Key_F2);
        QVERIFY(form.grab().save(QStringLiteral("/tmp/editor_keys_page_flash.png")));
    }
};

QTEST_MAIN(EditorKeysTest)
#include "editor_keys_test.moc"
