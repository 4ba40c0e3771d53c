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

EditorInput::EditorInput(TForm1& form) : QObject(&form), form_(form) {
    clipboardText = []() -> std::optional<QString> {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (!data || !data->hasText()) return std::nullopt;
        return data->text();
    };

    // The flashed text lies over the canvas and lets the mouse through.
    message_ = new QLabel(form_.imgEdit);
    message_->setObjectName(QStringLiteral("lblMensagem"));
    message_->setAttribute(Qt::WA_TransparentForMouseEvents);
    message_->setGeometry(0, 0, CanvasWidth, CanvasHeight);
    message_->hide();
    messageTimer_.setSingleShot(true);
    connect(&messageTimer_, &QTimer::timeout, this, [this] { message_->hide(); });

    connect(form_.imgEdit, &CanvasWidget::mousePressed, this,
            [this](int x, int y, Qt::MouseButton) { imgEditMouseDown(x, y); });
    connect(form_.Label4, &DeleteLabel::clicked, this, [this] { deleteLineAt(-2); });
    connect(form_.Label5, &DeleteLabel::clicked, this, [this] { deleteLineAt(-1); });
    connect(form_.Label9, &DeleteLabel::clicked, this, [this] { deleteLineAt(0); });
    connect(form_.Label10, &DeleteLabel::clicked, this, [this] { deleteLineAt(1); });
    connect(form_.Label11, &DeleteLabel::clicked, this, [this] { deleteLineAt(2); });
    connect(form_.BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(form_.BitBtn5, &QPushButton::clicked, this, [this] { BitBtn5Click(); });
    connect(form_.ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    connect(form_.ComboBox2, &QComboBox::activated, this, [this] { ComboBox2Change(); });
    connect(form_.Colar1, &QAction::triggered, this, [this] { PortaClick(); });
    for (QListWidget* list : {form_.ListBox1, form_.ListBox2, form_.ListBox3})
        list->viewport()->setMouseTracking(true);
    form_.mmEdit->viewport()->setMouseTracking(true);
}

EditorInput::~EditorInput() = default;

// ---------------------------------------------------------------- dispatch

bool EditorInput::filter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != &form_ || form_.isClosing()) return false;
        return keyEvent(static_cast<QKeyEvent*>(event));
    }
    case QEvent::ShortcutOverride: {
        // Alt belongs to the effect-number entry: the menu bar does not take
        // it for its keyboard navigation.
        auto* widget = qobject_cast<QWidget*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (!widget || widget->window() != &form_ || !isAltKey(key->key())) return false;
        event->accept();
        return true;
    }
    case QEvent::WindowDeactivate:
        if (watched == &form_) altHeld_ = capsHeld_ = false;
        return false;
    case QEvent::Wheel: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != &form_) return false;
        return wheelEvent(static_cast<QWheelEvent*>(event));
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        break;
    default:
        return false;
    }

    auto* mouse = static_cast<QMouseEvent*>(event);
    const QEvent::Type type = event->type();
    for (QListWidget* list : {form_.ListBox1, form_.ListBox2, form_.ListBox3})
        if (watched == list->viewport()) return listMouse(list, event);

    if (watched == form_.tsPaginas) {
        if (!form_.tsPaginas->isEnabled()) return false;
        // The tab changes when the button comes up over it, not before.
        if (type == QEvent::MouseButtonRelease) {
            const int tab = form_.tsPaginas->tabAt(mouse->position().toPoint());
            if (tab >= 0) tsPaginasMouseUp(tab);
            return true;
        }
        return type != QEvent::MouseMove;
    }

    if (watched == form_.mmEdit->viewport()) {
        if (type == QEvent::MouseMove) {
            // Moving over the line's text cancels any selection there.
            QTextCursor caret = form_.mmEdit->textCursor();
            if (caret.hasSelection()) {
                caret.setPosition(caret.selectionStart());
                form_.mmEdit->setTextCursor(caret);
            }
            return true;
        }
        if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton &&
            form_.mmEdit->isEnabled())
            mmEditClick();
        return false;
    }

    const std::pair<QPlainTextEdit*, int> boxes[] = {
        {form_.mmPrior2, -2}, {form_.mmPrior1, -1}, {form_.mmNext1, 1}, {form_.mmNext2, 2}};
    for (auto [memo, offset] : boxes)
        if (watched == memo->viewport()) {
            if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton &&
                memo->isEnabled())
                neighbourBoxClick(offset);
            return false;
        }

    const std::pair<QGroupBox*, int> frames[] = {
        {form_.gbxPrior2, -2}, {form_.gbxPrior1, -1}, {form_.gbxNext1, 1}, {form_.gbxNext2, 2}};
    for (auto [frame, offset] : frames)
        if (watched == frame) {
            // Only the frame itself: its " X " label passes its clicks up to it.
            if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton &&
                frame->isEnabled() && !frame->childAt(mouse->position().toPoint()) &&
                frame->rect().contains(mouse->position().toPoint()))
                neighbourFrameClick(offset);
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
            form_.joinArmed = lastRelease_.joinArmedBefore;
        lastRelease_ = {};
        if (key == Qt::Key_CapsLock) capsHeld_ = true;
        if (isAltKey(key)) altHeld_ = true;
        const bool alt = altHeld_ || (event->modifiers() & Qt::AltModifier);
        if (!FormKeyDown(key, event->modifiers() | (alt ? Qt::AltModifier : Qt::NoModifier),
                         event->nativeScanCode(), event->nativeVirtualKey())) {
            event->ignore();
            return false;
        }
        // The characters of the key, as the platform makes them: none while
        // Alt is held, and Ctrl makes control characters (Ctrl+Space a space).
        const QString text = event->text();
        if (!alt && !text.isEmpty() &&
            (!(event->modifiers() & Qt::ControlModifier) || text == QStringLiteral(" ")))
            FormKeyPress(text, event->modifiers());
        return true;
    }
    // A held key repeats as press/release pairs on some platforms: only the
    // real release counts.
    if (!event->isAutoRepeat()) {
        if (key == Qt::Key_CapsLock) capsHeld_ = false;
        if (isAltKey(key)) altHeld_ = false;
    }
    lastRelease_ = {key, event->timestamp(), form_.joinArmed};
    FormKeyUp(key, event->isAutoRepeat());
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

bool EditorInput::FormKeyDown(int key, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
                              quint32 nativeVirtualKey) {
    PageStore& store = form_.store();
    if (capsHeld_) form_.RestoreCapsLock = false;
    if (isAltKey(key)) form_.EffectDigits.start();
    if (modifiers & Qt::AltModifier) {
        const int digit = digitOf(key, nativeScanCode, nativeVirtualKey);
        // Any other key with Alt held is the system's (Alt+F4 closes the window).
        if (digit < 0) return isAltKey(key);
        form_.EffectDigits.digit(char16_t(u'0' + digit), modifiers & Qt::ControlModifier);
        exibeMensagem(QString::fromStdU16String(form_.EffectDigits.text()), 0, 800);
        return true;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F8) {
        tsPaginasMouseUp(key - Qt::Key_F1);
        return true;
    }
    if (key == Qt::Key_Escape) {
        form_.togglePreview();
        return true;
    }
    if (previewRunning()) return true;

    redraw();
    form_.consultaLock();
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;

    if (ctrl && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        editor::drawingCycleStep(store, form_.drawingCycle, key == Qt::Key_Up ? 1 : -1);
        redraw();
        return true;
    }
    if (ctrl && key == Qt::Key_V) {
        PortaClick();
        return true;
    }
    if (ctrl && key >= Qt::Key_1 && key <= Qt::Key_4) {
        if (editor::insertAfterCursor(store, uint8_t(key - Qt::Key_1))) redraw();
        return true;
    }
    if (ctrl && key >= Qt::Key_A && key <= Qt::Key_Z) {
        const uint8_t code = editor::liveFieldForShortcut(char16_t(u'A' + (key - Qt::Key_A)));
        if (code != 0 && editor::insertAfterCursor(store, code)) redraw();
        return true;
    }
    switch (key) {
    case Qt::Key_Backspace:
        if (editor::backspaceKey(store, form_.joinArmed)) redraw();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        editor::enterKey(store);
        redraw();
        return true;
    case Qt::Key_End:
        editor::endKey(store, ctrl);
        redraw();
        return true;
    case Qt::Key_Home:
        editor::homeKey(store, ctrl);
        redraw();
        return true;
    case Qt::Key_Left:
        editor::leftKey(store);
        redraw();
        return true;
    case Qt::Key_Right:
        if (editor::rightKey(store)) redraw();
        return true;
    case Qt::Key_Up:
        if (editor::upKey(store)) redraw();
        return true;
    case Qt::Key_Down:
        if (editor::downKey(store)) redraw();
        return true;
    case Qt::Key_Delete:
        if (shift) {
            deleteLineAt(0);
        } else if (ctrl && capsHeld_) {
            form_.bbtnNovoClick();
        } else if (editor::deleteKey(store, form_.joinArmed)) {
            redraw();
        }
        return true;
    default:
        return true;
    }
}

void EditorInput::FormKeyPress(const QString& text, Qt::KeyboardModifiers modifiers) {
    if (previewRunning()) return;
    for (QChar ch : text) {
        const auto code = editor::typedCharacter(ch.unicode(), modifiers & Qt::ShiftModifier);
        if (!code) continue;
        if (editor::insertAfterCursor(form_.store(), *code)) redraw();
    }
}

void EditorInput::FormKeyUp(int key, bool autoRepeat) {
    if (isAltKey(key) && !autoRepeat) afterAltRelease();
    if (previewRunning()) return;
    form_.consultaLock();
    if (autoRepeat) return;
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete) form_.joinArmed = true;
    if (key == Qt::Key_Control && form_.drawingCycle >= 0) {
        form_.drawingCycle = -1;
        redraw();
    }
}

void EditorInput::afterAltRelease() {
    editor::EffectEntry& digits = form_.EffectDigits;
    if (!digits.valid()) {
        exibeMensagem(QStringLiteral("INVÁLIDO!"), 0, 800);
    } else if (digits.target == 1) {
        form_.ComboBox1->setCurrentIndex(digits.value() - 1);
        ComboBox1Change();
    } else if (digits.target == 2) {
        form_.ComboBox2->setCurrentIndex(digits.value() - 1);
        ComboBox2Change();
    }
    digits.target = 0;
    redraw();
}

// ---------------------------------------------------------------- mouse

void EditorInput::imgEditMouseDown(int x, int) {
    // The canvas shows the preview, not the line, while one runs.
    if (previewRunning()) return;
    Page& cfg = form_.store().page();
    const int k = editor::hitTestColumn(cfg.columnMap, x / CellSize);
    if (k < 0) return;
    form_.canvas().paintCursor(cfg.cursorColumn, false);
    const int32_t last = int32_t(form_.store().editLine().size()) - 1;
    cfg.cursorByte = std::min(cfg.windowStart + k, last);
    QTextCursor caret = form_.mmEdit->textCursor();
    caret.setPosition(
        std::clamp(cfg.cursorByte - 2, 0, form_.mmEdit->document()->characterCount() - 1));
    form_.mmEdit->setTextCursor(caret);
}

bool EditorInput::isWheelTarget(QWidget* widget) const {
    if (!widget) return true; // the window itself
    // Labels and the canvas have no window of their own: their parent is
    // under the pointer.
    if (qobject_cast<QLabel*>(widget) || widget == form_.imgEdit) widget = widget->parentWidget();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget ? widget->parentWidget() : nullptr))
        if (area->viewport() == widget) widget = area;
    if (!widget) return false;
    const QWidget* targets[] = {&form_,          form_.GroupBox1, form_.gbxPrior2,  form_.mmPrior2,
                                form_.gbxPrior1, form_.mmPrior1,  form_.gbxEditMsg, form_.GroupBox4,
                                form_.mmEdit,    form_.pnlTela,   form_.gbxNext1,   form_.mmNext1,
                                form_.gbxNext2,  form_.mmNext2};
    if (std::find(std::begin(targets), std::end(targets), widget) != std::end(targets)) return true;
    // Plain layout containers are the window's own ground.
    return widget->metaObject() == &QWidget::staticMetaObject;
}

bool EditorInput::wheelEvent(QWheelEvent* event) {
    const QPoint at = form_.mapFromGlobal(event->globalPosition().toPoint());
    if (!form_.rect().contains(at)) return false;
    if (!isWheelTarget(form_.childAt(at))) return false;
    event->accept();
    if (previewRunning()) return true;
    wheelRemainder_ += event->angleDelta().y();
    const int steps = wheelRemainder_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRemainder_ -= steps * QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0) mouseWheel(-steps);
    return true;
}

void EditorInput::mouseWheel(int steps) {
    PageStore& store = form_.store();
    bool moved = false;
    for (; steps > 0; --steps) moved |= editor::moveToLine(store, store.page().lineIndex + 1);
    for (; steps < 0; ++steps) moved |= editor::moveToLine(store, store.page().lineIndex - 1);
    if (moved) redraw();
}

void EditorInput::mmEditClick() {
    if (form_.stopview) form_.stopview(true);
    PageStore& store = form_.store();
    Page& cfg = store.page();
    const int32_t last = int32_t(store.editLine().size()) - 1;
    cfg.cursorByte = std::clamp(form_.mmEdit->textCursor().position() + 2, 2, last);
    if (cfg.cursorByte < last &&
        PageStore::readByte(cfg.cursorByte, store.editLine()) == DrawingEscape)
        ++cfg.cursorByte;
    redraw();
}

void EditorInput::neighbourBoxClick(int offset) {
    QPlainTextEdit* memo = offset == -2   ? form_.mmPrior2
                           : offset == -1 ? form_.mmPrior1
                           : offset == 1  ? form_.mmNext1
                                          : form_.mmNext2;
    if (form_.stopview) form_.stopview(true);
    PageStore& store = form_.store();
    const int caret = memo->textCursor().position();
    if (editor::placeCursorInLine(store, store.page().lineIndex + offset, caret)) redraw();
    focusEdit();
}

void EditorInput::neighbourFrameClick(int offset) {
    PageStore& store = form_.store();
    if (editor::moveToLine(store, store.page().lineIndex + offset)) redraw();
}

void EditorInput::deleteLineAt(int offset) {
    PageStore& store = form_.store();
    const int32_t line = store.page().lineIndex + offset;
    if (line < 0 || line >= store.page().lineCount) return;
    store.deleteLine(line); // redraws
    focusEdit();
}

void EditorInput::BitBtn3Click() {
    if (previewRunning()) {
        form_.previewSkip(-1);
    } else {
        neighbourBoxClick(-1);
    }
    focusEdit();
}

void EditorInput::BitBtn5Click() {
    if (previewRunning()) {
        form_.previewSkip(1);
    } else {
        neighbourBoxClick(1);
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
        if (list == form_.ListBox1) {
            // The item under the pointer, or the one above it near the list's
            // top and bottom edges, and never far below the top visible item.
            if (row < 0) return true;
            int chosen = row;
            const int height = list->viewport()->height();
            if (at.y() < 4 || (at.y() > height - 4 && row != list->count() - 1)) chosen = row - 1;
            const QListWidgetItem* top = list->itemAt(QPoint(1, 1));
            const int topRow = top ? list->row(top) : 0;
            if (chosen >= 0 && chosen - topRow < 20) list->setCurrentRow(chosen);
        } else if (list == form_.ListBox2) {
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
        if (list == form_.ListBox1)
            ListBox1Click(row);
        else if (list == form_.ListBox2)
            ListBox2Click(row);
        else
            ListBox3Click(row);
        return true;
    default:
        return false;
    }
}

void EditorInput::ListBox1Click(int row) {
    QListWidgetItem* item = form_.ListBox1->item(row);
    if (!item) return;
    bool ok = false;
    const int drawing = item->text().toInt(&ok);
    if (ok && editor::insertDrawing(form_.store(), drawing)) redraw();
    focusEdit();
}

void EditorInput::ListBox2Click(int row) {
    if (row >= 0 && row < FunctionCount)
        editor::insertAfterCursor(form_.store(), InsertCodeTable[size_t(124 + row)]);
    redraw();
    focusEdit();
}

void EditorInput::ListBox3Click(int row) {
    if (row >= 0 && row <= 3 && editor::insertAfterCursor(form_.store(), uint8_t(row))) redraw();
    focusEdit();
}

void EditorInput::ComboBox1Change() {
    editor::setLineEffect(form_.store(), 1, form_.ComboBox1->currentIndex());
    redraw();
}

void EditorInput::ComboBox2Change() {
    editor::setLineEffect(form_.store(), 2, form_.ComboBox2->currentIndex());
    redraw();
}

// ---------------------------------------------------------------- pages

void EditorInput::tsPaginasMouseUp(int tab) {
    if (tab < 0 || tab >= PageCount) return;
    form_.tsPaginas->setCurrentIndex(tab);
    form_.update();
    const bool wasRunning = previewRunning();
    if (form_.stopview) form_.stopview(true);
    form_.Timer1.stop();
    PageStore& store = form_.store();
    store.setCurrentPage(uint8_t(tab));
    store.setEditLine(0);
    exibeMensagem(QStringLiteral("PÁGINA %1").arg(tab + 1), 0, 800);
    redraw();
    form_.Timer1.start();
    focusEdit();
    if (wasRunning) form_.togglePreview();
}

// ---------------------------------------------------------------- paste

void EditorInput::PortaClick() {
    if (!clipboardText) return;
    const std::optional<QString> text = clipboardText();
    if (!text) return;
    paste(*text);
}

void EditorInput::paste(const QString& text) {
    editor::pasteText(form_.store(), text.toStdU16String());
    redraw();
}

// ---------------------------------------------------------------- messages

void EditorInput::exibeMensagem(const QString& texto, uint8_t fonte, unsigned mili_seg) {
    std::vector<uint8_t> bytes(16, 32);
    for (int i = 0; i < std::min<int>(16, int(texto.size())); ++i)
        bytes[size_t(i)] = uint8_t(texto.at(i).unicode() & 0xFF);
    const LedBitmap bitmap = MessagePainel(form_.glyphs, bytes, fonte, PanelColumns);
    PanelImage columns{};
    for (int x = 0; x < PanelColumns; ++x)
        for (int row = 0; row < PanelRows; ++row)
            if (bitmap.lit(x, row)) columns[size_t(x)] |= uint8_t(1u << (PanelLastRow - row));
    CanvasImage canvas(CanvasWidth, CanvasHeight);
    PaintScreen(columns, canvas);
    messagePicture_ = canvasImage(canvas);
    messageText_ = texto;
    message_->setPixmap(QPixmap::fromImage(messagePicture_));
    message_->show();
    message_->raise();
    messageTimer_.start(int(mili_seg));
}

bool EditorInput::messageShowing() const {
    return !message_->isHidden() && messageTimer_.isActive();
}

// ---------------------------------------------------------------- helpers

void EditorInput::redraw() {
    form_.geraTela();
}

void EditorInput::focusEdit() {
    form_.mmEdit->setFocus(Qt::OtherFocusReason);
}

bool EditorInput::previewRunning() const {
    return form_.previewRunning();
}

} // namespace vorelux::app
