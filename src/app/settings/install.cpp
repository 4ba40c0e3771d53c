// Hooks the settings dialog into the main window.
#include "app/settings/install.h"

#include "app/main_window.h"
#include "app/send/send_features.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vorelux::app {

int FunctionSettingsTab(int item) {
    // Clock, date and weekday fields: the clock tab; the greeting and the
    // temperatures: none; the count-down and count-up fields: their tabs.
    static constexpr int table[14] = {3, 3, 3, 3, 3, 3, 3, 3, 3, 255, 255, 255, 8, 7};
    return item >= 0 && item < 14 ? table[item] : 255;
}

std::unique_ptr<TForm3> installSettingsDialog(TForm1& window, SettingsLink devices,
                                              SendFeatures* send, SettingsServices services) {
    if (services.connCfgPath == "conn.cfg" && !window.ConnCfgPath.isEmpty())
        services.connCfgPath = window.ConnCfgPath.toStdString();
    if (!services.mainCaption) services.mainCaption = [&window] { return window.windowTitle(); };
    if (!services.openIdDisplay && send) services.openIdDisplay = [send] { send->exibirIds(); };
    if (!services.afterClose)
        services.afterClose = [&window] {
            if (!window.isVisible() && !window.isClosing()) window.show();
            if (window.mmEdit) window.mmEdit->setFocus();
        };
    auto form = std::make_unique<TForm3>(devices, std::move(services), &window);
    // A dialog of its own, not a widget inside the main window.
    form->setWindowFlags(Qt::Dialog);
    TForm3* dialog = form.get();

    // "Ajustes": the send dialog gives way, then tab 0.
    if (window.BitBtn4) {
        window.BitBtn4->setToolTip(QStringLiteral("Ajusta e configura o painel"));
        QObject::connect(window.BitBtn4, &QPushButton::clicked, dialog, [dialog, send] {
            if (send && send->sendDialog().isVisible()) send->sendDialog().close();
            dialog->BitBtn4Click();
        });
    }

    // The function list: a right click over a live field with a settings tab
    // offers "Ajustar", which opens the dialog on that tab.
    QListWidget* functions = window.ListBox2;
    QMenu* popup = window.PopupFuncoes;
    if (functions && popup && !popup->actions().isEmpty() &&
        functions->contextMenuPolicy() == Qt::DefaultContextMenu) {
        auto tab = std::make_shared<int>(255);
        QAction* ajustar = popup->actions().first();
        popup->setDefaultAction(ajustar);
        QObject::connect(ajustar, &QAction::triggered, dialog, [dialog, tab] {
            if (*tab != 255) dialog->openOnTab(*tab);
        });
        functions->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(functions, &QWidget::customContextMenuRequested, dialog,
                         [functions, popup, tab](const QPoint& at) {
                             QListWidgetItem* item = functions->itemAt(at);
                             if (!item) return;
                             functions->setCurrentItem(item);
                             *tab = FunctionSettingsTab(functions->row(item));
                             if (*tab != 255) popup->popup(functions->viewport()->mapToGlobal(at));
                         });
    }

    // "Automático" on the power menus: the on/off tab.
    if (send) send->setOnOffSettingsOpener([dialog] { dialog->openOnTab(TForm3::tbsOnOffTime); });

    dialog->FormCreate();
    return form;
}

} // namespace vorelux::app
