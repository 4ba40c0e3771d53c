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

TForm2::TForm2(PanelLink& link, std::function<QString()> mainCaption,
               std::function<void()> openIdDisplay, QWidget* parent)
    : QDialog(parent), link_(link), mainCaption_(std::move(mainCaption)) {
    setObjectName(QStringLiteral("Form2"));
    setModal(true);
    // FormCreate
    setWindowTitle((mainCaption_ ? mainCaption_() : QString()) +
                   QStringLiteral(" - Escolher painéis"));
    Memo1 = new QPlainTextEdit;
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setMaximumHeight(90);
    lbTransporte = new QLabel;
    lbTransporte->setObjectName(QStringLiteral("lbTransporte"));
    CheckListBox1 = new TargetList;
    connect(CheckListBox1, &TargetList::clicked, this, [this] { CheckListBox1Click(); });
    BitBtn1 = new QPushButton(QStringLiteral("Ligar"));
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setIconSize(QSize(24, 24));
    BitBtn2 = new QPushButton(QStringLiteral("Cancelar"));
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn8 = new QPushButton(QStringLiteral("Exibir IDs"));
    BitBtn8->setObjectName(QStringLiteral("BitBtn8"));
    BitBtn8->setToolTip(
        QStringLiteral("Todos os painéis configurados no software exibirão suas IDs"));
    for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn8}) {
        b->setAutoDefault(false);
        b->setMinimumHeight(36);
    }
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(BitBtn8, &QPushButton::clicked, this, [openIdDisplay] {
        if (openIdDisplay) openIdDisplay();
    });

    auto* side = new QVBoxLayout;
    side->addWidget(Memo1);
    side->addWidget(lbTransporte);
    side->addStretch(1);
    side->addWidget(BitBtn8);
    side->addWidget(BitBtn1);
    side->addWidget(BitBtn2);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(CheckListBox1, 1);
    layout->addLayout(side, 1);
    resize(480, 380);
    link_.transmitter().addObserver(this);
}

TForm2::~TForm2() {
    link_.transmitter().removeObserver(this);
}

void TForm2::prepare(Mode mode) {
    QString caption = mainCaption_ ? mainCaption_() : QString();
    bool on = mode == Mode::SwitchOn;
    BitBtn1->setText(on ? QStringLiteral("Ligar") : QStringLiteral("Desligar"));
    BitBtn1->setIcon(powerIcon(on));
    Memo1->setPlainText(
        on ? QStringLiteral(
                 "Selecione os painéis que deseja ligar ao lado e click no botão [Ligar].")
           : QStringLiteral(
                 "Selecione os painéis que deseja desligar ao lado e click no botão [Desligar]."));
    setWindowTitle(caption + (on ? QStringLiteral(" - Ligar") : QStringLiteral(" - Desligar")));
    command_ = on ? ParSwitchOn : ParSwitchOff;
}

uint8_t TForm2::chooseAndSend(Mode mode) {
    prepare(mode);
    exec();
    link_.sendToCheckedPanels(CheckListBox1->checks(), link_.parameter(command_, 0), nullptr);
    link_.AnalizaResposta();
    return link_.resultadoEnvio;
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TForm2::FormShow() {
    lbTransporte->setText(QString::fromUtf8(link_.cfg().transport == Transport::Transmitter ? ChooserUsb : ChooserSerial));
    CheckListBox1->load(link_.cfg().targetPanels);
}

void TForm2::CheckListBox1Click() {
    CheckListBox1->updateCaptionFromChecks();
}

void TForm2::BitBtn1Click() {
    accept();
}

void TForm2::BitBtn2Click() {
    CheckListBox1->uncheckAll();
    QDialog::reject();
}

void TForm2::reject() {
    // Esc, like "Cancelar", sends nothing.
    BitBtn2Click();
}

void TForm2::closeEvent(QCloseEvent* event) {
    // The close box sends nothing either.
    CheckListBox1->uncheckAll();
    QDialog::closeEvent(event);
}

void TForm2::transmitterAttached(const std::shared_ptr<HidDevice>&) {
    lbTransporte->setText(QString::fromUtf8(ChooserUsb));
}

void TForm2::transmitterRemoved(const std::shared_ptr<HidDevice>&) {
    if (isVisible() && !link_.transmitter().attached())
        lbTransporte->setText(QString::fromUtf8(ChooserSerial));
}

} // namespace vorelux::app
