#include "app/settings/side_tabs.h"

#include <QStyleOptionTab>
#include <QStylePainter>

#include <algorithm>

namespace vorelux::app {

// ---- SideTabBar -------------------------------------------------------------

SideTabBar::SideTabBar(QWidget* parent) : QTabBar(parent) {
    setExpanding(false);
    setUsesScrollButtons(false);
}

QSize SideTabBar::tabSizeHint(int index) const {
    QSize size = QTabBar::tabSizeHint(index);
    size.transpose();
    const QString text = tabText(index).remove(QLatin1Char('&'));
    const int width = fontMetrics().horizontalAdvance(text) + 28;
    return {std::max(width, 200), std::max(size.height(), fontMetrics().height() + 14)};
}

void SideTabBar::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    for (int i = 0; i < count(); ++i) {
        if (!isTabVisible(i)) continue;
        QStyleOptionTab option;
        initStyleOption(&option, i);
        painter.drawControl(QStyle::CE_TabBarTabShape, option);
        // The style writes a side tab's caption upwards; turning the painter
        // a quarter writes it across.
        painter.save();
        QSize size = option.rect.size();
        size.transpose();
        QRect rect(QPoint(), size);
        rect.moveCenter(option.rect.center());
        option.rect = rect;
        const QPoint centre = tabRect(i).center();
        painter.translate(centre);
        painter.rotate(90);
        painter.translate(-centre);
        painter.drawControl(QStyle::CE_TabBarTabLabel, option);
        painter.restore();
    }
}

SideTabWidget::SideTabWidget(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new SideTabBar);
    setTabPosition(QTabWidget::West);
}

} // namespace vorelux::app
