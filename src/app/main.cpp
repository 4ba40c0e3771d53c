// The editor's entry point: the private LED font, the main window, the event
// loop, and the font removed again at the end.
#include "app/application_setup.h"
#include "app/main_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    vorelux::app::ApplicationSetup setup;
    vorelux::app::prepareApplication(setup);
    // The window hides itself during the first closing pass; the run ends
    // only when its second pass is done.
    QApplication::setQuitOnLastWindowClosed(false);

    int result = 0;
    {
        auto* window = new vorelux::app::MainWindow();
        window->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(window, &vorelux::app::MainWindow::closeFinished, &application,
                         &QApplication::quit, Qt::QueuedConnection);
        window->show();
        result = application.exec();
    }
    vorelux::app::finishApplication(setup);
    return result;
}
