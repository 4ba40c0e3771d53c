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
    link_ = std::make_unique<PanelLink>(devices.cfg, devices.catalog, devices.port,
                                        devices.transmitter, *sleeper, devices.prompter);
    auto caption = services_.mainCaption;
    if (!caption)
        caption = [mainWindow] { return mainWindow ? mainWindow->windowTitle() : QString(); };

    progressWindow_ = new ProgressWindowDialog(caption(), mainWindow);
    panelNumberDisplay_ = new PanelNumberDisplay(*link_, caption, mainWindow);
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
    panelChooser_ = new PanelChooserDialog(*link_, caption, openIds, mainWindow);

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
    // The windows send through link_: they go first.
    delete sendDialog_;
    delete panelChooser_;
    delete panelNumberDisplay_;
    delete progressWindow_;
}

void SendFeatures::runExclusively(const std::function<void()>& command) {
    // A click during the pauses of a command waits for nothing: it is dropped.
    if (busy_ || sendDialog_->running()) return;
    busy_ = true;
    command();
    busy_ = false;
}

void SendFeatures::openSendDialog() {
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
    runExclusively([this] {
        link_->lastSendResult = SendOk;
        link_->sendToPanelList(link_->cfg().targetPanels, link_->parameter(ParSwitchOn, 0),
                               progressWindow_);
        link_->reportSendResult();
    });
}

void SendFeatures::switchOffStoredTargets() {
    runExclusively([this] {
        link_->lastSendResult = SendOk;
        link_->sendToPanelList(link_->cfg().targetPanels, link_->parameter(ParSwitchOff, 0),
                               nullptr);
        link_->reportSendResult();
    });
}

void SendFeatures::switchOnAllPanels() {
    runExclusively([this] {
        link_->lastSendResult = link_->sendParameter(ParSwitchOn, EveryPanel, 0);
        link_->reportSendResult();
    });
}

void SendFeatures::switchOffAllPanels() {
    runExclusively([this] {
        link_->lastSendResult = link_->sendParameter(ParSwitchOff, EveryPanel, 0);
        link_->reportSendResult();
    });
}

void SendFeatures::choosePanels(PanelChooserDialog::Mode mode) {
    runExclusively([this, mode] { panelChooser_->chooseAndSend(mode); });
}

void SendFeatures::showPanelNumbers() {
    if (busy_ && !panelChooser_->isVisible()) return;
    panelNumberDisplay_->exec();
}

void SendFeatures::attachPowerButtons(QAbstractButton* on, QAbstractButton* off) {
    for (auto [button, menu] : {std::pair{on, powerOnButtonMenu_}, {off, powerOffButtonMenu_}}) {
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
