#include "app/main_window.h"

#include "app/about_box.h"
#include "app/edit_history.h"
#include "app/editor_input.h"
#include "app/export_actions.h"
#include "app/led_colour_menu.h"
#include "app/led_font.h"
#include "app/led_lists.h"
#include "app/link/operator_link.h"
#include "app/preview_host.h"
#include "app/qt_prompter.h"
#include "app/send/send_features.h"
#include "app/settings/install.h"
#include "app/shortcuts_window.h"
#include "files/appearance_file.h"
#include "files/last_file.h"
#include "files/page_file.h"
#include "files/settings_folder.h"
#include "preview/effect_table.h"
#include "transport/link_system.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>

namespace vorelux::app {

namespace {

constexpr int LedTextPixelSize = 20; // two screen pixels per LED row
constexpr int FontListWidth = 217;
constexpr int ButtonHeight = 46;
constexpr int FontItemHeight = 22; // the 9-row preview twice enlarged, with room around it
constexpr std::array<int, StatusFieldCount> StatusFieldWidths = {50,  50,  50,  150,
                                                                 150, 150, 150, 50};
// The object names of the status fields, in StatusField order.
constexpr std::array<const char*, StatusFieldCount> StatusFieldNames = {
    "numLockStatus", "capsLockStatus", "scrollLockStatus", "pageStatus",
    "lineStatus",    "totalStatus",    "modeStatus",       "linkStatus"};
const char* const DefaultLineText = "ARDENCORE ";

QFont ledFont() {
    QFont font(QString::fromLatin1(LedFontFamily));
    font.setPixelSize(LedTextPixelSize);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

QPlainTextEdit* makeLineBox(const char* name, QWidget* parent, int lines) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setFont(ledFont());
    box->setReadOnly(true);
    // The caret stays visible although the box never takes typing.
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Lit LEDs on a dark ground, as on the panel.
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, QColor(16, 16, 16));
    palette.setColor(QPalette::Text, QColor(245, 245, 245));
    box->setPalette(palette);
    const int frame = 2 * box->frameWidth() + 2 * int(box->document()->documentMargin()) + 2;
    box->setFixedHeight(lines * QFontMetrics(box->font()).lineSpacing() + frame);
    return box;
}

QPushButton* makeButton(const char* name, const QString& caption, const QString& hint,
                        QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    // Reached with Tab; a click leaves the keyboard with the edited line.
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace

DeleteLabel::DeleteLabel(QWidget* parent) : QLabel(QStringLiteral(" X "), parent) {
    setToolTip(QStringLiteral("Exclui a linha"));
    setAccessibleName(QStringLiteral("Excluir a linha"));
    setCursor(Qt::PointingHandCursor);
    setAlignment(Qt::AlignCenter);
    setStyleSheet(QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
}

void DeleteLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

MainWindow::MainWindow(Services services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)) {
    if (services_.appDir.isEmpty())
        services_.appDir = QString::fromStdString(
            findSettingsPlace(QCoreApplication::applicationDirPath().toStdString()).folder);
    prompter_ = services_.prompter;
    if (!prompter_) {
        ownPrompter_ = std::make_unique<QtPrompter>(
            this, [] { return WindowCaption; },
            [this] { return store_ ? store_->currentPage() + 1 : 1; });
        prompter_ = ownPrompter_.get();
    }
    lockKeys_ = services_.lockKeys;
    if (!lockKeys_) {
        ownLockKeys_ = makeSystemLockKeys();
        lockKeys_ = ownLockKeys_.get();
    }
    fileDialogs_ = services_.fileDialogs;
    if (!fileDialogs_) {
        ownFileDialogs_ = std::make_unique<QtFileDialogs>();
        fileDialogs_ = ownFileDialogs_.get();
    }
    store_ = std::make_unique<PageStore>();
    history_ = std::make_unique<EditHistory>(*store_);
    editCanvas_ = std::make_unique<EditCanvas>(glyphs_, panel_.shown);

    buildUi();
    startUp();
    editorInput_ = std::make_unique<EditorInput>(*this, editorControls());
    setUpKeyboard();
    nameControlsForScreenReaders();
    installLinkWindows();
    installPreview();
}

// The panel link on the real devices and the sending windows.
void MainWindow::installLinkWindows() {
    linkSystem_ = std::make_unique<LinkSystem>(
        connectionSettings_, addedPortsPathBeside(connectionSettingsPath_.toStdString()));
    linkSystem_->transmitter().problemReported = [this](const std::string& text) {
        prompter_->message(text);
    };
    SendHost sendHost;
    sendHost.window = this;
    sendHost.caption = WindowCaption;
    sendHost.store = store_.get();
    sendHost.connCfgPath = connectionSettingsPath_;
    sendHost.currentPage = [this] { return pageTabs_ ? pageTabs_->currentIndex() : 0; };
    sendHost.afterSendClose = [this] {
        cursorBlinkTimer_->start();
        if (editLineText_) editLineText_->setFocus();
    };
    sendHost.sendButton = sendButton_;
    sendHost.sendAction = sendAction_;
    sendHost.powerOnButton = powerOnButton_;
    sendHost.powerOffButton = powerOffButton_;
    sendHost.previewOnMenu = powerOnMenu_;
    sendHost.previewOffMenu = powerOffMenu_;
    sendFeatures_ = installSendFeatures(
        sendHost, SendLink{connectionSettings_, linkSystem_->ports(), linkSystem_->port(),
                           linkSystem_->transmitter(), *prompter_});
    connect(&linkSystem_->watcher(), &TransmitterWatcher::statusTextChanged, this,
            [this](const QString& text) { setStatus(StatusField::Link, text); });
    settings_ = installSettingsDialog(
        SettingsHost{this, settingsButton_, functionList_, functionMenu_, connectionSettingsPath_,
                     WindowCaption,
                     [this] {
                         if (!isVisible() && !isClosing()) show();
                         if (editLineText_) editLineText_->setFocus();
                     }},
        SettingsLink{connectionSettings_, linkSystem_->ports(), linkSystem_->port(),
                     linkSystem_->transmitter(), *prompter_},
        sendFeatures_.get());
}

MainWindow::~MainWindow() {
    if (qApp) qApp->removeEventFilter(this);
    // The history tells of its last changes as it goes: the title and the
    // menus it would refresh are going first.
    if (history_) history_->disconnect(this);
}

// ---------------------------------------------------------------- layout

void MainWindow::buildUi() {
    setObjectName(QStringLiteral("mainWindow"));
    // The caption the window is designed with; start-up sets it again.
    setWindowTitle(WindowCaption);
    setFixedSize(WindowWidth, WindowHeight);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(8, 6, 8, 4);
    outer->setSpacing(6);

    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    top->addWidget(buildLineBoxes(), 1);
    top->addWidget(buildLists(), 0);
    outer->addLayout(top, 1);
    outer->addWidget(buildButtons(), 0);
    setCentralWidget(central);

    buildMenus();
    buildStatusBar();

    cursorBlinkTimer_ = new QTimer(this);
    cursorBlinkTimer_->setObjectName(QStringLiteral("cursorBlinkTimer"));
    cursorBlinkTimer_->setInterval(500);
    connect(cursorBlinkTimer_, &QTimer::timeout, this, &MainWindow::blinkCursor);
    closeDelayTimer_ = new QTimer(this);
    closeDelayTimer_->setObjectName(QStringLiteral("closeDelayTimer"));
    closeDelayTimer_->setInterval(services_.closeDelayMs);
    connect(closeDelayTimer_, &QTimer::timeout, this, &MainWindow::closeAfterDelay);
    closeWait_.setSingleShot(true);
    blinkClock_.start();
}

QWidget* MainWindow::buildLineBoxes() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    pageTabs_ = new QTabBar(column);
    pageTabs_->setObjectName(QStringLiteral("pageTabs"));
    pageTabs_->setToolTip(QStringLiteral("Páginas de edição"));
    pageTabs_->setFocusPolicy(Qt::TabFocus);
    pageTabs_->setExpanding(false);
    pageTabs_->setDrawBase(false);
    for (int p = 1; p <= PageCount; ++p) pageTabs_->addTab(QStringLiteral("Página %1").arg(p));
    layout->addWidget(pageTabs_);

    linesFrame_ = new QFrame(column);
    linesFrame_->setObjectName(QStringLiteral("linesFrame"));
    linesFrame_->setFrameShape(QFrame::StyledPanel);
    auto* boxes = new QVBoxLayout(linesFrame_);
    boxes->setContentsMargins(8, 6, 8, 8);
    boxes->setSpacing(4);
    secondPreviousLineGroup_ =
        buildNeighbourLine("secondPreviousLineGroup", "secondPreviousLineText",
                           "deleteSecondPreviousLineLabel", -2, secondPreviousLineText_);
    previousLineGroup_ = buildNeighbourLine("previousLineGroup", "previousLineText",
                                            "deletePreviousLineLabel", -1, previousLineText_);
    QGroupBox* editLine = buildEditLineGroup(linesFrame_);
    nextLineGroup_ = buildNeighbourLine("nextLineGroup", "nextLineText", "deleteNextLineLabel", 1,
                                        nextLineText_);
    secondNextLineGroup_ = buildNeighbourLine("secondNextLineGroup", "secondNextLineText",
                                              "deleteSecondNextLineLabel", 2, secondNextLineText_);
    for (QGroupBox* box : {secondPreviousLineGroup_, previousLineGroup_, editLine, nextLineGroup_,
                           secondNextLineGroup_})
        boxes->addWidget(box);
    layout->addWidget(linesFrame_);
    layout->addSpacing(6);
    layout->addLayout(buildLineTextRow(column));
    layout->addStretch(1);
    return column;
}

// A neighbour line, `offset` lines from the edited one: a frame with its
// caption, the line's text and " X ".
QGroupBox* MainWindow::buildNeighbourLine(const char* boxName, const char* textName,
                                          const char* labelName, int offset,
                                          QPlainTextEdit*& text) {
    auto* box = new QGroupBox(QString::fromStdString(editor::lineCaption(1)), linesFrame_);
    box->setObjectName(QString::fromLatin1(boxName));
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(6, 2, 6, 4);
    text = makeLineBox(textName, box, 1);
    auto* label = new DeleteLabel(box);
    label->setObjectName(QString::fromLatin1(labelName));
    connect(label, &DeleteLabel::clicked, this, [this, offset] {
        if (editorInput_) editorInput_->deleteLineAt(offset);
    });
    row->addWidget(text, 1);
    row->addWidget(label, 0, Qt::AlignVCenter);
    // Hidden neighbours keep their place, so the edited line never moves.
    QSizePolicy policy = box->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    box->setSizePolicy(policy);
    return box;
}

// The whole edited line's text, and "Recuar" / "Avançar" beside it.
QHBoxLayout* MainWindow::buildLineTextRow(QWidget* parent) {
    auto* textRow = new QHBoxLayout;
    textRow->setSpacing(8);
    lineTextGroup_ = new QGroupBox(QStringLiteral("  Texto da linha  "), parent);
    lineTextGroup_->setObjectName(QStringLiteral("lineTextGroup"));
    auto* editMsg = new QVBoxLayout(lineTextGroup_);
    editMsg->setContentsMargins(6, 2, 6, 6);
    editLineText_ = makeLineBox("editLineText", lineTextGroup_, 3);
    editLineText_->setToolTip(QStringLiteral("Visualiza todo o texto da linha que está editando "));
    editMsg->addWidget(editLineText_);
    textRow->addWidget(lineTextGroup_, 1);

    auto* lineButtons = new QGroupBox(QStringLiteral(" Linha "), parent);
    lineButtons->setObjectName(QStringLiteral("lineButtonsGroup"));
    auto* lineLayout = new QVBoxLayout(lineButtons);
    lineLayout->setContentsMargins(6, 2, 6, 6);
    lineLayout->setSpacing(4);
    auto* previousLine = makeButton("previousLineButton", QStringLiteral("Re&cuar"),
                                    QStringLiteral("Vai para a linha anterior"), lineButtons);
    auto* nextLine = makeButton("nextLineButton", QStringLiteral("A&vançar"),
                                QStringLiteral("Vai para a próxima linha"), lineButtons);
    for (QPushButton* button : {previousLine, nextLine}) {
        button->setMinimumWidth(90);
        lineLayout->addWidget(button);
    }
    connect(previousLine, &QPushButton::clicked, this, [this] {
        if (editorInput_) editorInput_->previousLine();
    });
    connect(nextLine, &QPushButton::clicked, this, [this] {
        if (editorInput_) editorInput_->nextLine();
    });
    textRow->addWidget(lineButtons, 0);
    return textRow;
}

// The edited line: its effects, its " X " and the edit canvas.
QGroupBox* MainWindow::buildEditLineGroup(QWidget* parent) {
    editLineGroup_ = new QGroupBox(QString::fromStdString(editor::lineCaption(1)), parent);
    editLineGroup_->setObjectName(QStringLiteral("editLineGroup"));
    auto* editLayout = new QVBoxLayout(editLineGroup_);
    editLayout->setContentsMargins(6, 4, 6, 6);
    editLayout->setSpacing(4);
    auto* effects = new QHBoxLayout;
    effects->setSpacing(6);
    entryEffectCombo_ = new QComboBox(editLineGroup_);
    entryEffectCombo_->setObjectName(QStringLiteral("entryEffectCombo"));
    entryEffectCombo_->setToolTip(QStringLiteral("Efeitos de entrada"));
    exitEffectCombo_ = new QComboBox(editLineGroup_);
    exitEffectCombo_->setObjectName(QStringLiteral("exitEffectCombo"));
    exitEffectCombo_->setToolTip(QStringLiteral("Efeitos de saída"));
    for (QComboBox* combo : {entryEffectCombo_, exitEffectCombo_}) {
        combo->setFocusPolicy(Qt::TabFocus);
        combo->setMaxVisibleItems(20);
        combo->setMinimumWidth(235);
        for (const auto& effect : preview::EffectTable)
            combo->addItem(QString::fromUtf8(effect.text));
    }
    auto* entryLabel = new QLabel(QStringLiteral("Efeito de entrada:"), editLineGroup_);
    auto* exitLabel = new QLabel(QStringLiteral("Efeito de saída:"), editLineGroup_);
    auto* deleteEditLine = new DeleteLabel(editLineGroup_);
    deleteEditLine->setObjectName(QStringLiteral("deleteEditLineLabel"));
    connect(deleteEditLine, &DeleteLabel::clicked, this, [this] {
        if (editorInput_) editorInput_->deleteLineAt(0);
    });
    // An effect chosen in a list: 1 the entry, 2 the exit.
    for (const int target : {1, 2})
        connect(target == 1 ? entryEffectCombo_ : exitEffectCombo_, &QComboBox::activated, this,
                [this, target](int index) {
                    if (editorInput_) editorInput_->chooseEffect(target, index);
                });
    effects->addWidget(entryLabel);
    effects->addWidget(entryEffectCombo_);
    effects->addSpacing(18);
    effects->addWidget(exitLabel);
    effects->addWidget(exitEffectCombo_);
    effects->addStretch(1);
    effects->addWidget(deleteEditLine);
    editLayout->addLayout(effects);

    canvasPanel_ = new QFrame(editLineGroup_);
    canvasPanel_->setObjectName(QStringLiteral("canvasPanel"));
    canvasPanel_->setAutoFillBackground(true);
    QPalette black = canvasPanel_->palette();
    black.setColor(QPalette::Window, Qt::black);
    canvasPanel_->setPalette(black);
    canvasPanel_->setFixedHeight(CanvasWidget::WidgetHeight + 6);
    auto* screen = new QHBoxLayout(canvasPanel_);
    screen->setContentsMargins(0, 3, 0, 3);
    editCanvasView_ = new CanvasWidget(canvasPanel_);
    editCanvasView_->setObjectName(QStringLiteral("editCanvasView"));
    editCanvasView_->setToolTip(QStringLiteral("Campo de edição da mensagem"));
    connect(editCanvasView_, &CanvasWidget::mousePressed, this, [this](int x, int y) {
        if (editorInput_) editorInput_->placeCursorAtCanvas(x, y);
    });
    // Centred: left = (panel width - image width - 1) div 2.
    screen->addStretch(1);
    screen->addWidget(editCanvasView_);
    screen->addStretch(1);
    editLayout->addWidget(canvasPanel_);
    return editLineGroup_;
}

QWidget* MainWindow::buildLists() {
    auto* column = new QWidget(this);
    column->setFixedWidth(FontListWidth + 22);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    layout->addWidget(buildFontList(column));
    layout->addWidget(buildFunctionList(column));
    layout->addWidget(buildDrawingList(column), 1);
    return column;
}

QGroupBox* MainWindow::buildFontList(QWidget* parent) {
    auto* fonts = new QGroupBox(QStringLiteral("Fontes"), parent);
    auto* fontsLayout = new QVBoxLayout(fonts);
    fontsLayout->setContentsMargins(8, 4, 8, 8);
    fontList_ = new QListWidget(fonts);
    fontList_->setObjectName(QStringLiteral("fontList"));
    fontList_->setToolTip(QStringLiteral("Altera o tipo de fonte"));
    fontList_->setFixedWidth(FontListWidth);
    fontList_->setFocusPolicy(Qt::TabFocus);
    fontList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fontList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fontList_->setUniformItemSizes(true);
    fontList_->setStyleSheet(QStringLiteral("QListWidget { background: black; }"));
    for (int f = 1; f <= 4; ++f) fontList_->addItem(QStringLiteral("Fonte %1").arg(f));
    fontList_->setItemDelegate(new FontListDelegate(fontPreviews_, FontItemHeight, fontList_));
    fontList_->setFixedHeight(4 * FontItemHeight + 2 * fontList_->frameWidth());
    fontsLayout->addWidget(fontList_);
    return fonts;
}

QGroupBox* MainWindow::buildFunctionList(QWidget* parent) {
    auto* functions = new QGroupBox(QStringLiteral("  Funções  "), parent);
    auto* functionsLayout = new QVBoxLayout(functions);
    functionsLayout->setContentsMargins(8, 4, 8, 8);
    functionList_ = new QListWidget(functions);
    functionList_->setObjectName(QStringLiteral("functionList"));
    functionList_->setToolTip(QStringLiteral("Insere funcões na mensagem"));
    functionList_->setFocusPolicy(Qt::TabFocus);
    functionList_->setFont(ledFont());
    functionList_->setStyleSheet(
        QStringLiteral("QListWidget { background: black; color: white; }"
                       "QListWidget::item:selected { background: palette(highlight); }"));
    functionList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    functionList_->setFixedHeight(7 * QFontMetrics(ledFont()).lineSpacing() + 4);
    functionMenu_ = new QMenu(functionList_);
    functionMenu_->setObjectName(QStringLiteral("functionMenu"));
    functionMenu_->addAction(QStringLiteral("Ajustar"))
        ->setObjectName(QStringLiteral("adjustFunctionAction"));
    functionsLayout->addWidget(functionList_);
    return functions;
}

QGroupBox* MainWindow::buildDrawingList(QWidget* parent) {
    auto* drawings = new QGroupBox(QStringLiteral("Desenhos"), parent);
    auto* drawingsLayout = new QVBoxLayout(drawings);
    drawingsLayout->setContentsMargins(8, 4, 8, 8);
    drawingList_ = new QListWidget(drawings);
    drawingList_->setObjectName(QStringLiteral("drawingList"));
    drawingList_->setToolTip(QStringLiteral("Insere desenhos na mensagem"));
    drawingList_->setFocusPolicy(Qt::TabFocus);
    drawingList_->setStyleSheet(QStringLiteral("QListWidget { background: black; }"));
    drawingList_->setUniformItemSizes(true);
    drawingList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Drawing 9 is not offered in the list.
    for (int i = 0; i < DrawingCount; ++i)
        if (i != 9) drawingList_->addItem(QString::number(i));
    drawingList_->setItemDelegate(new DrawingListDelegate(drawingPictures_, drawingList_));
    drawingsLayout->addWidget(drawingList_);
    return drawings;
}

QWidget* MainWindow::buildButtons() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(buildPreviewButtons(row));

    clearPageButton_ = makeButton("clearPageButton", QStringLiteral("Li&mpar\npágina"),
                                  QStringLiteral("Limpa a página em edição"), row);
    clearAllButton_ = makeButton("clearAllButton", QStringLiteral("Limpar\n&tudo"),
                                 QStringLiteral("Limpa todas as páginas"), row);
    auto* openButton = makeButton("openButton", QStringLiteral("A&brir"),
                                  QStringLiteral("Abre um arquivo de páginas"), row);
    auto* saveButton = makeButton("saveButton", QStringLiteral("&Salvar"),
                                  QStringLiteral("Salva as páginas no arquivo"), row);
    auto* newButton = makeButton("newButton", QStringLiteral("N&ovo"),
                                 QStringLiteral("Começa um novo arquivo de páginas"), row);
    connect(openButton, &QPushButton::clicked, this, [this] { open(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(newButton, &QPushButton::clicked, this, [this] { newDocument(); });
    sendButton_ = makeButton("sendButton", QStringLiteral("Env&iar"),
                             QStringLiteral("Envia as páginas para o painel"), row);
    settingsButton_ = makeButton("settingsButton", QStringLiteral("A&justes"),
                                 QStringLiteral("Ajusta e configura o painel"), row);
    for (QPushButton* b : {previewButton_, stopButton_, clearPageButton_, clearAllButton_,
                           openButton, saveButton, newButton, sendButton_, settingsButton_}) {
        b->setFixedHeight(ButtonHeight);
        b->setMinimumWidth(86);
    }
    layout->addWidget(clearPageButton_);
    layout->addWidget(clearAllButton_);
    layout->addSpacing(10);
    layout->addWidget(openButton);
    layout->addWidget(saveButton);
    layout->addWidget(newButton);
    layout->addSpacing(10);
    layout->addWidget(sendButton_);
    layout->addWidget(settingsButton_);
    layout->addStretch(1);
    layout->addWidget(buildPowerButtons(row), 0, Qt::AlignBottom);
    return row;
}

// "Visualizar" and "Parar" share one place; "Parar" shows while a preview plays.
QWidget* MainWindow::buildPreviewButtons(QWidget* parent) {
    auto* previewPlace = new QWidget(parent);
    auto* stack = new QGridLayout(previewPlace);
    stack->setContentsMargins(0, 0, 0, 0);
    previewButton_ = makeButton("previewButton", QStringLiteral("Visuali&zar"),
                                QStringLiteral("Inicia a visualização da mensagem"), previewPlace);
    stopButton_ = makeButton("stopButton", QStringLiteral("&Parar"),
                             QStringLiteral("Interrompe a visualização da mensagem"), previewPlace);
    stack->addWidget(previewButton_, 0, 0);
    stack->addWidget(stopButton_, 0, 0);
    stopButton_->hide();
    return previewPlace;
}

QGroupBox* MainWindow::buildPowerButtons(QWidget* parent) {
    auto* box = new QGroupBox(QStringLiteral(" Ligar / Desligar "), parent);
    auto* inner = new QHBoxLayout(box);
    inner->setContentsMargins(6, 0, 6, 4);
    inner->setSpacing(4);
    powerOnButton_ =
        makeButton("powerOnButton", QStringLiteral("Li&gar"), QStringLiteral("Liga o painel"), box);
    powerOffButton_ = makeButton("powerOffButton", QStringLiteral("&Desligar"),
                                 QStringLiteral("Desliga o painel"), box);
    for (QPushButton* button : {powerOnButton_, powerOffButton_}) {
        button->setFixedHeight(28);
        button->setMinimumWidth(80);
        inner->addWidget(button);
    }
    box->setFixedHeight(ButtonHeight + 4);
    return box;
}

// The menus' keys. Ctrl+O and Ctrl+S insert live fields and F1..F8 pick
// pages, so opening and saving take the other common keys (Ctrl+F12,
// Shift+F12, F12); Esc starts the preview and F9 sends.
void MainWindow::buildMenus() {
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("&Arquivo"));
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    QAction* newAction = fileMenu->addAction(QStringLiteral("&Novo"));
    newAction->setObjectName(QStringLiteral("newAction"));
    newAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    QAction* openAction = fileMenu->addAction(QStringLiteral("&Abrir..."));
    openAction->setObjectName(QStringLiteral("openAction"));
    openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F12));
    QAction* saveAction = fileMenu->addAction(QStringLiteral("&Salvar"));
    saveAction->setObjectName(QStringLiteral("saveAction"));
    saveAction->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F12));
    QAction* saveAsAction = fileMenu->addAction(QStringLiteral("Salvar &como..."));
    saveAsAction->setObjectName(QStringLiteral("saveAsAction"));
    saveAsAction->setShortcut(QKeySequence(Qt::Key_F12));
    fileMenu->addSeparator();
    QAction* exitAction = fileMenu->addAction(QStringLiteral("Sai&r"));
    exitAction->setObjectName(QStringLiteral("exitAction"));
    exitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    exports_ = new ExportActions(*this);
    exports_->addTo(fileMenu, exitAction);

    buildEditMenu();

    previewAction_ = menuBar()->addAction(QStringLiteral("Visualiza&r"));
    previewAction_->setObjectName(QStringLiteral("previewAction"));
    sendAction_ = menuBar()->addAction(QStringLiteral("E&nviar"));
    sendAction_->setObjectName(QStringLiteral("sendAction"));
    sendAction_->setShortcut(QKeySequence(Qt::Key_F9));
    buildHelpMenu();
    // "Exibir" → "Cor dos LEDs", before "Ajuda": the canvas and the preview shine in it.
    new LedColourMenu(
        menuBar(), appFile(AppearanceFileName), *prompter_,
        [this](LedColour c) {
            editCanvas_->setColour(c);
            editCanvasView_->setLedColour(c);
            if (!previewRunning()) editCanvas_->repaint(store_->view().cursorColumn);
            editCanvasView_->update();
        },
        this);
    // F10 opens the menu bar, as in most desktop programs.
    auto* menuKey = new QAction(this);
    menuKey->setObjectName(QStringLiteral("menuBarAction"));
    menuKey->setShortcut(QKeySequence(Qt::Key_F10));
    addAction(menuKey);
    connect(menuKey, &QAction::triggered, this,
            [this, fileMenu] { menuBar()->setActiveAction(fileMenu->menuAction()); });

    connect(newAction, &QAction::triggered, this, [this] { newDocument(); });
    connect(openAction, &QAction::triggered, this, [this] { open(); });
    connect(saveAction, &QAction::triggered, this, [this] { save(); });
    connect(saveAsAction, &QAction::triggered, this, [this] { saveAs(); });
    connect(exitAction, &QAction::triggered, this, [this] { close(); });
    connect(clearPageButton_, &QPushButton::clicked, this, [this] { clearPage(); });
    connect(clearAllButton_, &QPushButton::clicked, this, [this] { clearAllPages(); });
}

void MainWindow::buildEditMenu() {
    QMenu* editMenu = menuBar()->addMenu(QStringLiteral("&Editar"));
    editMenu->setObjectName(QStringLiteral("editMenu"));
    editMenu->setToolTipsVisible(true);
    // The keys are the line editor's (editor_input.cpp), which leaves them
    // alone during a preview; the menu shows them.
    undoAction_ = editMenu->addAction(QStringLiteral("&Desfazer"));
    undoAction_->setObjectName(QStringLiteral("undoAction"));
    undoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redoAction_ = editMenu->addAction(QStringLiteral("&Refazer"));
    redoAction_->setObjectName(QStringLiteral("redoAction"));
    redoAction_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    editMenu->addSeparator();
    QAction* pasteAction = editMenu->addAction(QStringLiteral("&Colar Texto..."));
    pasteAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    pasteAction->setShortcutContext(Qt::WidgetShortcut); // shown; the line editor takes the key
    pasteAction->setObjectName(QStringLiteral("pasteAction"));
    pasteAction->setToolTip(QStringLiteral("Cola o texto da área de transferência"));
    pasteAction->setStatusTip(pasteAction->toolTip());
    connect(pasteAction, &QAction::triggered, this, [this] {
        if (editorInput_) editorInput_->pasteFromClipboard();
    });
    connect(undoAction_, &QAction::triggered, this, [this] {
        if (editorInput_) editorInput_->undo();
    });
    connect(redoAction_, &QAction::triggered, this, [this] {
        if (editorInput_) editorInput_->redo();
    });
    connect(history_.get(), &EditHistory::changed, this, [this] {
        refreshUndoActions();
        refreshTitle();
    });
    refreshUndoActions();
}

void MainWindow::refreshUndoActions() {
    const bool editing = !previewing_;
    const bool canUndo = history_->canUndo(), canRedo = history_->canRedo();
    undoAction_->setText(canUndo ? QStringLiteral("&Desfazer ") + history_->undoText()
                                 : QStringLiteral("&Desfazer"));
    redoAction_->setText(canRedo ? QStringLiteral("&Refazer ") + history_->redoText()
                                 : QStringLiteral("&Refazer"));
    undoAction_->setEnabled(editing && canUndo);
    redoAction_->setEnabled(editing && canRedo);
}

void MainWindow::buildHelpMenu() {
    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("Aj&uda"));
    helpMenu->setObjectName(QStringLiteral("helpMenu"));
    QAction* shortcutsAction = helpMenu->addAction(QStringLiteral("&Teclas de atalho"));
    shortcutsAction->setObjectName(QStringLiteral("shortcutsAction"));
    helpMenu->addSeparator();
    QAction* aboutAction = helpMenu->addAction(QStringLiteral("&Sobre"));
    aboutAction->setObjectName(QStringLiteral("aboutAction"));
    connect(shortcutsAction, &QAction::triggered, this, [this] { showShortcuts(); });
    connect(aboutAction, &QAction::triggered, this, [this] { showAbout(); });
}

void MainWindow::showShortcuts() {
    if (!shortcutsWindow_) shortcutsWindow_ = new ShortcutsWindow(this);
    shortcutsWindow_->show();
    shortcutsWindow_->raise();
    shortcutsWindow_->activateWindow();
}

void MainWindow::showAbout() {
    if (!aboutBox_) aboutBox_ = new AboutBox(this);
    aboutBox_->exec();
    focusEditLine();
}

void MainWindow::buildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setSizeGripEnabled(false);
    for (size_t i = 0; i < statusFields_.size(); ++i) {
        auto* panelLabel = new QLabel(bar);
        panelLabel->setObjectName(QString::fromLatin1(StatusFieldNames[i]));
        panelLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panelLabel->setContentsMargins(3, 0, 3, 0);
        const bool last = i + 1 == statusFields_.size();
        // The last field takes the rest of the bar, as on the standard status bar.
        if (last)
            panelLabel->setMinimumWidth(StatusFieldWidths[i]);
        else
            panelLabel->setFixedWidth(StatusFieldWidths[i]);
        bar->addPermanentWidget(panelLabel, last ? 1 : 0);
        statusFields_[i] = panelLabel;
    }
    setStatusBar(bar);
}

// ---------------------------------------------------------------- start-up

void MainWindow::startUp() {
    // Nothing is unsaved; the link starts on the serial port with no
    // transmitter identity.
    store_->markSaved();
    setStatus(StatusField::Link, QStringLiteral("[Serial] Porta COM"));
    connectionSettings_.setTransmitterIdentity({});

    buildPowerMenus();

    // Connection settings in the settings folder (made on the first start), serial link.
    std::string folderError;
    if (!makeSettingsFolder(services_.appDir.toStdString(), folderError))
        prompter_->message(folderError);
    connectionSettingsPath_ = appFile("conn.cfg");
    connectionSettings_.setTransport(Transport::Serial);
    tellConnCfgRead(*prompter_,
                    readConnCfg(connectionSettingsPath_.toStdString(), connectionSettings_));

    // Caps Lock is on while the editor has the focus. The system's keys keep
    // a marker, so that a start after a killed run gives its state back.
    capsLock_ = std::make_unique<CapsLockKeeper>(
        *lockKeys_, *this, ownLockKeys_ ? CapsLockKeeper::defaultMarkerPath() : QString(),
        [this] { refreshLockKeyStatus(); });

    store_->setCurrentPage(0);
    currentFileName_.clear();
    refreshTitle();

    // The function list in the LED font, which draws the degree sign at "§".
    for (const FunctionInfo& function : FunctionTable)
        functionList_->addItem(QString::fromUtf8(function.listText).replace(u'º', u'§'));

    startDefaultLine();

    installRedrawHooks();

    fontPreviews_ = makeFontPreviews(glyphs_, fontList_->width() - 10);
    drawingPictures_ = makeDrawingPictures(glyphs_);
    editCanvasView_->setCanvas(&editCanvas_->canvas());
    refreshLockKeyStatus();

    // The page file in use when the editor last closed.
    const std::string last = readLastFile(appFile("ult_arq.txt").toStdString());
    if (!last.empty() && services_.reopenLastFile) openPageFile(QString::fromStdString(last));

    redrawEditCanvas();
    drawingList_->setCurrentRow(0);
    functionList_->setCurrentRow(0);
    fontList_->setCurrentRow(0);

    // Key preview: the window sees the keys of its controls first.
    qApp->installEventFilter(this);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

// The default first line, edited from its start.
void MainWindow::startDefaultLine() {
    LineStream first = store_->page(0).line(0);
    for (const char* c = DefaultLineText; *c; ++c) first.push_back(uint8_t(*c));
    store_->replaceLine(0, 0, std::move(first));
    setStatus(StatusField::Mode, QStringLiteral("Editando"));

    EditView& view0 = store_->view(0);
    view0.lineIndex = 0;
    view0.cursorByte = 2;
    view0.windowStart = 2;
    store_->setEditLine(0);
}

// Right click on "Visualizar" / "Parar": the panels-on / panels-off menus.
void MainWindow::buildPowerMenus() {
    powerOnMenu_ = new QMenu(this);
    powerOnMenu_->setObjectName(QStringLiteral("powerOnMenu"));
    powerOnMenu_->addAction(QStringLiteral("Ligar todos"));
    powerOnMenu_->addAction(QStringLiteral("Escolher painéis ..."));
    powerOnMenu_->addAction(QStringLiteral("Automático ..."));
    powerOffMenu_ = new QMenu(this);
    powerOffMenu_->setObjectName(QStringLiteral("powerOffMenu"));
    powerOffMenu_->addAction(QStringLiteral("Desligar todos"));
    powerOffMenu_->addAction(QStringLiteral("Desliga alguns painéis ..."));
    powerOffMenu_->addAction(QStringLiteral("Automático ..."));
    for (const auto& pair :
         {std::pair{previewButton_, powerOnMenu_}, {stopButton_, powerOffMenu_}}) {
        // Plain copies: clang 14 does not let a lambda capture structured bindings.
        auto* button = pair.first;
        auto* menu = pair.second;
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(button, &QWidget::customContextMenuRequested, this,
                [button, menu](const QPoint& at) { menu->popup(button->mapToGlobal(at)); });
    }
}

// The store's notifications: the window repaints what they name.
void MainWindow::installRedrawHooks() {
    store_->linesChanged = [this] { redrawEditCanvas(); };
    store_->pageTotalChanged = [this] {
        setStatus(StatusField::Total,
                  QStringLiteral("Total: %1 caracteres").arg(pageByteTotal(store_->page())));
    };
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        // The transmitter is looked for once the event loop runs.
        linkSystem_->start();
        firstShow();
    }
}

void MainWindow::firstShow() {
    focusEditLine();
}

// ---------------------------------------------------------------- the view

// "promo.vpg* — .:: Vorelux Editor 1.0 ::.": the file in use (or "Sem título"),
// a mark while changes are unsaved, then the window's caption.
void MainWindow::refreshTitle() {
    const QString name = currentFileName_.isEmpty() ? QStringLiteral("Sem título")
                                                    : QFileInfo(currentFileName_).fileName();
    const QString title = name + QStringLiteral("[*] \u2014") + WindowCaption;
    if (windowTitle() != title) setWindowTitle(title);
    setWindowModified(store_->isModified());
}

void MainWindow::redrawEditCanvas() {
    // No window event runs in the middle: the rasterizer holds the edit line,
    // which an event could delete. The blink starts again, cursor shown.
    cursorBlinkTimer_->stop();
    editCanvas_->rasterize(*store_);
    showNeighbourLines(store_->view().lineIndex);
    editCanvasView_->update();
    refreshTitle();
    describeEditedLine();
    blinkOn_ = true;
    cursorBlinkTimer_->start();
    // An edit made during the preview (an effect number, a paste) reaches
    // the engine from its next line on.
    if (preview_ && preview_->running()) preview_->updateLines(previewLines());
}

void MainWindow::showNeighbourLines(int32_t lineIndex) {
    const editor::NeighbourView view = editor::neighbourView(*store_, lineIndex);
    {
        const QSignalBlocker block1(entryEffectCombo_), block2(exitEffectCombo_);
        entryEffectCombo_->setCurrentIndex(view.entryEffectIndex);
        exitEffectCombo_->setCurrentIndex(view.exitEffectIndex);
    }
    for (QPlainTextEdit* text : {editLineText_, secondPreviousLineText_, previousLineText_,
                                 nextLineText_, secondNextLineText_})
        text->clear();

    editLineText_->setPlainText(QString::fromStdU16String(view.edit.text));
    QTextCursor caret = editLineText_->textCursor();
    caret.setPosition(std::min(view.editCaret, editLineText_->document()->characterCount() - 1));
    editLineText_->setTextCursor(caret);
    editLineGroup_->setTitle(QString::fromStdString(view.edit.caption));

    auto show = [](QGroupBox* box, QPlainTextEdit* text, const editor::LineBox& line) {
        box->setVisible(line.visible);
        if (!line.visible) return;
        text->setPlainText(QString::fromStdU16String(line.text));
        box->setTitle(QString::fromStdString(line.caption));
    };
    show(nextLineGroup_, nextLineText_, view.next);
    show(secondNextLineGroup_, secondNextLineText_, view.twoAhead);
    show(previousLineGroup_, previousLineText_, view.previous);
    show(secondPreviousLineGroup_, secondPreviousLineText_, view.twoBack);

    setStatus(StatusField::Page, QString::fromStdString(view.statusPage));
    setStatus(StatusField::Line, QString::fromStdString(view.statusLine));
    setStatus(StatusField::Total, QString::fromStdString(view.statusTotal));
}

void MainWindow::refreshLockKeyStatus() {
    setStatus(StatusField::NumLock, lockKeys_->numLock() ? QStringLiteral("NUM") : QString());
    setStatus(StatusField::CapsLock, lockKeys_->capsLock() ? QStringLiteral("CAPS") : QString());
    setStatus(StatusField::ScrollLock, lockKeys_->scrollLock() ? QStringLiteral("SCR") : QString());
}

void MainWindow::blinkCursor() {
    const qint64 now = blinkClock_.elapsed();
    if (now - lastBlinkMs_ <= 300) return;
    EditView& view = store_->view();
    const int k = std::max(0, view.cursorByte - view.windowStart);
    if (k < int(view.columnMap.size())) view.cursorColumn = view.columnMap[size_t(k)];
    blinkOn_ = !blinkOn_;
    if (!previewRunning() && (!editorInput_ || editorInput_->effectEntry().target == 0)) {
        editCanvas_->paintCursor(view.cursorColumn, blinkOn_);
        editCanvasView_->update();
        lastBlinkMs_ = now;
    }
}

// ---------------------------------------------------------------- page files

MainWindow::Proceed MainWindow::askToSaveChanges() {
    if (!store_->isModified()) return Proceed::Go;
    switch (prompter_->ask(Prompt::SaveChanges)) {
    case ButtonYes:
        // The operator asked to keep the changes: go on only once they are saved.
        saveAs();
        return store_->isModified() ? Proceed::Abort : Proceed::Go;
    case ButtonNo:
        return Proceed::Go;
    default:
        return Proceed::Abort;
    }
}

bool MainWindow::save() {
    if (currentFileName_.isEmpty()) {
        const auto chosen = fileDialogs_->savePageFile(this);
        if (!chosen) {
            focusEditLine();
            return false;
        }
        currentFileName_ = QString::fromStdString(withPageFileExtension(chosen->toStdString()));
    }
    const bool saved = writePageFile();
    focusEditLine();
    return saved;
}

bool MainWindow::saveAs() {
    const auto chosen = fileDialogs_->savePageFile(this);
    if (!chosen) return false;
    currentFileName_ = QString::fromStdString(withPageFileExtension(chosen->toStdString()));
    return writePageFile();
}

bool MainWindow::writePageFile() {
    const std::string name = currentFileName_.toStdString();
    std::string error;
    SaveOutcome outcome = savePageFile(*store_, name, 255, error);
    if (outcome == SaveOutcome::ChangedOnDisk) {
        // Another program wrote the file: its content goes only when the operator says so.
        if (prompter_->question(error) != ButtonYes) return false;
        outcome = savePageFile(*store_, name, 255, error, IfChangedOnDisk::Overwrite);
    }
    if (outcome == SaveOutcome::Saved) {
        history_->markSaved();
        refreshTitle();
        return true;
    }
    prompter_->message(error);
    return false;
}

bool MainWindow::openPageFile(const QString& path) {
    std::string error;
    if (!loadPageFile(*store_, path.toStdString(), 255, error)) {
        // Nothing was read: the pages, the file name and the unsaved state stay.
        prompter_->message(error);
        return false;
    }
    // The pages were all replaced: a preview of the old ones ends here.
    stopPreview();
    currentFileName_ = QString::fromStdString(withPageFileExtension(path.toStdString()));
    // Other pages, a fresh history.
    history_->clear();
    store_->markSaved();
    store_->setCurrentPage(0);
    store_->setEditLine(0);
    store_->view(0).cursorByte = 2;
    store_->view(0).windowStart = 2;
    pageTabs_->setCurrentIndex(0);
    redrawEditCanvas();
    return true;
}

bool MainWindow::open() {
    if (askToSaveChanges() == Proceed::Abort) return false;
    bool opened = false;
    if (const auto chosen = fileDialogs_->openPageFile(this)) opened = openPageFile(*chosen);
    focusEditLine();
    return opened;
}

bool MainWindow::openCommandLineFile(const QString& path) {
    if (askToSaveChanges() == Proceed::Abort) return false;
    const bool opened = openPageFile(path);
    focusEditLine();
    return opened;
}

bool MainWindow::clearPage() {
    bool cleared = false;
    if (prompter_->ask(Prompt::ClearPage) == ButtonYes) {
        auto step = history_->record(EditKind::ClearPage);
        store_->clearPage();
        redrawEditCanvas();
        cleared = true;
    }
    focusEditLine();
    return cleared;
}

bool MainWindow::clearAllPages() {
    if (askToSaveChanges() == Proceed::Abort) return false;
    bool cleared = false;
    if (prompter_->ask(Prompt::ClearAllPages) == ButtonYes) {
        stopPreview(); // a preview of the old pages ends here
        {
            auto step = history_->record(EditKind::ClearAllPages);
            store_->setCurrentPage(0);
            store_->resetAllPages();
            for (int p = 0; p < PageCount; ++p) store_->view(p).lineIndex = 0;
            store_->setEditLine(0);
        }
        // Empty pages ask nothing at close; undoing the clear brings back
        // pages worth the question.
        history_->markSaved();
        store_->markSaved();
        pageTabs_->setCurrentIndex(0);
        redrawEditCanvas();
        cleared = true;
    }
    focusEditLine();
    return cleared;
}

bool MainWindow::newDocument() {
    const bool cleared = clearAllPages();
    if (cleared) {
        currentFileName_.clear();
        store_->setFileStamp(std::nullopt);
        history_->clear();
        refreshTitle();
    }
    focusEditLine();
    return cleared;
}

// ---------------------------------------------------------------- closing

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closePhase_ == ClosePhase::Finished) {
        event->accept();
        return;
    }
    event->ignore();
    // A pass that is pausing finishes on its own.
    if (closePhase_ == ClosePhase::FirstPassWait || closePhase_ == ClosePhase::SecondPassWait)
        return;
    runClosePass();
}

void MainWindow::runClosePass() {
    cursorBlinkTimer_->stop();
    stopPreview();
    if (askToSaveChanges() == Proceed::Abort) {
        resumeEditing();
        return;
    }
    hide();
    closeWait_.disconnect();
    if (!closeDelayTimer_->isActive()) {
        // First pass: the close becomes a hide; the second pass follows through the close delay
        // timer.
        closePhase_ = ClosePhase::FirstPassWait;
        connect(&closeWait_, &QTimer::timeout, this, [this] {
            closePhase_ = ClosePhase::Delayed;
            closeDelayTimer_->start();
        });
    } else {
        closePhase_ = ClosePhase::SecondPassWait;
        closeDelayTimer_->stop();
        connect(&closeWait_, &QTimer::timeout, this, &MainWindow::finishClose);
    }
    closeWait_.start(services_.closeWaitMs);
}

void MainWindow::closeAfterDelay() {
    close();
}

void MainWindow::resumeEditing() {
    // Cancel at the save question, in either pass: back to editing.
    closeDelayTimer_->stop();
    closeWait_.stop();
    closePhase_ = ClosePhase::Editing;
    if (isHidden()) show();
    cursorBlinkTimer_->start();
    focusEditLine();
}

void MainWindow::finishClose() {
    if (!writeLastFile(appFile("ult_arq.txt").toStdString(), currentFileName_.toStdString()))
        prompter_->message("Não foi possível gravar \"ult_arq.txt\"; o arquivo de páginas não "
                           "será reaberto na próxima vez. Nenhuma página foi perdida.");
    capsLock_->finish();
    connectionSettings_.setTargetPanels({});
    closePhase_ = ClosePhase::Finished;
    close();
    emit closeFinished();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        // The operator's own Caps Lock setting is left alone at exit.
        if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_CapsLock)
            keepOperatorsCapsLock();
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::KeyRelease && widget && widget->window() == this &&
            !key->isAutoRepeat())
            refreshLockKeyStatus();
    }
    // Key preview: the line editor sees the window's keys and clicks first.
    if (editorInput_ && editorInput_->filter(watched, event)) return true;
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- helpers

QString MainWindow::statusText(StatusField field) const {
    return statusFields_[size_t(field)]->text();
}

void MainWindow::setStatus(StatusField field, const QString& text) {
    statusFields_[size_t(field)]->setText(text);
}

void MainWindow::focusEditLine() {
    if (editLineText_) editLineText_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::startCursorBlink() {
    cursorBlinkTimer_->start();
}

void MainWindow::stopCursorBlink() {
    cursorBlinkTimer_->stop();
}

void MainWindow::eraseCursor() {
    editCanvas_->paintCursor(store_->view().cursorColumn, false);
    editCanvasView_->update();
}

void MainWindow::showLineCaret(int32_t position) {
    QTextCursor caret = editLineText_->textCursor();
    caret.setPosition(std::clamp(position, 0, editLineText_->document()->characterCount() - 1));
    editLineText_->setTextCursor(caret);
}

EditorControls MainWindow::editorControls() {
    EditorControls controls;
    controls.window = this;
    controls.canvasView = editCanvasView_;
    controls.pageTabs = pageTabs_;
    controls.editLineText = editLineText_;
    controls.neighbourFrames = {secondPreviousLineGroup_, previousLineGroup_, nextLineGroup_,
                                secondNextLineGroup_};
    controls.neighbourTexts = {secondPreviousLineText_, previousLineText_, nextLineText_,
                               secondNextLineText_};
    controls.drawingList = drawingList_;
    controls.functionList = functionList_;
    controls.fontList = fontList_;
    controls.lineGround = {linesFrame_, lineTextGroup_, editLineGroup_, canvasPanel_};
    controls.keyboardControls = keyboardOrder();
    return controls;
}

void MainWindow::showPageTab(int page) {
    pageTabs_->setCurrentIndex(page);
}

QString MainWindow::appFile(const char* name) const {
    return QDir(services_.appDir).filePath(QString::fromLatin1(name));
}

} // namespace vorelux::app
