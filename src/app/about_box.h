#pragma once
// AboutBox, "Sobre": the editor's version and the libraries it is built
// with, each with its licence.
#include <QDialog>
#include <QString>

#include <vector>

namespace vorelux::app {

struct LibraryNotice {
    QString name;    // "Qt 6.4.2 (Core, Gui, Widgets, SerialPort)"
    QString use;     // what the editor uses it for
    QString licence; // "LGPLv3"
};

// The version from the build ("1.0").
QString editorVersion();
// The libraries linked into the editor.
std::vector<LibraryNotice> linkedLibraries();

class AboutBox final : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr);
};

} // namespace vorelux::app
