#include "app/editor_input.h"

#include "app/edit_history.h"
#include "app/input_states.h"
#include "app/main_window.h"
#include "app/prompter.h"
#include "editor/line_ops.h"
#include "model/charset.h"
#include "render/text_bitmap.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
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

} // namespace

EditorInput::EditorInput(MainWindow& window)
    : QObject(&window), window_(window), editing_(std::make_unique<EditingState>(*this, window)),
      previewing_(std::make_unique<PreviewState>(*this, window)),
      effectNumber_(std::make_unique<EffectNumberState>(*this, window)),
      closing_(std::make_unique<ClosingState>(*this, window)) {
    clipboardText = []() -> std::optional<QString> {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (!data || !data->hasText()) return std::nullopt;
        return data->text();
    };

    // The flashed text lies over the canvas and lets the mouse through.
    flashLabel_ = new QLabel(window_.editCanvasView_);
    flashLabel_->setObjectName(QStringLiteral("flashedText"));
    flashLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);
    flashLabel_->setGeometry(0, 0, CanvasWidth, CanvasHeight);
    flashLabel_->hide();
    flashTimer_.setSingleShot(true);
    connect(&flashTimer_, &QTimer::timeout, this, [this] { flashLabel_->hide(); });

    connect(window_.editCanvasView_, &CanvasWidget::mousePressed, this,
            [this](int x, int y, Qt::MouseButton) { placeCursorAtCanvas(x, y); });
    connect(window_.deleteSecondPreviousLineLabel_, &DeleteLabel::clicked, this,
            [this] { deleteLineAt(-2); });
    connect(window_.deletePreviousLineLabel_, &DeleteLabel::clicked, this,
            [this] { deleteLineAt(-1); });
    connect(window_.deleteEditLineLabel_, &DeleteLabel::clicked, this, [this] { deleteLineAt(0); });
    connect(window_.deleteNextLineLabel_, &DeleteLabel::clicked, this, [this] { deleteLineAt(1); });
    connect(window_.deleteSecondNextLineLabel_, &DeleteLabel::clicked, this,
            [this] { deleteLineAt(2); });
    connect(window_.previousLineButton_, &QPushButton::clicked, this, [this] { previousLine(); });
    connect(window_.nextLineButton_, &QPushButton::clicked, this, [this] { nextLine(); });
    connect(window_.entryEffectCombo_, &QComboBox::activated, this,
            [this] { entryEffectChosen(); });
    connect(window_.exitEffectCombo_, &QComboBox::activated, this, [this] { exitEffectChosen(); });
    connect(window_.pasteAction_, &QAction::triggered, this, [this] { pasteFromClipboard(); });
    connect(window_.undoAction_, &QAction::triggered, this, [this] { undo(); });
    connect(window_.redoAction_, &QAction::triggered, this, [this] { redo(); });
    for (QListWidget* list : {window_.drawingList_, window_.functionList_, window_.fontList_})
        list->viewport()->setMouseTracking(true);
    window_.editLineText_->viewport()->setMouseTracking(true);
}

EditorInput::~EditorInput() = default;

// ---------------------------------------------------------------- dispatch

bool EditorInput::filter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != &window_ || !baseState().takesKeys()) return false;
        return keyEvent(static_cast<QKeyEvent*>(event));
    }
    case QEvent::ShortcutOverride: {
        // Alt belongs to the effect-number entry: the menu bar does not take
        // it for its keyboard navigation. The undo keys stay keys of the line
        // editor, which knows when they do nothing (a preview).
        auto* widget = qobject_cast<QWidget*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (!widget || widget->window() != &window_ || !baseState().takesKeys() ||
            !(isAltKey(key->key()) || isHistoryKey(*key)))
            return false;
        event->accept();
        return true;
    }
    case QEvent::WindowDeactivate:
        if (watched == &window_) altHeld_ = capsHeld_ = false;
        return false;
    case QEvent::Wheel: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != &window_) return false;
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
    for (QListWidget* list : {window_.drawingList_, window_.functionList_, window_.fontList_})
        if (watched == list->viewport()) return listMouse(list, mouse);
    if (watched == window_.pageTabs_) return pageTabMouse(mouse);
    if (watched == window_.editLineText_->viewport()) return editLineTextMouse(mouse);
    neighbourMouse(watched, mouse);
    return false;
}

bool EditorInput::pageTabMouse(QMouseEvent* mouse) {
    if (!window_.pageTabs_->isEnabled()) return false;
    // The tab changes when the button comes up over it, not before.
    if (mouse->type() == QEvent::MouseButtonRelease) {
        const int tab = window_.pageTabs_->tabAt(mouse->position().toPoint());
        if (tab >= 0) switchToPage(tab);
        return true;
    }
    return mouse->type() != QEvent::MouseMove;
}

bool EditorInput::editLineTextMouse(QMouseEvent* mouse) {
    QPlainTextEdit* text = window_.editLineText_;
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
    const std::pair<QPlainTextEdit*, int> texts[] = {{window_.secondPreviousLineText_, -2},
                                                     {window_.previousLineText_, -1},
                                                     {window_.nextLineText_, 1},
                                                     {window_.secondNextLineText_, 2}};
    for (auto [text, offset] : texts)
        if (watched == text->viewport()) {
            if (text->isEnabled()) neighbourTextClicked(offset);
            return;
        }
    const std::pair<QGroupBox*, int> frames[] = {{window_.secondPreviousLineGroup_, -2},
                                                 {window_.previousLineGroup_, -1},
                                                 {window_.nextLineGroup_, 1},
                                                 {window_.secondNextLineGroup_, 2}};
    const QPoint at = mouse->position().toPoint();
    for (auto [frame, offset] : frames)
        // Only the frame itself: its " X " label passes its clicks up to it.
        if (watched == frame && frame->isEnabled() && !frame->childAt(at) &&
            frame->rect().contains(at))
            neighbourFrameClicked(offset);
}

// ---------------------------------------------------------------- keys

InputState& EditorInput::baseState() {
    if (window_.isClosing()) return *closing_;
    if (window_.previewRunning()) return *previewing_;
    return *editing_;
}

InputState& EditorInput::keyState(bool altHeld) {
    return altHeld ? static_cast<InputState&>(*effectNumber_) : baseState();
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
        joinArmed_ = lastRelease_.joinArmedBefore;
    lastRelease_ = {};
    if (key == Qt::Key_CapsLock) capsHeld_ = true;
    if (isAltKey(key)) altHeld_ = true;
    const bool alt = altHeld_ || (event->modifiers() & Qt::AltModifier);
    if (capsHeld_) window_.keepOperatorsCapsLock();
    if (isAltKey(key)) effectEntry_.start();
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
        if (key == Qt::Key_CapsLock) capsHeld_ = false;
        if (isAltKey(key)) altHeld_ = false;
    }
    lastRelease_ = {key, event->timestamp(), joinArmed_};
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
    if (qobject_cast<QLabel*>(widget) || widget == window_.editCanvasView_)
        widget = widget->parentWidget();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget ? widget->parentWidget() : nullptr))
        if (area->viewport() == widget) widget = area;
    if (!widget) return false;
    const QWidget* targets[] = {&window_,
                                window_.linesFrame_,
                                window_.secondPreviousLineGroup_,
                                window_.secondPreviousLineText_,
                                window_.previousLineGroup_,
                                window_.previousLineText_,
                                window_.lineTextGroup_,
                                window_.editLineGroup_,
                                window_.editLineText_,
                                window_.canvasPanel_,
                                window_.nextLineGroup_,
                                window_.nextLineText_,
                                window_.secondNextLineGroup_,
                                window_.secondNextLineText_};
    if (std::find(std::begin(targets), std::end(targets), widget) != std::end(targets)) return true;
    // Plain layout containers are the window's own ground.
    return widget->metaObject() == &QWidget::staticMetaObject;
}

bool EditorInput::wheelEvent(QWheelEvent* event) {
    const QPoint at = window_.mapFromGlobal(event->globalPosition().toPoint());
    if (!window_.rect().contains(at)) return false;
    if (!isWheelTarget(window_.childAt(at))) return false;
    event->accept();
    baseState().onWheel(event->angleDelta().y());
    return true;
}

void EditorInput::mouseWheel(int steps) {
    PageStore& store = window_.store();
    bool moved = false;
    for (; steps > 0; --steps) moved |= editor::moveToLine(store, store.view().lineIndex + 1);
    for (; steps < 0; ++steps) moved |= editor::moveToLine(store, store.view().lineIndex - 1);
    if (moved) redraw();
}

void EditorInput::placeCursorFromLineText() {
    window_.stopPreview();
    PageStore& store = window_.store();
    EditView& view = store.view();
    const int32_t last = int32_t(store.editLine().size()) - 1;
    view.cursorByte = std::clamp(window_.editLineText_->textCursor().position() + 2, 2, last);
    if (view.cursorByte < last &&
        PageStore::readByte(view.cursorByte, store.editLine()) == DrawingEscape)
        ++view.cursorByte;
    redraw();
}

void EditorInput::neighbourTextClicked(int offset) {
    QPlainTextEdit* text = offset == -2   ? window_.secondPreviousLineText_
                           : offset == -1 ? window_.previousLineText_
                           : offset == 1  ? window_.nextLineText_
                                          : window_.secondNextLineText_;
    window_.stopPreview();
    PageStore& store = window_.store();
    const int caret = text->textCursor().position();
    if (editor::placeCursorInLine(store, store.view().lineIndex + offset, caret)) redraw();
    focusEdit();
}

void EditorInput::neighbourFrameClicked(int offset) {
    PageStore& store = window_.store();
    if (editor::moveToLine(store, store.view().lineIndex + offset)) redraw();
}

void EditorInput::deleteLineAt(int offset) {
    PageStore& store = window_.store();
    const int32_t line = store.view().lineIndex + offset;
    if (line < 0 || line >= store.page().lineCount()) return;
    // The only line of a page is cleared instead, when the operator agrees.
    auto step = window_.history().record(store.page().lineCount() < 2 ? EditKind::ClearPage
                                                                      : EditKind::DeleteLine);
    if (store.deleteLine(line) == PageStore::DeleteLineResult::LastLine &&
        window_.prompter().ask(Prompt::ClearPage) == ButtonYes)
        store.clearPage(); // redraws, as a deleted line does
    focusEdit();
}

void EditorInput::refusePageFull() {
    window_.prompter().ask(Prompt::PageFull);
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
        if (list == window_.drawingList_) {
            // The item under the pointer, or the one above it near the list's
            // top and bottom edges, and never far below the top visible item.
            if (row < 0) return true;
            int chosen = row;
            const int height = list->viewport()->height();
            if (at.y() < 4 || (at.y() > height - 4 && row != list->count() - 1)) chosen = row - 1;
            const QListWidgetItem* top = list->itemAt(QPoint(1, 1));
            const int topRow = top ? list->row(top) : 0;
            if (chosen >= 0 && chosen - topRow < 20) list->setCurrentRow(chosen);
        } else if (list == window_.functionList_) {
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
        if (list == window_.drawingList_)
            insertDrawingAt(row);
        else if (list == window_.functionList_)
            insertFunctionAt(row);
        else
            insertFontAt(row);
        return true;
    default:
        return false;
    }
}

void EditorInput::insertDrawingAt(int row) {
    QListWidgetItem* item = window_.drawingList_->item(row);
    if (!item) return;
    bool ok = false;
    const int drawing = item->text().toInt(&ok);
    auto step = window_.history().record(EditKind::Drawing);
    if (ok && drawing >= 0 && drawing < DrawingCount) {
        if (editor::insertDrawing(window_.store(), drawing))
            redraw();
        else
            refusePageFull();
    }
    focusEdit();
}

void EditorInput::insertFunctionAt(int row) {
    auto step = window_.history().record(EditKind::LiveField);
    if (row >= 0 && row < FunctionCount &&
        !editor::insertAfterCursor(window_.store(), InsertCodeTable[size_t(124 + row)]))
        refusePageFull();
    redraw();
    focusEdit();
}

void EditorInput::insertFontAt(int row) {
    auto step = window_.history().record(EditKind::Font);
    if (row >= 0 && row <= 3) {
        if (editor::insertAfterCursor(window_.store(), uint8_t(row)))
            redraw();
        else
            refusePageFull();
    }
    focusEdit();
}

void EditorInput::entryEffectChosen() {
    auto step = window_.history().record(EditKind::EntryEffect);
    editor::setLineEffect(window_.store(), 1, window_.entryEffectCombo_->currentIndex());
    redraw();
}

void EditorInput::exitEffectChosen() {
    auto step = window_.history().record(EditKind::ExitEffect);
    editor::setLineEffect(window_.store(), 2, window_.exitEffectCombo_->currentIndex());
    redraw();
}

// ---------------------------------------------------------------- pages

void EditorInput::switchToPage(int page) {
    if (page < 0 || page >= PageCount) return;
    window_.pageTabs_->setCurrentIndex(page);
    window_.update();
    const bool wasRunning = previewRunning();
    window_.stopPreview();
    window_.cursorBlinkTimer_->stop();
    PageStore& store = window_.store();
    store.setCurrentPage(uint8_t(page));
    store.setEditLine(0);
    flashCanvasText(QStringLiteral("PÁGINA %1").arg(page + 1), 0, 800);
    redraw();
    window_.cursorBlinkTimer_->start();
    focusEdit();
    if (wasRunning) window_.togglePreview();
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
        auto step = window_.history().record(EditKind::Paste);
        if (editor::pasteText(window_.store(), text.toStdU16String()).stopped) refusePageFull();
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
    if (previewRunning() || window_.isClosing()) return;
    EditHistory& history = window_.history();
    if (!(back ? history.undo() : history.redo())) return;
    // A drawing cycle does not go on over what came back.
    drawingCycle_ = -1;
    window_.showPageTab(window_.store().currentPage());
    redraw();
    focusEdit();
}

// ---------------------------------------------------------------- messages

void EditorInput::flashCanvasText(const QString& text, uint8_t font, unsigned milliseconds) {
    std::vector<uint8_t> bytes(16, 32);
    for (int i = 0; i < std::min<int>(16, int(text.size())); ++i)
        bytes[size_t(i)] = uint8_t(text.at(i).unicode() & 0xFF);
    const LedBitmap bitmap = textBitmap(window_.glyphs(), bytes, font, PanelColumns);
    PanelImage columns{};
    for (int x = 0; x < PanelColumns; ++x)
        for (int row = 0; row < PanelRows; ++row)
            if (bitmap.lit(x, row)) columns[size_t(x)] |= uint8_t(1u << (PanelLastRow - row));
    CanvasImage canvas(CanvasWidth, CanvasHeight);
    paintScreen(columns, canvas);
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
    window_.redrawEditCanvas();
}

void EditorInput::focusEdit() {
    window_.focusEditLine();
}

bool EditorInput::previewRunning() const {
    return window_.previewRunning();
}

} // namespace vorelux::app
