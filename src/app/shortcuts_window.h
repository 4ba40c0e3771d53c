#pragma once
// ShortcutsWindow, "Teclas de atalho": every key the line editor handles,
// grouped (characters, editing, fonts, live fields, drawings, effects, pages,
// lines, preview), in a window that stays open beside the editor.
#include <QDialog>
#include <QString>

#include <vector>

class QTreeWidget;

namespace vorelux::app {

struct ShortcutEntry {
    QString keys;   // "Ctrl + H"
    QString action; // what it does
};

struct ShortcutGroup {
    QString title;
    std::vector<ShortcutEntry> entries;
};

// The keys of the line editor as the window lists them.
std::vector<ShortcutGroup> editorShortcuts();

class ShortcutsWindow final : public QDialog {
    Q_OBJECT
  public:
    explicit ShortcutsWindow(QWidget* parent = nullptr);

  private:
    QTreeWidget* list_ = nullptr;
};

} // namespace vorelux::app
