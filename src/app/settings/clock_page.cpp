#include "app/settings/clock_page.h"

#include "app/settings/page_widgets.h"
#include "link/panel_settings.h"
#include "render/clock.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace vorelux::app {

namespace {
const char* const WeekdayNames[7] = {"Domingo",      "Segunda-Feira", "Terça-Feira", "Quarta-Feira",
                                     "Quinta-Feira", "Sexta-Feira",   "Sábado"};
} // namespace

ClockPage::ClockPage(const Clock& clock, QWidget* parent) : SettingsPage(parent), clock_(clock) {
    timeEdit_ = timeField("clockTimeEdit", QStringLiteral("HH:mm:ss"));
    dateEdit_ = dateField("clockDateEdit");
    weekdayLabel_ = new QLabel;
    weekdayLabel_->setObjectName(QStringLiteral("weekdayLabel"));
    weekdayLabel_->setMinimumWidth(120);
    warningCheck_ =
        new QCheckBox(QString::fromUtf8("Avisar-me quando entrar/sair do horário de verão"));
    warningCheck_->setObjectName(QStringLiteral("daylightSavingWarningCheck"));
    auto* send = settingsButton("sendClockButton", QStringLiteral("Enviar"));
    connect(dateEdit_, &QDateEdit::dateChanged, this, [this] { updateWeekday(); });
    connect(warningCheck_, &QCheckBox::clicked, this, &ClockPage::warningToggled);
    connect(send, &QPushButton::clicked, this, &ClockPage::sendRequested);

    auto* box = new QGroupBox(QString::fromUtf8(" Relógio do painel "));
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("Hora:")), 0, 0);
    grid->addWidget(timeEdit_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Data:")), 1, 0);
    grid->addWidget(dateEdit_, 1, 1);
    grid->addWidget(weekdayLabel_, 1, 2);
    grid->setColumnStretch(3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(warningCheck_);
    layout->addStretch(1);
    layout->addLayout(sendRow(send));
    updateWeekday();
}

void ClockPage::load(const ConnectionSettings& cfg) {
    const QSignalBlocker block(warningCheck_);
    warningCheck_->setChecked((cfg.daylightSaving & 0xF0) != 0);
}

void ClockPage::apply(ConnectionSettings& cfg) const {
    cfg.daylightSaving = daylightSavingFlags(warningCheck_->isChecked(), clock_.now().dst);
}

void ClockPage::showNow() {
    const LocalDateTime t = clock_.now();
    timeEdit_->setTime(QTime(t.hour, t.minute, t.second));
    dateEdit_->setDate(QDate(t.year, t.month, t.day));
}

ClockMoment ClockPage::moment() const {
    const QTime t = timeEdit_->time();
    const QDate d = dateEdit_->date();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

void ClockPage::updateWeekday() {
    // Day of week with Monday = 1 .. Sunday = 7.
    weekdayLabel_->setText(QString::fromUtf8(WeekdayNames[dateEdit_->date().dayOfWeek() % 7]));
}

} // namespace vorelux::app
