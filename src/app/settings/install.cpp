// Hooks the settings dialog into the window that owns it.
#include "app/settings/install.h"

#include "app/send/send_features.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vorelux::app {

namespace {

constexpr int NoSettingsTab = 255;

// "Ajustes": the send dialog gives way, then the first tab.
void hookSettingsButton(QPushButton* button, PanelSettingsDialog* dialog, SendFeatures* send) {
    if (!button) return;
    button->setToolTip(QStringLiteral("Ajusta e configura o painel"));
    QObject::connect(button, &QPushButton::clicked, dialog, [dialog, send] {
        if (send && send->sendDialog().isVisible()) send->sendDialog().close();
        dialog->openSettings();
    });
}

// The function list: a right click over a live field with a settings tab
// offers "Ajustar", which opens the dialog on that tab.
void hookFunctionMenu(QListWidget* functions, QMenu* menu, PanelSettingsDialog* dialog) {
    if (!functions || !menu || menu->actions().isEmpty() ||
        functions->contextMenuPolicy() != Qt::DefaultContextMenu)
        return;
    auto tab = std::make_shared<int>(NoSettingsTab);
    QAction* adjustAction = menu->actions().first();
    menu->setDefaultAction(adjustAction);
    QObject::connect(adjustAction, &QAction::triggered, dialog, [dialog, tab] {
        if (*tab != NoSettingsTab) dialog->openOnTab(*tab);
    });
    functions->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(functions, &QWidget::customContextMenuRequested, dialog,
                     [functions, menu, tab](const QPoint& at) {
                         QListWidgetItem* item = functions->itemAt(at);
                         if (!item) return;
                         functions->setCurrentItem(item);
                         *tab = functionSettingsTab(functions->row(item));
                         if (*tab != NoSettingsTab)
                             menu->popup(functions->viewport()->mapToGlobal(at));
                     });
}

} // namespace

int functionSettingsTab(int item) {
    // Clock, date and weekday fields: the clock tab; the greeting and the
    // temperatures: none; the count-down and count-up fields: their tabs.
    static constexpr int table[14] = {3, 3, 3, 3, 3, 3, 3, 3, 3, 255, 255, 255, 8, 7};
    return item >= 0 && item < 14 ? table[item] : NoSettingsTab;
}

std::unique_ptr<PanelSettingsDialog> installSettingsDialog(const SettingsHost& host,
                                                           SettingsLink devices, SendFeatures* send,
                                                           SettingsServices services) {
    if (services.connCfgPath == "conn.cfg" && !host.connCfgPath.isEmpty())
        services.connCfgPath = host.connCfgPath.toStdString();
    if (!services.mainCaption && !host.caption.isEmpty())
        services.mainCaption = [caption = host.caption] { return caption; };
    if (!services.mainCaption && host.window)
        services.mainCaption = [window = host.window] { return window->windowTitle(); };
    if (!services.openIdDisplay && send)
        services.openIdDisplay = [send] { send->showPanelNumbers(); };
    if (!services.afterClose) services.afterClose = host.afterClose;
    auto owned = std::make_unique<PanelSettingsDialog>(devices, std::move(services), host.window);
    // A dialog of its own, not a widget inside the main window.
    owned->setWindowFlags(Qt::Dialog);
    PanelSettingsDialog* dialog = owned.get();

    hookSettingsButton(host.settingsButton, dialog, send);
    hookFunctionMenu(host.functionList, host.functionMenu, dialog);
    // "Automático" on the power menus: the on/off tab.
    if (send)
        send->setOnOffSettingsOpener(
            [dialog] { dialog->openOnTab(PanelSettingsDialog::OnOffTab); });

    dialog->runStartUpChecks();
    return owned;
}

} // namespace vorelux::app
