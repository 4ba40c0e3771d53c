#include "app/application_setup.h"

#include "app/led_font.h"
#include "files/settings_folder.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace vorelux::app {

void prepareApplication(ApplicationSetup& setup) {
    // The standard dialogs speak Portuguese when Qt's translations are installed.
    if (setup.qtTranslator.load(QLocale(QLocale::Portuguese, QLocale::Brazil),
                                QStringLiteral("qtbase"), QStringLiteral("_"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&setup.qtTranslator);
    setup.fontHandle = loadPrivateFont();
    // These names place the user's settings folder (Qt's per-application
    // configuration location), which the `vorelux` tool finds the same way.
    QApplication::setOrganizationName(QString::fromLatin1(SettingsOrganization));
    QApplication::setApplicationName(QString::fromLatin1(SettingsApplication));
    // No display name: the platform would add it to every title, and the main
    // window's caption already names the editor.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vorelux.Editor"));
}

void finishApplication(ApplicationSetup& setup) {
    removePrivateFont(setup.fontHandle);
    setup.fontHandle = -1;
}

} // namespace vorelux::app
