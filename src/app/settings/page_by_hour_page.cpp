#include "app/settings/page_by_hour_page.h"

#include "app/settings/page_widgets.h"
#include "link/panel_settings.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace vorelux::app {

PageByHourPage::PageByHourPage(PageByHourList& list, QWidget* parent)
    : SettingsPage(parent), list_(list) {
    enabledCheck_ = new QCheckBox(QStringLiteral(" Ativado"));
    enabledCheck_->setObjectName(QStringLiteral("pageByHourEnabledCheck"));
    itemList_ = new QListWidget;
    itemList_->setObjectName(QStringLiteral("pageByHourList"));
    for (int i = 0; i < PageHourItems; ++i) {
        auto* item = new QListWidgetItem(itemList_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    itemList_->setMinimumWidth(250);
    timeLabel_ = new QLabel(QString::fromUtf8("Horário da página:"));
    timeLabel_->setObjectName(QStringLiteral("pageTimeLabel"));
    timeEdit_ = timeField("pageTimeEdit", QStringLiteral("HH:mm"));
    activateButton_ = settingsButton("activatePageTimeButton", QStringLiteral("Ativar"));
    activateButton_->setToolTip(QStringLiteral("Ativa a hora de entrrada para selecionada"));
    // "Ativar" lies over the time field: the time is set once the item is active.
    timeStack_ = new QStackedWidget;
    timeStack_->setObjectName(QStringLiteral("pageTimeStack"));
    timeStack_->addWidget(timeEdit_);
    timeStack_->addWidget(activateButton_);
    timeStack_->setFixedHeight(
        std::max(timeEdit_->sizeHint().height(), activateButton_->sizeHint().height()));
    auto* send = settingsButton("sendPageByHourButton", QStringLiteral("Enviar"));
    connect(send, &QPushButton::clicked, this, &PageByHourPage::sendRequested);
    connectControls();

    auto* right = new QVBoxLayout;
    right->addWidget(timeLabel_);
    right->addWidget(timeStack_);
    right->addStretch(1);
    right->addWidget(send, 0, Qt::AlignRight);
    auto* row = new QHBoxLayout;
    row->addWidget(itemList_, 1);
    row->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(enabledCheck_);
    layout->addLayout(row, 1);
    refresh();
}

void PageByHourPage::connectControls() {
    connect(itemList_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (refreshing_) return;
        list_.setChecked(itemList_->row(item), item->checkState() == Qt::Checked);
        refresh();
    });
    connect(itemList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (refreshing_ || row < 0) return;
        list_.select(row);
        refresh();
    });
    connect(timeEdit_, &QTimeEdit::timeChanged, this, [this](QTime time) {
        if (refreshing_) return;
        list_.setTime(time.hour(), time.minute());
        refresh();
    });
    connect(activateButton_, &QPushButton::clicked, this, [this] {
        list_.activateSelected();
        refresh();
    });
    connect(enabledCheck_, &QCheckBox::clicked, this, [this](bool on) {
        list_.setEnabled(on);
        refresh();
    });
    // Clicks are watched for the page-by-weekday warning.
    for (QObject* o :
         {static_cast<QObject*>(itemList_->viewport()), static_cast<QObject*>(activateButton_),
          static_cast<QObject*>(enabledCheck_)})
        o->installEventFilter(this);
}

void PageByHourPage::refresh() {
    refreshing_ = true;
    for (int i = 0; i < PageHourItems; ++i) {
        QListWidgetItem* item = itemList_->item(i);
        item->setText(QString::fromStdString(list_.caption(i)));
        item->setCheckState(list_.checked(i) ? Qt::Checked : Qt::Unchecked);
    }
    if (itemList_->currentRow() != list_.selected()) itemList_->setCurrentRow(list_.selected());
    timeLabel_->setText(QString::fromStdString(list_.timeLabel()));
    timeEdit_->setTime(QTime(list_.fieldHour(), list_.fieldMinute()));
    timeStack_->setCurrentWidget(list_.activateVisible() ? static_cast<QWidget*>(activateButton_)
                                                         : timeEdit_);
    enabledCheck_->setChecked(list_.isEnabled());
    refreshing_ = false;
}

void PageByHourPage::selectFirst() {
    itemList_->setCurrentRow(0);
}

bool PageByHourPage::scheduleEnabled() const {
    return enabledCheck_->isChecked();
}

bool PageByHourPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == itemList_->viewport() || watched == activateButton_ ||
        watched == enabledCheck_) {
        if (event->type() == QEvent::MouseButtonPress) {
            anyCheckedAtPress_ = list_.anyChecked();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            // The click is handled after the release; look once it has been.
            const bool before = anyCheckedAtPress_;
            QTimer::singleShot(0, this, [this, before] {
                if (!before && list_.anyChecked()) emit firstItemChecked();
            });
        }
    }
    return SettingsPage::eventFilter(watched, event);
}

} // namespace vorelux::app
