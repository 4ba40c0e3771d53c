// The editor's entry point: the private LED font, the main window, the event
// loop, and the font removed again at the end.
#include "app/application_setup.h"
#include "app/main_window.h"
#include "vorelux_version.h"

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

// For scripted checks of an installed copy (VORELUX_QUIT_AFTER_MS=N): after N
// ms the editor answers the message box that is open with its default
// button, telling its text on the error output, and then closes its window as
// the operator would (so the settings and the last file are written as at
// any close).
void quitAfterDelayWhenAsked(QPointer<QWidget>& window) {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("VORELUX_QUIT_AFTER_MS", &ok);
    if (!ok || ms < 0) return;
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, qApp, [timer, &window] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            QAbstractButton* button = box->defaultButton();
            if (!button && !box->buttons().isEmpty()) button = box->buttons().first();
            std::fprintf(stderr, "vorelux-editor: respondido \"%s\": %s\n",
                         qPrintable(button ? button->text().remove(u'&') : QString()),
                         qPrintable(box->text().replace(u'\n', u' ')));
            if (button)
                button->click();
            else
                box->reject();
            return;
        }
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->reject();
            return;
        }
        if (!window) return; // still starting
        timer->stop();
        window->close();
    });
    timer->start(ms);
}

} // namespace

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vorelux-editor %s\n", VORELUX_VERSION);
            return 0;
        }
    }
    QApplication application(argc, argv);
    vorelux::app::ApplicationSetup setup;
    vorelux::app::prepareApplication(setup);
    QIcon icon;
    for (int size : {48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/vorelux-editor-%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    // The window hides itself during the first closing pass; the run ends
    // only when its second pass is done.
    QApplication::setQuitOnLastWindowClosed(false);

    int result = 0;
    {
        QPointer<QWidget> shown;
        quitAfterDelayWhenAsked(shown);
        auto* window = new vorelux::app::MainWindow();
        shown = window;
        window->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(window, &vorelux::app::MainWindow::closeFinished, &application,
                         &QApplication::quit, Qt::QueuedConnection);
        window->show();
        result = application.exec();
    }
    vorelux::app::finishApplication(setup);
    return result;
}
