#include "app/input_states.h"

#include "app/edit_history.h"
#include "app/editor_input.h"
#include "app/editor_surface.h"
#include "app/prompter.h"
#include "editor/line_editor.h"
#include "editor/line_ops.h"
#include "model/store.h"
#include "render/panel.h"

#include <QGuiApplication>
#include <QWheelEvent>

#include <algorithm>

namespace vorelux::app {

namespace {

// The digit of a key whatever Shift or AltGr would make of it; -1 for none.
int digitOf(int key, quint32 scanCode, quint32 virtualKey) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key - Qt::Key_0;
#if defined(Q_OS_WIN)
    // The digit row or the keypad, whatever Shift or AltGr would make of it.
    Q_UNUSED(scanCode);
    if (virtualKey >= 0x30 && virtualKey <= 0x39) return int(virtualKey - 0x30);
    if (virtualKey >= 0x60 && virtualKey <= 0x69) return int(virtualKey - 0x60);
#else
    Q_UNUSED(virtualKey);
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        // X11 key codes of the digit row (1..9, 0) and of the keypad.
        if (scanCode >= 10 && scanCode <= 19) return int(scanCode - 9) % 10;
        static constexpr std::pair<quint32, int> keypad[] = {{90, 0}, {87, 1}, {88, 2}, {89, 3},
                                                             {83, 4}, {84, 5}, {85, 6}, {79, 7},
                                                             {80, 8}, {81, 9}};
        for (auto [code, digit] : keypad)
            if (scanCode == code) return digit;
    }
#endif
    return -1;
}

// What Backspace / Delete is about to do, for the history.
EditKind backspaceKind(const PageStore& store) {
    if (store.view().cursorByte > 2) return EditKind::DeleteBack;
    return store.editLine().size() <= size_t(HeaderSize) ? EditKind::DeleteLine
                                                         : EditKind::JoinLines;
}

EditKind deleteKind(const PageStore& store) {
    const Page& page = store.page();
    const EditView& view = store.view();
    if (view.cursorByte < int32_t(store.editLine().size()) - 1) return EditKind::DeleteForward;
    const bool nextEmpty = view.lineIndex + 1 < page.lineCount() &&
                           page.line(view.lineIndex + 1).size() <= size_t(HeaderSize);
    return store.editLine().size() <= size_t(HeaderSize) || nextEmpty ? EditKind::DeleteLine
                                                                      : EditKind::JoinLines;
}

} // namespace

bool isAltKey(int key) {
    return key == Qt::Key_Alt || key == Qt::Key_AltGr;
}

void InputState::refusePageFull() {
    surface_.prompter().ask(Prompt::PageFull);
}

bool InputState::pageOrPreviewKey(int key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F8) {
        input_.switchToPage(key - Qt::Key_F1);
        return true;
    }
    if (key == Qt::Key_Escape) {
        surface_.togglePreview();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- editing

bool EditingState::onKeyDown(const KeyPress& key) {
    if (pageOrPreviewKey(key.key)) return true;
    surface_.redrawEditCanvas();
    surface_.refreshLockKeyStatus();
    editKey(key.key, key.modifiers);
    // Ctrl makes control characters of the keys (Ctrl+Space a space).
    if (!key.text.isEmpty() &&
        (!(key.modifiers & Qt::ControlModifier) || key.text == QStringLiteral(" ")))
        typeText(key.text, key.modifiers);
    return true;
}

void EditingState::editKey(int key, Qt::KeyboardModifiers modifiers) {
    PageStore& store = surface_.store();
    EditHistory& history = surface_.history();
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (ctrl && historyKey(key, modifiers)) return;
    if (ctrl && ctrlShortcut(key)) return;
    bool changed = true;
    switch (key) {
    case Qt::Key_Backspace: {
        auto step = history.record(backspaceKind(store));
        changed = editor::backspaceKey(store, memory_.joinArmed);
        break;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const bool atEnd = store.view().cursorByte >= int32_t(store.editLine().size()) - 1;
        auto step = history.record(atEnd ? EditKind::NewLine : EditKind::SplitLine);
        editor::enterKey(store);
        break;
    }
    case Qt::Key_End:
        editor::endKey(store, ctrl);
        break;
    case Qt::Key_Home:
        editor::homeKey(store, ctrl);
        break;
    case Qt::Key_Left:
        editor::leftKey(store);
        break;
    case Qt::Key_Right:
        changed = editor::rightKey(store);
        break;
    case Qt::Key_Up:
        changed = editor::upKey(store);
        break;
    case Qt::Key_Down:
        changed = editor::downKey(store);
        break;
    case Qt::Key_Delete:
        if (modifiers & Qt::ShiftModifier) {
            input_.deleteLineAt(0);
            return;
        }
        if (ctrl && memory_.capsHeld) {
            surface_.clearPage();
            return;
        }
        {
            auto step = history.record(deleteKind(store));
            changed = editor::deleteKey(store, memory_.joinArmed);
        }
        break;
    default:
        return;
    }
    if (changed) surface_.redrawEditCanvas();
}

bool EditingState::historyKey(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Z && !(modifiers & Qt::ShiftModifier)) {
        input_.undo();
        return true;
    }
    if (key == Qt::Key_Y || key == Qt::Key_Z) {
        input_.redo();
        return true;
    }
    return false;
}

bool EditingState::ctrlShortcut(int key) {
    PageStore& store = surface_.store();
    EditHistory& history = surface_.history();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        {
            // The drawings of one cycle, up to the release of Ctrl, are one step.
            auto step = history.record(EditKind::Drawing, memory_.drawingCycle >= 0);
            if (!editor::drawingCycleStep(store, memory_.drawingCycle, key == Qt::Key_Up ? 1 : -1))
                refusePageFull();
        }
        surface_.redrawEditCanvas();
        return true;
    }
    if (key == Qt::Key_V) {
        input_.pasteFromClipboard();
        return true;
    }
    if (key >= Qt::Key_1 && key <= Qt::Key_4) {
        auto step = history.record(EditKind::Font);
        if (editor::insertAfterCursor(store, uint8_t(key - Qt::Key_1)))
            surface_.redrawEditCanvas();
        else
            refusePageFull();
        return true;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        const uint8_t code = editor::liveFieldForShortcut(char16_t(u'A' + (key - Qt::Key_A)));
        auto step = history.record(EditKind::LiveField);
        if (code == 0) return true;
        if (editor::insertAfterCursor(store, code))
            surface_.redrawEditCanvas();
        else
            refusePageFull();
        return true;
    }
    return false;
}

void EditingState::typeText(const QString& text, Qt::KeyboardModifiers modifiers) {
    // A modal question of the key (clear page) may have let a preview start.
    if (surface_.previewRunning()) return;
    auto step = surface_.history().record(EditKind::Typing);
    for (QChar ch : text) {
        const auto code = editor::typedCharacter(ch.unicode(), modifiers & Qt::ShiftModifier);
        if (!code) continue;
        if (editor::insertAfterCursor(surface_.store(), *code))
            surface_.redrawEditCanvas();
        else
            refusePageFull();
    }
}

void EditingState::onKeyUp(int key, bool autoRepeat) {
    surface_.refreshLockKeyStatus();
    if (autoRepeat) return;
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete) memory_.joinArmed = true;
    if (key == Qt::Key_Control && memory_.drawingCycle >= 0) {
        memory_.drawingCycle = -1;
        surface_.redrawEditCanvas();
    }
}

void EditingState::onCanvasPress(int x, int) {
    EditView& view = surface_.store().view();
    const int k = editor::hitTestColumn(view.columnMap, x / CellSize);
    if (k < 0) return;
    surface_.eraseCursor();
    const int32_t last = int32_t(surface_.store().editLine().size()) - 1;
    view.cursorByte = std::min(view.windowStart + k, last);
    surface_.showLineCaret(view.cursorByte - 2);
}

void EditingState::onWheel(int angleDelta) {
    int& remainder = memory_.wheelRemainder;
    remainder += angleDelta;
    const int steps = remainder / QWheelEvent::DefaultDeltasPerStep;
    remainder -= steps * QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0) input_.mouseWheel(-steps);
}

void EditingState::onLineStep(int direction) {
    input_.neighbourTextClicked(direction);
}

// ---------------------------------------------------------------- preview

bool PreviewState::onKeyDown(const KeyPress& key) {
    pageOrPreviewKey(key.key);
    return true;
}

void PreviewState::onLineStep(int direction) {
    surface_.previewSkip(direction);
}

// ---------------------------------------------------------------- effect number

bool EffectNumberState::onKeyDown(const KeyPress& key) {
    const int digit = digitOf(key.key, key.nativeScanCode, key.nativeVirtualKey);
    // Any other key with Alt held is the system's (Alt+F4 closes the window).
    if (digit < 0) return isAltKey(key.key);
    editor::EffectEntry& entry = memory_.effectEntry;
    entry.digit(char16_t(u'0' + digit), key.modifiers & Qt::ControlModifier);
    input_.flashCanvasText(QString::fromStdU16String(entry.text()), 0, 800);
    return true;
}

void EffectNumberState::onKeyUp(int key, bool autoRepeat) {
    if (isAltKey(key) && !autoRepeat) finish();
    beneath_().onKeyUp(key, autoRepeat);
}

void EffectNumberState::finish() {
    editor::EffectEntry& entry = memory_.effectEntry;
    if (memory_.altShortcutUsed && entry.target == 0) {
        surface_.redrawEditCanvas(); // Alt opened a menu or pressed a button
        return;
    }
    if (!entry.valid())
        input_.flashCanvasText(QStringLiteral("INVÁLIDO!"), 0, 800);
    else if (entry.target == 1 || entry.target == 2)
        input_.chooseEffect(entry.target, entry.value() - 1);
    entry.target = 0;
    surface_.redrawEditCanvas();
}

void EffectNumberState::onCanvasPress(int x, int y) {
    beneath_().onCanvasPress(x, y);
}

void EffectNumberState::onWheel(int angleDelta) {
    beneath_().onWheel(angleDelta);
}

void EffectNumberState::onLineStep(int direction) {
    beneath_().onLineStep(direction);
}

} // namespace vorelux::app
