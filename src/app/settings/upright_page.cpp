#include "app/settings/upright_page.h"

#include "app/settings/page_widgets.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorelux::app {

UprightPage::UprightPage(QWidget* parent) : SettingsPage(parent) {
    auto* horizontal = settingsButton("horizontalButton", QStringLiteral("Horizontal"));
    auto* vertical = settingsButton("verticalButton", QStringLiteral("Vertical"));
    for (auto* b : {horizontal, vertical}) b->setMinimumSize(140, 48);
    connect(horizontal, &QPushButton::clicked, this, [this] { emit orientationChosen(false); });
    connect(vertical, &QPushButton::clicked, this, [this] { emit orientationChosen(true); });
    auto* box = new QGroupBox(QString::fromUtf8(" Posição do painel "));
    auto* row = new QHBoxLayout(box);
    row->addStretch(1);
    row->addWidget(horizontal);
    row->addSpacing(24);
    row->addWidget(vertical);
    row->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addStretch(1);
}

} // namespace vorelux::app
