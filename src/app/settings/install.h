#pragma once
// Hooks the settings dialog into the main window: the "Ajustes" button, the
// function list's "Ajustar" entry, the power menus' "Automático" and the
// panel-number display of the send features; then runs its start-up.
#include "app/settings/settings_dialog.h"

#include <memory>

namespace vorelux::app {

class TForm1;
class SendFeatures;

// The settings tab of each function-list item (the live fields); 255: none.
int FunctionSettingsTab(int item);

// Builds TForm3 for `window` (created at start-up, shown modally by its
// openers), hooks the openers and runs FormCreate. `send` may be null.
// The window keeps the dialog and destroys it before the devices it uses.
std::unique_ptr<TForm3> installSettingsDialog(TForm1& window, SettingsLink devices,
                                              SendFeatures* send, SettingsServices services = {});

} // namespace vorelux::app
