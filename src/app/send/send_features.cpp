#include "app/send/send_features.h"

#include "app/link/progress_window.h"
#include "app/send/keep_alive_sleeper.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>

namespace vorelux::app {

SendFeatures::SendFeatures(SendLink devices, PageStore& store, SendFeatureServices services,
                           QWidget* mainWindow)
    : QObject(mainWindow), services_(std::move(services)) {
    Sleeper* sleeper = services_.sleeper;
    if (!sleeper) {
        ownSleeper_ = std::make_unique<KeepAliveSleeper>();
        sleeper = ownSleeper_.get();
    }
    link_ = std::make_unique<PanelLink>(devices.cfg, devices.catalog, devices.port, devices.kq,
                                        *sleeper, devices.prompter);
    auto caption = services_.mainCaption;
    if (!caption)
        caption = [mainWindow] { return mainWindow ? mainWindow->windowTitle() : QString(); };

    progress_ = new ProgressWindowDialog(caption(), mainWindow);
    idDisplay_ = new TfrmExibeID(*link_, caption, mainWindow);
    auto openIds = [this] { exibirIds(); };

    SendServices sendServices;
    sendServices.connCfgPath = services_.connCfgPath;
    sendServices.mainCaption = caption;
    sendServices.setMainEnabled = services_.setMainEnabled;
    sendServices.currentPage = services_.currentPage;
    sendServices.afterClose = services_.afterSendClose;
    sendServices.openIdDisplay = openIds;
    sendServices.random = services_.random;
    send_ = new TfrmEnviar(*link_, store, sendServices, mainWindow);
    send_->setWindowFlag(Qt::Window);
    chooser_ = new TForm2(*link_, caption, openIds, mainWindow);

    powerOnMenu_ = new QMenu(mainWindow);
    powerOnMenu_->setObjectName(QStringLiteral("PopupLigarPainel"));
    connect(powerOnMenu_->addAction(QStringLiteral("Ligar todos")), &QAction::triggered, this,
            [this] { ligarTodos(); });
    connect(powerOnMenu_->addAction(QStringLiteral("Escolher painíes ...")), &QAction::triggered,
            this, [this] { escolherPaineis(TForm2::Mode::SwitchOn); });
    QAction* autoOn = powerOnMenu_->addAction(QStringLiteral("Automático"));
    powerOffMenu_ = new QMenu(mainWindow);
    powerOffMenu_->setObjectName(QStringLiteral("PopupDesligarPainel"));
    connect(powerOffMenu_->addAction(QStringLiteral("Desligar todos")), &QAction::triggered, this,
            [this] { desligarTodos(); });
    connect(powerOffMenu_->addAction(QStringLiteral("Escolher painíes ...")), &QAction::triggered,
            this, [this] { escolherPaineis(TForm2::Mode::SwitchOff); });
    QAction* autoOff = powerOffMenu_->addAction(QStringLiteral("Automático"));
    autoOn_ = autoOn;
    autoOff_ = autoOff;
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
    autoOn_->setEnabled(available);
    autoOff_->setEnabled(available);
}

SendFeatures::~SendFeatures() {
    // The windows send through link_: they go first.
    delete send_;
    delete chooser_;
    delete idDisplay_;
    delete progress_;
}

void SendFeatures::guarded(const std::function<void()>& command) {
    // A click during the pauses of a command waits for nothing: it is dropped.
    if (busy_ || send_->running()) return;
    busy_ = true;
    command();
    busy_ = false;
}

void SendFeatures::openSendDialog() {
    if (send_->running()) {
        send_->raise();
        send_->activateWindow();
        return;
    }
    if (send_->isVisible()) send_->close();
    send_->showPage(TfrmEnviar::tbsEnviar);
    send_->show();
    send_->raise();
    send_->activateWindow();
}

void SendFeatures::JvSpeedButton1Click() {
    guarded([this] {
        link_->resultadoEnvio = SendOk;
        link_->sendToPanelList(link_->cfg().targetPanels, link_->parameter(ParSwitchOn, 0), progress_);
        link_->AnalizaResposta();
    });
}

void SendFeatures::JvSpeedButton2Click() {
    guarded([this] {
        link_->resultadoEnvio = SendOk;
        link_->sendToPanelList(link_->cfg().targetPanels, link_->parameter(ParSwitchOff, 0), nullptr);
        link_->AnalizaResposta();
    });
}

void SendFeatures::ligarTodos() {
    guarded([this] {
        link_->resultadoEnvio = link_->ParSend(ParSwitchOn, EveryPanel, 0);
        link_->AnalizaResposta();
    });
}

void SendFeatures::desligarTodos() {
    guarded([this] {
        link_->resultadoEnvio = link_->ParSend(ParSwitchOff, EveryPanel, 0);
        link_->AnalizaResposta();
    });
}

void SendFeatures::escolherPaineis(TForm2::Mode mode) {
    guarded([this, mode] { chooser_->chooseAndSend(mode); });
}

void SendFeatures::exibirIds() {
    if (busy_ && !chooser_->isVisible()) return;
    idDisplay_->exec();
}

void SendFeatures::attachPowerButtons(QAbstractButton* on, QAbstractButton* off) {
    for (auto [button, menu] : {std::pair{on, powerOnMenu_}, {off, powerOffMenu_}}) {
        if (!button) continue;
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(button, &QWidget::customContextMenuRequested, menu,
                [button, menu](const QPoint& at) { menu->popup(button->mapToGlobal(at)); });
    }
    if (on) connect(on, &QAbstractButton::clicked, this, [this] { JvSpeedButton1Click(); });
    if (off) connect(off, &QAbstractButton::clicked, this, [this] { JvSpeedButton2Click(); });
}

void SendFeatures::attachSendOpeners(QAbstractButton* button, QAction* menuEntry) {
    if (button) connect(button, &QAbstractButton::clicked, this, [this] { openSendDialog(); });
    if (menuEntry) connect(menuEntry, &QAction::triggered, this, [this] { openSendDialog(); });
}

void SendFeatures::attachPreviewMenus(QMenu* panelsOn, QMenu* panelsOff) {
    if (panelsOn && !panelsOn->actions().isEmpty())
        connect(panelsOn->actions().first(), &QAction::triggered, this, [this] { ligarTodos(); });
    if (panelsOff && !panelsOff->actions().isEmpty())
        connect(panelsOff->actions().first(), &QAction::triggered, this,
                [this] { desligarTodos(); });
}

} // namespace vorelux::app
