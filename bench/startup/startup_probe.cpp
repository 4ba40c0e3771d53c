// Starts the editor as its entry point does (translations, LED font, main
// window) in a folder of its own, prints "shown" once the window is shown and
// the event loop runs, and quits.
#include "app/application_setup.h"
#include "app/main_window.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    vorelux::app::ApplicationSetup setup;
    vorelux::app::prepareApplication(setup);

    // A working folder with connection settings, as after a first run.
    QTemporaryDir dir;
    QFile settings(dir.filePath(QStringLiteral("conn.cfg")));
    if (!settings.open(QIODevice::WriteOnly)) return 1;
    settings.write(QByteArray(16, '\0'));
    settings.close();

    vorelux::app::Services services;
    services.appDir = dir.path();
    vorelux::app::MainWindow form(services);
    form.show();
    QTimer::singleShot(0, [] {
        std::puts("shown");
        std::fflush(stdout);
        QApplication::quit();
    });
    const int result = application.exec();
    vorelux::app::finishApplication(setup);
    return result;
}
