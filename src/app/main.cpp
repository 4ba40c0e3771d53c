// The editor's entry point: the private LED font, the main window, the event
// loop, and the font removed again at the end.
#include "app/led_font.h"
#include "app/main_window.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The standard dialogs speak Portuguese when Qt's translations are installed.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    const int fontHandle = vorelux::app::LoadPrivateFont();
    QApplication::setApplicationName(QStringLiteral("Vorelux Editor"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vorelux Editor"));
    // The window hides itself during the first closing pass; the run ends
    // only when its second pass is done.
    QApplication::setQuitOnLastWindowClosed(false);

    int result = 0;
    {
        auto* form = new vorelux::app::TForm1();
        form->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(form, &vorelux::app::TForm1::closeFinished, &application,
                         &QApplication::quit, Qt::QueuedConnection);
        form->show();
        result = application.exec();
    }
    vorelux::app::RemovePrivateFont(fontHandle);
    return result;
}
