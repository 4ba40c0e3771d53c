#include "app/main_window.h"

#include "app/editor_input.h"
#include "app/led_font.h"
#include "app/led_lists.h"
#include "app/preview_host.h"
#include "app/qt_prompter.h"
#include "app/send/send_features.h"
#include "app/settings/install.h"
#include "files/last_file.h"
#include "files/page_file.h"
#include "link/link_system.h"
#include "preview/effect_table.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
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
constexpr int FontItemHeight = 22; // the 9-row preview twice enlarged, with room around it
constexpr std::array<int, 8> StatusPanelWidths = {50, 50, 50, 150, 150, 150, 150, 50};
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
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

DeleteLabel::DeleteLabel(QWidget* parent) : QLabel(QStringLiteral(" X "), parent) {
    setToolTip(QStringLiteral("Exclui a linha"));
    setCursor(Qt::PointingHandCursor);
    setAlignment(Qt::AlignCenter);
    setStyleSheet(QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
}

void DeleteLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

TForm1::TForm1(Services services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)) {
    if (services_.appDir.isEmpty()) services_.appDir = QCoreApplication::applicationDirPath();
    prompter_ = services_.prompter;
    if (!prompter_) {
        ownPrompter_ = std::make_unique<QtPrompter>(
            this, [this] { return windowTitle(); },
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
    store_ = std::make_unique<PageStore>(*prompter_);
    editCanvas_ = std::make_unique<EditCanvas>(glyphs, panel.ScreenBitmap);

    buildUi();
    FormCreate();
    editorInput_ = std::make_unique<EditorInput>(*this);

    // The panel link on the real devices and the sending windows.
    linkSystem_ = std::make_unique<LinkSystem>(CfgComm, *prompter_);
    sendFeatures_ =
        installSendFeatures(*this, SendLink{CfgComm, linkSystem_->catalog(), linkSystem_->port(),
                                            linkSystem_->transmitter(), *prompter_});
    connect(&linkSystem_->watcher(), &TransmitterWatcher::statusTextChanged, this,
            [this](const QString& text) { setStatus(7, text); });
    settings_ =
        installSettingsDialog(SettingsHost{this, BitBtn4, ListBox2, PopupFuncoes, ConnCfgPath,
                                           [this] {
                                               if (!isVisible() && !isClosing()) show();
                                               if (mmEdit) mmEdit->setFocus();
                                           }},
                              SettingsLink{CfgComm, linkSystem_->catalog(), linkSystem_->port(),
                                           linkSystem_->transmitter(), *prompter_},
                              sendFeatures_.get());
    installPreview();
}

TForm1::~TForm1() {
    if (qApp) qApp->removeEventFilter(this);
}

// ---------------------------------------------------------------- layout

void TForm1::buildUi() {
    setObjectName(QStringLiteral("Form1"));
    // The caption the form is designed with; start-up sets it again.
    setWindowTitle(FormCaption);
    setFixedSize(FormWidth, FormHeight);
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

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(500);
    connect(&Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    timerClose.setObjectName(QStringLiteral("timerClose"));
    timerClose.setInterval(services_.closeDelayMs);
    connect(&timerClose, &QTimer::timeout, this, &TForm1::timerCloseTimer);
    closeWait_.setSingleShot(true);
    blinkClock_.start();
}

QWidget* TForm1::buildLineBoxes() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    tsPaginas = new QTabBar(column);
    tsPaginas->setObjectName(QStringLiteral("tsPaginas"));
    tsPaginas->setToolTip(QStringLiteral("Páginas de edição"));
    tsPaginas->setFocusPolicy(Qt::NoFocus);
    tsPaginas->setExpanding(false);
    tsPaginas->setDrawBase(false);
    for (int p = 1; p <= PageCount; ++p) tsPaginas->addTab(QStringLiteral("Página %1").arg(p));
    layout->addWidget(tsPaginas);

    GroupBox1 = new QFrame(column);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    static_cast<QFrame*>(GroupBox1)->setFrameShape(QFrame::StyledPanel);
    auto* boxes = new QVBoxLayout(GroupBox1);
    boxes->setContentsMargins(8, 6, 8, 8);
    boxes->setSpacing(4);

    // A neighbour line: a frame with its caption, the line's text and " X ".
    auto neighbour = [&](const char* boxName, const char* memoName, const char* labelName,
                         QPlainTextEdit*& memo, DeleteLabel*& label) {
        auto* box = new QGroupBox(QString::fromStdString(editor::lineCaption(1)), GroupBox1);
        box->setObjectName(QString::fromLatin1(boxName));
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(6, 2, 6, 4);
        memo = makeLineBox(memoName, box, 1);
        label = new DeleteLabel(box);
        label->setObjectName(QString::fromLatin1(labelName));
        row->addWidget(memo, 1);
        row->addWidget(label, 0, Qt::AlignVCenter);
        // Hidden neighbours keep their place, so the edited line never moves.
        QSizePolicy policy = box->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        box->setSizePolicy(policy);
        boxes->addWidget(box);
        return box;
    };
    gbxPrior2 = neighbour("gbxPrior2", "mmPrior2", "Label4", mmPrior2, Label4);
    gbxPrior1 = neighbour("gbxPrior1", "mmPrior1", "Label5", mmPrior1, Label5);

    GroupBox4 = new QGroupBox(QString::fromStdString(editor::lineCaption(1)), GroupBox1);
    GroupBox4->setObjectName(QStringLiteral("GroupBox4"));
    {
        auto* editLayout = new QVBoxLayout(GroupBox4);
        editLayout->setContentsMargins(6, 4, 6, 6);
        editLayout->setSpacing(4);
        auto* effects = new QHBoxLayout;
        effects->setSpacing(6);
        ComboBox1 = new QComboBox(GroupBox4);
        ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
        ComboBox1->setToolTip(QStringLiteral("Efeitos de entrada"));
        ComboBox2 = new QComboBox(GroupBox4);
        ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
        ComboBox2->setToolTip(QStringLiteral("Efeitos de saída"));
        for (QComboBox* combo : {ComboBox1, ComboBox2}) {
            combo->setFocusPolicy(Qt::NoFocus);
            combo->setMaxVisibleItems(20);
            combo->setMinimumWidth(235);
            for (const auto& effect : preview::EffectTable)
                combo->addItem(QString::fromUtf8(effect.text));
        }
        auto* entryLabel = new QLabel(QStringLiteral("Efeito de entrada:"), GroupBox4);
        auto* exitLabel = new QLabel(QStringLiteral("Efeito de saída:"), GroupBox4);
        Label9 = new DeleteLabel(GroupBox4);
        Label9->setObjectName(QStringLiteral("Label9"));
        effects->addWidget(entryLabel);
        effects->addWidget(ComboBox1);
        effects->addSpacing(18);
        effects->addWidget(exitLabel);
        effects->addWidget(ComboBox2);
        effects->addStretch(1);
        effects->addWidget(Label9);
        editLayout->addLayout(effects);

        pnlTela = new QFrame(GroupBox4);
        pnlTela->setObjectName(QStringLiteral("pnlTela"));
        pnlTela->setAutoFillBackground(true);
        QPalette black = pnlTela->palette();
        black.setColor(QPalette::Window, Qt::black);
        pnlTela->setPalette(black);
        pnlTela->setFixedHeight(CanvasWidget::WidgetHeight + 6);
        auto* screen = new QHBoxLayout(pnlTela);
        screen->setContentsMargins(0, 3, 0, 3);
        imgEdit = new CanvasWidget(pnlTela);
        imgEdit->setObjectName(QStringLiteral("imgEdit"));
        imgEdit->setToolTip(QStringLiteral("Campo de edição da mensagem"));
        // Centred: left = (panel width - image width - 1) div 2.
        screen->addStretch(1);
        screen->addWidget(imgEdit);
        screen->addStretch(1);
        editLayout->addWidget(pnlTela);
    }
    boxes->addWidget(GroupBox4);

    gbxNext1 = neighbour("gbxNext1", "mmNext1", "Label10", mmNext1, Label10);
    gbxNext2 = neighbour("gbxNext2", "mmNext2", "Label11", mmNext2, Label11);
    layout->addWidget(GroupBox1);
    layout->addSpacing(6);

    auto* textRow = new QHBoxLayout;
    textRow->setSpacing(8);
    gbxEditMsg = new QGroupBox(QStringLiteral("  Texto da linha  "), column);
    gbxEditMsg->setObjectName(QStringLiteral("gbxEditMsg"));
    auto* editMsg = new QVBoxLayout(gbxEditMsg);
    editMsg->setContentsMargins(6, 2, 6, 6);
    mmEdit = makeLineBox("mmEdit", gbxEditMsg, 3);
    mmEdit->setToolTip(QStringLiteral("Visualiza todo o texto da linha que está editando "));
    editMsg->addWidget(mmEdit);
    textRow->addWidget(gbxEditMsg, 1);

    // Previous / next line, beside the line's text.
    auto* lineButtons = new QGroupBox(QStringLiteral(" Linha "), column);
    lineButtons->setObjectName(QStringLiteral("GroupBox2"));
    auto* lineLayout = new QVBoxLayout(lineButtons);
    lineLayout->setContentsMargins(6, 2, 6, 6);
    lineLayout->setSpacing(4);
    BitBtn3 = makeButton("BitBtn3", QStringLiteral("Recuar"),
                         QStringLiteral("Vai para a linha anterior"), lineButtons);
    BitBtn5 = makeButton("BitBtn5", QStringLiteral("Avançar"),
                         QStringLiteral("Vai para a próxima linha"), lineButtons);
    for (QPushButton* button : {BitBtn3, BitBtn5}) {
        button->setMinimumWidth(90);
        lineLayout->addWidget(button);
    }
    textRow->addWidget(lineButtons, 0);
    layout->addLayout(textRow);
    layout->addStretch(1);
    return column;
}

QWidget* TForm1::buildLists() {
    auto* column = new QWidget(this);
    column->setFixedWidth(FontListWidth + 22);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    auto* fonts = new QGroupBox(QStringLiteral("Fontes"), column);
    auto* fontsLayout = new QVBoxLayout(fonts);
    fontsLayout->setContentsMargins(8, 4, 8, 8);
    ListBox3 = new QListWidget(fonts);
    ListBox3->setObjectName(QStringLiteral("ListBox3"));
    ListBox3->setToolTip(QStringLiteral("Altera o tipo de fonte"));
    ListBox3->setFixedWidth(FontListWidth);
    ListBox3->setFocusPolicy(Qt::NoFocus);
    ListBox3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox3->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox3->setUniformItemSizes(true);
    ListBox3->setStyleSheet(QStringLiteral("QListWidget { background: black; }"));
    for (int f = 1; f <= 4; ++f) ListBox3->addItem(QStringLiteral("Fonte %1").arg(f));
    ListBox3->setItemDelegate(new FontListDelegate(FontPreviews, FontItemHeight, ListBox3));
    ListBox3->setFixedHeight(4 * FontItemHeight + 2 * ListBox3->frameWidth());
    fontsLayout->addWidget(ListBox3);
    layout->addWidget(fonts);

    auto* functions = new QGroupBox(QStringLiteral("  Funções  "), column);
    auto* functionsLayout = new QVBoxLayout(functions);
    functionsLayout->setContentsMargins(8, 4, 8, 8);
    ListBox2 = new QListWidget(functions);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    ListBox2->setToolTip(QStringLiteral("Insere funcões na mensagem"));
    ListBox2->setFocusPolicy(Qt::NoFocus);
    ListBox2->setFont(ledFont());
    ListBox2->setStyleSheet(
        QStringLiteral("QListWidget { background: black; color: white; }"
                       "QListWidget::item:selected { background: palette(highlight); }"));
    ListBox2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox2->setFixedHeight(7 * QFontMetrics(ledFont()).lineSpacing() + 4);
    PopupFuncoes = new QMenu(ListBox2);
    PopupFuncoes->setObjectName(QStringLiteral("PopupMenu1"));
    PopupFuncoes->addAction(QStringLiteral("Ajustar"))->setObjectName(QStringLiteral("Ajustar1"));
    functionsLayout->addWidget(ListBox2);
    layout->addWidget(functions);

    auto* drawings = new QGroupBox(QStringLiteral("Desenhos"), column);
    auto* drawingsLayout = new QVBoxLayout(drawings);
    drawingsLayout->setContentsMargins(8, 4, 8, 8);
    ListBox1 = new QListWidget(drawings);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setToolTip(QStringLiteral("Insere desenhos na mensagem"));
    ListBox1->setFocusPolicy(Qt::NoFocus);
    ListBox1->setStyleSheet(QStringLiteral("QListWidget { background: black; }"));
    ListBox1->setUniformItemSizes(true);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Drawing 9 is not offered in the list.
    for (int i = 0; i < DrawingCount; ++i)
        if (i != 9) ListBox1->addItem(QString::number(i));
    ListBox1->setItemDelegate(new DrawingListDelegate(DrawingPictures, ListBox1));
    drawingsLayout->addWidget(ListBox1);
    layout->addWidget(drawings, 1);
    return column;
}

QWidget* TForm1::buildButtons() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    const int height = 46;

    // "Visualizar" and "Parar" share one place; "Parar" shows while a preview plays.
    auto* previewPlace = new QWidget(row);
    auto* stack = new QGridLayout(previewPlace);
    stack->setContentsMargins(0, 0, 0, 0);
    SpeedButton1 = makeButton("SpeedButton1", QStringLiteral("Visualizar"),
                              QStringLiteral("Inicia a visualização da mensagem"), previewPlace);
    SpeedButton2 =
        makeButton("SpeedButton2", QStringLiteral("Parar"),
                   QStringLiteral("Interrompe a visualização da mensagem"), previewPlace);
    stack->addWidget(SpeedButton1, 0, 0);
    stack->addWidget(SpeedButton2, 0, 0);
    SpeedButton2->hide();
    layout->addWidget(previewPlace);

    bbtnNovo = makeButton("bbtnNovo", QStringLiteral("Limpar\npágina"),
                          QStringLiteral("Limpa a página em edição"), row);
    BitBtn1 = makeButton("BitBtn1", QStringLiteral("Limpar\ntudo"),
                         QStringLiteral("Limpa todas as páginas"), row);
    bbtnAbrir = makeButton("bbtnAbrir", QStringLiteral("Abrir"),
                           QStringLiteral("Abre um arquivo de páginas"), row);
    bbtnSalvar = makeButton("bbtnSalvar", QStringLiteral("Salvar"),
                            QStringLiteral("Salva as páginas no arquivo"), row);
    BitBtn6 = makeButton("BitBtn6", QStringLiteral("Novo"),
                         QStringLiteral("Começa um novo arquivo de páginas"), row);
    BitBtn2 = makeButton("BitBtn2", QStringLiteral("Enviar"),
                         QStringLiteral("Envia as páginas para o painel"), row);
    BitBtn4 = makeButton("BitBtn4", QStringLiteral("Ajustes"),
                         QStringLiteral("Ajusta e configura o painel"), row);
    for (QPushButton* b : {SpeedButton1, SpeedButton2, bbtnNovo, BitBtn1, bbtnAbrir, bbtnSalvar,
                           BitBtn6, BitBtn2, BitBtn4}) {
        b->setFixedHeight(height);
        b->setMinimumWidth(86);
    }
    layout->addWidget(bbtnNovo);
    layout->addWidget(BitBtn1);
    layout->addSpacing(10);
    layout->addWidget(bbtnAbrir);
    layout->addWidget(bbtnSalvar);
    layout->addWidget(BitBtn6);
    layout->addSpacing(10);
    layout->addWidget(BitBtn2);
    layout->addWidget(BitBtn4);
    layout->addStretch(1);

    auto group = [&](const QString& title, QPushButton* a, QPushButton* b) {
        auto* box = new QGroupBox(title, row);
        auto* inner = new QHBoxLayout(box);
        inner->setContentsMargins(6, 0, 6, 4);
        inner->setSpacing(4);
        for (QPushButton* button : {a, b}) {
            button->setParent(box);
            button->setFixedHeight(28);
            button->setMinimumWidth(80);
            inner->addWidget(button);
        }
        box->setFixedHeight(height + 4);
        layout->addWidget(box, 0, Qt::AlignBottom);
    };
    JvSpeedButton1 =
        makeButton("JvSpeedButton1", QStringLiteral("Ligar"), QStringLiteral("Liga o painel"), row);
    JvSpeedButton2 = makeButton("JvSpeedButton2", QStringLiteral("Desligar"),
                                QStringLiteral("Desliga o painel"), row);
    group(QStringLiteral(" Ligar / Desligar "), JvSpeedButton1, JvSpeedButton2);
    return row;
}

void TForm1::buildMenus() {
    QMenu* arquivo = menuBar()->addMenu(QStringLiteral("Arquivo"));
    arquivo->setObjectName(QStringLiteral("Arquivo1"));
    Abrie1 = arquivo->addAction(QStringLiteral("Abrir..."));
    Abrie1->setObjectName(QStringLiteral("Abrie1"));
    Salva1 = arquivo->addAction(QStringLiteral("Salvar"));
    Salva1->setObjectName(QStringLiteral("Salva1"));
    Salarcomo1 = arquivo->addAction(QStringLiteral("Salvar como..."));
    Salarcomo1->setObjectName(QStringLiteral("Salarcomo1"));
    arquivo->addSeparator();
    Sair1 = arquivo->addAction(QStringLiteral("Sair"));
    Sair1->setObjectName(QStringLiteral("Sair1"));

    QMenu* editar = menuBar()->addMenu(QStringLiteral("Editar"));
    editar->setObjectName(QStringLiteral("Editar1"));
    editar->setToolTipsVisible(true);
    Colar1 = editar->addAction(QStringLiteral("Colar Texto..."));
    Colar1->setObjectName(QStringLiteral("Porta"));
    Colar1->setToolTip(QStringLiteral("Cola o texto da área de transferência"));
    Colar1->setStatusTip(Colar1->toolTip());

    Visualizar1 = menuBar()->addAction(QStringLiteral("Visualizar"));
    Visualizar1->setObjectName(QStringLiteral("Visualizar1"));
    Enviar1 = menuBar()->addAction(QStringLiteral("Enviar"));
    Enviar1->setObjectName(QStringLiteral("Enviar1"));

    connect(Abrie1, &QAction::triggered, this, [this] { bbtnAbrirClick(); });
    connect(Salva1, &QAction::triggered, this, [this] { bbtnSalvarClick(); });
    connect(Salarcomo1, &QAction::triggered, this, [this] { Salarcomo1Click(); });
    connect(Sair1, &QAction::triggered, this, [this] { close(); });
    connect(bbtnAbrir, &QPushButton::clicked, this, [this] { bbtnAbrirClick(); });
    connect(bbtnSalvar, &QPushButton::clicked, this, [this] { bbtnSalvarClick(); });
    connect(bbtnNovo, &QPushButton::clicked, this, [this] { bbtnNovoClick(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn6, &QPushButton::clicked, this, [this] { BitBtn6Click(); });
}

void TForm1::buildStatusBar() {
    stBar = new QStatusBar(this);
    stBar->setObjectName(QStringLiteral("stBar"));
    stBar->setSizeGripEnabled(false);
    for (size_t i = 0; i < stPanels.size(); ++i) {
        auto* panelLabel = new QLabel(stBar);
        panelLabel->setObjectName(QStringLiteral("stPanel%1").arg(i));
        panelLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panelLabel->setContentsMargins(3, 0, 3, 0);
        const bool last = i + 1 == stPanels.size();
        // The last panel takes the rest of the bar, as on the standard status bar.
        if (last)
            panelLabel->setMinimumWidth(StatusPanelWidths[i]);
        else
            panelLabel->setFixedWidth(StatusPanelWidths[i]);
        stBar->addPermanentWidget(panelLabel, last ? 1 : 0);
        stPanels[i] = panelLabel;
    }
    setStatusBar(stBar);
}

// ---------------------------------------------------------------- start-up

void TForm1::FormCreate() {
    // Nothing is unsaved; the link starts on the serial port with no
    // transmitter identity.
    store_->markSaved();
    setStatus(7, QStringLiteral("[Serial] Porta COM"));
    CfgComm.transmitterIdentity.fill(0);

    // Right click on "Visualizar" / "Parar": the panels-on / panels-off menus.
    PopupLigar = new QMenu(this);
    PopupLigar->setObjectName(QStringLiteral("PopupLigar"));
    PopupLigar->addAction(QStringLiteral("Ligar todos"));
    PopupLigar->addAction(QStringLiteral("Escolher painéis ..."));
    PopupLigar->addAction(QStringLiteral("Automático ..."));
    PopupDesligar = new QMenu(this);
    PopupDesligar->setObjectName(QStringLiteral("PopupDesligar"));
    PopupDesligar->addAction(QStringLiteral("Desligar todos"));
    PopupDesligar->addAction(QStringLiteral("Desliga alguns painéis ..."));
    PopupDesligar->addAction(QStringLiteral("Automático ..."));
    for (auto [button, menu] :
         {std::pair{SpeedButton1, PopupLigar}, {SpeedButton2, PopupDesligar}}) {
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(button, &QWidget::customContextMenuRequested, this,
                [button, menu](const QPoint& at) { menu->popup(button->mapToGlobal(at)); });
    }

    // Connection settings next to the executable, serial link.
    ConnCfgPath = appFile("conn.cfg");
    CfgComm.transport = Transport::Serial;
    readConnCfg(ConnCfgPath.toStdString(), CfgComm, *prompter_);

    // Caps Lock stays on while the editor runs.
    SavedCapsLock = lockKeys_->capsLock();
    RestoreCapsLock = true;
    lockKeys_->setCapsLock(true);

    setWindowTitle(FormCaption);

    store_->setCurrentPage(0);
    CurrentFileName.clear();
    joinArmed = true;

    // The function list in the LED font, which draws the degree sign at "§".
    for (const FunctionInfo& function : FunctionTable)
        ListBox2->addItem(QString::fromUtf8(function.listText).replace(u'º', u'§'));

    // The default first line.
    LineStream& first = store_->pages()[0].lines[0];
    for (const char* c = DefaultLineText; *c; ++c) first.push_back(uint8_t(*c));
    setStatus(6, QStringLiteral("Editando"));

    Page& page0 = store_->pages()[0];
    page0.lineIndex = 0;
    page0.cursorByte = 2;
    page0.windowStart = 2;
    store_->setEditLine(0);

    // The window's part of every redraw.
    store_->redraw = [this] { geraTela(); };
    store_->pageTotalChanged = [this] {
        setStatus(5, QStringLiteral("Total: %1 caracteres").arg(pageByteTotal(store_->page())));
    };
    store_->pumpMessages = [] { QCoreApplication::processEvents(); };
    // The redraw lets no window events run in its middle: it holds the edit
    // line, which an event could delete. It takes well under a millisecond.
    auto& hooks = editCanvas_->hooks;
    hooks.stopBlink = [this] { Timer1.stop(); };
    hooks.startBlink = [this] {
        blinkOn_ = true;
        Timer1.start();
    };
    hooks.AtualizaDemaisLinhas = [this](int32_t index) { AtualizaDemaisLinhas(index); };
    hooks.canvasChanged = [this] { imgEdit->update(); };

    FontPreviews = makeFontPreviews(glyphs, ListBox3->width() - 10);
    DrawingPictures = makeDrawingPictures(glyphs);
    imgEdit->setCanvas(&editCanvas_->canvas());
    drawingCycle = -1;
    consultaLock();

    // The page file in use when the editor last closed.
    const std::string last = readLastFile(appFile("ult_arq.txt").toStdString());
    if (!last.empty()) openPageFile(QString::fromStdString(last));

    geraTela();
    ListBox1->setCurrentRow(0);
    ListBox2->setCurrentRow(0);
    ListBox3->setCurrentRow(0);

    // Key preview: the window sees the keys of its controls first.
    qApp->installEventFilter(this);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        // The transmitter is looked for once the event loop runs.
        linkSystem_->start();
        FormShow();
    }
}

void TForm1::FormShow() {
    focusEdit();
}

// ---------------------------------------------------------------- the view

void TForm1::geraTela() {
    editCanvas_->geraTela(*store_);
    // An edit made during the preview (an effect number, a paste) reaches
    // the engine from its next line on.
    if (preview_ && preview_->running()) preview_->updateLines(previewLines());
}

void TForm1::AtualizaDemaisLinhas(int32_t index_linha) {
    const editor::NeighbourView view = editor::neighbourView(*store_, index_linha);
    {
        const QSignalBlocker block1(ComboBox1), block2(ComboBox2);
        ComboBox1->setCurrentIndex(view.entryEffectIndex);
        ComboBox2->setCurrentIndex(view.exitEffectIndex);
    }
    for (QPlainTextEdit* memo : {mmEdit, mmPrior2, mmPrior1, mmNext1, mmNext2}) memo->clear();

    mmEdit->setPlainText(QString::fromStdU16String(view.edit.text));
    QTextCursor caret = mmEdit->textCursor();
    caret.setPosition(std::min(view.editCaret, mmEdit->document()->characterCount() - 1));
    mmEdit->setTextCursor(caret);
    GroupBox4->setTitle(QString::fromStdString(view.edit.caption));

    auto show = [](QGroupBox* box, QPlainTextEdit* memo, const editor::LineBox& line) {
        box->setVisible(line.visible);
        if (!line.visible) return;
        memo->setPlainText(QString::fromStdU16String(line.text));
        box->setTitle(QString::fromStdString(line.caption));
    };
    show(gbxNext1, mmNext1, view.next1);
    show(gbxNext2, mmNext2, view.next2);
    show(gbxPrior1, mmPrior1, view.prior1);
    show(gbxPrior2, mmPrior2, view.prior2);

    setStatus(3, QString::fromStdString(view.statusPage));
    setStatus(4, QString::fromStdString(view.statusLine));
    setStatus(5, QString::fromStdString(view.statusTotal));
}

void TForm1::consultaLock() {
    setStatus(0, lockKeys_->numLock() ? QStringLiteral("NUM") : QString());
    setStatus(1, lockKeys_->capsLock() ? QStringLiteral("CAPS") : QString());
    setStatus(2, lockKeys_->scrollLock() ? QStringLiteral("SCR") : QString());
}

void TForm1::Timer1Timer() {
    const qint64 now = blinkClock_.elapsed();
    if (now - lastBlinkMs_ <= 300) return;
    Page& cfg = store_->page();
    const int k = std::max(0, cfg.cursorByte - cfg.windowStart);
    if (k < int(cfg.columnMap.size())) cfg.cursorColumn = cfg.columnMap[size_t(k)];
    blinkOn_ = !blinkOn_;
    if (!previewRunning() && EffectDigits.target == 0) {
        editCanvas_->paintCursor(cfg.cursorColumn, blinkOn_);
        imgEdit->update();
        lastBlinkMs_ = now;
    }
}

// ---------------------------------------------------------------- page files

TForm1::Proceed TForm1::check_alteracoes() {
    if (!store_->isModified()) return Proceed::Go;
    switch (prompter_->ask(Prompt::SaveChanges)) {
    case ButtonYes:
        // The operator asked to keep the changes: go on only once they are saved.
        Salarcomo1Click();
        return store_->isModified() ? Proceed::Abort : Proceed::Go;
    case ButtonNo:
        return Proceed::Go;
    default:
        return Proceed::Abort;
    }
}

bool TForm1::bbtnSalvarClick() {
    if (CurrentFileName.isEmpty()) {
        const auto chosen = fileDialogs_->savePageFile(this);
        if (!chosen) {
            focusEdit();
            return false;
        }
        CurrentFileName = QString::fromStdString(withPageFileExtension(chosen->toStdString()));
    }
    std::string error;
    const bool saved = savePageFile(*store_, CurrentFileName.toStdString(), 255, error);
    if (!saved) prompter_->message(error);
    focusEdit();
    return saved;
}

bool TForm1::Salarcomo1Click() {
    const auto chosen = fileDialogs_->savePageFile(this);
    if (!chosen) return false;
    CurrentFileName = QString::fromStdString(withPageFileExtension(chosen->toStdString()));
    std::string error;
    const bool saved = savePageFile(*store_, CurrentFileName.toStdString(), 255, error);
    if (!saved) prompter_->message(error);
    return saved;
}

bool TForm1::openPageFile(const QString& path) {
    std::string error;
    if (!loadPageFile(*store_, path.toStdString(), 255, error)) {
        // Nothing was read: the pages, the file name and the unsaved state stay.
        prompter_->message(error);
        return false;
    }
    // The pages were all replaced: a preview of the old ones ends here.
    if (stopview) stopview(true);
    CurrentFileName = QString::fromStdString(withPageFileExtension(path.toStdString()));
    store_->markSaved();
    store_->setCurrentPage(0);
    store_->setEditLine(0);
    store_->pages()[0].cursorByte = 2;
    store_->pages()[0].windowStart = 2;
    tsPaginas->setCurrentIndex(0);
    geraTela();
    return true;
}

bool TForm1::bbtnAbrirClick() {
    if (check_alteracoes() == Proceed::Abort) return false;
    bool opened = false;
    if (const auto chosen = fileDialogs_->openPageFile(this)) opened = openPageFile(*chosen);
    focusEdit();
    return opened;
}

bool TForm1::bbtnNovoClick() {
    bool cleared = false;
    if (prompter_->ask(Prompt::ClearPage) == ButtonYes) {
        store_->clearPage();
        geraTela();
        cleared = true;
    }
    focusEdit();
    return cleared;
}

bool TForm1::BitBtn1Click() {
    if (check_alteracoes() == Proceed::Abort) return false;
    bool cleared = false;
    if (prompter_->ask(Prompt::ClearAllPages) == ButtonYes) {
        if (stopview) stopview(true); // a preview of the old pages ends here
        store_->setCurrentPage(0);
        store_->resetAllPages();
        for (Page& cfg : store_->pages()) cfg.lineIndex = 0;
        tsPaginas->setCurrentIndex(0);
        store_->markSaved();
        store_->setEditLine(0);
        geraTela();
        cleared = true;
    }
    focusEdit();
    return cleared;
}

bool TForm1::BitBtn6Click() {
    const bool cleared = BitBtn1Click();
    if (cleared) CurrentFileName.clear();
    focusEdit();
    return cleared;
}

// ---------------------------------------------------------------- closing

void TForm1::closeEvent(QCloseEvent* event) {
    if (closePhase_ == ClosePhase::Finished) {
        event->accept();
        return;
    }
    event->ignore();
    // A pass that is pausing finishes on its own.
    if (closePhase_ == ClosePhase::FirstPassWait || closePhase_ == ClosePhase::SecondPassWait)
        return;
    FormClose();
}

void TForm1::FormClose() {
    Timer1.stop();
    if (stopview) stopview(true);
    if (check_alteracoes() == Proceed::Abort) {
        resumeEditing();
        return;
    }
    hide();
    closeWait_.disconnect();
    if (!timerClose.isActive()) {
        // First pass: the close becomes a hide; the second pass follows through timerClose.
        closePhase_ = ClosePhase::FirstPassWait;
        connect(&closeWait_, &QTimer::timeout, this, [this] {
            closePhase_ = ClosePhase::Delayed;
            timerClose.start();
        });
    } else {
        closePhase_ = ClosePhase::SecondPassWait;
        timerClose.stop();
        connect(&closeWait_, &QTimer::timeout, this, &TForm1::finishClose);
    }
    closeWait_.start(services_.closeWaitMs);
}

void TForm1::timerCloseTimer() {
    close();
}

void TForm1::resumeEditing() {
    // Cancel at the save question, in either pass: back to editing.
    timerClose.stop();
    closeWait_.stop();
    closePhase_ = ClosePhase::Editing;
    if (isHidden()) show();
    Timer1.start();
    focusEdit();
}

void TForm1::finishClose() {
    if (!writeLastFile(appFile("ult_arq.txt").toStdString(), CurrentFileName.toStdString()))
        prompter_->message("Não foi possível gravar \"ult_arq.txt\"; o arquivo de páginas não "
                           "será reaberto na próxima vez. Nenhuma página foi perdida.");
    if (RestoreCapsLock) lockKeys_->setCapsLock(SavedCapsLock);
    CfgComm.targetPanels.clear();
    closePhase_ = ClosePhase::Finished;
    close();
    emit closeFinished();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        // The operator's own Caps Lock setting is left alone at exit.
        if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_CapsLock)
            RestoreCapsLock = false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::KeyRelease && widget && widget->window() == this &&
            !key->isAutoRepeat())
            consultaLock();
    }
    // Key preview: the line editor sees the window's keys and clicks first.
    if (editorInput_ && editorInput_->filter(watched, event)) return true;
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- helpers

QString TForm1::statusText(int panelIndex) const {
    if (panelIndex < 0 || panelIndex >= int(stPanels.size())) return {};
    return stPanels[size_t(panelIndex)]->text();
}

void TForm1::setStatus(int panelIndex, const QString& text) {
    if (panelIndex >= 0 && panelIndex < int(stPanels.size()))
        stPanels[size_t(panelIndex)]->setText(text);
}

void TForm1::focusEdit() {
    if (mmEdit) mmEdit->setFocus(Qt::OtherFocusReason);
}

QString TForm1::appFile(const char* name) const {
    return QDir(services_.appDir).filePath(QString::fromLatin1(name));
}

} // namespace vorelux::app
