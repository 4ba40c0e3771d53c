#include "app/settings/settings_dialog.h"

#include "app/link/progress_window.h"
#include "app/link/transfer_runner.h"
#include "app/link/transport_group.h"
#include "app/settings/brightness_page.h"
#include "app/settings/clock_page.h"
#include "app/settings/counter_page.h"
#include "app/settings/on_off_page.h"
#include "app/settings/page_by_hour_page.h"
#include "app/settings/page_by_weekday_page.h"
#include "app/settings/page_widgets.h"
#include "app/settings/panel_id_page.h"
#include "app/settings/reset_page.h"
#include "app/settings/speed_page.h"
#include "app/settings/temperature_page.h"
#include "app/settings/transmitter_page.h"
#include "app/settings/upright_page.h"
#include "files/conn_cfg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace vorelux::app {

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
        std::make_unique<OperatorLink>(devices_.settings, devices_.catalog, devices_.port,
                                       devices_.transmitter, *services_.sleeper, devices_.prompter);
    pageByHour_ = std::make_unique<PageByHourList>(devices_.settings);
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
    const std::array<SettingsPage*, TabCount> pages = buildPages();
    const std::array<const char*, TabCount> captions{"&Velocidade",
                                                     "&Brilho",
                                                     "Em &Pé",
                                                     "&Relógio",
                                                     "&Página por &hora",
                                                     "Página por &dia da &semana",
                                                     "Horário de &ligar e &desligar",
                                                     "&Contagem &progressiva",
                                                     "&Contagem &regressiva",
                                                     "&ID do Painel",
                                                     "&Configurar painel",
                                                     "&Temperatura",
                                                     "Reset de Ajustes"};
    const std::array<const char*, TabCount> names{
        "speedTab",         "brightnessTab",  "uprightTab", "clockTab",     "pageByHourTab",
        "pageByWeekdayTab", "onOffTab",       "countUpTab", "countDownTab", "panelIdTab",
        "transmitterTab",   "temperatureTab", "resetTab"};
    for (int i = 0; i < TabCount; ++i) {
        pages[i]->setObjectName(QString::fromLatin1(names[i]));
        tabs_->addTab(pages[i], QString::fromUtf8(captions[i]));
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

std::array<SettingsPage*, PanelSettingsDialog::TabCount> PanelSettingsDialog::buildPages() {
    speedPage_ = new SpeedPage;
    brightnessPage_ = new BrightnessPage;
    auto* upright = new UprightPage;
    clockPage_ = new ClockPage(*services_.clock);
    pageByHourPage_ = new PageByHourPage(*pageByHour_);
    auto* pageByWeekday = new PageByWeekdayPage;
    onOffPage_ = new OnOffPage;
    countUpPage_ = new CounterPage(CounterPage::Direction::Up);
    countDownPage_ = new CounterPage(CounterPage::Direction::Down);
    panelIdPage_ = new PanelIdPage;
    auto* transmitter = new TransmitterPage;
    temperaturePage_ = new TemperaturePage;
    resetPage_ = new ResetPage;
    connect(upright, &UprightPage::orientationChosen, this,
            [this](bool vertical) { sendOrientation(vertical); });
    connect(pageByWeekday, &PageByWeekdayPage::scheduleChosen, this,
            [this](bool enable) { sendPageByWeekday(enable); });
    connect(transmitter, &TransmitterPage::configureRequested, this, [this] { configurePanel(); });
    connectPages();
    return {speedPage_,    brightnessPage_,  upright,      clockPage_,     pageByHourPage_,
            pageByWeekday, onOffPage_,       countUpPage_, countDownPage_, panelIdPage_,
            transmitter,   temperaturePage_, resetPage_};
}

void PanelSettingsDialog::connectPages() {
    connect(speedPage_, &SpeedPage::positionChosen, this, [this] { sendSpeed(); });
    connect(brightnessPage_, &BrightnessPage::levelChosen, this, [this] { sendBrightness(); });
    connect(clockPage_, &ClockPage::warningToggled, this, [this] { saveDaylightSavingWarning(); });
    connect(clockPage_, &ClockPage::sendRequested, this, [this] { sendClock(); });
    connect(pageByHourPage_, &PageByHourPage::sendRequested, this, [this] { sendPageByHour(); });
    connect(pageByHourPage_, &PageByHourPage::firstItemChecked, this,
            [this] { devices_.prompter.ask(Prompt::PageByHourExcludesDay); });
    connect(onOffPage_, &OnOffPage::enabledClicked, this, [this](bool on) {
        if (on) devices_.prompter.ask(Prompt::PageByDayExcludesHour);
    });
    connect(onOffPage_, &OnOffPage::sendRequested, this, [this] { sendOnOff(); });
    connect(countUpPage_, &CounterPage::sendRequested, this, [this] { sendCountUp(); });
    connect(countDownPage_, &CounterPage::sendRequested, this, [this] { sendCountDown(); });
    connect(panelIdPage_, &PanelIdPage::sendRequested, this, [this] { sendPanelId(); });
    connect(temperaturePage_, &TemperaturePage::sendRequested, this,
            [this](TemperatureSensor sensor) { sendTemperature(sensor); });
    connect(resetPage_, &ResetPage::restoreRequested, this, [this] { restoreFactorySettings(); });
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
    showIdsButton_ = settingsButton("showIdsButton", QStringLiteral("Exibir &IDs"));
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
    if (devices_.settings.get().transport == Transport::Transmitter &&
        devices_.settings.get().transmitterIdentity[6] == 0 &&
        devices_.prompter.ask(Prompt::ConfigureTransmitter) == ButtonYes)
        openOnTab(TransmitterTab);
    // A file the main window already refused (with its message) stays refused.
    if (fileTrustProblem(services_.connCfgPath).empty())
        tellConnCfgRead(devices_.prompter, readConnCfg(services_.connCfgPath, devices_.settings));
    const auto check = checkDaylightSaving(devices_.settings, now().dst, services_.connCfgPath);
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
    pageByHourPage_->selectFirst();
    loadTargetList();
    if (devices_.settings.get().transport == Transport::Serial) transportGroup_->prepareOnOpen();
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
    case ClockTab:
        clockPage_->showNow();
        clockPage_->load(devices_.settings.get());
        break;
    case PageByWeekdayTab:
        setTargetsVisible(true, false);
        break;
    case OnOffTab:
        onOffPage_->clear();
        break;
    case PanelIdTab:
        panelIdPage_->focusCurrent();
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
    for (uint8_t entry : devices_.settings.get().targetPanels)
        targetPanelList_->item(entry)->setCheckState(Qt::Checked);
    loadingTargets_ = false;
    setTargetCaption(static_cast<int>(devices_.settings.get().targetPanels.size()), false);
}

void PanelSettingsDialog::saveTargetPanels() {
    std::vector<uint8_t> checked;
    for (int n = 0; n <= 255; ++n)
        if (targetPanelList_->item(n)->checkState() == Qt::Checked)
            checked.push_back(static_cast<uint8_t>(n));
    devices_.settings.setTargetPanels(checked);
    writeConnCfg(ConnCfgTargets);
    setTargetCaption(static_cast<int>(checked.size()), true);
}

void PanelSettingsDialog::writeConnCfg(unsigned fields) {
    std::string error;
    if (!vorelux::writeConnCfg(services_.connCfgPath, devices_.settings.get(), fields, error))
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
    if (auto sequence = speedSequence(speedPage_->position())) sendToTargets(*sequence);
    if (QWidget* w = focusWidget()) w->clearFocus();
}

void PanelSettingsDialog::sendBrightness() {
    if (auto sequence = brightnessSequence(brightnessPage_->level())) sendToTargets(*sequence);
    if (QWidget* w = focusWidget()) w->clearFocus();
}

void PanelSettingsDialog::sendOrientation(bool vertical) {
    sendToTargets(orientationSequence(vertical));
}

void PanelSettingsDialog::sendClock() {
    if (auto sequence = clockSequence(clockPage_->moment())) sendToTargets(*sequence);
}

void PanelSettingsDialog::saveDaylightSavingWarning() {
    devices_.settings.update([this](ConnectionSettings& s) { clockPage_->apply(s); });
    writeConnCfg(ConnCfgDaylightSaving);
}

PanelSettingsDialog::RunWork PanelSettingsDialog::pageByHourWork() const {
    return [targets = targetChecks(), pairs = pageByHour_->pairs(),
            enabled = pageByHourPage_->scheduleEnabled()](Run& run) {
        vorelux::sendPageByHour(run.link, targets, pairs, enabled, run.progress, run.keepSending);
    };
}

void PanelSettingsDialog::sendPageByHour() {
    runAndReport(pageByHourWork());
}

void PanelSettingsDialog::sendPageByWeekday(bool enable) {
    sendToTargets(weekdayScheduleSequence(enable));
}

void PanelSettingsDialog::sendOnOff() {
    const QTime on = onOffPage_->switchOnTime();
    const QTime off = onOffPage_->switchOffTime();
    sendToTargets(onOffSequence(onOffPage_->timesEnabled(), on.hour(), on.minute(), off.hour(),
                                off.minute()));
}

void PanelSettingsDialog::sendCountUp() {
    const QDate d = countUpPage_->date();
    sendToTargets(countUpSequence(d.year(), d.month(), d.day()));
}

void PanelSettingsDialog::sendCountDown() {
    const QDate d = countDownPage_->date();
    sendToTargets(countDownSequence(d.year(), d.month(), d.day()), AfterFailure::Continue);
}

void PanelSettingsDialog::sendPanelId() {
    if (isSending()) return;
    // Both numbers and the confirmation before anything goes out.
    const PanelIdChange change =
        checkNewPanelId(panelIdPage_->currentText(), panelIdPage_->newText());
    const std::optional<Prompt> prompt = panelIdPrompt(change.outcome);
    if (!prompt) return;
    const bool confirmed = devices_.prompter.ask(*prompt) == ButtonYes;
    if (change.outcome == PanelIdOutcome::Valid) {
        if (confirmed)
            runAndReport(
                [change](Run& run) { sendNewPanelId(run.link, change.current, change.next); });
        return;
    }
    panelIdPage_->selectField(change.outcome == PanelIdOutcome::BadNew);
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
    if (auto sequence = temperatureSequence(sensor, temperaturePage_->adjustment(sensor)))
        sendToTargets(*sequence);
}

void PanelSettingsDialog::restoreFactorySettings() {
    if (isSending()) return;
    const ResetSelection selection = resetPage_->selection();
    if (!selection.any()) {
        devices_.prompter.ask(Prompt::NothingToReset);
        return;
    }
    // The controls take the factory settings here; the settings go out in
    // one run, each result reported in turn once it has ended.
    std::vector<RunWork> works;
    if (selection.speed) {
        speedPage_->restoreDefault();
        if (auto sequence = speedSequence(speedPage_->position()))
            works.push_back(targetsWork(*sequence));
    }
    if (selection.brightness) {
        brightnessPage_->restoreDefault();
        if (auto sequence = brightnessSequence(brightnessPage_->level()))
            works.push_back(targetsWork(*sequence));
    }
    if (selection.speed || selection.brightness)
        if (QWidget* w = focusWidget()) w->clearFocus();
    if (selection.upright) works.push_back(targetsWork(orientationSequence(false)));
    if (selection.pageSchedule) {
        // No schedule: every page-by-hour item off, and the panels' schedule
        // mode off (which also ends the page by weekday).
        onOffPage_->clear();
        pageByHour_->setEnabled(false);
        pageByHourPage_->refresh();
        works.push_back(pageByHourWork());
    }
    if (selection.onOffTimes) {
        onOffPage_->clear();
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

} // namespace vorelux::app
