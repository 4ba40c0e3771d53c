#include "app/settings/settings_dialog.h"

#include "app/link/progress_window.h"
#include "app/link/transport_group.h"
#include "files/conn_cfg.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QEventLoop>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace vorelux::app {

namespace {

const char* const WeekdayNames[7] = {"Domingo",      "Segunda-Feira", "Terça-Feira", "Quarta-Feira",
                                     "Quinta-Feira", "Sexta-Feira",   "Sábado"};

// The colours of the on/off time fields: the window colour while they can be
// edited, the inactive-caption colour while they cannot.
const QColor WindowColour(255, 255, 255);
const QColor InactiveCaptionColour(191, 205, 219);

QPushButton* button(const char* name, const QString& text, QWidget* parent = nullptr) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setMinimumWidth(96);
    return b;
}

QPlainTextEdit* memo(const QString& text) {
    auto* m = new QPlainTextEdit(text);
    m->setReadOnly(true);
    m->setFrameShape(QFrame::StyledPanel);
    m->setFocusPolicy(Qt::NoFocus);
    m->setMinimumHeight(96);
    return m;
}

// An explanatory line under the controls.
QLabel* note(const char* text) {
    auto* l = new QLabel(QString::fromUtf8(text));
    l->setWordWrap(true);
    return l;
}

// A row with the "Enviar" button at its right.
QHBoxLayout* sendRow(QPushButton* b) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(b);
    return row;
}

QTimeEdit* timeField(const char* name, const QString& format) {
    auto* t = new QTimeEdit;
    t->setObjectName(QString::fromLatin1(name));
    t->setDisplayFormat(format);
    t->setMinimumWidth(110);
    return t;
}

QDateEdit* dateField(const char* name) {
    auto* d = new QDateEdit;
    d->setObjectName(QString::fromLatin1(name));
    d->setDisplayFormat(QStringLiteral("dd/MM/yy"));
    // The panels keep two digits of the year.
    d->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    d->setCalendarPopup(true);
    d->setMinimumWidth(130);
    return d;
}

// The Windows virtual key of a key press, as far as the panel-number fields
// care: main-keyboard digits, Tab and Enter; 0 for everything else.
int virtualKeyOf(const QKeyEvent* event) {
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return (event->modifiers() & Qt::KeypadModifier) ? 96 + (key - Qt::Key_0) : key;
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) return 9;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return 13;
    if (key == Qt::Key_Backspace) return 8;
    return 0;
}

} // namespace

// ---- EventLoopSleeper -------------------------------------------------------

void EventLoopSleeper::sleep(int milliseconds) {
    if (milliseconds <= 0) return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(milliseconds);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// ---- SideTabBar -------------------------------------------------------------

SideTabBar::SideTabBar(QWidget* parent) : QTabBar(parent) {
    setExpanding(false);
    setUsesScrollButtons(false);
}

QSize SideTabBar::tabSizeHint(int index) const {
    QSize size = QTabBar::tabSizeHint(index);
    size.transpose();
    const QString text = tabText(index).remove(QLatin1Char('&'));
    const int width = fontMetrics().horizontalAdvance(text) + 28;
    return {std::max(width, 200), std::max(size.height(), fontMetrics().height() + 14)};
}

void SideTabBar::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    for (int i = 0; i < count(); ++i) {
        if (!isTabVisible(i)) continue;
        QStyleOptionTab option;
        initStyleOption(&option, i);
        painter.drawControl(QStyle::CE_TabBarTabShape, option);
        // The style writes a side tab's caption upwards; turning the painter
        // a quarter writes it across.
        painter.save();
        QSize size = option.rect.size();
        size.transpose();
        QRect rect(QPoint(), size);
        rect.moveCenter(option.rect.center());
        option.rect = rect;
        const QPoint centre = tabRect(i).center();
        painter.translate(centre);
        painter.rotate(90);
        painter.translate(-centre);
        painter.drawControl(QStyle::CE_TabBarTabLabel, option);
        painter.restore();
    }
}

SideTabWidget::SideTabWidget(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new SideTabBar);
    setTabPosition(QTabWidget::West);
}

// ---- TForm3 -------------------------------------------------------------------

TForm3::TForm3(SettingsLink link, SettingsServices services, QWidget* parent)
    : QDialog(parent), shared_(link), services_(std::move(services)) {
    if (!services_.sleeper) {
        ownSleeper_ = std::make_unique<EventLoopSleeper>();
        services_.sleeper = ownSleeper_.get();
    }
    if (!services_.random) {
        ownRandom_ = std::make_unique<StdRandomRange>();
        services_.random = ownRandom_.get();
    }
    if (!services_.clock) {
        ownClock_ = std::make_unique<SystemClock>();
        services_.clock = ownClock_.get();
    }
    link_ = std::make_unique<PanelLink>(shared_.cfg, shared_.catalog, shared_.port, shared_.kq,
                                        *services_.sleeper, shared_.prompter);
    pageByHour_ = std::make_unique<PageByHourList>(shared_.cfg.pagesByHour);
    pairing_ = std::make_unique<TransmitterPairing>(*link_, *services_.random);

    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(caption() + QStringLiteral(" - Ajustes do painel"));
    setModal(true);
    buildUi();

    Timer1.setInterval(services_.pollIntervalMs);
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    auto* reveal = new QShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_T), this);
    connect(reveal, &QShortcut::activated, this, [this] { revealTemperatures(); });

    shared_.kq.addObserver(this);
    shared_.kq.setConfigurator(this);
}

TForm3::~TForm3() {
    Timer1.stop();
    // The port selector uses our own link, which goes before the child
    // widgets would: take it down first.
    delete transport;
    transport = nullptr;
    shared_.kq.removeObserver(this);
    if (shared_.kq.configurator() == this) shared_.kq.setConfigurator(nullptr);
}

QString TForm3::caption() const {
    return services_.mainCaption ? services_.mainCaption()
                                 : QStringLiteral(" .:: Vorelux Editor 1.0 ::.");
}

LocalDateTime TForm3::now() const {
    return services_.clock->now();
}

std::chrono::steady_clock::time_point TForm3::steadyNow() const {
    return services_.steadyNow ? services_.steadyNow() : std::chrono::steady_clock::now();
}

void TForm3::buildUi() {
    PageControl1 = new SideTabWidget;
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    const std::array<std::pair<QWidget*, QString>, TabCount> tabs{{
        {buildSpeedTab(), QStringLiteral("&Velocidade")},
        {buildBrightnessTab(), QStringLiteral("&Brilho")},
        {buildUprightTab(), QStringLiteral("Em &Pé")},
        {buildClockTab(), QStringLiteral("&Relógio")},
        {buildPageByHourTab(), QStringLiteral("&Página por &hora")},
        {buildPageByWeekdayTab(), QStringLiteral("Página por &dia da &semana")},
        {buildOnOffTab(), QStringLiteral("Horário de &ligar e &desligar")},
        {buildCounterTab(false), QStringLiteral("&Contagem &progressiva")},
        {buildCounterTab(true), QStringLiteral("&Contagem &regressiva")},
        {buildPanelIdTab(), QStringLiteral("&ID do Painel")},
        {buildTransmitterTab(), QStringLiteral("&Configurar painel")},
        {buildTemperatureTab(), QStringLiteral("&Temperatura")},
        {buildResetTab(), QStringLiteral("Reset de Ajustes")},
    }};
    const char* names[TabCount] = {"tsVelocidade", "tsBrilho",   "tsEmPe",       "tsHora",
                                   "TabSheet1",    "TbsPagDia",  "tbsOnOffTime", "tbsProgress",
                                   "tbsRegress",   "tsIDPainel", "tbsCfgPainel", "tsTemp",
                                   "tbsResetCfg"};
    for (int i = 0; i < TabCount; ++i) {
        tabs[i].first->setObjectName(QString::fromLatin1(names[i]));
        PageControl1->addTab(tabs[i].first, tabs[i].second);
    }
    PageControl1->setTabVisible(tbsCfgPainel, shared_.kq.attached());
    PageControl1->setTabVisible(tsTemp, false);
    connect(PageControl1, &QTabWidget::currentChanged, this,
            [this](int index) { PageControl1Change(index); });

    LabelVeja = new QLabel(QString::fromUtf8("Veja no painel as alterações realizadas."));
    LabelVeja->setObjectName(QStringLiteral("LabelVeja"));
    QFont bold = LabelVeja->font();
    bold.setBold(true);
    LabelVeja->setFont(bold);

    auto* left = new QVBoxLayout;
    left->addWidget(PageControl1, 1);
    left->addWidget(LabelVeja);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(buildSide());

    progress = new ProgressWindowDialog(caption(), this);
    setMinimumSize(990, 480);
}

QWidget* TForm3::buildSpeedTab() {
    auto* page = new QWidget;
    JvTracker1 = new QSlider(Qt::Horizontal);
    JvTracker1->setObjectName(QStringLiteral("JvTracker1"));
    JvTracker1->setRange(0, SpeedLastPosition);
    JvTracker1->setValue(DefaultSpeedPosition);
    JvTracker1->setPageStep(10);
    JvTracker1->setTickPosition(QSlider::TicksBelow);
    JvTracker1->setTickInterval(49);
    JvTracker1->setToolTip(QStringLiteral("Ajusta a velocidade das animações do painel"));
    connect(JvTracker1, &QSlider::sliderReleased, this, [this] { JvTracker1Release(); });
    JvTracker1->installEventFilter(this);

    auto* marks = new QHBoxLayout;
    auto mark = [](const QString& text, Qt::Alignment align) {
        auto* l = new QLabel(text);
        l->setAlignment(align);
        return l;
    };
    marks->addWidget(mark(QString::fromUtf8("|\nMínima"), Qt::AlignLeft));
    marks->addWidget(mark(QString::fromUtf8("|\nMédia"), Qt::AlignHCenter));
    marks->addWidget(mark(QString::fromUtf8("|\nMáxima"), Qt::AlignRight));

    auto* box = new QGroupBox(QStringLiteral(" Velocidade das animações "));
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(JvTracker1);
    boxLayout->addLayout(marks);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addWidget(
        note("Arraste o controle e solte-o na velocidade desejada: ela é enviada ao soltar."));
    layout->addStretch(1);
    return page;
}

QWidget* TForm3::buildBrightnessTab() {
    auto* page = new QWidget;
    JvColorTrackBar1 = new QSlider(Qt::Horizontal);
    JvColorTrackBar1->setObjectName(QStringLiteral("JvColorTrackBar1"));
    JvColorTrackBar1->setRange(BrilhoMin, BrilhoMax);
    JvColorTrackBar1->setValue(51);
    JvColorTrackBar1->setPageStep(16);
    JvColorTrackBar1->setToolTip(QStringLiteral("Ajusta o brilho do painel"));
    connect(JvColorTrackBar1, &QSlider::sliderReleased, this,
            [this] { JvColorTrackBar1Release(); });
    JvColorTrackBar1->installEventFilter(this);
    BrilhoValor = new QLabel;
    BrilhoValor->setMinimumWidth(36);
    BrilhoValor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto showValue = [this](int v) { BrilhoValor->setText(QString::number(v)); };
    connect(JvColorTrackBar1, &QSlider::valueChanged, this, showValue);
    showValue(JvColorTrackBar1->value());

    auto* box = new QGroupBox(QStringLiteral(" Brilho "));
    auto* row = new QHBoxLayout(box);
    row->addWidget(new QLabel(QStringLiteral("Menos")));
    row->addWidget(JvColorTrackBar1, 1);
    row->addWidget(new QLabel(QStringLiteral("Mais")));
    row->addWidget(BrilhoValor);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addWidget(
        note("Arraste o controle e solte-o no brilho desejado: ele é enviado ao soltar."));
    layout->addStretch(1);
    return page;
}

QWidget* TForm3::buildUprightTab() {
    auto* page = new QWidget;
    btnHorizontal = button("btnHorizontal", QStringLiteral("Horizontal"));
    btnVertical = button("btnVertical", QStringLiteral("Vertical"));
    for (auto* b : {btnHorizontal, btnVertical}) b->setMinimumSize(140, 48);
    connect(btnHorizontal, &QPushButton::clicked, this, [this] { orientacao(false); });
    connect(btnVertical, &QPushButton::clicked, this, [this] { orientacao(true); });
    auto* box = new QGroupBox(QString::fromUtf8(" Posição do painel "));
    auto* row = new QHBoxLayout(box);
    row->addStretch(1);
    row->addWidget(btnHorizontal);
    row->addSpacing(24);
    row->addWidget(btnVertical);
    row->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addStretch(1);
    return page;
}

QWidget* TForm3::buildClockTab() {
    auto* page = new QWidget;
    JvTimeEdit1 = timeField("JvTimeEdit1", QStringLiteral("HH:mm:ss"));
    JvDateEdit1 = dateField("JvDateEdit1");
    Label6 = new QLabel;
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setMinimumWidth(120);
    CheckBox2 =
        new QCheckBox(QString::fromUtf8("Avisar-me quando entrar/sair do horário de verão"));
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    btnEnviarRelogio = button("btnEnviarRelogio", QStringLiteral("Enviar"));
    connect(JvDateEdit1, &QDateEdit::dateChanged, this, [this] { updateWeekday(); });
    connect(CheckBox2, &QCheckBox::clicked, this, [this] { CheckBox2Click(); });
    connect(btnEnviarRelogio, &QPushButton::clicked, this, [this] { enviarRelogio(); });

    auto* box = new QGroupBox(QString::fromUtf8(" Relógio do painel "));
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("Hora:")), 0, 0);
    grid->addWidget(JvTimeEdit1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Data:")), 1, 0);
    grid->addWidget(JvDateEdit1, 1, 1);
    grid->addWidget(Label6, 1, 2);
    grid->setColumnStretch(3, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addWidget(CheckBox2);
    layout->addStretch(1);
    layout->addLayout(sendRow(btnEnviarRelogio));
    updateWeekday();
    return page;
}

QWidget* TForm3::buildPageByHourTab() {
    auto* page = new QWidget;
    CheckBox3 = new QCheckBox(QStringLiteral(" Ativado"));
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    CheckListBox2 = new QListWidget;
    CheckListBox2->setObjectName(QStringLiteral("CheckListBox2"));
    for (int i = 0; i < PageHourItems; ++i) {
        auto* item = new QListWidgetItem(CheckListBox2);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    CheckListBox2->setMinimumWidth(250);
    Label7 = new QLabel(QString::fromUtf8("Horário da página:"));
    Label7->setObjectName(QStringLiteral("Label7"));
    JvTimeEdit2 = timeField("JvTimeEdit2", QStringLiteral("HH:mm"));
    BitBtn3 = button("BitBtn3", QStringLiteral("Ativar"));
    BitBtn3->setToolTip(QStringLiteral("Ativa a hora de entrrada para selecionada"));
    // "Ativar" lies over the time field: the time is set once the item is active.
    horaStack = new QStackedWidget;
    horaStack->addWidget(JvTimeEdit2);
    horaStack->addWidget(BitBtn3);
    horaStack->setFixedHeight(
        std::max(JvTimeEdit2->sizeHint().height(), BitBtn3->sizeHint().height()));
    btnEnviarPagHora = button("btnEnviarPagHora", QStringLiteral("Enviar"));

    connect(CheckListBox2, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (refreshingList_) return;
        pageByHour_->setChecked(CheckListBox2->row(item), item->checkState() == Qt::Checked);
        refreshPageByHour();
    });
    connect(CheckListBox2, &QListWidget::currentRowChanged, this, [this](int row) {
        if (refreshingList_ || row < 0) return;
        pageByHour_->select(row);
        refreshPageByHour();
    });
    connect(JvTimeEdit2, &QTimeEdit::timeChanged, this, [this](QTime time) {
        if (refreshingList_) return;
        pageByHour_->setTime(time.hour(), time.minute());
        refreshPageByHour();
    });
    connect(BitBtn3, &QPushButton::clicked, this, [this] {
        pageByHour_->ativar();
        refreshPageByHour();
    });
    connect(CheckBox3, &QCheckBox::clicked, this, [this](bool on) {
        pageByHour_->setAtivado(on);
        refreshPageByHour();
    });
    connect(btnEnviarPagHora, &QPushButton::clicked, this, [this] { enviarPagHora(); });
    for (QObject* o : {static_cast<QObject*>(CheckListBox2->viewport()),
                       static_cast<QObject*>(BitBtn3), static_cast<QObject*>(CheckBox3)})
        o->installEventFilter(this);

    auto* right = new QVBoxLayout;
    right->addWidget(Label7);
    right->addWidget(horaStack);
    right->addStretch(1);
    right->addWidget(btnEnviarPagHora, 0, Qt::AlignRight);
    auto* row = new QHBoxLayout;
    row->addWidget(CheckListBox2, 1);
    row->addLayout(right);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(CheckBox3);
    layout->addLayout(row, 1);
    refreshPageByHour();
    return page;
}

QWidget* TForm3::buildPageByWeekdayTab() {
    auto* page = new QWidget;
    btnAtivarPagDia = button("btnAtivarPagDia", QStringLiteral("Ativar"));
    btnDesativarPagDia = button("btnDesativarPagDia", QStringLiteral("Desativar"));
    connect(btnAtivarPagDia, &QPushButton::clicked, this, [this] { pagDia(true); });
    connect(btnDesativarPagDia, &QPushButton::clicked, this, [this] { pagDia(false); });
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(memo(QString::fromUtf8(
        "Com esta opção ativada o painel exibe uma página para cada dia da semana:\n"
        "a página 1 no domingo, a página 2 na segunda-feira, a página 3 na terça-feira, "
        "e assim por diante até a página 7 no sábado.\n\n"
        "Atenção: a página por dia da semana desativa a página por horário.")));
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(btnAtivarPagDia);
    row->addWidget(btnDesativarPagDia);
    layout->addLayout(row);
    layout->addStretch(1);
    return page;
}

QWidget* TForm3::buildOnOffTab() {
    auto* page = new QWidget;
    CheckBox5 = new QCheckBox(QStringLiteral("  Ativar:"));
    CheckBox5->setObjectName(QStringLiteral("CheckBox5"));
    JvTimeEdit3 = timeField("JvTimeEdit3", QStringLiteral("HH:mm"));
    JvTimeEdit4 = timeField("JvTimeEdit4", QStringLiteral("HH:mm"));
    GroupBox7 = new QGroupBox;
    GroupBox7->setObjectName(QStringLiteral("GroupBox7"));
    auto* form = new QFormLayout(GroupBox7);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(QString::fromUtf8("Horário de ligar:"), JvTimeEdit3);
    form->addRow(QString::fromUtf8("Horário de desligar:"), JvTimeEdit4);
    btnEnviarOnOff = button("btnEnviarOnOff", QStringLiteral("Enviar"));
    connect(CheckBox5, &QCheckBox::clicked, this, [this] { CheckBox5Click(); });
    connect(btnEnviarOnOff, &QPushButton::clicked, this, [this] { enviarOnOff(); });
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(CheckBox5);
    layout->addWidget(GroupBox7);
    layout->addStretch(1);
    layout->addLayout(sendRow(btnEnviarOnOff));
    applyOnOffEnabled();
    return page;
}

QWidget* TForm3::buildCounterTab(bool regress) {
    auto* page = new QWidget;
    QDateEdit* date = dateField(regress ? "JvDateEdit3" : "JvDateEdit2");
    date->setDate(QDate::currentDate());
    QPushButton* send =
        button(regress ? "btnEnviarRegress" : "btnEnviarProgress", QStringLiteral("Enviar"));
    (regress ? JvDateEdit3 : JvDateEdit2) = date;
    (regress ? btnEnviarRegress : btnEnviarProgress) = send;
    connect(date, &QDateEdit::dateChanged, this, [this] { updateWeekday(); });
    connect(send, &QPushButton::clicked, this,
            [this, regress] { regress ? enviarRegress() : enviarProgress(); });
    auto* box = new QGroupBox(regress ? QStringLiteral(" Contagem regressiva ")
                                      : QStringLiteral(" Contagem progressiva "));
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(new QLabel(regress
                                        ? QString::fromUtf8("Data de fim da contagem de dias")
                                        : QString::fromUtf8("Data de início da contagem de dias")));
    boxLayout->addWidget(date, 0, Qt::AlignLeft);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addStretch(1);
    layout->addLayout(sendRow(send));
    return page;
}

QWidget* TForm3::buildPanelIdTab() {
    auto* page = new QWidget;
    MaskEdit2 = new QLineEdit;
    MaskEdit2->setObjectName(QStringLiteral("MaskEdit2"));
    MaskEdit1 = new QLineEdit;
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    for (QLineEdit* e : {MaskEdit2, MaskEdit1}) {
        e->setMaxLength(3);
        e->setFixedWidth(80);
        e->setContextMenuPolicy(Qt::NoContextMenu);
        e->installEventFilter(this);
    }
    btnEnviarID = button("btnEnviarID", QStringLiteral("Enviar"));
    connect(btnEnviarID, &QPushButton::clicked, this, [this] { enviarID(); });
    auto* box = new QGroupBox(QStringLiteral(" ID do painel "));
    auto* form = new QFormLayout(box);
    form->addRow(QStringLiteral("ID atual:"), MaskEdit2);
    form->addRow(QStringLiteral("Nova ID:"), MaskEdit1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addWidget(
        note("Digite a ID que o painel tem hoje e a nova ID (de 1 a 255) e clique em Enviar."));
    layout->addStretch(1);
    layout->addLayout(sendRow(btnEnviarID));
    return page;
}

QWidget* TForm3::buildTransmitterTab() {
    auto* page = new QWidget;
    BitBtn10 = button("BitBtn10", QStringLiteral("Configurar Painel"));
    BitBtn10->setToolTip(QString::fromUtf8(
        "Após ter seguido os os passos 1. e 2., clique aqui para configurar o painel"));
    BitBtn10->setMinimumHeight(40);
    connect(BitBtn10, &QPushButton::clicked, this, [this] { BitBtn10Click(); });
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(memo(QString::fromUtf8(
        "1. Mantenha pressionados os dois botões da parte de trás do painel (ou o terceiro "
        "botão do controle remoto) até o painel exibir \"Page CTRL\" e então solte-os.\n"
        "2. Aguarde o painel exibir \"AGUARD.  \".\n"
        "3. Clique em [Configurar Painel].\n\n"
        "Para configurar outros painéis, repita os passos acima em cada um deles.")));
    layout->addWidget(BitBtn10, 0, Qt::AlignRight);
    layout->addStretch(1);
    return page;
}

QWidget* TForm3::buildTemperatureTab() {
    auto* page = new QWidget;
    auto group = [this](const QString& title, QSpinBox*& spin, QPushButton*& send,
                        const char* spinName, const char* sendName, TemperatureSensor sensor) {
        auto* box = new QGroupBox(title);
        spin = new QSpinBox;
        spin->setObjectName(QString::fromLatin1(spinName));
        spin->setRange(TempAjusteMin, TempAjusteMax);
        spin->setMinimumWidth(80);
        send = button(sendName, QStringLiteral("Enviar"));
        connect(send, &QPushButton::clicked, this, [this, sensor] { enviarTemperatura(sensor); });
        auto* row = new QHBoxLayout(box);
        row->addWidget(new QLabel(QStringLiteral("Ajuste:")));
        row->addWidget(spin);
        row->addStretch(1);
        row->addWidget(send);
        return box;
    };
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group(QStringLiteral(" Temperatura interna "), SpinEdit1, btnEnviarTempInt,
                            "SpinEdit1", "btnEnviarTempInt", TemperatureSensor::Interna));
    layout->addWidget(group(QStringLiteral(" Temperatura externa "), SpinEdit2, btnEnviarTempExt,
                            "SpinEdit2", "btnEnviarTempExt", TemperatureSensor::Externa));
    layout->addStretch(1);
    return page;
}

QWidget* TForm3::buildResetTab() {
    auto* page = new QWidget;
    const char* texts[5] = {"Velocidade", "Brilho", "Em pé", "Pág. por Hora/dia",
                            "Horário lig/deslig"};
    auto* box = new QGroupBox;
    auto* grid = new QGridLayout(box);
    for (int i = 0; i < 5; ++i) {
        resetBoxes[i] = new QCheckBox(QString::fromUtf8(texts[i]));
        resetBoxes[i]->setObjectName(QStringLiteral("ResetBox%1").arg(i + 1));
        resetBoxes[i]->setChecked(true);
        grid->addWidget(resetBoxes[i], i % 3, i / 3);
    }
    BitBtn19 = button("BitBtn19", QStringLiteral("Restaurar"));
    BitBtn19->installEventFilter(this);
    // The keyboard reaches it through clicked; a mouse press acts at once.
    connect(BitBtn19, &QPushButton::clicked, this, [this] { BitBtn19MouseDown(); });
    auto* layout = new QVBoxLayout(page);
    auto* text = memo(QString::fromUtf8(
        "Marque os ajustes que deseja voltar aos padrões de fábrica e clique em [Restaurar].\n"
        "Os ajustes marcados são enviados aos painéis selecionados."));
    text->setMaximumHeight(110);
    layout->addWidget(text);
    layout->addWidget(box);
    layout->addLayout(sendRow(BitBtn19));
    layout->addStretch(1);
    return page;
}

QWidget* TForm3::buildSide() {
    auto* side = new QWidget;
    side->setFixedWidth(300);
    GroupBoxTargets = new QGroupBox(QStringLiteral(" Enviar para : "));
    GroupBoxTargets->setObjectName(QStringLiteral("GroupBoxTargets"));
    CheckListBox1 = new QListWidget;
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1->setToolTip(QString::fromUtf8("Selecione quais painéis receberão os ajustes"));
    for (int n = 0; n <= 255; ++n) {
        auto* item = new QListWidgetItem(
            n == 0 ? AllPanelsItem : QStringLiteral("  PAINEL %1").arg(n), CheckListBox1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    connect(CheckListBox1, &QListWidget::itemChanged, this, [this] {
        if (!loadingTargets_) CheckListBox1Click();
    });
    BitBtn8 = button("BitBtn8", QStringLiteral("Exibir IDs"));
    BitBtn8->setToolTip(
        QString::fromUtf8("Todos os painéis configurados no software exibirão suas IDs"));
    connect(BitBtn8, &QPushButton::clicked, this, [this] { BitBtn8Click(); });
    auto* targets = new QVBoxLayout(GroupBoxTargets);
    targets->addWidget(CheckListBox1, 1);
    targets->addWidget(BitBtn8, 0, Qt::AlignRight);

    transport = new TransportGroup(*link_, services_.connCfgPath);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(GroupBoxTargets, 1);
    // The transport box keeps its height when the target group is hidden.
    transport->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    layout->addWidget(transport);
    layout->addStretch(0);
    return side;
}

// ---- opening and closing -------------------------------------------------------

void TForm3::FormCreate() {
    // A transmitter that has not answered its identity yet cannot be used.
    if (shared_.cfg.transport == Transport::Transmitter && shared_.cfg.transmitterIdentity[6] == 0 &&
        shared_.prompter.ask(Prompt::ConfigureTransmitter) == ButtonYes)
        openOnTab(tbsCfgPainel);
    readConnCfg(services_.connCfgPath, shared_.cfg, shared_.prompter);
    auto check =
        checkDaylightSaving(shared_.cfg, now().dst, services_.connCfgPath, shared_.prompter);
    if (check.adjustNow) openOnTab(tsHora);
    if (shared_.kq.kqNaoConfigurado && shared_.prompter.ask(Prompt::ConfigureTransmitter) == ButtonYes) {
        openOnTab(tbsCfgPainel);
        shared_.kq.kqNaoConfigurado = false;
    }
}

void TForm3::OnShow() {
    PageControl1->setTabVisible(tbsCfgPainel, shared_.kq.attached());
    PageControl1->setTabVisible(tsTemp, false);
    // The transport group follows the transmitter itself; a port refresh
    // brings it in line with the link mode.
    CheckListBox2->setCurrentRow(0);
    loadTargetList();
    if (shared_.cfg.transport == Transport::Serial) transport->prepareOnOpen();
}

void TForm3::openOnTab(int tab) {
    if (isVisible()) {
        OnShow();
        if (tab >= 0 && tab < TabCount && PageControl1->isTabVisible(tab))
            PageControl1->setCurrentIndex(tab);
        return;
    }
    setTargetsVisible(true, true);
    OnShow();
    if (tab < 0 || tab >= TabCount || !PageControl1->isTabVisible(tab)) tab = tsVelocidade;
    const bool changes = PageControl1->currentIndex() != tab;
    PageControl1->setCurrentIndex(tab);
    if (!changes) enterTab(tab);
    exec();
}

void TForm3::openTransmitterConfiguration() {
    openOnTab(tbsCfgPainel);
}

void TForm3::done(int result) {
    // A close during a transfer waits for its end: the operator closes again.
    if (sending_ || closing_) return;
    closing_ = true;
    // Every panel resumes its normal display; the result is not reported.
    transfer([this] { link_->ParSend(ParSwitchOn, EveryPanel, 0); });
    QDialog::done(result);
    setTargetsVisible(true, true);
    closing_ = false;
    if (services_.afterClose) services_.afterClose();
}

// ---- tabs -------------------------------------------------------------------

void TForm3::PageControl1Change(int index) {
    enterTab(index);
}

void TForm3::setTargetsVisible(bool group, bool exibirIds) {
    GroupBoxTargets->setVisible(group);
    BitBtn8->setVisible(exibirIds);
}

void TForm3::enterTab(int index) {
    const bool targets = index >= 0 && index <= tbsRegress;
    setTargetsVisible(targets, targets);
    switch (index) {
    case tsHora: {
        const LocalDateTime t = now();
        JvTimeEdit1->setTime(QTime(t.hour, t.minute, t.second));
        JvDateEdit1->setDate(QDate(t.year, t.month, t.day));
        const QSignalBlocker block(CheckBox2);
        CheckBox2->setChecked((shared_.cfg.daylightSaving & 0xF0) != 0);
        break;
    }
    case TbsPagDia:
        setTargetsVisible(true, false);
        break;
    case tbsOnOffTime:
        CheckBox5->setChecked(false);
        applyOnOffEnabled();
        break;
    case tsIDPainel:
        MaskEdit2->setFocus();
        break;
    default:
        break;
    }
}

void TForm3::revealTemperatures() {
    PageControl1->setTabVisible(tsTemp, true);
    PageControl1->setCurrentIndex(tsTemp);
}

void TForm3::transmitterAttached(const std::shared_ptr<HidDevice>&) {
    PageControl1->setTabVisible(tbsCfgPainel, true);
}

void TForm3::transmitterRemoved(const std::shared_ptr<HidDevice>&) {
    PageControl1->setTabVisible(tbsCfgPainel, false);
}

// ---- the target list ---------------------------------------------------------

TargetChecks TForm3::targetChecks() const {
    TargetChecks checks{};
    for (int n = 0; n <= 255; ++n) checks[n] = CheckListBox1->item(n)->checkState() == Qt::Checked;
    return checks;
}

void TForm3::setTargetCaption(int count, bool afterClick) {
    QString text;
    if (CheckListBox1->item(0)->checkState() == Qt::Checked)
        text = QStringLiteral("Enviar para: (Todos)");
    else if (count < 1)
        text = QStringLiteral("Enviar para: (Nenhum painel)");
    else if (count == 1)
        text = afterClick ? QStringLiteral("Enviar para: (apenas 1 painel)")
                          : QStringLiteral("Enviar para: (1 painel)");
    else
        text = QString::fromUtf8("Enviar para: (%1 painéis)").arg(count);
    GroupBoxTargets->setTitle(text);
}

void TForm3::loadTargetList() {
    loadingTargets_ = true;
    for (int n = 0; n <= 255; ++n) CheckListBox1->item(n)->setCheckState(Qt::Unchecked);
    for (uint8_t entry : shared_.cfg.targetPanels)
        CheckListBox1->item(entry)->setCheckState(Qt::Checked);
    loadingTargets_ = false;
    setTargetCaption(static_cast<int>(shared_.cfg.targetPanels.size()), false);
}

void TForm3::CheckListBox1Click() {
    std::vector<uint8_t> checked;
    for (int n = 0; n <= 255; ++n)
        if (CheckListBox1->item(n)->checkState() == Qt::Checked)
            checked.push_back(static_cast<uint8_t>(n));
    shared_.cfg.targetPanels = checked;
    writeConnCfg();
    setTargetCaption(static_cast<int>(checked.size()), true);
}

void TForm3::writeConnCfg() {
    std::string error;
    if (!vorelux::writeConnCfg(services_.connCfgPath, shared_.cfg, error))
        shared_.prompter.message(error);
}

void TForm3::BitBtn8Click() {
    if (services_.openIdDisplay) {
        services_.openIdDisplay();
        return;
    }
    // Every panel shows its number until it is told to resume.
    transfer([this] { link_->resultadoEnvio = link_->ParSend(ParShowIds, EveryPanel, 0); });
    if (link_->resultadoEnvio != SendOk) {
        link_->AnalizaResposta();
    } else {
        QMessageBox box(QMessageBox::Information, caption() + QStringLiteral(" - Exibindo ID"),
                        QStringLiteral("Clique em fechar para parar de exibir ID nos \npaineis."),
                        QMessageBox::NoButton, this);
        box.addButton(QStringLiteral("Fechar"), QMessageBox::AcceptRole);
        box.exec();
    }
    transfer([this] { link_->ParSend(ParSwitchOn, EveryPanel, 0); });
}

// ---- sending -----------------------------------------------------------------

bool TForm3::transfer(const std::function<void()>& body) {
    if (sending_) return false;
    sending_ = true;
    PageControl1->setEnabled(false);
    GroupBoxTargets->setEnabled(false);
    transport->setEnabled(false);
    body();
    PageControl1->setEnabled(true);
    GroupBoxTargets->setEnabled(true);
    transport->setEnabled(true);
    sending_ = false;
    return true;
}

void TForm3::sendToTargets(const ParamSequence& sequence, AfterFailure afterFailure) {
    const TargetChecks targets = targetChecks();
    if (!transfer([&] {
            link_->sendToCheckedPanels(targets, sequenceCommand(*link_, sequence), progress,
                                       afterFailure);
        }))
        return;
    link_->AnalizaResposta();
}

void TForm3::JvTracker1Release() {
    if (auto sequence = speedSequence(JvTracker1->value())) sendToTargets(*sequence);
    if (QWidget* w = focusWidget()) w->clearFocus();
}

void TForm3::JvColorTrackBar1Release() {
    if (auto sequence = brightnessSequence(JvColorTrackBar1->value())) sendToTargets(*sequence);
    if (QWidget* w = focusWidget()) w->clearFocus();
}

void TForm3::orientacao(bool vertical) {
    sendToTargets(orientationSequence(vertical));
}

void TForm3::updateWeekday() {
    // Day of week with Monday = 1 .. Sunday = 7.
    Label6->setText(QString::fromUtf8(WeekdayNames[JvDateEdit1->date().dayOfWeek() % 7]));
}

void TForm3::enviarRelogio() {
    const QTime t = JvTimeEdit1->time();
    const QDate d = JvDateEdit1->date();
    if (auto sequence =
            clockSequence({d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()}))
        sendToTargets(*sequence);
}

void TForm3::CheckBox2Click() {
    shared_.cfg.daylightSaving = avisoVeraoFlags(CheckBox2->isChecked(), now().dst);
    writeConnCfg();
}

void TForm3::refreshPageByHour() {
    refreshingList_ = true;
    const PageByHourList& list = *pageByHour_;
    for (int i = 0; i < PageHourItems; ++i) {
        QListWidgetItem* item = CheckListBox2->item(i);
        item->setText(QString::fromStdString(list.caption(i)));
        item->setCheckState(list.checked(i) ? Qt::Checked : Qt::Unchecked);
    }
    if (CheckListBox2->currentRow() != list.selected())
        CheckListBox2->setCurrentRow(list.selected());
    Label7->setText(QString::fromStdString(list.timeLabel()));
    JvTimeEdit2->setTime(QTime(list.fieldHour(), list.fieldMinute()));
    horaStack->setCurrentWidget(list.ativarVisible() ? static_cast<QWidget*>(BitBtn3)
                                                     : JvTimeEdit2);
    CheckBox3->setChecked(list.ativado());
    refreshingList_ = false;
}

void TForm3::enviarPagHora() {
    const TargetChecks targets = targetChecks();
    const auto pairs = pageByHour_->pairs();
    const bool ativado = CheckBox3->isChecked();
    if (!transfer([&] { sendPageByHour(*link_, targets, pairs, ativado, progress); })) return;
    link_->AnalizaResposta();
}

void TForm3::pagDia(bool ativar) {
    sendToTargets(weekdayScheduleSequence(ativar));
}

void TForm3::applyOnOffEnabled() {
    const bool on = CheckBox5->isChecked();
    GroupBox7->setEnabled(on);
    for (QTimeEdit* field : {JvTimeEdit3, JvTimeEdit4}) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, on ? WindowColour : InactiveCaptionColour);
        palette.setColor(QPalette::Disabled, QPalette::Base,
                         on ? WindowColour : InactiveCaptionColour);
        field->setPalette(palette);
    }
}

void TForm3::CheckBox5Click() {
    if (CheckBox5->isChecked()) shared_.prompter.ask(Prompt::PageByDayExcludesHour);
    applyOnOffEnabled();
}

void TForm3::enviarOnOff() {
    const QTime on = JvTimeEdit3->time();
    const QTime off = JvTimeEdit4->time();
    sendToTargets(
        onOffSequence(CheckBox5->isChecked(), on.hour(), on.minute(), off.hour(), off.minute()));
}

void TForm3::enviarProgress() {
    const QDate d = JvDateEdit2->date();
    sendToTargets(countUpSequence(d.year(), d.month(), d.day()));
}

void TForm3::enviarRegress() {
    const QDate d = JvDateEdit3->date();
    sendToTargets(countDownSequence(d.year(), d.month(), d.day()), AfterFailure::Continue);
}

void TForm3::enviarID() {
    PanelIdOutcome outcome = PanelIdOutcome::NotNumbers;
    if (!transfer([&] {
            outcome = sendNewPanelId(*link_, MaskEdit2->text().toStdString(),
                                     MaskEdit1->text().toStdString());
        }))
        return;
    QLineEdit* field = outcome == PanelIdOutcome::BadNew       ? MaskEdit1
                       : outcome == PanelIdOutcome::BadCurrent ? MaskEdit2
                                                               : nullptr;
    if (field) {
        field->selectAll();
        field->setFocus();
    }
}

void TForm3::BitBtn10Click() {
    if (!transfer([this] { pairing_->configure(steadyNow()); })) return;
    Timer1.start();
}

void TForm3::Timer1Timer() {
    // A tick during another transfer waits for the next one.
    if (sending_) return;
    Timer1.stop();
    bool more = false;
    transfer([&] { more = pairing_->tick(steadyNow()); });
    if (more) Timer1.start();
    link_->AnalizaResposta();
}

void TForm3::enviarTemperatura(TemperatureSensor sensor) {
    QSpinBox* spin = sensor == TemperatureSensor::Interna ? SpinEdit1 : SpinEdit2;
    if (auto sequence = temperatureSequence(sensor, spin->value())) sendToTargets(*sequence);
}

void TForm3::BitBtn19MouseDown() {
    if (sending_) return;
    ResetSelection selection{resetBoxes[0]->isChecked(), resetBoxes[1]->isChecked(),
                             resetBoxes[2]->isChecked(), resetBoxes[3]->isChecked(),
                             resetBoxes[4]->isChecked()};
    if (!selection.any()) {
        shared_.prompter.ask(Prompt::NothingToReset);
        return;
    }
    if (selection.velocidade) {
        JvTracker1->setValue(DefaultSpeedPosition);
        JvTracker1Release();
    }
    if (selection.brilho) {
        JvColorTrackBar1->setValue(DefaultBrilho);
        JvColorTrackBar1Release();
    }
    if (selection.emPe) orientacao(false);
    if (selection.pagHoraDia) {
        // No schedule: every page-by-hour item off, and the panels' schedule
        // mode off (which also ends the page by weekday).
        CheckBox5->setChecked(false);
        applyOnOffEnabled();
        pageByHour_->setAtivado(false);
        refreshPageByHour();
        enviarPagHora();
    }
    if (selection.horarioLigDeslig) {
        CheckBox5->setChecked(false);
        applyOnOffEnabled();
        enviarOnOff();
    }
}

// ---- events ------------------------------------------------------------------

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((watched == MaskEdit1 || watched == MaskEdit2) && type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int vk = virtualKeyOf(key);
        if (!panelIdKeyAccepted(vk)) return true;
        auto* field = static_cast<QLineEdit*>(watched);
        if (vk == 13 && field == MaskEdit1) {
            enviarID();
            return true;
        }
        if (field == MaskEdit2 && (vk == 13 || vk == 9)) {
            field->selectAll();
            return vk == 13;
        }
        return false;
    }
    if ((watched == JvTracker1 || watched == JvColorTrackBar1) && type == QEvent::KeyRelease) {
        // The keyboard moves the bars too; the value goes out when the key is let go.
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat() &&
            (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right ||
             key->key() == Qt::Key_Up || key->key() == Qt::Key_Down ||
             key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown ||
             key->key() == Qt::Key_Home || key->key() == Qt::Key_End)) {
            watched == JvTracker1 ? JvTracker1Release() : JvColorTrackBar1Release();
        }
        return false;
    }
    if (watched == BitBtn19 && BitBtn19 && type == QEvent::MouseButtonPress) {
        BitBtn19MouseDown();
        return true;
    }
    if (CheckListBox2 &&
        (watched == CheckListBox2->viewport() || watched == BitBtn3 || watched == CheckBox3)) {
        if (type == QEvent::MouseButtonPress) {
            anyCheckedAtPress_ = pageByHour_->anyChecked();
        } else if (type == QEvent::MouseButtonRelease) {
            // The click is handled after the release; look once it has been.
            const bool before = anyCheckedAtPress_;
            QTimer::singleShot(0, this, [this, before] {
                if (!before && pageByHour_->anyChecked()) shared_.prompter.ask(Prompt::PageByHourExcludesDay);
            });
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vorelux::app
