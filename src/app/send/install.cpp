// Hooks the send features into the window that owns them.
#include "app/send/send_features.h"

#include <QMainWindow>
#include <QMenuBar>

namespace vorelux::app {

std::unique_ptr<SendFeatures> installSendFeatures(const SendHost& host, SendLink devices,
                                                  SendFeatureServices services) {
    QWidget* window = host.window;
    if (services.connCfgPath == "conn.cfg" && !host.connCfgPath.isEmpty())
        services.connCfgPath = host.connCfgPath.toStdString();
    if (!services.mainCaption && !host.caption.isEmpty())
        services.mainCaption = [caption = host.caption] { return caption; };
    if (!services.mainCaption && window)
        services.mainCaption = [window] { return window->windowTitle(); };
    if (!services.setMainEnabled) services.setMainEnabled = host.setEnabled;
    if (!services.setMainEnabled && window)
        services.setMainEnabled = [window](bool enabled) {
            // The window's controls and menus, not the window: the send dialog
            // is one of its children and stays usable.
            auto* main = qobject_cast<QMainWindow*>(window);
            if (!main) return;
            if (QWidget* central = main->centralWidget()) central->setEnabled(enabled);
            if (main->menuBar()) main->menuBar()->setEnabled(enabled);
        };
    if (!services.currentPage) services.currentPage = host.currentPage;
    if (!services.afterSendClose) services.afterSendClose = host.afterSendClose;
    auto features =
        std::make_unique<SendFeatures>(devices, *host.store, std::move(services), window);
    features->attachSendOpeners(host.sendButton, host.sendAction);
    features->attachPowerButtons(host.powerOnButton, host.powerOffButton);
    features->attachPreviewMenus(host.previewOnMenu, host.previewOffMenu);
    return features;
}

} // namespace vorelux::app
