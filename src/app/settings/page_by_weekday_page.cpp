#include "app/settings/page_by_weekday_page.h"

#include "app/settings/page_widgets.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorelux::app {

PageByWeekdayPage::PageByWeekdayPage(QWidget* parent) : SettingsPage(parent) {
    auto* enable = settingsButton("enableWeekdayPagesButton", QStringLiteral("Ativar"));
    auto* disable = settingsButton("disableWeekdayPagesButton", QStringLiteral("Desativar"));
    connect(enable, &QPushButton::clicked, this, [this] { emit scheduleChosen(true); });
    connect(disable, &QPushButton::clicked, this, [this] { emit scheduleChosen(false); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(readOnlyText(QString::fromUtf8(
        "Com esta opção ativada o painel exibe uma página para cada dia da semana:\n"
        "a página 1 no domingo, a página 2 na segunda-feira, a página 3 na terça-feira, "
        "e assim por diante até a página 7 no sábado.\n\n"
        "Atenção: a página por dia da semana desativa a página por horário.")));
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(enable);
    row->addWidget(disable);
    layout->addLayout(row);
    layout->addStretch(1);
}

} // namespace vorelux::app
