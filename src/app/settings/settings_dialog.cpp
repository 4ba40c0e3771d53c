#include "app/settings/settings_dialog.h"

#include "app/link/progress_window.h"
#include "app/link/transfer_runner.h"
#include "app/link/transport_group.h"
#include "files/conn_cfg.h"

#include <QCheckBox>
#include <QDateEdit>
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
#include <QPointer>
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

QPlainTextEdit* readOnlyText(const QString& text) {
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

// ---- PanelSettingsDialog -------------------------------------------------------------------

PanelSettingsDialog::PanelSettingsDialog(SettingsLink link, SettingsServices services,
                                         QWidget* parent)
    : QDialog(parent), devices_(link), services_(std::move(services)),
      runner_(std::make_unique<TransferRunner>()) {
    if (!services_.sleeper) {
        // The pauses are slept on the worker, never on this thread.
        ownSleeper_ = std::make_unique<ThreadSleeper>();
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
    link_ =
        std::make_unique<OperatorLink>(devices_.cfg, devices_.catalog, devices_.port,
                                       devices_.transmitter, *services_.sleeper, devices_.prompter);
    pageByHour_ = std::make_unique<PageByHourList>(devices_.cfg.pagesByHour);
    pairing_ = std::make_unique<TransmitterPairing>(*link_, *services_.random);

    setObjectName(QStringLiteral("panelSettingsDialog"));
    setWindowTitle(caption() + QStringLiteral(" - Ajustes do painel"));
    setModal(true);
    buildUi();

    configurationPollTimer_.setInterval(services_.pollIntervalMs);
    connect(&configurationPollTimer_, &QTimer::timeout, this, [this] { pollConfiguration(); });

    auto* reveal = new QShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_T), this);
    connect(reveal, &QShortcut::activated, this, [this] { revealTemperatures(); });

    devices_.transmitter.addObserver(this);
    devices_.transmitter.setConfigurator(this);
}

PanelSettingsDialog::~PanelSettingsDialog() {
    // A run stops first, while the port, the link and the progress window it
    // uses are still there; its results are not shown.
    runner_.reset();
    configurationPollTimer_.stop();
    // The port selector uses our own link, which goes before the child
    // widgets would: take it down first.
    delete transportGroup_;
    transportGroup_ = nullptr;
    devices_.transmitter.removeObserver(this);
    if (devices_.transmitter.configurator() == this) devices_.transmitter.setConfigurator(nullptr);
}

QString PanelSettingsDialog::caption() const {
    return services_.mainCaption ? services_.mainCaption()
                                 : QStringLiteral(" .:: Vorelux Editor 1.0 ::.");
}

LocalDateTime PanelSettingsDialog::now() const {
    return services_.clock->now();
}

std::chrono::steady_clock::time_point PanelSettingsDialog::steadyNow() const {
    return services_.steadyNow ? services_.steadyNow() : std::chrono::steady_clock::now();
}

void PanelSettingsDialog::buildUi() {
    tabs_ = new SideTabWidget;
    tabs_->setObjectName(QStringLiteral("tabs"));
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
    const char* names[TabCount] = {
        "speedTab",         "brightnessTab",  "uprightTab", "clockTab",     "pageByHourTab",
        "pageByWeekdayTab", "onOffTab",       "countUpTab", "countDownTab", "panelIdTab",
        "transmitterTab",   "temperatureTab", "resetTab"};
    for (int i = 0; i < TabCount; ++i) {
        tabs[i].first->setObjectName(QString::fromLatin1(names[i]));
        tabs_->addTab(tabs[i].first, tabs[i].second);
    }
    tabs_->setTabVisible(TransmitterTab, devices_.transmitter.attached());
    tabs_->setTabVisible(TemperatureTab, false);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) { enterTab(index); });

    seeOnPanelLabel_ = new QLabel(QString::fromUtf8("Veja no painel as alterações realizadas."));
    seeOnPanelLabel_->setObjectName(QStringLiteral("seeOnPanelLabel"));
    QFont bold = seeOnPanelLabel_->font();
    bold.setBold(true);
    seeOnPanelLabel_->setFont(bold);

    auto* left = new QVBoxLayout;
    left->addWidget(tabs_, 1);
    left->addWidget(seeOnPanelLabel_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(buildSide());

    progressWindow_ = new ProgressWindowDialog(caption(), this);
    setMinimumSize(990, 480);
}

QWidget* PanelSettingsDialog::buildSpeedTab() {
    auto* page = new QWidget;
    speedSlider_ = new QSlider(Qt::Horizontal);
    speedSlider_->setObjectName(QStringLiteral("speedSlider"));
    speedSlider_->setRange(0, SpeedLastPosition);
    speedSlider_->setValue(DefaultSpeedPosition);
    speedSlider_->setPageStep(10);
    speedSlider_->setTickPosition(QSlider::TicksBelow);
    speedSlider_->setTickInterval(49);
    speedSlider_->setToolTip(QStringLiteral("Ajusta a velocidade das animações do painel"));
    connect(speedSlider_, &QSlider::sliderReleased, this, [this] { sendSpeed(); });
    speedSlider_->installEventFilter(this);

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
    boxLayout->addWidget(speedSlider_);
    boxLayout->addLayout(marks);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addWidget(
        note("Arraste o controle e solte-o na velocidade desejada: ela é enviada ao soltar."));
    layout->addStretch(1);
    return page;
}

QWidget* PanelSettingsDialog::buildBrightnessTab() {
    auto* page = new QWidget;
    brightnessSlider_ = new QSlider(Qt::Horizontal);
    brightnessSlider_->setObjectName(QStringLiteral("brightnessSlider"));
    brightnessSlider_->setRange(BrightnessMin, BrightnessMax);
    brightnessSlider_->setValue(51);
    brightnessSlider_->setPageStep(16);
    brightnessSlider_->setToolTip(QStringLiteral("Ajusta o brilho do painel"));
    connect(brightnessSlider_, &QSlider::sliderReleased, this, [this] { sendBrightness(); });
    brightnessSlider_->installEventFilter(this);
    brightnessValueLabel_ = new QLabel;
    brightnessValueLabel_->setObjectName(QStringLiteral("brightnessValueLabel"));
    brightnessValueLabel_->setMinimumWidth(36);
    brightnessValueLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto showValue = [this](int v) { brightnessValueLabel_->setText(QString::number(v)); };
    connect(brightnessSlider_, &QSlider::valueChanged, this, showValue);
    showValue(brightnessSlider_->value());

    auto* box = new QGroupBox(QStringLiteral(" Brilho "));
    auto* row = new QHBoxLayout(box);
    row->addWidget(new QLabel(QStringLiteral("Menos")));
    row->addWidget(brightnessSlider_, 1);
    row->addWidget(new QLabel(QStringLiteral("Mais")));
    row->addWidget(brightnessValueLabel_);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addWidget(
        note("Arraste o controle e solte-o no brilho desejado: ele é enviado ao soltar."));
    layout->addStretch(1);
    return page;
}

QWidget* PanelSettingsDialog::buildUprightTab() {
    auto* page = new QWidget;
    horizontalButton_ = button("horizontalButton", QStringLiteral("Horizontal"));
    verticalButton_ = button("verticalButton", QStringLiteral("Vertical"));
    for (auto* b : {horizontalButton_, verticalButton_}) b->setMinimumSize(140, 48);
    connect(horizontalButton_, &QPushButton::clicked, this, [this] { sendOrientation(false); });
    connect(verticalButton_, &QPushButton::clicked, this, [this] { sendOrientation(true); });
    auto* box = new QGroupBox(QString::fromUtf8(" Posição do painel "));
    auto* row = new QHBoxLayout(box);
    row->addStretch(1);
    row->addWidget(horizontalButton_);
    row->addSpacing(24);
    row->addWidget(verticalButton_);
    row->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addStretch(1);
    return page;
}

QWidget* PanelSettingsDialog::buildClockTab() {
    auto* page = new QWidget;
    clockTimeEdit_ = timeField("clockTimeEdit", QStringLiteral("HH:mm:ss"));
    clockDateEdit_ = dateField("clockDateEdit");
    weekdayLabel_ = new QLabel;
    weekdayLabel_->setObjectName(QStringLiteral("weekdayLabel"));
    weekdayLabel_->setMinimumWidth(120);
    daylightSavingWarningCheck_ =
        new QCheckBox(QString::fromUtf8("Avisar-me quando entrar/sair do horário de verão"));
    daylightSavingWarningCheck_->setObjectName(QStringLiteral("daylightSavingWarningCheck"));
    sendClockButton_ = button("sendClockButton", QStringLiteral("Enviar"));
    connect(clockDateEdit_, &QDateEdit::dateChanged, this, [this] { updateWeekday(); });
    connect(daylightSavingWarningCheck_, &QCheckBox::clicked, this,
            [this] { saveDaylightSavingWarning(); });
    connect(sendClockButton_, &QPushButton::clicked, this, [this] { sendClock(); });

    auto* box = new QGroupBox(QString::fromUtf8(" Relógio do painel "));
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("Hora:")), 0, 0);
    grid->addWidget(clockTimeEdit_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Data:")), 1, 0);
    grid->addWidget(clockDateEdit_, 1, 1);
    grid->addWidget(weekdayLabel_, 1, 2);
    grid->setColumnStretch(3, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addWidget(daylightSavingWarningCheck_);
    layout->addStretch(1);
    layout->addLayout(sendRow(sendClockButton_));
    updateWeekday();
    return page;
}

QWidget* PanelSettingsDialog::buildPageByHourTab() {
    auto* page = new QWidget;
    pageByHourEnabledCheck_ = new QCheckBox(QStringLiteral(" Ativado"));
    pageByHourEnabledCheck_->setObjectName(QStringLiteral("pageByHourEnabledCheck"));
    pageByHourList_ = new QListWidget;
    pageByHourList_->setObjectName(QStringLiteral("pageByHourList"));
    for (int i = 0; i < PageHourItems; ++i) {
        auto* item = new QListWidgetItem(pageByHourList_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    pageByHourList_->setMinimumWidth(250);
    pageTimeLabel_ = new QLabel(QString::fromUtf8("Horário da página:"));
    pageTimeLabel_->setObjectName(QStringLiteral("pageTimeLabel"));
    pageTimeEdit_ = timeField("pageTimeEdit", QStringLiteral("HH:mm"));
    activatePageTimeButton_ = button("activatePageTimeButton", QStringLiteral("Ativar"));
    activatePageTimeButton_->setToolTip(
        QStringLiteral("Ativa a hora de entrrada para selecionada"));
    // "Ativar" lies over the time field: the time is set once the item is active.
    pageTimeStack_ = new QStackedWidget;
    pageTimeStack_->setObjectName(QStringLiteral("pageTimeStack"));
    pageTimeStack_->addWidget(pageTimeEdit_);
    pageTimeStack_->addWidget(activatePageTimeButton_);
    pageTimeStack_->setFixedHeight(
        std::max(pageTimeEdit_->sizeHint().height(), activatePageTimeButton_->sizeHint().height()));
    sendPageByHourButton_ = button("sendPageByHourButton", QStringLiteral("Enviar"));

    connectPageByHourTab();

    auto* right = new QVBoxLayout;
    right->addWidget(pageTimeLabel_);
    right->addWidget(pageTimeStack_);
    right->addStretch(1);
    right->addWidget(sendPageByHourButton_, 0, Qt::AlignRight);
    auto* row = new QHBoxLayout;
    row->addWidget(pageByHourList_, 1);
    row->addLayout(right);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(pageByHourEnabledCheck_);
    layout->addLayout(row, 1);
    refreshPageByHour();
    return page;
}

// Every change on the page-by-hour tab goes to the list model, and the tab
// shows the model again; clicks there are watched for the weekday warning.
void PanelSettingsDialog::connectPageByHourTab() {
    connect(pageByHourList_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (refreshingPageByHour_) return;
        pageByHour_->setChecked(pageByHourList_->row(item), item->checkState() == Qt::Checked);
        refreshPageByHour();
    });
    connect(pageByHourList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (refreshingPageByHour_ || row < 0) return;
        pageByHour_->select(row);
        refreshPageByHour();
    });
    connect(pageTimeEdit_, &QTimeEdit::timeChanged, this, [this](QTime time) {
        if (refreshingPageByHour_) return;
        pageByHour_->setTime(time.hour(), time.minute());
        refreshPageByHour();
    });
    connect(activatePageTimeButton_, &QPushButton::clicked, this, [this] {
        pageByHour_->activateSelected();
        refreshPageByHour();
    });
    connect(pageByHourEnabledCheck_, &QCheckBox::clicked, this, [this](bool on) {
        pageByHour_->setEnabled(on);
        refreshPageByHour();
    });
    connect(sendPageByHourButton_, &QPushButton::clicked, this, [this] { sendPageByHour(); });
    for (QObject* o : {static_cast<QObject*>(pageByHourList_->viewport()),
                       static_cast<QObject*>(activatePageTimeButton_),
                       static_cast<QObject*>(pageByHourEnabledCheck_)})
        o->installEventFilter(this);
}

QWidget* PanelSettingsDialog::buildPageByWeekdayTab() {
    auto* page = new QWidget;
    enableWeekdayPagesButton_ = button("enableWeekdayPagesButton", QStringLiteral("Ativar"));
    disableWeekdayPagesButton_ = button("disableWeekdayPagesButton", QStringLiteral("Desativar"));
    connect(enableWeekdayPagesButton_, &QPushButton::clicked, this,
            [this] { sendPageByWeekday(true); });
    connect(disableWeekdayPagesButton_, &QPushButton::clicked, this,
            [this] { sendPageByWeekday(false); });
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(readOnlyText(QString::fromUtf8(
        "Com esta opção ativada o painel exibe uma página para cada dia da semana:\n"
        "a página 1 no domingo, a página 2 na segunda-feira, a página 3 na terça-feira, "
        "e assim por diante até a página 7 no sábado.\n\n"
        "Atenção: a página por dia da semana desativa a página por horário.")));
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(enableWeekdayPagesButton_);
    row->addWidget(disableWeekdayPagesButton_);
    layout->addLayout(row);
    layout->addStretch(1);
    return page;
}

QWidget* PanelSettingsDialog::buildOnOffTab() {
    auto* page = new QWidget;
    onOffEnabledCheck_ = new QCheckBox(QStringLiteral("  Ativar:"));
    onOffEnabledCheck_->setObjectName(QStringLiteral("onOffEnabledCheck"));
    switchOnTimeEdit_ = timeField("switchOnTimeEdit", QStringLiteral("HH:mm"));
    switchOffTimeEdit_ = timeField("switchOffTimeEdit", QStringLiteral("HH:mm"));
    onOffTimesBox_ = new QGroupBox;
    onOffTimesBox_->setObjectName(QStringLiteral("onOffTimesBox"));
    auto* form = new QFormLayout(onOffTimesBox_);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(QString::fromUtf8("Horário de ligar:"), switchOnTimeEdit_);
    form->addRow(QString::fromUtf8("Horário de desligar:"), switchOffTimeEdit_);
    sendOnOffButton_ = button("sendOnOffButton", QStringLiteral("Enviar"));
    connect(onOffEnabledCheck_, &QCheckBox::clicked, this, [this] { confirmOnOffChoice(); });
    connect(sendOnOffButton_, &QPushButton::clicked, this, [this] { sendOnOff(); });
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(onOffEnabledCheck_);
    layout->addWidget(onOffTimesBox_);
    layout->addStretch(1);
    layout->addLayout(sendRow(sendOnOffButton_));
    applyOnOffEnabled();
    return page;
}

QWidget* PanelSettingsDialog::buildCounterTab(bool regress) {
    auto* page = new QWidget;
    QDateEdit* date = dateField(regress ? "countDownDateEdit" : "countUpDateEdit");
    date->setDate(QDate::currentDate());
    QPushButton* send =
        button(regress ? "sendCountDownButton" : "sendCountUpButton", QStringLiteral("Enviar"));
    (regress ? countDownDateEdit_ : countUpDateEdit_) = date;
    (regress ? sendCountDownButton_ : sendCountUpButton_) = send;
    connect(date, &QDateEdit::dateChanged, this, [this] { updateWeekday(); });
    connect(send, &QPushButton::clicked, this,
            [this, regress] { regress ? sendCountDown() : sendCountUp(); });
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

QWidget* PanelSettingsDialog::buildPanelIdTab() {
    auto* page = new QWidget;
    currentIdEdit_ = new QLineEdit;
    currentIdEdit_->setObjectName(QStringLiteral("currentIdEdit"));
    newIdEdit_ = new QLineEdit;
    newIdEdit_->setObjectName(QStringLiteral("newIdEdit"));
    for (QLineEdit* e : {currentIdEdit_, newIdEdit_}) {
        e->setMaxLength(3);
        e->setFixedWidth(80);
        e->setContextMenuPolicy(Qt::NoContextMenu);
        e->installEventFilter(this);
    }
    sendIdButton_ = button("sendIdButton", QStringLiteral("Enviar"));
    connect(sendIdButton_, &QPushButton::clicked, this, [this] { sendPanelId(); });
    auto* box = new QGroupBox(QStringLiteral(" ID do painel "));
    auto* form = new QFormLayout(box);
    form->addRow(QStringLiteral("ID atual:"), currentIdEdit_);
    form->addRow(QStringLiteral("Nova ID:"), newIdEdit_);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addWidget(
        note("Digite a ID que o painel tem hoje e a nova ID (de 1 a 255) e clique em Enviar."));
    layout->addStretch(1);
    layout->addLayout(sendRow(sendIdButton_));
    return page;
}

QWidget* PanelSettingsDialog::buildTransmitterTab() {
    auto* page = new QWidget;
    configurePanelButton_ = button("configurePanelButton", QStringLiteral("Configurar Painel"));
    configurePanelButton_->setToolTip(QString::fromUtf8(
        "Após ter seguido os os passos 1. e 2., clique aqui para configurar o painel"));
    configurePanelButton_->setMinimumHeight(40);
    connect(configurePanelButton_, &QPushButton::clicked, this, [this] { configurePanel(); });
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(readOnlyText(QString::fromUtf8(
        "1. Mantenha pressionados os dois botões da parte de trás do painel (ou o terceiro "
        "botão do controle remoto) até o painel exibir \"CFG CTRL\" e então solte-os.\n"
        "2. Aguarde o painel exibir \"AGUARD.  \".\n"
        "3. Clique em [Configurar Painel].\n\n"
        "Para configurar outros painéis, repita os passos acima em cada um deles.")));
    layout->addWidget(configurePanelButton_, 0, Qt::AlignRight);
    layout->addStretch(1);
    return page;
}

QWidget* PanelSettingsDialog::buildTemperatureTab() {
    auto* page = new QWidget;
    auto group = [this](const QString& title, QSpinBox*& spin, QPushButton*& send,
                        const char* spinName, const char* sendName, TemperatureSensor sensor) {
        auto* box = new QGroupBox(title);
        spin = new QSpinBox;
        spin->setObjectName(QString::fromLatin1(spinName));
        spin->setRange(TemperatureAdjustMin, TemperatureAdjustMax);
        spin->setMinimumWidth(80);
        send = button(sendName, QStringLiteral("Enviar"));
        connect(send, &QPushButton::clicked, this, [this, sensor] { sendTemperature(sensor); });
        auto* row = new QHBoxLayout(box);
        row->addWidget(new QLabel(QStringLiteral("Ajuste:")));
        row->addWidget(spin);
        row->addStretch(1);
        row->addWidget(send);
        return box;
    };
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group(QStringLiteral(" Temperatura interna "), indoorTemperatureSpin_,
                            sendIndoorTemperatureButton_, "indoorTemperatureSpin",
                            "sendIndoorTemperatureButton", TemperatureSensor::Indoor));
    layout->addWidget(group(QStringLiteral(" Temperatura externa "), outdoorTemperatureSpin_,
                            sendOutdoorTemperatureButton_, "outdoorTemperatureSpin",
                            "sendOutdoorTemperatureButton", TemperatureSensor::Outdoor));
    layout->addStretch(1);
    return page;
}

QWidget* PanelSettingsDialog::buildResetTab() {
    auto* page = new QWidget;
    const char* texts[5] = {"Velocidade", "Brilho", "Em pé", "Pág. por Hora/dia",
                            "Horário lig/deslig"};
    const char* names[5] = {"resetSpeedCheck", "resetBrightnessCheck", "resetUprightCheck",
                            "resetPageScheduleCheck", "resetOnOffCheck"};
    auto* box = new QGroupBox;
    auto* grid = new QGridLayout(box);
    for (int i = 0; i < 5; ++i) {
        resetChecks_[i] = new QCheckBox(QString::fromUtf8(texts[i]));
        resetChecks_[i]->setObjectName(QString::fromLatin1(names[i]));
        resetChecks_[i]->setChecked(true);
        grid->addWidget(resetChecks_[i], i % 3, i / 3);
    }
    restoreButton_ = button("restoreButton", QStringLiteral("Restaurar"));
    restoreButton_->installEventFilter(this);
    // The keyboard reaches it through clicked; a mouse press acts at once.
    connect(restoreButton_, &QPushButton::clicked, this, [this] { restoreFactorySettings(); });
    auto* layout = new QVBoxLayout(page);
    auto* text = readOnlyText(QString::fromUtf8(
        "Marque os ajustes que deseja voltar aos padrões de fábrica e clique em [Restaurar].\n"
        "Os ajustes marcados são enviados aos painéis selecionados."));
    text->setMaximumHeight(110);
    layout->addWidget(text);
    layout->addWidget(box);
    layout->addLayout(sendRow(restoreButton_));
    layout->addStretch(1);
    return page;
}

QWidget* PanelSettingsDialog::buildSide() {
    auto* side = new QWidget;
    side->setFixedWidth(300);
    targetGroup_ = new QGroupBox(QStringLiteral(" Enviar para : "));
    targetGroup_->setObjectName(QStringLiteral("targetGroup"));
    targetPanelList_ = new QListWidget;
    targetPanelList_->setObjectName(QStringLiteral("targetPanelList"));
    targetPanelList_->setToolTip(QString::fromUtf8("Selecione quais painéis receberão os ajustes"));
    for (int n = 0; n <= 255; ++n) {
        auto* item = new QListWidgetItem(
            n == 0 ? AllPanelsItem : QStringLiteral("  PAINEL %1").arg(n), targetPanelList_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    connect(targetPanelList_, &QListWidget::itemChanged, this, [this] {
        if (!loadingTargets_) saveTargetPanels();
    });
    showIdsButton_ = button("showIdsButton", QStringLiteral("Exibir IDs"));
    showIdsButton_->setToolTip(
        QString::fromUtf8("Todos os painéis configurados no software exibirão suas IDs"));
    connect(showIdsButton_, &QPushButton::clicked, this, [this] { showPanelIds(); });
    auto* targets = new QVBoxLayout(targetGroup_);
    targets->addWidget(targetPanelList_, 1);
    targets->addWidget(showIdsButton_, 0, Qt::AlignRight);

    transportGroup_ = new TransportGroup(*link_, services_.connCfgPath);
    transportGroup_->setObjectName(QStringLiteral("transportGroup"));
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(targetGroup_, 1);
    // The transport box keeps its height when the target group is hidden.
    transportGroup_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    layout->addWidget(transportGroup_);
    layout->addStretch(0);
    return side;
}

// ---- opening and closing -------------------------------------------------------

void PanelSettingsDialog::runStartUpChecks() {
    // A transmitter that has not answered its identity yet cannot be used.
    if (devices_.cfg.transport == Transport::Transmitter &&
        devices_.cfg.transmitterIdentity[6] == 0 &&
        devices_.prompter.ask(Prompt::ConfigureTransmitter) == ButtonYes)
        openOnTab(TransmitterTab);
    // A file the main window already refused (with its message) stays refused.
    if (fileTrustProblem(services_.connCfgPath).empty())
        tellConnCfgRead(devices_.prompter, readConnCfg(services_.connCfgPath, devices_.cfg));
    const auto check = checkDaylightSaving(devices_.cfg, now().dst, services_.connCfgPath);
    if (askDaylightSavingAdjust(devices_.prompter, check)) openOnTab(ClockTab);
    if (devices_.transmitter.transmitterNotConfigured &&
        devices_.prompter.ask(Prompt::ConfigureTransmitter) == ButtonYes) {
        openOnTab(TransmitterTab);
        devices_.transmitter.transmitterNotConfigured = false;
    }
}

void PanelSettingsDialog::prepareToShow() {
    tabs_->setTabVisible(TransmitterTab, devices_.transmitter.attached());
    tabs_->setTabVisible(TemperatureTab, false);
    // The transport group follows the transmitter itself; a port refresh
    // brings it in line with the link mode.
    pageByHourList_->setCurrentRow(0);
    loadTargetList();
    if (devices_.cfg.transport == Transport::Serial) transportGroup_->prepareOnOpen();
}

void PanelSettingsDialog::openOnTab(int tab) {
    if (isVisible()) {
        prepareToShow();
        if (tab >= 0 && tab < TabCount && tabs_->isTabVisible(tab)) tabs_->setCurrentIndex(tab);
        return;
    }
    setTargetsVisible(true, true);
    prepareToShow();
    if (tab < 0 || tab >= TabCount || !tabs_->isTabVisible(tab)) tab = SpeedTab;
    const bool changes = tabs_->currentIndex() != tab;
    tabs_->setCurrentIndex(tab);
    if (!changes) enterTab(tab);
    exec();
}

bool PanelSettingsDialog::confirmConfiguration() {
    return devices_.prompter.ask(Prompt::ConfigureTransmitter) == ButtonYes;
}

void PanelSettingsDialog::openTransmitterConfiguration() {
    openOnTab(TransmitterTab);
}

void PanelSettingsDialog::done(int result) {
    if (closing_) {
        // Reopened while the resume command of the last close goes out: that
        // command serves this close too.
        QDialog::done(result);
        return;
    }
    if (isSending()) {
        // The run stops at its next parameter; the dialog closes once it has ended.
        runner_->cancel();
        closeAfterRun_ = true;
        closeResult_ = result;
        return;
    }
    closing_ = true;
    // Every panel resumes its normal display; the result is not reported. The
    // dialog goes at once, the main window comes back once the command has
    // gone out.
    startRun([](Run& run) { run.link.sendParameter(ParSwitchOn, EveryPanel, 0); },
             [this] {
                 closing_ = false;
                 if (services_.afterClose) services_.afterClose();
             });
    QDialog::done(result);
    setTargetsVisible(true, true);
}

// ---- tabs -------------------------------------------------------------------

void PanelSettingsDialog::setTargetsVisible(bool group, bool showIds) {
    targetGroup_->setVisible(group);
    showIdsButton_->setVisible(showIds);
}

void PanelSettingsDialog::enterTab(int index) {
    const bool targets = index >= 0 && index <= CountDownTab;
    setTargetsVisible(targets, targets);
    switch (index) {
    case ClockTab: {
        const LocalDateTime t = now();
        clockTimeEdit_->setTime(QTime(t.hour, t.minute, t.second));
        clockDateEdit_->setDate(QDate(t.year, t.month, t.day));
        const QSignalBlocker block(daylightSavingWarningCheck_);
        daylightSavingWarningCheck_->setChecked((devices_.cfg.daylightSaving & 0xF0) != 0);
        break;
    }
    case PageByWeekdayTab:
        setTargetsVisible(true, false);
        break;
    case OnOffTab:
        onOffEnabledCheck_->setChecked(false);
        applyOnOffEnabled();
        break;
    case PanelIdTab:
        currentIdEdit_->setFocus();
        break;
    default:
        break;
    }
}

void PanelSettingsDialog::revealTemperatures() {
    tabs_->setTabVisible(TemperatureTab, true);
    tabs_->setCurrentIndex(TemperatureTab);
}

void PanelSettingsDialog::transmitterAttached(const std::shared_ptr<HidDevice>&) {
    tabs_->setTabVisible(TransmitterTab, true);
}

void PanelSettingsDialog::transmitterRemoved(const std::shared_ptr<HidDevice>&) {
    tabs_->setTabVisible(TransmitterTab, false);
}

// ---- the target list ---------------------------------------------------------

TargetChecks PanelSettingsDialog::targetChecks() const {
    TargetChecks checks{};
    for (int n = 0; n <= 255; ++n)
        checks[n] = targetPanelList_->item(n)->checkState() == Qt::Checked;
    return checks;
}

void PanelSettingsDialog::setTargetCaption(int count, bool afterClick) {
    QString text;
    if (targetPanelList_->item(0)->checkState() == Qt::Checked)
        text = QStringLiteral("Enviar para: (Todos)");
    else if (count < 1)
        text = QStringLiteral("Enviar para: (Nenhum painel)");
    else if (count == 1)
        text = afterClick ? QStringLiteral("Enviar para: (apenas 1 painel)")
                          : QStringLiteral("Enviar para: (1 painel)");
    else
        text = QString::fromUtf8("Enviar para: (%1 painéis)").arg(count);
    targetGroup_->setTitle(text);
}

void PanelSettingsDialog::loadTargetList() {
    loadingTargets_ = true;
    for (int n = 0; n <= 255; ++n) targetPanelList_->item(n)->setCheckState(Qt::Unchecked);
    for (uint8_t entry : devices_.cfg.targetPanels)
        targetPanelList_->item(entry)->setCheckState(Qt::Checked);
    loadingTargets_ = false;
    setTargetCaption(static_cast<int>(devices_.cfg.targetPanels.size()), false);
}

void PanelSettingsDialog::saveTargetPanels() {
    std::vector<uint8_t> checked;
    for (int n = 0; n <= 255; ++n)
        if (targetPanelList_->item(n)->checkState() == Qt::Checked)
            checked.push_back(static_cast<uint8_t>(n));
    devices_.cfg.targetPanels = checked;
    writeConnCfg(ConnCfgTargets);
    setTargetCaption(static_cast<int>(checked.size()), true);
}

void PanelSettingsDialog::writeConnCfg(unsigned fields) {
    std::string error;
    if (!vorelux::writeConnCfg(services_.connCfgPath, devices_.cfg, fields, error))
        devices_.prompter.message(error);
}

void PanelSettingsDialog::showPanelIds() {
    if (services_.openIdDisplay) {
        services_.openIdDisplay();
        return;
    }
    // Every panel shows its number until it is told to resume.
    startRun(
        [](Run& run) {
            run.link.lastSendResult = run.link.sendParameter(ParShowIds, EveryPanel, 0);
        },
        [this] {
            if (link_->lastSendResult != SendOk) {
                link_->reportSendResult();
            } else {
                QMessageBox box(
                    QMessageBox::Information, caption() + QStringLiteral(" - Exibindo ID"),
                    QStringLiteral("Clique em fechar para parar de exibir ID nos \npaineis."),
                    QMessageBox::NoButton, this);
                box.addButton(QStringLiteral("Fechar"), QMessageBox::AcceptRole);
                box.exec();
            }
            startRun([](Run& run) { run.link.sendParameter(ParSwitchOn, EveryPanel, 0); }, {});
        });
}

// ---- sending -----------------------------------------------------------------

bool PanelSettingsDialog::isSending() const {
    return runner_->running();
}

void PanelSettingsDialog::setRunning(bool running) {
    tabs_->setEnabled(!running);
    targetGroup_->setEnabled(!running);
    transportGroup_->setEnabled(!running);
}

bool PanelSettingsDialog::startRun(RunWork work, std::function<void()> after) {
    if (isSending()) return false;
    setRunning(true);
    pollRunning_ = false;
    // The worker's link takes the connection settings as they are now.
    auto worker = std::make_shared<WorkerLink>(*link_, *runner_);
    TransferRunner* runner = runner_.get();
    ProgressWindow* window = progressWindow_;
    runner_->start(
        [worker, runner, window, work = std::move(work)] {
            WorkerProgress progress(window, *runner);
            Run run{worker->link(), &progress, [runner] { return !runner->cancelled(); }};
            work(run);
        },
        [this, worker, after = std::move(after)] {
            worker->returnResults(*link_);
            runEnded(after);
        });
    return true;
}

void PanelSettingsDialog::runEnded(const std::function<void()>& after) {
    setRunning(false);
    // A run cut short by a close shows nothing: the operator has left.
    const QPointer<PanelSettingsDialog> alive(this);
    if (after && !closeAfterRun_) after();
    if (!alive) return; // the dialog went while a result was on show
    emit runFinished();
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        done(closeResult_);
    }
}

PanelSettingsDialog::RunWork PanelSettingsDialog::targetsWork(const ParamSequence& sequence,
                                                              AfterFailure afterFailure) const {
    return [targets = targetChecks(), sequence, afterFailure](Run& run) {
        run.link.sendToCheckedPanels(targets, sequenceCommand(run.link, sequence, run.keepSending),
                                     run.progress, afterFailure);
    };
}

void PanelSettingsDialog::runAndReport(RunWork work) {
    startRun(std::move(work), [this] { link_->reportSendResult(); });
}

void PanelSettingsDialog::sendToTargets(const ParamSequence& sequence, AfterFailure afterFailure) {
    runAndReport(targetsWork(sequence, afterFailure));
}

void PanelSettingsDialog::sendSpeed() {
    if (auto sequence = speedSequence(speedSlider_->value())) sendToTargets(*sequence);
    if (QWidget* w = focusWidget()) w->clearFocus();
}

void PanelSettingsDialog::sendBrightness() {
    if (auto sequence = brightnessSequence(brightnessSlider_->value())) sendToTargets(*sequence);
    if (QWidget* w = focusWidget()) w->clearFocus();
}

void PanelSettingsDialog::sendOrientation(bool vertical) {
    sendToTargets(orientationSequence(vertical));
}

void PanelSettingsDialog::updateWeekday() {
    // Day of week with Monday = 1 .. Sunday = 7.
    weekdayLabel_->setText(QString::fromUtf8(WeekdayNames[clockDateEdit_->date().dayOfWeek() % 7]));
}

void PanelSettingsDialog::sendClock() {
    const QTime t = clockTimeEdit_->time();
    const QDate d = clockDateEdit_->date();
    if (auto sequence =
            clockSequence({d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()}))
        sendToTargets(*sequence);
}

void PanelSettingsDialog::saveDaylightSavingWarning() {
    devices_.cfg.daylightSaving =
        daylightSavingFlags(daylightSavingWarningCheck_->isChecked(), now().dst);
    writeConnCfg(ConnCfgDaylightSaving);
}

void PanelSettingsDialog::refreshPageByHour() {
    refreshingPageByHour_ = true;
    const PageByHourList& list = *pageByHour_;
    for (int i = 0; i < PageHourItems; ++i) {
        QListWidgetItem* item = pageByHourList_->item(i);
        item->setText(QString::fromStdString(list.caption(i)));
        item->setCheckState(list.checked(i) ? Qt::Checked : Qt::Unchecked);
    }
    if (pageByHourList_->currentRow() != list.selected())
        pageByHourList_->setCurrentRow(list.selected());
    pageTimeLabel_->setText(QString::fromStdString(list.timeLabel()));
    pageTimeEdit_->setTime(QTime(list.fieldHour(), list.fieldMinute()));
    pageTimeStack_->setCurrentWidget(
        list.activateVisible() ? static_cast<QWidget*>(activatePageTimeButton_) : pageTimeEdit_);
    pageByHourEnabledCheck_->setChecked(list.isEnabled());
    refreshingPageByHour_ = false;
}

PanelSettingsDialog::RunWork PanelSettingsDialog::pageByHourWork() const {
    return [targets = targetChecks(), pairs = pageByHour_->pairs(),
            enabled = pageByHourEnabledCheck_->isChecked()](Run& run) {
        vorelux::sendPageByHour(run.link, targets, pairs, enabled, run.progress, run.keepSending);
    };
}

void PanelSettingsDialog::sendPageByHour() {
    runAndReport(pageByHourWork());
}

void PanelSettingsDialog::sendPageByWeekday(bool enable) {
    sendToTargets(weekdayScheduleSequence(enable));
}

void PanelSettingsDialog::applyOnOffEnabled() {
    const bool on = onOffEnabledCheck_->isChecked();
    onOffTimesBox_->setEnabled(on);
    for (QTimeEdit* field : {switchOnTimeEdit_, switchOffTimeEdit_}) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, on ? WindowColour : InactiveCaptionColour);
        palette.setColor(QPalette::Disabled, QPalette::Base,
                         on ? WindowColour : InactiveCaptionColour);
        field->setPalette(palette);
    }
}

void PanelSettingsDialog::confirmOnOffChoice() {
    if (onOffEnabledCheck_->isChecked()) devices_.prompter.ask(Prompt::PageByDayExcludesHour);
    applyOnOffEnabled();
}

void PanelSettingsDialog::sendOnOff() {
    const QTime on = switchOnTimeEdit_->time();
    const QTime off = switchOffTimeEdit_->time();
    sendToTargets(onOffSequence(onOffEnabledCheck_->isChecked(), on.hour(), on.minute(), off.hour(),
                                off.minute()));
}

void PanelSettingsDialog::sendCountUp() {
    const QDate d = countUpDateEdit_->date();
    sendToTargets(countUpSequence(d.year(), d.month(), d.day()));
}

void PanelSettingsDialog::sendCountDown() {
    const QDate d = countDownDateEdit_->date();
    sendToTargets(countDownSequence(d.year(), d.month(), d.day()), AfterFailure::Continue);
}

void PanelSettingsDialog::sendPanelId() {
    if (isSending()) return;
    // Both numbers and the confirmation before anything goes out.
    const PanelIdChange change =
        checkNewPanelId(currentIdEdit_->text().toStdString(), newIdEdit_->text().toStdString());
    const std::optional<Prompt> prompt = panelIdPrompt(change.outcome);
    if (!prompt) return;
    const bool confirmed = devices_.prompter.ask(*prompt) == ButtonYes;
    if (change.outcome == PanelIdOutcome::Valid) {
        if (confirmed)
            runAndReport(
                [change](Run& run) { sendNewPanelId(run.link, change.current, change.next); });
        return;
    }
    QLineEdit* field = change.outcome == PanelIdOutcome::BadNew ? newIdEdit_ : currentIdEdit_;
    field->selectAll();
    field->setFocus();
}

void PanelSettingsDialog::configurePanel() {
    // One report and no pause: written here, before the poll starts.
    if (isSending()) return;
    pairing_->configure(steadyNow());
    configurationPollTimer_.start();
}

bool PanelSettingsDialog::isPollingConfiguration() const {
    return configurationPollTimer_.isActive() || (pollRunning_ && isSending());
}

void PanelSettingsDialog::pollConfiguration() {
    // A tick during another run waits for the next one.
    if (isSending()) return;
    configurationPollTimer_.stop();
    auto more = std::make_shared<bool>(false);
    startRun(
        [more, now = steadyNow(), deadline = pairing_->configDeadline,
         random = services_.random](Run& run) {
            TransmitterPairing pairing(run.link, *random);
            pairing.configDeadline = deadline;
            *more = pairing.tick(now);
        },
        [this, more] {
            if (*more) configurationPollTimer_.start();
            link_->reportSendResult();
        });
    pollRunning_ = true;
}

void PanelSettingsDialog::sendTemperature(TemperatureSensor sensor) {
    QSpinBox* spin =
        sensor == TemperatureSensor::Indoor ? indoorTemperatureSpin_ : outdoorTemperatureSpin_;
    if (auto sequence = temperatureSequence(sensor, spin->value())) sendToTargets(*sequence);
}

void PanelSettingsDialog::restoreFactorySettings() {
    if (isSending()) return;
    ResetSelection selection{resetChecks_[0]->isChecked(), resetChecks_[1]->isChecked(),
                             resetChecks_[2]->isChecked(), resetChecks_[3]->isChecked(),
                             resetChecks_[4]->isChecked()};
    if (!selection.any()) {
        devices_.prompter.ask(Prompt::NothingToReset);
        return;
    }
    // The controls take the factory settings here; the settings go out in
    // one run, each result reported in turn once it has ended.
    std::vector<RunWork> works;
    if (selection.speed) {
        speedSlider_->setValue(DefaultSpeedPosition);
        if (auto sequence = speedSequence(speedSlider_->value()))
            works.push_back(targetsWork(*sequence));
    }
    if (selection.brightness) {
        brightnessSlider_->setValue(DefaultBrightness);
        if (auto sequence = brightnessSequence(brightnessSlider_->value()))
            works.push_back(targetsWork(*sequence));
    }
    if (selection.speed || selection.brightness)
        if (QWidget* w = focusWidget()) w->clearFocus();
    if (selection.upright) works.push_back(targetsWork(orientationSequence(false)));
    if (selection.pageSchedule) {
        // No schedule: every page-by-hour item off, and the panels' schedule
        // mode off (which also ends the page by weekday).
        onOffEnabledCheck_->setChecked(false);
        applyOnOffEnabled();
        pageByHour_->setEnabled(false);
        refreshPageByHour();
        works.push_back(pageByHourWork());
    }
    if (selection.onOffTimes) {
        onOffEnabledCheck_->setChecked(false);
        applyOnOffEnabled();
        works.push_back(targetsWork(onOffSequence(false, 0, 0, 0, 0)));
    }
    auto results = std::make_shared<std::vector<uint8_t>>();
    startRun(
        [works = std::move(works), results](Run& run) {
            for (const RunWork& work : works) {
                if (!run.keepSending()) break;
                work(run);
                results->push_back(run.link.lastSendResult);
            }
        },
        [this, results] {
            for (uint8_t result : *results) link_->tell(sendResultNotice(result));
        });
}

// ---- events ------------------------------------------------------------------

bool PanelSettingsDialog::filterPanelIdKey(QLineEdit* field, const QKeyEvent* key) {
    // Digits and editing keys only; Enter in "Nova ID:" sends, Enter or Tab
    // in "ID atual:" selects its text.
    const int vk = virtualKeyOf(key);
    if (!panelIdKeyAccepted(vk)) return true;
    if (vk == 13 && field == newIdEdit_) {
        sendPanelId();
        return true;
    }
    if (field == currentIdEdit_ && (vk == 13 || vk == 9)) {
        field->selectAll();
        return vk == 13;
    }
    return false;
}

bool PanelSettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((watched == newIdEdit_ || watched == currentIdEdit_) && type == QEvent::KeyPress)
        return filterPanelIdKey(static_cast<QLineEdit*>(watched), static_cast<QKeyEvent*>(event));
    if ((watched == speedSlider_ || watched == brightnessSlider_) && type == QEvent::KeyRelease) {
        // The keyboard moves the bars too; the value goes out when the key is let go.
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat() &&
            (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right ||
             key->key() == Qt::Key_Up || key->key() == Qt::Key_Down ||
             key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown ||
             key->key() == Qt::Key_Home || key->key() == Qt::Key_End)) {
            watched == speedSlider_ ? sendSpeed() : sendBrightness();
        }
        return false;
    }
    if (watched == restoreButton_ && restoreButton_ && type == QEvent::MouseButtonPress) {
        restoreFactorySettings();
        return true;
    }
    if (pageByHourList_ &&
        (watched == pageByHourList_->viewport() || watched == activatePageTimeButton_ ||
         watched == pageByHourEnabledCheck_)) {
        if (type == QEvent::MouseButtonPress) {
            anyCheckedAtPress_ = pageByHour_->anyChecked();
        } else if (type == QEvent::MouseButtonRelease) {
            // The click is handled after the release; look once it has been.
            const bool before = anyCheckedAtPress_;
            QTimer::singleShot(0, this, [this, before] {
                if (!before && pageByHour_->anyChecked())
                    devices_.prompter.ask(Prompt::PageByHourExcludesDay);
            });
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vorelux::app
