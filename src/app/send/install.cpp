// Hooks the send features into the main window.
#include "app/main_window.h"
#include "app/send/send_features.h"

#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>

namespace vorelux::app {

std::unique_ptr<SendFeatures> installSendFeatures(TForm1& window, SendLink devices,
                                                  SendFeatureServices services) {
    if (services.connCfgPath == "conn.cfg" && !window.ConnCfgPath.isEmpty())
        services.connCfgPath = window.ConnCfgPath.toStdString();
    if (!services.mainCaption) services.mainCaption = [&window] { return window.windowTitle(); };
    if (!services.setMainEnabled)
        services.setMainEnabled = [&window](bool enabled) {
            // The window's controls and menus, not the window: the send dialog
            // is one of its children and stays usable.
            if (QWidget* central = window.centralWidget()) central->setEnabled(enabled);
            window.menuBar()->setEnabled(enabled);
        };
    if (!services.currentPage)
        services.currentPage = [&window] {
            return window.tsPaginas ? window.tsPaginas->currentIndex() : 0;
        };
    if (!services.afterSendClose)
        services.afterSendClose = [&window] {
            window.Timer1.start();
            if (window.mmEdit) window.mmEdit->setFocus();
        };
    auto features =
        std::make_unique<SendFeatures>(devices, window.store(), std::move(services), &window);
    features->attachSendOpeners(window.BitBtn2, window.Enviar1);
    features->attachPowerButtons(window.JvSpeedButton1, window.JvSpeedButton2);
    features->attachPreviewMenus(window.PopupLigar, window.PopupDesligar);
    return features;
}

} // namespace vorelux::app
