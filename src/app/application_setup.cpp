#include "app/application_setup.h"

#include "app/led_font.h"

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
    setup.fontHandle = LoadPrivateFont();
    QApplication::setApplicationName(QStringLiteral("Vorelux Editor"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vorelux Editor"));
}

void finishApplication(ApplicationSetup& setup) {
    RemovePrivateFont(setup.fontHandle);
    setup.fontHandle = -1;
}

} // namespace vorelux::app
