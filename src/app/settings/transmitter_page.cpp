#include "app/settings/transmitter_page.h"

#include "app/settings/page_widgets.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorelux::app {

TransmitterPage::TransmitterPage(QWidget* parent) : SettingsPage(parent) {
    auto* configure = settingsButton("configurePanelButton", QStringLiteral("Configurar Painel"));
    configure->setToolTip(QString::fromUtf8(
        "Após ter seguido os os passos 1. e 2., clique aqui para configurar o painel"));
    configure->setMinimumHeight(40);
    connect(configure, &QPushButton::clicked, this, &TransmitterPage::configureRequested);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(readOnlyText(QString::fromUtf8(
        "1. Mantenha pressionados os dois botões da parte de trás do painel (ou o terceiro "
        "botão do controle remoto) até o painel exibir \"CFG CTRL\" e então solte-os.\n"
        "2. Aguarde o painel exibir \"AGUARD.  \".\n"
        "3. Clique em [Configurar Painel].\n\n"
        "Para configurar outros painéis, repita os passos acima em cada um deles.")));
    layout->addWidget(configure, 0, Qt::AlignRight);
    layout->addStretch(1);
}

} // namespace vorelux::app
