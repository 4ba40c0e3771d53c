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
        auto* form = new vorelux::app::TForm1();
        form->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(form, &vorelux::app::TForm1::closeFinished, &application,
                         &QApplication::quit, Qt::QueuedConnection);
        form->show();
        result = application.exec();
    }
    vorelux::app::finishApplication(setup);
    return result;
}
