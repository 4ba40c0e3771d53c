#include "app/settings/page_widgets.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>

namespace vorelux::app {

QPushButton* settingsButton(const char* name, const QString& text) {
    // Alt + its first letter presses it (one tab shows at a time), unless
    // the caption marks another.
    auto* b = new QPushButton(text.contains(u'&') ? text : QLatin1Char('&') + text);
    b->setObjectName(QString::fromLatin1(name));
    b->setMinimumWidth(96);
    return b;
}

QPlainTextEdit* readOnlyText(const QString& text) {
    auto* m = new QPlainTextEdit(text);
    m->setReadOnly(true);
    m->setFrameShape(QFrame::StyledPanel);
    m->setFocusPolicy(Qt::NoFocus);
    m->setMinimumHeight(96);
    return m;
}

QLabel* noteLabel(const char* text) {
    auto* l = new QLabel(QString::fromUtf8(text));
    l->setWordWrap(true);
    return l;
}

QHBoxLayout* sendRow(QPushButton* button) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(button);
    return row;
}

QTimeEdit* timeField(const char* name, const QString& format) {
    auto* t = new QTimeEdit;
    t->setObjectName(QString::fromLatin1(name));
    t->setDisplayFormat(format);
    t->setMinimumWidth(110);
    return t;
}

QDateEdit* dateField(const char* name) {
    auto* d = new QDateEdit;
    d->setObjectName(QString::fromLatin1(name));
    d->setDisplayFormat(QStringLiteral("dd/MM/yy"));
    // The panels keep two digits of the year.
    d->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    d->setCalendarPopup(true);
    d->setMinimumWidth(130);
    return d;
}

} // namespace vorelux::app

#include <QKeyEvent>

namespace vorelux::app {

bool isSliderKeyRelease(const QEvent* event) {
    if (event->type() != QEvent::KeyRelease) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->isAutoRepeat()) return false;
    switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

} // namespace vorelux::app
