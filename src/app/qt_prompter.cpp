#include "app/qt_prompter.h"

#include <QAbstractButton>
#include <QApplication>

#include <utility>

namespace vorelux::app {

QMessageBox::Icon promptIcon(int style) {
    switch (style) {
    case StyleOkError:
    case StyleYesNoError:
        return QMessageBox::Critical;
    case StyleOkQuestion:
    case StyleYesNoCancelQuestion:
    case StyleYesNoQuestion:
        return QMessageBox::Question;
    case StyleOkInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons promptButtons(int style) {
    switch (style) {
    case StyleYesNoError:
    case StyleYesNoQuestion:
        return QMessageBox::Yes | QMessageBox::No;
    case StyleYesNoCancelQuestion:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    default:
        return QMessageBox::Ok;
    }
}

int promptResult(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return ButtonOk;
    case QMessageBox::Yes:
        return ButtonYes;
    case QMessageBox::No:
        return ButtonNo;
    default:
        return ButtonCancel;
    }
}

QString promptText(const std::string& text) {
    QString result = QString::fromStdString(text);
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return result;
}

void portugueseButtons(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, const char*> names[] = {
        {QMessageBox::Ok, "OK"},
        {QMessageBox::Yes, "&Sim"},
        {QMessageBox::No, "&Não"},
        {QMessageBox::Cancel, "Cancelar"}};
    for (const auto& [which, name] : names)
        if (QAbstractButton* button = box.button(which)) button->setText(QString::fromUtf8(name));
}

QtPrompter::QtPrompter(QWidget* parent, std::function<QString()> caption, std::function<int()> page)
    : parent_(parent), caption_(std::move(caption)), page_(std::move(page)) {}

int QtPrompter::showPrompt(unsigned msg) {
    auto content = promptContent(msg, caption_().toStdString(), page_());
    if (!content) return ButtonNone;
    QMessageBox box(promptIcon(content->style), QString::fromStdString(content->caption),
                    promptText(content->text), promptButtons(content->style), parent_);
    // The first button is the default, as on the standard boxes; a Yes/No box
    // closed from its title bar counts as No.
    const auto buttons = promptButtons(content->style);
    box.setDefaultButton(buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok);
    if (buttons.testFlag(QMessageBox::Cancel))
        box.setEscapeButton(QMessageBox::Cancel);
    else if (buttons.testFlag(QMessageBox::No))
        box.setEscapeButton(QMessageBox::No);
    portugueseButtons(box);
    box.exec();
    auto* clicked = box.clickedButton();
    if (!clicked) return buttons.testFlag(QMessageBox::Yes) ? ButtonNo : ButtonOk;
    return promptResult(box.standardButton(clicked));
}

namespace {

void showMessageBox(QMessageBox::Icon icon, const std::string& text, QWidget* parent) {
    QMessageBox box(icon, QApplication::applicationDisplayName(), promptText(text), QMessageBox::Ok,
                    parent);
    portugueseButtons(box);
    box.exec();
}

} // namespace

void QtPrompter::message(const std::string& text) {
    showMessageBox(QMessageBox::Critical, text, parent_);
}

void QtPrompter::inform(const std::string& text) {
    showMessageBox(QMessageBox::Information, text, parent_);
}

// "Não" is the default: Enter or closing the box never starts what was asked.
int QtPrompter::question(const std::string& text) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), promptText(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    portugueseButtons(box);
    box.exec();
    auto* clicked = box.clickedButton();
    return clicked && box.standardButton(clicked) == QMessageBox::Yes ? ButtonYes : ButtonNo;
}

} // namespace vorelux::app
