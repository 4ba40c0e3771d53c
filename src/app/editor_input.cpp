#include "app/editor_input.h"

#include "app/canvas_widget.h"
#include "app/edit_history.h"
#include "app/editor_surface.h"
#include "app/input_states.h"
#include "app/prompter.h"
#include "editor/line_ops.h"
#include "model/charset.h"
#include "model/store.h"
#include "render/edit_canvas.h"
#include "render/glyphs.h"
#include "render/text_bitmap.h"

#include <QAbstractScrollArea>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTextCursor>
#include <QWheelEvent>

#include <algorithm>

namespace vorelux::app {

namespace {

// Ctrl+Z, Ctrl+Y, Ctrl+Shift+Z.
bool isHistoryKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    return (key.key() == Qt::Key_Z &&
            (mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier))) ||
           (key.key() == Qt::Key_Y && mods == Qt::ControlModifier);
}

QImage canvasImage(const CanvasImage& canvas) {
    return QImage(canvas.bits(), canvas.width, canvas.height, canvas.bytesPerLine(),
                  QImage::Format_RGB32)
        .copy();
}

// The neighbour lines' places from the edited line, in EditorControls' order.
constexpr std::array<int, 4> NeighbourOffsets = {-2, -1, 1, 2};

} // namespace

EditorInput::EditorInput(EditorSurface& surface, EditorControls controls)
    : QObject(controls.window), surface_(surface), controls_(std::move(controls)),
      editing_(std::make_unique<EditingState>(*this, surface, memory_)),
      previewing_(std::make_unique<PreviewState>(*this, surface, memory_)),
      effectNumber_(std::make_unique<EffectNumberState>(
          *this, surface, memory_, [this]() -> InputState& { return baseState(); })),
      closing_(std::make_unique<ClosingState>(*this, surface, memory_)) {
    clipboardText = []() -> std::optional<QString> {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (!data || !data->hasText()) return std::nullopt;
        return data->text();
    };

    // The flashed text lies over the canvas and lets the mouse through.
    flashLabel_ = new QLabel(controls_.canvasView);
    flashLabel_->setObjectName(QStringLiteral("flashedText"));
    flashLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);
    flashLabel_->setGeometry(0, 0, CanvasWidth, CanvasHeight);
    flashLabel_->hide();
    flashTimer_.setSingleShot(true);
    connect(&flashTimer_, &QTimer::timeout, this, [this] { flashLabel_->hide(); });

    for (QListWidget* list : {controls_.drawingList, controls_.functionList, controls_.fontList})
        list->viewport()->setMouseTracking(true);
    controls_.editLineText->viewport()->setMouseTracking(true);
}

EditorInput::~EditorInput() = default;

// ---------------------------------------------------------------- dispatch

bool EditorInput::filter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != controls_.window || !baseState().takesKeys())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (listKey(widget, *key)) return true;
        if (keyForControl(widget, *key)) return false;
        return keyEvent(key);
    }
    case QEvent::Shortcut:
        // A menu or button key pressed with Alt (Alt+A opens "Arquivo").
        if (altHeld_) memory_.altShortcutUsed = true;
        return false;
    case QEvent::ShortcutOverride: {
        // Alt belongs to the effect-number entry: the menu bar does not take
        // it for its keyboard navigation. The undo keys stay keys of the line
        // editor, which knows when they do nothing (a preview).
        auto* widget = qobject_cast<QWidget*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (!widget || widget->window() != controls_.window || !baseState().takesKeys() ||
            !(isAltKey(key->key()) || isHistoryKey(*key)))
            return false;
        event->accept();
        return true;
    }
    case QEvent::WindowDeactivate:
        if (watched == controls_.window) altHeld_ = memory_.capsHeld = false;
        return false;
    case QEvent::Wheel: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != controls_.window) return false;
        return wheelEvent(static_cast<QWheelEvent*>(event));
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return mouseEvent(watched, static_cast<QMouseEvent*>(event));
    default:
        return false;
    }
}

// ---------------------------------------------------------------- clicks

bool EditorInput::mouseEvent(QObject* watched, QMouseEvent* mouse) {
    for (QListWidget* list : {controls_.drawingList, controls_.functionList, controls_.fontList})
        if (watched == list->viewport()) return listMouse(list, mouse);
    if (watched == controls_.pageTabs) return pageTabMouse(mouse);
    if (watched == controls_.editLineText->viewport()) return editLineTextMouse(mouse);
    neighbourMouse(watched, mouse);
    return false;
}

bool EditorInput::pageTabMouse(QMouseEvent* mouse) {
    if (!controls_.pageTabs->isEnabled()) return false;
    // The tab changes when the button comes up over it, not before.
    if (mouse->type() == QEvent::MouseButtonRelease) {
        const int tab = controls_.pageTabs->tabAt(mouse->position().toPoint());
        if (tab >= 0) switchToPage(tab);
        return true;
    }
    return mouse->type() != QEvent::MouseMove;
}

bool EditorInput::editLineTextMouse(QMouseEvent* mouse) {
    QPlainTextEdit* text = controls_.editLineText;
    if (mouse->type() == QEvent::MouseMove) {
        // Moving over the line's text cancels any selection there.
        QTextCursor caret = text->textCursor();
        if (caret.hasSelection()) {
            caret.setPosition(caret.selectionStart());
            text->setTextCursor(caret);
        }
        return true;
    }
    if (mouse->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton &&
        text->isEnabled())
        placeCursorFromLineText();
    return false;
}

void EditorInput::neighbourMouse(QObject* watched, QMouseEvent* mouse) {
    if (mouse->type() != QEvent::MouseButtonRelease || mouse->button() != Qt::LeftButton) return;
    for (size_t i = 0; i < NeighbourOffsets.size(); ++i) {
        QPlainTextEdit* text = controls_.neighbourTexts[i];
        if (watched == text->viewport()) {
            if (text->isEnabled()) neighbourTextClicked(NeighbourOffsets[i]);
            return;
        }
    }
    const QPoint at = mouse->position().toPoint();
    for (size_t i = 0; i < NeighbourOffsets.size(); ++i) {
        QGroupBox* frame = controls_.neighbourFrames[i];
        // Only the frame itself: its " X " label passes its clicks up to it.
        if (watched == frame && frame->isEnabled() && !frame->childAt(at) &&
            frame->rect().contains(at))
            neighbourFrameClicked(NeighbourOffsets[i]);
    }
}

// ---------------------------------------------------------------- keys

InputState& EditorInput::baseState() {
    if (surface_.isClosing()) return *closing_;
    if (surface_.previewRunning()) return *previewing_;
    return *editing_;
}

InputState& EditorInput::keyState(bool altHeld) {
    return altHeld ? static_cast<InputState&>(*effectNumber_) : baseState();
}

bool EditorInput::listKey(QWidget* widget, const QKeyEvent& key) {
    const int code = key.key();
    if (key.type() != QEvent::KeyPress || key.modifiers() & ~Qt::KeypadModifier ||
        !(code == Qt::Key_Return || code == Qt::Key_Enter || code == Qt::Key_Space))
        return false;
    auto* list = qobject_cast<QListWidget*>(widget);
    if (!list || list->currentRow() < 0 || !list->isEnabled()) return false;
    // Enter or Space on a list inserts its item, as a click does.
    if (list == controls_.drawingList)
        insertDrawingAt(list->currentRow());
    else if (list == controls_.functionList)
        insertFunctionAt(list->currentRow());
    else if (list == controls_.fontList)
        insertFontAt(list->currentRow());
    else
        return false;
    return true;
}

bool EditorInput::keyForControl(QWidget* widget, const QKeyEvent& key) const {
    const int code = key.key();
    // Tab and Shift+Tab move the focus: they mean nothing to the line editor.
    if ((code == Qt::Key_Tab || code == Qt::Key_Backtab) &&
        !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return true;
    // The menu bar walked with the keyboard (after Alt + a letter or F10).
    if (qobject_cast<QMenuBar*>(widget)) return true;
    const auto& controls = controls_.keyboardControls;
    if (std::find(controls.begin(), controls.end(), widget) == controls.end()) return false;
    const bool editorsEverywhere = (code >= Qt::Key_F1 && code <= Qt::Key_F8) ||
                                   code == Qt::Key_Escape || isAltKey(code) || altHeld_ ||
                                   (key.modifiers() & Qt::AltModifier) || isHistoryKey(key) ||
                                   code == Qt::Key_Control || code == Qt::Key_CapsLock;
    return !editorsEverywhere;
}

bool EditorInput::keyEvent(QKeyEvent* event) {
    event->accept();
    return event->type() == QEvent::KeyPress ? keyPressed(event) : keyReleased(event);
}

bool EditorInput::keyPressed(QKeyEvent* event) {
    const int key = event->key();
    // X11 sometimes reports a repeat of a held key as a real release and
    // press; the pair carries one timestamp. Such a release does not re-arm
    // the line join.
    if (lastRelease_.key == key && event->timestamp() != 0 &&
        event->timestamp() == lastRelease_.timestamp)
        memory_.joinArmed = lastRelease_.joinArmedBefore;
    lastRelease_ = {};
    if (key == Qt::Key_CapsLock) memory_.capsHeld = true;
    if (isAltKey(key)) {
        altHeld_ = true;
        memory_.altShortcutUsed = false;
    } else if (!(event->modifiers() & Qt::AltModifier)) {
        // Alt came up where this window did not see it (in a menu or a
        // dialog its key opened).
        altHeld_ = false;
    }
    const bool alt = altHeld_ || (event->modifiers() & Qt::AltModifier);
    if (memory_.capsHeld) surface_.keepOperatorsCapsLock();
    if (isAltKey(key)) memory_.effectEntry.start();
    const KeyPress press{key, event->modifiers() | (alt ? Qt::AltModifier : Qt::NoModifier),
                         event->nativeScanCode(), event->nativeVirtualKey(), event->text()};
    if (!keyState(alt).onKeyDown(press)) {
        event->ignore();
        return false;
    }
    return true;
}

bool EditorInput::keyReleased(QKeyEvent* event) {
    const int key = event->key();
    // The release of Alt itself belongs to the entry it ends.
    const bool alt = altHeld_ || (event->modifiers() & Qt::AltModifier) || isAltKey(key);
    // A held key repeats as press/release pairs on some platforms: only the
    // real release counts.
    if (!event->isAutoRepeat()) {
        if (key == Qt::Key_CapsLock) memory_.capsHeld = false;
        if (isAltKey(key)) altHeld_ = false;
    }
    lastRelease_ = {key, event->timestamp(), memory_.joinArmed};
    keyState(alt).onKeyUp(key, event->isAutoRepeat());
    return true;
}

// ---------------------------------------------------------------- mouse

void EditorInput::placeCursorAtCanvas(int x, int y) {
    baseState().onCanvasPress(x, y);
}

bool EditorInput::isWheelTarget(QWidget* widget) const {
    if (!widget) return true; // the window itself
    // Labels and the canvas have no window of their own: their parent is
    // under the pointer.
    if (qobject_cast<QLabel*>(widget) || widget == controls_.canvasView)
        widget = widget->parentWidget();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget ? widget->parentWidget() : nullptr))
        if (area->viewport() == widget) widget = area;
    if (!widget) return false;
    const auto& ground = controls_.lineGround;
    const auto& frames = controls_.neighbourFrames;
    const auto& texts = controls_.neighbourTexts;
    if (widget == controls_.window || widget == controls_.editLineText ||
        std::find(ground.begin(), ground.end(), widget) != ground.end() ||
        std::find(frames.begin(), frames.end(), widget) != frames.end() ||
        std::find(texts.begin(), texts.end(), widget) != texts.end())
        return true;
    // Plain layout containers are the window's own ground.
    return widget->metaObject() == &QWidget::staticMetaObject;
}

bool EditorInput::wheelEvent(QWheelEvent* event) {
    QWidget* window = controls_.window;
    const QPoint at = window->mapFromGlobal(event->globalPosition().toPoint());
    if (!window->rect().contains(at)) return false;
    if (!isWheelTarget(window->childAt(at))) return false;
    event->accept();
    baseState().onWheel(event->angleDelta().y());
    return true;
}

void EditorInput::mouseWheel(int steps) {
    PageStore& store = surface_.store();
    bool moved = false;
    for (; steps > 0; --steps) moved |= editor::moveToLine(store, store.view().lineIndex + 1);
    for (; steps < 0; ++steps) moved |= editor::moveToLine(store, store.view().lineIndex - 1);
    if (moved) redraw();
}

void EditorInput::placeCursorFromLineText() {
    surface_.stopPreview();
    PageStore& store = surface_.store();
    EditView& view = store.view();
    const int32_t last = int32_t(store.editLine().size()) - 1;
    view.cursorByte = std::clamp(controls_.editLineText->textCursor().position() + 2, 2, last);
    if (view.cursorByte < last &&
        PageStore::readByte(view.cursorByte, store.editLine()) == DrawingEscape)
        ++view.cursorByte;
    redraw();
}

void EditorInput::neighbourTextClicked(int offset) {
    // Any other offset is the last neighbour's.
    size_t place = 0;
    while (place + 1 < NeighbourOffsets.size() && NeighbourOffsets[place] != offset) ++place;
    QPlainTextEdit* text = controls_.neighbourTexts[place];
    surface_.stopPreview();
    PageStore& store = surface_.store();
    const int caret = text->textCursor().position();
    if (editor::placeCursorInLine(store, store.view().lineIndex + offset, caret)) redraw();
    focusEdit();
}

void EditorInput::neighbourFrameClicked(int offset) {
    PageStore& store = surface_.store();
    if (editor::moveToLine(store, store.view().lineIndex + offset)) redraw();
}

void EditorInput::deleteLineAt(int offset) {
    PageStore& store = surface_.store();
    const int32_t line = store.view().lineIndex + offset;
    if (line < 0 || line >= store.page().lineCount()) return;
    // The only line of a page is cleared instead, when the operator agrees.
    auto step = surface_.history().record(store.page().lineCount() < 2 ? EditKind::ClearPage
                                                                       : EditKind::DeleteLine);
    if (store.deleteLine(line) == PageStore::DeleteLineResult::LastLine &&
        surface_.prompter().ask(Prompt::ClearPage) == ButtonYes)
        store.clearPage(); // redraws, as a deleted line does
    focusEdit();
}

void EditorInput::refusePageFull() {
    surface_.prompter().ask(Prompt::PageFull);
}

void EditorInput::previousLine() {
    baseState().onLineStep(-1);
    focusEdit();
}

void EditorInput::nextLine() {
    baseState().onLineStep(1);
    focusEdit();
}

// ---------------------------------------------------------------- lists

bool EditorInput::listMouse(QListWidget* list, QEvent* event) {
    if (!list->isEnabled()) return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->position().toPoint();
    QListWidgetItem* item = list->itemAt(at);
    const int row = item ? list->row(item) : -1;
    switch (event->type()) {
    case QEvent::MouseMove:
        if (list == controls_.drawingList) {
            // The item under the pointer, or the one above it near the list's
            // top and bottom edges, and never far below the top visible item.
            if (row < 0) return true;
            int chosen = row;
            const int height = list->viewport()->height();
            if (at.y() < 4 || (at.y() > height - 4 && row != list->count() - 1)) chosen = row - 1;
            const QListWidgetItem* top = list->itemAt(QPoint(1, 1));
            const int topRow = top ? list->row(top) : 0;
            if (chosen >= 0 && chosen - topRow < 20) list->setCurrentRow(chosen);
        } else if (list == controls_.functionList) {
            if (row >= 0) list->setCurrentRow(row);
            list->setToolTip(row >= 0 ? QStringLiteral("Inserir função: ") +
                                            QString::fromUtf8(FunctionNames[size_t(row)])
                                      : QStringLiteral("Insere funcões na mensagem"));
        } else {
            list->setCurrentRow(row);
            list->setToolTip(row >= 0 ? QStringLiteral("Inserir a Fonte: %1").arg(row + 1)
                                      : QStringLiteral("Altera o tipo de fonte"));
        }
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A press over no item changes nothing.
        return row < 0;
    case QEvent::MouseButtonRelease:
        if (mouse->button() != Qt::LeftButton || row < 0) return false;
        list->setCurrentRow(row);
        if (list == controls_.drawingList)
            insertDrawingAt(row);
        else if (list == controls_.functionList)
            insertFunctionAt(row);
        else
            insertFontAt(row);
        return true;
    default:
        return false;
    }
}

void EditorInput::insertDrawingAt(int row) {
    QListWidgetItem* item = controls_.drawingList->item(row);
    if (!item) return;
    bool ok = false;
    const int drawing = item->text().toInt(&ok);
    auto step = surface_.history().record(EditKind::Drawing);
    if (ok && drawing >= 0 && drawing < DrawingCount) {
        if (editor::insertDrawing(surface_.store(), drawing))
            redraw();
        else
            refusePageFull();
    }
    focusEdit();
}

void EditorInput::insertFunctionAt(int row) {
    auto step = surface_.history().record(EditKind::LiveField);
    if (row >= 0 && row < FunctionCount &&
        !editor::insertAfterCursor(surface_.store(), InsertCodeTable[size_t(124 + row)]))
        refusePageFull();
    redraw();
    focusEdit();
}

void EditorInput::insertFontAt(int row) {
    auto step = surface_.history().record(EditKind::Font);
    if (row >= 0 && row <= 3) {
        if (editor::insertAfterCursor(surface_.store(), uint8_t(row)))
            redraw();
        else
            refusePageFull();
    }
    focusEdit();
}

void EditorInput::chooseEffect(int target, int index) {
    auto step =
        surface_.history().record(target == 1 ? EditKind::EntryEffect : EditKind::ExitEffect);
    editor::setLineEffect(surface_.store(), target, index);
    redraw();
}

// ---------------------------------------------------------------- pages

void EditorInput::switchToPage(int page) {
    if (page < 0 || page >= PageCount) return;
    surface_.showPageTab(page);
    controls_.window->update();
    const bool wasRunning = previewRunning();
    surface_.stopPreview();
    surface_.stopCursorBlink();
    PageStore& store = surface_.store();
    store.setCurrentPage(uint8_t(page));
    store.setEditLine(0);
    flashCanvasText(QStringLiteral("PÁGINA %1").arg(page + 1), 0, 800);
    redraw();
    surface_.startCursorBlink();
    focusEdit();
    if (wasRunning) surface_.togglePreview();
}

// ---------------------------------------------------------------- paste

void EditorInput::pasteFromClipboard() {
    if (!clipboardText) return;
    const std::optional<QString> text = clipboardText();
    if (!text) return;
    paste(*text);
}

void EditorInput::paste(const QString& text) {
    {
        // One step however many lines it makes.
        auto step = surface_.history().record(EditKind::Paste);
        if (editor::pasteText(surface_.store(), text.toStdU16String()).stopped) refusePageFull();
    }
    redraw();
}

// ---------------------------------------------------------------- undo

void EditorInput::undo() {
    stepHistory(true);
}

void EditorInput::redo() {
    stepHistory(false);
}

void EditorInput::stepHistory(bool back) {
    if (previewRunning() || surface_.isClosing()) return;
    EditHistory& history = surface_.history();
    if (!(back ? history.undo() : history.redo())) return;
    // A drawing cycle does not go on over what came back.
    memory_.drawingCycle = -1;
    surface_.showPageTab(surface_.store().currentPage());
    redraw();
    focusEdit();
}

// ---------------------------------------------------------------- messages

void EditorInput::flashCanvasText(const QString& text, uint8_t font, unsigned milliseconds) {
    std::vector<uint8_t> bytes(16, 32);
    for (int i = 0; i < std::min<int>(16, int(text.size())); ++i)
        bytes[size_t(i)] = uint8_t(text.at(i).unicode() & 0xFF);
    const LedBitmap bitmap = textBitmap(surface_.glyphs(), bytes, font, PanelColumns);
    PanelImage columns{};
    for (int x = 0; x < PanelColumns; ++x)
        for (int row = 0; row < PanelRows; ++row)
            if (bitmap.lit(x, row)) columns[size_t(x)] |= uint8_t(1u << (PanelLastRow - row));
    CanvasImage canvas(CanvasWidth, CanvasHeight);
    paintScreen(columns, canvas, controls_.canvasView->ledColour());
    flashedPicture_ = canvasImage(canvas);
    flashedText_ = text;
    flashLabel_->setPixmap(QPixmap::fromImage(flashedPicture_));
    flashLabel_->show();
    flashLabel_->raise();
    flashTimer_.start(int(milliseconds));
}

bool EditorInput::canvasTextShowing() const {
    return !flashLabel_->isHidden() && flashTimer_.isActive();
}

// ---------------------------------------------------------------- helpers

void EditorInput::redraw() {
    surface_.redrawEditCanvas();
}

void EditorInput::focusEdit() {
    surface_.focusEditLine();
}

bool EditorInput::previewRunning() const {
    return surface_.previewRunning();
}

} // namespace vorelux::app
