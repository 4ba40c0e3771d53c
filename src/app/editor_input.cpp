#include "app/editor_input.h"

#include "app/main_window.h"
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

bool isAltKey(int key) {
    return key == Qt::Key_Alt || key == Qt::Key_AltGr;
}

QImage canvasImage(const CanvasImage& canvas) {
    return QImage(canvas.bits(), canvas.width, canvas.height, canvas.bytesPerLine(),
                  QImage::Format_RGB32)
        .copy();
}

} // namespace

EditorInput::EditorInput(MainWindow& window) : QObject(&window), window_(window) {
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
        if (!widget || widget->window() != &window_ || window_.isClosing()) return false;
        return keyEvent(static_cast<QKeyEvent*>(event));
    }
    case QEvent::ShortcutOverride: {
        // Alt belongs to the effect-number entry: the menu bar does not take
        // it for its keyboard navigation.
        auto* widget = qobject_cast<QWidget*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (!widget || widget->window() != &window_ || !isAltKey(key->key())) return false;
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
    QEvent* event = mouse;
    const QEvent::Type type = event->type();
    for (QListWidget* list : {window_.drawingList_, window_.functionList_, window_.fontList_})
        if (watched == list->viewport()) return listMouse(list, event);

    if (watched == window_.pageTabs_) {
        if (!window_.pageTabs_->isEnabled()) return false;
        // The tab changes when the button comes up over it, not before.
        if (type == QEvent::MouseButtonRelease) {
            const int tab = window_.pageTabs_->tabAt(mouse->position().toPoint());
            if (tab >= 0) switchToPage(tab);
            return true;
        }
        return type != QEvent::MouseMove;
    }

    if (watched == window_.editLineText_->viewport()) {
        if (type == QEvent::MouseMove) {
            // Moving over the line's text cancels any selection there.
            QTextCursor caret = window_.editLineText_->textCursor();
            if (caret.hasSelection()) {
                caret.setPosition(caret.selectionStart());
                window_.editLineText_->setTextCursor(caret);
            }
            return true;
        }
        if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton &&
            window_.editLineText_->isEnabled())
            placeCursorFromLineText();
        return false;
    }

    const std::pair<QPlainTextEdit*, int> boxes[] = {{window_.secondPreviousLineText_, -2},
                                                     {window_.previousLineText_, -1},
                                                     {window_.nextLineText_, 1},
                                                     {window_.secondNextLineText_, 2}};
    for (auto [memo, offset] : boxes)
        if (watched == memo->viewport()) {
            if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton &&
                memo->isEnabled())
                neighbourTextClicked(offset);
            return false;
        }

    const std::pair<QGroupBox*, int> frames[] = {{window_.secondPreviousLineGroup_, -2},
                                                 {window_.previousLineGroup_, -1},
                                                 {window_.nextLineGroup_, 1},
                                                 {window_.secondNextLineGroup_, 2}};
    for (auto [frame, offset] : frames)
        if (watched == frame) {
            // Only the frame itself: its " X " label passes its clicks up to it.
            if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton &&
                frame->isEnabled() && !frame->childAt(mouse->position().toPoint()) &&
                frame->rect().contains(mouse->position().toPoint()))
                neighbourFrameClicked(offset);
            return false;
        }
    return false;
}

// ---------------------------------------------------------------- keys

bool EditorInput::keyEvent(QKeyEvent* event) {
    const int key = event->key();
    event->accept();
    if (event->type() == QEvent::KeyPress) {
        // X11 sometimes reports a repeat of a held key as a real release and
        // press; the pair carries one timestamp. Such a release does not
        // re-arm the line join.
        if (lastRelease_.key == key && event->timestamp() != 0 &&
            event->timestamp() == lastRelease_.timestamp)
            joinArmed_ = lastRelease_.joinArmedBefore;
        lastRelease_ = {};
        if (key == Qt::Key_CapsLock) capsHeld_ = true;
        if (isAltKey(key)) altHeld_ = true;
        const bool alt = altHeld_ || (event->modifiers() & Qt::AltModifier);
        if (!keyDown(key, event->modifiers() | (alt ? Qt::AltModifier : Qt::NoModifier),
                     event->nativeScanCode(), event->nativeVirtualKey())) {
            event->ignore();
            return false;
        }
        // The characters of the key, as the platform makes them: none while
        // Alt is held, and Ctrl makes control characters (Ctrl+Space a space).
        const QString text = event->text();
        if (!alt && !text.isEmpty() &&
            (!(event->modifiers() & Qt::ControlModifier) || text == QStringLiteral(" ")))
            typeText(text, event->modifiers());
        return true;
    }
    // A held key repeats as press/release pairs on some platforms: only the
    // real release counts.
    if (!event->isAutoRepeat()) {
        if (key == Qt::Key_CapsLock) capsHeld_ = false;
        if (isAltKey(key)) altHeld_ = false;
    }
    lastRelease_ = {key, event->timestamp(), joinArmed_};
    keyUp(key, event->isAutoRepeat());
    return true;
}

int EditorInput::digitOf(int key, quint32 scanCode, quint32 virtualKey) const {
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

bool EditorInput::keyDown(int key, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
                          quint32 nativeVirtualKey) {
    if (capsHeld_) window_.keepOperatorsCapsLock();
    if (isAltKey(key)) effectEntry_.start();
    if (modifiers & Qt::AltModifier) {
        const int digit = digitOf(key, nativeScanCode, nativeVirtualKey);
        // Any other key with Alt held is the system's (Alt+F4 closes the window).
        if (digit < 0) return isAltKey(key);
        effectEntry_.digit(char16_t(u'0' + digit), modifiers & Qt::ControlModifier);
        flashCanvasText(QString::fromStdU16String(effectEntry_.text()), 0, 800);
        return true;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F8) {
        switchToPage(key - Qt::Key_F1);
        return true;
    }
    if (key == Qt::Key_Escape) {
        window_.togglePreview();
        return true;
    }
    if (previewRunning()) return true;

    redraw();
    window_.refreshLockKeyStatus();
    editKey(key, modifiers);
    return true;
}

void EditorInput::editKey(int key, Qt::KeyboardModifiers modifiers) {
    PageStore& store = window_.store();
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;

    if (ctrl && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        editor::drawingCycleStep(store, drawingCycle_, key == Qt::Key_Up ? 1 : -1);
        redraw();
        return;
    }
    if (ctrl && key == Qt::Key_V) {
        pasteFromClipboard();
        return;
    }
    if (ctrl && key >= Qt::Key_1 && key <= Qt::Key_4) {
        if (editor::insertAfterCursor(store, uint8_t(key - Qt::Key_1))) redraw();
        return;
    }
    if (ctrl && key >= Qt::Key_A && key <= Qt::Key_Z) {
        const uint8_t code = editor::liveFieldForShortcut(char16_t(u'A' + (key - Qt::Key_A)));
        if (code != 0 && editor::insertAfterCursor(store, code)) redraw();
        return;
    }
    switch (key) {
    case Qt::Key_Backspace:
        if (editor::backspaceKey(store, joinArmed_)) redraw();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        editor::enterKey(store);
        redraw();
        return;
    case Qt::Key_End:
        editor::endKey(store, ctrl);
        redraw();
        return;
    case Qt::Key_Home:
        editor::homeKey(store, ctrl);
        redraw();
        return;
    case Qt::Key_Left:
        editor::leftKey(store);
        redraw();
        return;
    case Qt::Key_Right:
        if (editor::rightKey(store)) redraw();
        return;
    case Qt::Key_Up:
        if (editor::upKey(store)) redraw();
        return;
    case Qt::Key_Down:
        if (editor::downKey(store)) redraw();
        return;
    case Qt::Key_Delete:
        if (shift) {
            deleteLineAt(0);
        } else if (ctrl && capsHeld_) {
            window_.clearPage();
        } else if (editor::deleteKey(store, joinArmed_)) {
            redraw();
        }
        return;
    default:
        return;
    }
}

void EditorInput::typeText(const QString& text, Qt::KeyboardModifiers modifiers) {
    if (previewRunning()) return;
    for (QChar ch : text) {
        const auto code = editor::typedCharacter(ch.unicode(), modifiers & Qt::ShiftModifier);
        if (!code) continue;
        if (editor::insertAfterCursor(window_.store(), *code)) redraw();
    }
}

void EditorInput::keyUp(int key, bool autoRepeat) {
    if (isAltKey(key) && !autoRepeat) afterAltRelease();
    if (previewRunning()) return;
    window_.refreshLockKeyStatus();
    if (autoRepeat) return;
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete) joinArmed_ = true;
    if (key == Qt::Key_Control && drawingCycle_ >= 0) {
        drawingCycle_ = -1;
        redraw();
    }
}

void EditorInput::afterAltRelease() {
    editor::EffectEntry& digits = effectEntry_;
    if (!digits.valid()) {
        flashCanvasText(QStringLiteral("INVÁLIDO!"), 0, 800);
    } else if (digits.target == 1) {
        window_.entryEffectCombo_->setCurrentIndex(digits.value() - 1);
        entryEffectChosen();
    } else if (digits.target == 2) {
        window_.exitEffectCombo_->setCurrentIndex(digits.value() - 1);
        exitEffectChosen();
    }
    digits.target = 0;
    redraw();
}

// ---------------------------------------------------------------- mouse

void EditorInput::placeCursorAtCanvas(int x, int) {
    // The canvas shows the preview, not the line, while one runs.
    if (previewRunning()) return;
    Page& page = window_.store().page();
    const int k = editor::hitTestColumn(page.columnMap, x / CellSize);
    if (k < 0) return;
    window_.canvas().paintCursor(page.cursorColumn, false);
    window_.editCanvasView_->update();
    const int32_t last = int32_t(window_.store().editLine().size()) - 1;
    page.cursorByte = std::min(page.windowStart + k, last);
    QTextCursor caret = window_.editLineText_->textCursor();
    caret.setPosition(std::clamp(page.cursorByte - 2, 0,
                                 window_.editLineText_->document()->characterCount() - 1));
    window_.editLineText_->setTextCursor(caret);
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
    if (previewRunning()) return true;
    wheelRemainder_ += event->angleDelta().y();
    const int steps = wheelRemainder_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRemainder_ -= steps * QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0) mouseWheel(-steps);
    return true;
}

void EditorInput::mouseWheel(int steps) {
    PageStore& store = window_.store();
    bool moved = false;
    for (; steps > 0; --steps) moved |= editor::moveToLine(store, store.page().lineIndex + 1);
    for (; steps < 0; ++steps) moved |= editor::moveToLine(store, store.page().lineIndex - 1);
    if (moved) redraw();
}

void EditorInput::placeCursorFromLineText() {
    window_.stopPreview();
    PageStore& store = window_.store();
    Page& page = store.page();
    const int32_t last = int32_t(store.editLine().size()) - 1;
    page.cursorByte = std::clamp(window_.editLineText_->textCursor().position() + 2, 2, last);
    if (page.cursorByte < last &&
        PageStore::readByte(page.cursorByte, store.editLine()) == DrawingEscape)
        ++page.cursorByte;
    redraw();
}

void EditorInput::neighbourTextClicked(int offset) {
    QPlainTextEdit* memo = offset == -2   ? window_.secondPreviousLineText_
                           : offset == -1 ? window_.previousLineText_
                           : offset == 1  ? window_.nextLineText_
                                          : window_.secondNextLineText_;
    window_.stopPreview();
    PageStore& store = window_.store();
    const int caret = memo->textCursor().position();
    if (editor::placeCursorInLine(store, store.page().lineIndex + offset, caret)) redraw();
    focusEdit();
}

void EditorInput::neighbourFrameClicked(int offset) {
    PageStore& store = window_.store();
    if (editor::moveToLine(store, store.page().lineIndex + offset)) redraw();
}

void EditorInput::deleteLineAt(int offset) {
    PageStore& store = window_.store();
    const int32_t line = store.page().lineIndex + offset;
    if (line < 0 || line >= store.page().lineCount) return;
    store.deleteLine(line); // redraws
    focusEdit();
}

void EditorInput::previousLine() {
    if (previewRunning()) {
        window_.previewSkip(-1);
    } else {
        neighbourTextClicked(-1);
    }
    focusEdit();
}

void EditorInput::nextLine() {
    if (previewRunning()) {
        window_.previewSkip(1);
    } else {
        neighbourTextClicked(1);
    }
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
    if (ok && editor::insertDrawing(window_.store(), drawing)) redraw();
    focusEdit();
}

void EditorInput::insertFunctionAt(int row) {
    if (row >= 0 && row < FunctionCount)
        editor::insertAfterCursor(window_.store(), InsertCodeTable[size_t(124 + row)]);
    redraw();
    focusEdit();
}

void EditorInput::insertFontAt(int row) {
    if (row >= 0 && row <= 3 && editor::insertAfterCursor(window_.store(), uint8_t(row))) redraw();
    focusEdit();
}

void EditorInput::entryEffectChosen() {
    editor::setLineEffect(window_.store(), 1, window_.entryEffectCombo_->currentIndex());
    redraw();
}

void EditorInput::exitEffectChosen() {
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
    editor::pasteText(window_.store(), text.toStdU16String());
    redraw();
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
