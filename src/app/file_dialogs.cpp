#include "app/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace vorelux::app {

std::optional<QString> QtFileDialogs::openPageFile(QWidget* parent) {
    QString path =
        QFileDialog::getOpenFileName(parent, QStringLiteral("Abrir"), lastDir_, PageFileFilter);
    if (path.isEmpty()) return std::nullopt;
    lastDir_ = QFileInfo(path).absolutePath();
    return path;
}

std::optional<QString> QtFileDialogs::savePageFile(QWidget* parent) {
    QString path =
        QFileDialog::getSaveFileName(parent, QStringLiteral("Salvar como"), lastDir_,
                                     PageFileFilter, nullptr, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) return std::nullopt;
    lastDir_ = QFileInfo(path).absolutePath();
    return path;
}

} // namespace vorelux::app
