#include "app/send/send_features.h"

#include "app/link/progress_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>

namespace vorelux::app {

SendFeatures::SendFeatures(SendLink devices, PageStore& store, SendFeatureServices services,
                           QWidget* mainWindow)
    : QObject(mainWindow), services_(std::move(services)) {
    Sleeper* sleeper = services_.sleeper;
    if (!sleeper) {
        ownSleeper_ = std::make_unique<ThreadSleeper>();
        sleeper = ownSleeper_.get();
    }
    link_ = std::make_unique<OperatorLink>(devices.settings, devices.catalog, devices.port,
                                           devices.transmitter, *sleeper, devices.prompter);
    runner_ = std::make_unique<TransferRunner>();
    connect(runner_.get(), &TransferRunner::finished, this, [this] {
        sendDialog_->setEnabled(true);
        emit runFinished();
    });
    auto caption = services_.mainCaption;
    if (!caption)
        caption = [mainWindow] { return mainWindow ? mainWindow->windowTitle() : QString(); };

    progressWindow_ = new ProgressWindowDialog(caption(), mainWindow);
    panelNumberDisplay_ = new PanelNumberDisplay(*link_, *runner_, caption, mainWindow);
    auto openIds = [this] { showPanelNumbers(); };

    SendServices sendServices;
    sendServices.connCfgPath = services_.connCfgPath;
    sendServices.mainCaption = caption;
    sendServices.setMainEnabled = services_.setMainEnabled;
    sendServices.currentPage = services_.currentPage;
    sendServices.afterClose = services_.afterSendClose;
    sendServices.openIdDisplay = openIds;
    sendServices.random = services_.random;
    sendDialog_ = new SendPagesDialog(*link_, store, sendServices, mainWindow);
    sendDialog_->setWindowFlag(Qt::Window);
    panelChooser_ = new PanelChooserDialog(*link_, *runner_, caption, openIds, mainWindow);

    powerOnButtonMenu_ = new QMenu(mainWindow);
    powerOnButtonMenu_->setObjectName(QStringLiteral("powerOnButtonMenu"));
    connect(powerOnButtonMenu_->addAction(QStringLiteral("Ligar todos")), &QAction::triggered, this,
            [this] { switchOnAllPanels(); });
    connect(powerOnButtonMenu_->addAction(QStringLiteral("Escolher painíes ...")),
            &QAction::triggered, this,
            [this] { choosePanels(PanelChooserDialog::Mode::SwitchOn); });
    QAction* autoOn = powerOnButtonMenu_->addAction(QStringLiteral("Automático"));
    powerOffButtonMenu_ = new QMenu(mainWindow);
    powerOffButtonMenu_->setObjectName(QStringLiteral("powerOffButtonMenu"));
    connect(powerOffButtonMenu_->addAction(QStringLiteral("Desligar todos")), &QAction::triggered,
            this, [this] { switchOffAllPanels(); });
    connect(powerOffButtonMenu_->addAction(QStringLiteral("Escolher painíes ...")),
            &QAction::triggered, this,
            [this] { choosePanels(PanelChooserDialog::Mode::SwitchOff); });
    QAction* autoOff = powerOffButtonMenu_->addAction(QStringLiteral("Automático"));
    automaticOnEntry_ = autoOn;
    automaticOffEntry_ = autoOff;
    for (QAction* a : {autoOn, autoOff}) {
        connect(a, &QAction::triggered, this, [this] {
            if (services_.openOnOffSettings) services_.openOnOffSettings();
        });
    }
    setOnOffSettingsOpener(services_.openOnOffSettings);
}

void SendFeatures::setOnOffSettingsOpener(std::function<void()> opener) {
    services_.openOnOffSettings = std::move(opener);
    bool available = static_cast<bool>(services_.openOnOffSettings);
    automaticOnEntry_->setEnabled(available);
    automaticOffEntry_->setEnabled(available);
}

SendFeatures::~SendFeatures() {
    // The send dialog has its own runner. A run of the features is cancelled
    // and waited for (it closes the port) while the windows its effects
    // reach are still there; then the windows go, before link_.
    delete sendDialog_;
    runner_.reset();
    delete panelChooser_;
    delete panelNumberDisplay_;
    delete progressWindow_;
}

// The send dialog sends nothing while a run of the features holds the port.
void SendFeatures::holdSendDialogWhileRunning() {
    if (runner_->running()) sendDialog_->setEnabled(false);
}

bool SendFeatures::busy() const {
    // A click during the pauses of a run waits for nothing: it is dropped.
    return runner_->running() || sendDialog_->running();
}

void SendFeatures::openSendDialog() {
    if (runner_->running()) {
        // A power command is going out: the dialog opens once it has.
        if (!openPending_)
            connect(
                this, &SendFeatures::runFinished, this,
                [this] {
                    openPending_ = false;
                    openSendDialog();
                },
                Qt::SingleShotConnection);
        openPending_ = true;
        return;
    }
    if (sendDialog_->running() && !sendDialog_->isVisible()) {
        // The resume of its last closing is going out: open it once it has.
        connect(
            sendDialog_, &SendPagesDialog::runFinished, this, [this] { openSendDialog(); },
            Qt::SingleShotConnection);
        return;
    }
    if (sendDialog_->running()) {
        sendDialog_->raise();
        sendDialog_->activateWindow();
        return;
    }
    if (sendDialog_->isVisible()) sendDialog_->close();
    sendDialog_->showSheet(SendPagesDialog::Sheet::Main);
    sendDialog_->show();
    sendDialog_->raise();
    sendDialog_->activateWindow();
}

void SendFeatures::switchOnStoredTargets() {
    runOnStoredTargets(ParSwitchOn, true);
}

void SendFeatures::switchOffStoredTargets() {
    runOnStoredTargets(ParSwitchOff, false);
}

void SendFeatures::switchOnAllPanels() {
    runOnAllPanels(ParSwitchOn);
}

void SendFeatures::switchOffAllPanels() {
    runOnAllPanels(ParSwitchOff);
}

void SendFeatures::runOnStoredTargets(uint8_t command, bool withProgress) {
    if (busy()) return;
    auto worker = std::make_shared<WorkerLink>(*link_, *runner_);
    std::shared_ptr<WorkerProgress> progress;
    if (withProgress) progress = std::make_shared<WorkerProgress>(progressWindow_, *runner_);
    std::vector<uint8_t> targets = link_->cfg().targetPanels;
    TransferRunner& runner = *runner_;
    runner_->start(
        [worker, progress, targets = std::move(targets), command, &runner] {
            PanelLink& link = worker->link();
            // Without the window the loop still stops at a cancel of the runner.
            link.sendToPanelList(targets, untilCancelled(link.parameter(command, 0), runner),
                                 progress.get());
        },
        [this, worker] {
            worker->returnResults(*link_);
            link_->reportSendResult();
        });
    holdSendDialogWhileRunning();
}

void SendFeatures::runOnAllPanels(uint8_t command) {
    if (busy()) return;
    auto worker = std::make_shared<WorkerLink>(*link_, *runner_);
    runner_->start(
        [worker, command] {
            PanelLink& link = worker->link();
            link.lastSendResult = link.sendParameter(command, EveryPanel, 0);
        },
        [this, worker] {
            worker->returnResults(*link_);
            link_->reportSendResult();
        });
    holdSendDialogWhileRunning();
}

void SendFeatures::choosePanels(PanelChooserDialog::Mode mode) {
    if (busy() || panelChooser_->isVisible()) return;
    panelChooser_->chooseAndSend(mode);
    holdSendDialogWhileRunning();
}

void SendFeatures::showPanelNumbers() {
    if (busy() || panelNumberDisplay_->isVisible()) return;
    panelNumberDisplay_->exec();
}

void SendFeatures::attachPowerButtons(QAbstractButton* on, QAbstractButton* off) {
    for (const auto& pair : {std::pair{on, powerOnButtonMenu_}, {off, powerOffButtonMenu_}}) {
        // Plain copies: clang 14 does not let a lambda capture structured bindings.
        auto* button = pair.first;
        auto* menu = pair.second;
        if (!button) continue;
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(button, &QWidget::customContextMenuRequested, menu,
                [button, menu](const QPoint& at) { menu->popup(button->mapToGlobal(at)); });
    }
    if (on) connect(on, &QAbstractButton::clicked, this, [this] { switchOnStoredTargets(); });
    if (off) connect(off, &QAbstractButton::clicked, this, [this] { switchOffStoredTargets(); });
}

void SendFeatures::attachSendOpeners(QAbstractButton* button, QAction* menuEntry) {
    if (button) connect(button, &QAbstractButton::clicked, this, [this] { openSendDialog(); });
    if (menuEntry) connect(menuEntry, &QAction::triggered, this, [this] { openSendDialog(); });
}

void SendFeatures::attachPreviewMenus(QMenu* panelsOn, QMenu* panelsOff) {
    if (panelsOn && !panelsOn->actions().isEmpty())
        connect(panelsOn->actions().first(), &QAction::triggered, this,
                [this] { switchOnAllPanels(); });
    if (panelsOff && !panelsOff->actions().isEmpty())
        connect(panelsOff->actions().first(), &QAction::triggered, this,
                [this] { switchOffAllPanels(); });
}

} // namespace vorelux::app
