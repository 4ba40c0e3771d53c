#include "app/settings/counter_page.h"

#include "app/settings/page_widgets.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorelux::app {

CounterPage::CounterPage(Direction direction, QWidget* parent) : SettingsPage(parent) {
    const bool down = direction == Direction::Down;
    dateEdit_ = dateField(down ? "countDownDateEdit" : "countUpDateEdit");
    dateEdit_->setDate(QDate::currentDate());
    auto* send = settingsButton(down ? "sendCountDownButton" : "sendCountUpButton",
                                QStringLiteral("Enviar"));
    connect(send, &QPushButton::clicked, this, &CounterPage::sendRequested);
    auto* box = new QGroupBox(down ? QStringLiteral(" Contagem regressiva ")
                                   : QStringLiteral(" Contagem progressiva "));
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(new QLabel(down
                                        ? QString::fromUtf8("Data de fim da contagem de dias")
                                        : QString::fromUtf8("Data de início da contagem de dias")));
    boxLayout->addWidget(dateEdit_, 0, Qt::AlignLeft);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addStretch(1);
    layout->addLayout(sendRow(send));
}

QDate CounterPage::date() const {
    return dateEdit_->date();
}

} // namespace vorelux::app
