#pragma once
// The page file dialogs ("Abrir" and "Salvar como..."), behind a seam so
// tests can choose the path.
#include <QString>

#include <optional>

class QWidget;

namespace vorelux::app {

// The filter of both page file dialogs.
inline const QString PageFileFilter = QStringLiteral("Páginas Vorelux (*.vpg)");

class FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    // The chosen path, or nothing when the operator cancels.
    virtual std::optional<QString> openPageFile(QWidget* parent) = 0;
    virtual std::optional<QString> savePageFile(QWidget* parent) = 0;
};

// Standard open and save dialogs. The save dialog replaces an existing file
// without asking, as page files always have.
class QtFileDialogs final : public FileDialogs {
  public:
    std::optional<QString> openPageFile(QWidget* parent) override;
    std::optional<QString> savePageFile(QWidget* parent) override;

  private:
    QString lastDir_;
};

} // namespace vorelux::app
