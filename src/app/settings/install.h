#pragma once
// Hooks the settings dialog into the main window: the "Ajustes" button, the
// function list's "Ajustar" entry, the power menus' "Automático" and the
// panel-number display of the send features; then runs its start-up.
#include "app/settings/settings_dialog.h"

#include <functional>
#include <memory>

class QListWidget;
class QMenu;
class QPushButton;

namespace vorelux::app {

class SendFeatures;

// The settings tab of each function-list item (the live fields); 255: none.
int functionSettingsTab(int item);

// What the dialog hooks into on the window that owns it. Null controls are
// left alone.
struct SettingsHost {
    QWidget* window = nullptr;             // parent of the dialog
    QPushButton* settingsButton = nullptr; // "Ajustes"
    QListWidget* functionList = nullptr;   // the live fields
    QMenu* functionMenu = nullptr;         // its "Ajustar"
    QString connCfgPath;                   // empty: the services' path
    QString caption;                       // the prompts' caption; empty: the window's title
    std::function<void()> afterClose;      // when the services have none
};

// Builds the dialog for `host` (created at start-up, shown modally by its
// openers), hooks the openers and runs the start-up checks. `send` may be
// null. The owner keeps the dialog and destroys it before the devices it uses.
std::unique_ptr<PanelSettingsDialog> installSettingsDialog(const SettingsHost& host,
                                                           SettingsLink devices, SendFeatures* send,
                                                           SettingsServices services = {});

} // namespace vorelux::app
