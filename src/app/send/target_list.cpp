#include "app/send/target_list.h"

#include <QListWidget>
#include <QVBoxLayout>

namespace vorelux::app {

QString targetGroupCaption(int count, bool everyPanelChecked) {
    if (everyPanelChecked) return QStringLiteral("Enviar para: (Todos)");
    if (count < 1) return QStringLiteral("Enviar para: (Nenhum painel)");
    if (count == 1) return QStringLiteral("Enviar para: (1 painel)");
    return QStringLiteral("Enviar para: (%1 painéis)").arg(count);
}

TargetList::TargetList(QWidget* parent) : QGroupBox(QStringLiteral(" Enviar para : "), parent) {
    setObjectName(QStringLiteral("targetList"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("targetItems"));
    list_->setToolTip(QStringLiteral("Selecione quais painéis receberão os ajustes"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int n = 0; n < ItemCount; ++n) {
        auto* item = new QListWidgetItem(
            n == 0 ? AllPanelsItem : QStringLiteral("  PAINEL %1").arg(n), list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    setFocusProxy(list_);
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem*) {
        if (!loading_) emit clicked();
    });
    // A click on the text toggles the box too, as a check list does.
    connect(list_, &QListWidget::itemActivated, this, [](QListWidgetItem* item) {
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
}

void TargetList::load(const std::vector<uint8_t>& panels) {
    loading_ = true;
    for (int n = 0; n < ItemCount; ++n) list_->item(n)->setCheckState(Qt::Unchecked);
    for (uint8_t e : panels) list_->item(e)->setCheckState(Qt::Checked);
    loading_ = false;
    setTitle(targetGroupCaption(static_cast<int>(panels.size()), isChecked(0)));
}

std::vector<uint8_t> TargetList::checkedItems() const {
    std::vector<uint8_t> out;
    for (int n = 0; n < ItemCount; ++n)
        if (isChecked(n)) out.push_back(static_cast<uint8_t>(n));
    return out;
}

TargetChecks TargetList::checks() const {
    TargetChecks c{};
    for (int n = 0; n < ItemCount; ++n) c[n] = isChecked(n);
    return c;
}

void TargetList::setChecked(int item, bool checked) {
    if (item < 0 || item >= ItemCount) return;
    list_->item(item)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool TargetList::isChecked(int item) const {
    return item >= 0 && item < ItemCount && list_->item(item)->checkState() == Qt::Checked;
}

void TargetList::uncheckAll() {
    loading_ = true;
    for (int n = 0; n < ItemCount; ++n) list_->item(n)->setCheckState(Qt::Unchecked);
    loading_ = false;
}

void TargetList::updateCaptionFromChecks() {
    setTitle(targetGroupCaption(static_cast<int>(checkedItems().size()), isChecked(0)));
}

} // namespace vorelux::app
