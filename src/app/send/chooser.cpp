#include "app/send/chooser.h"

#include "app/send/target_list.h"
#include "link/transmitter.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace vorelux::app {

QIcon powerIcon(bool on) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor colour = on ? QColor(30, 150, 40) : QColor(190, 30, 30);
    painter.setPen(QPen(colour, 3.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(6, 7, 20, 20), 120 * 16, 300 * 16); // the ring, open at the top
    painter.drawLine(QPointF(16, 4), QPointF(16, 16));         // the bar
    return QIcon(pixmap);
}

PanelChooserDialog::PanelChooserDialog(OperatorLink& link, TransferRunner& runner,
                                       std::function<QString()> mainCaption,
                                       std::function<void()> openIdDisplay, QWidget* parent)
    : QDialog(parent), link_(link), runner_(runner), mainCaption_(std::move(mainCaption)) {
    setObjectName(QStringLiteral("panelChooserDialog"));
    setModal(true);
    setWindowTitle((mainCaption_ ? mainCaption_() : QString()) +
                   QStringLiteral(" - Escolher painéis"));
    instructionsText_ = new QPlainTextEdit;
    instructionsText_->setObjectName(QStringLiteral("instructionsText"));
    instructionsText_->setReadOnly(true);
    instructionsText_->setMaximumHeight(90);
    transportLabel_ = new QLabel;
    transportLabel_->setObjectName(QStringLiteral("transportLabel"));
    targetList_ = new TargetList;
    connect(targetList_, &TargetList::clicked, this, [this] { updateTargetCaption(); });
    confirmButton_ = new QPushButton(QStringLiteral("Ligar"));
    confirmButton_->setObjectName(QStringLiteral("confirmButton"));
    confirmButton_->setIconSize(QSize(24, 24));
    cancelButton_ = new QPushButton(QStringLiteral("Cancelar"));
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    showIdsButton_ = new QPushButton(QStringLiteral("Exibir IDs"));
    showIdsButton_->setObjectName(QStringLiteral("showIdsButton"));
    showIdsButton_->setToolTip(
        QStringLiteral("Todos os painéis configurados no software exibirão suas IDs"));
    for (QPushButton* b : {confirmButton_, cancelButton_, showIdsButton_}) {
        b->setAutoDefault(false);
        b->setMinimumHeight(36);
    }
    confirmButton_->setDefault(true); // Enter confirms what is ticked
    connect(confirmButton_, &QPushButton::clicked, this, [this] { confirm(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancel(); });
    connect(showIdsButton_, &QPushButton::clicked, this, [openIdDisplay] {
        if (openIdDisplay) openIdDisplay();
    });

    auto* side = new QVBoxLayout;
    side->addWidget(instructionsText_);
    side->addWidget(transportLabel_);
    side->addStretch(1);
    side->addWidget(showIdsButton_);
    side->addWidget(confirmButton_);
    side->addWidget(cancelButton_);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(targetList_, 1);
    layout->addLayout(side, 1);
    resize(480, 380);
    setTabOrder(targetList_, confirmButton_);
    setTabOrder(confirmButton_, cancelButton_);
    setTabOrder(cancelButton_, showIdsButton_);
    link_.transmitter().addObserver(this);
}

PanelChooserDialog::~PanelChooserDialog() {
    link_.transmitter().removeObserver(this);
}

void PanelChooserDialog::prepare(Mode mode) {
    QString caption = mainCaption_ ? mainCaption_() : QString();
    bool on = mode == Mode::SwitchOn;
    confirmButton_->setText(on ? QStringLiteral("Ligar") : QStringLiteral("Desligar"));
    confirmButton_->setIcon(powerIcon(on));
    instructionsText_->setPlainText(
        on ? QStringLiteral(
                 "Selecione os painéis que deseja ligar ao lado e click no botão [Ligar].")
           : QStringLiteral(
                 "Selecione os painéis que deseja desligar ao lado e click no botão [Desligar]."));
    setWindowTitle(caption + (on ? QStringLiteral(" - Ligar") : QStringLiteral(" - Desligar")));
    command_ = on ? ParSwitchOn : ParSwitchOff;
}

bool PanelChooserDialog::chooseAndSend(Mode mode) {
    prepare(mode);
    exec();
    TargetChecks checks = targetList_->checks();
    link_.lastSendResult = SendOk;
    if (std::find(checks.begin(), checks.end(), true) == checks.end()) return false;
    auto worker = std::make_shared<WorkerLink>(link_, runner_);
    uint8_t command = command_;
    TransferRunner& runner = runner_;
    return runner_.start(
        [worker, checks, command, &runner] {
            PanelLink& link = worker->link();
            // No window: a cancel of the runner skips the remaining panels.
            link.sendToCheckedPanels(checks, untilCancelled(link.parameter(command, 0), runner),
                                     nullptr);
        },
        [this, worker] {
            worker->returnResults(link_);
            link_.reportSendResult();
        });
}

void PanelChooserDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) loadTargets();
}

void PanelChooserDialog::loadTargets() {
    transportLabel_->setText(QString::fromUtf8(
        link_.cfg().transport == Transport::Transmitter ? ChooserUsb : ChooserSerial));
    targetList_->load(link_.cfg().targetPanels);
}

void PanelChooserDialog::updateTargetCaption() {
    targetList_->updateCaptionFromChecks();
}

void PanelChooserDialog::confirm() {
    accept();
}

void PanelChooserDialog::cancel() {
    targetList_->uncheckAll();
    QDialog::reject();
}

void PanelChooserDialog::reject() {
    // Esc, like "Cancelar", sends nothing.
    cancel();
}

void PanelChooserDialog::closeEvent(QCloseEvent* event) {
    // The close box sends nothing either.
    targetList_->uncheckAll();
    QDialog::closeEvent(event);
}

void PanelChooserDialog::transmitterAttached(const std::shared_ptr<HidDevice>&) {
    transportLabel_->setText(QString::fromUtf8(ChooserUsb));
}

void PanelChooserDialog::transmitterRemoved(const std::shared_ptr<HidDevice>&) {
    if (isVisible() && !link_.transmitter().attached())
        transportLabel_->setText(QString::fromUtf8(ChooserSerial));
}

} // namespace vorelux::app
