#include "app/settings/panel_id_page.h"

#include "app/settings/page_widgets.h"
#include "link/panel_settings.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorelux::app {

namespace {
// The Windows virtual key of a key press, as far as the panel-number fields
// care: main-keyboard digits, Tab and Enter; 0 for everything else.
int virtualKeyOf(const QKeyEvent* event) {
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return (event->modifiers() & Qt::KeypadModifier) ? 96 + (key - Qt::Key_0) : key;
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) return 9;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return 13;
    if (key == Qt::Key_Backspace) return 8;
    return 0;
}
} // namespace

PanelIdPage::PanelIdPage(QWidget* parent) : SettingsPage(parent) {
    currentEdit_ = new QLineEdit;
    currentEdit_->setObjectName(QStringLiteral("currentIdEdit"));
    newEdit_ = new QLineEdit;
    newEdit_->setObjectName(QStringLiteral("newIdEdit"));
    for (QLineEdit* e : {currentEdit_, newEdit_}) {
        e->setMaxLength(3);
        e->setFixedWidth(80);
        e->setContextMenuPolicy(Qt::NoContextMenu);
        e->installEventFilter(this);
    }
    auto* send = settingsButton("sendIdButton", QStringLiteral("Enviar"));
    connect(send, &QPushButton::clicked, this, &PanelIdPage::sendRequested);
    auto* box = new QGroupBox(QStringLiteral(" ID do painel "));
    auto* form = new QFormLayout(box);
    form->addRow(QStringLiteral("ID atual:"), currentEdit_);
    form->addRow(QStringLiteral("Nova ID:"), newEdit_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(noteLabel(
        "Digite a ID que o painel tem hoje e a nova ID (de 1 a 255) e clique em Enviar."));
    layout->addStretch(1);
    layout->addLayout(sendRow(send));
}

std::string PanelIdPage::currentText() const {
    return currentEdit_->text().toStdString();
}

std::string PanelIdPage::newText() const {
    return newEdit_->text().toStdString();
}

void PanelIdPage::selectField(bool newField) {
    QLineEdit* field = newField ? newEdit_ : currentEdit_;
    field->selectAll();
    field->setFocus();
}

void PanelIdPage::focusCurrent() {
    currentEdit_->setFocus();
}

bool PanelIdPage::filterKey(QLineEdit* field, const QKeyEvent* key) {
    const int vk = virtualKeyOf(key);
    if (!panelIdKeyAccepted(vk)) return true;
    if (vk == 13 && field == newEdit_) {
        emit sendRequested();
        return true;
    }
    if (field == currentEdit_ && (vk == 13 || vk == 9)) {
        field->selectAll();
        return vk == 13;
    }
    return false;
}

bool PanelIdPage::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == newEdit_ || watched == currentEdit_) && event->type() == QEvent::KeyPress)
        return filterKey(static_cast<QLineEdit*>(watched), static_cast<QKeyEvent*>(event));
    return SettingsPage::eventFilter(watched, event);
}

} // namespace vorelux::app
