// The editor's entry point: the command line, the private LED font, the main
// window (with the page file named on the command line), the event loop, and
// the font removed again at the end.
#include "app/application_setup.h"
#include "app/main_window.h"
#include "vorelux_version.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

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

// SIGTERM, SIGHUP (the session ends) and SIGINT (Ctrl+C): Caps Lock is given
// back at once, then the window closes as at "Sair", asking about unsaved
// pages. A second signal, or one after the window is gone, ends the process
// straight away.
std::function<void(int)> endRunOnSignal(QPointer<vorelux::app::MainWindow> window) {
    return [window, count = 0](int number) mutable {
        if (window) window->capsLock().finish();
        if (++count > 1 || !window) {
            std::signal(number, SIG_DFL);
            std::raise(number);
            return;
        }
        window->close();
    };
}

// --help, --version and a wrong argument are answered without a display;
// -1 lets the editor start.
int answerWithoutWindow(const vorelux::app::CommandLine& line) {
    using Action = vorelux::app::CommandLine::Action;
    switch (line.action) {
    case Action::Help:
        std::fputs(vorelux::app::commandLineHelp().c_str(), stdout);
        return 0;
    case Action::Version:
        std::printf("vorelux-editor %s\n", VORELUX_VERSION);
        return 0;
    case Action::Error:
        std::fprintf(stderr, "%s\n", line.error.c_str());
        return 2;
    case Action::Run:
        break;
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[]) {
    const vorelux::app::CommandLine line =
        vorelux::app::parseCommandLine(std::vector<std::string>(argv, argv + argc));
    if (const int answer = answerWithoutWindow(line); answer >= 0) return answer;
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
        vorelux::app::Services services;
        services.reopenLastFile = line.pageFile.empty();
        auto* window = new vorelux::app::MainWindow(services);
        shown = window;
        const vorelux::app::EndSignals endSignals(endRunOnSignal(window));
        window->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(window, &vorelux::app::MainWindow::closeFinished, &application,
                         &QApplication::quit, Qt::QueuedConnection);
        window->show();
        // Without a window manager (a bare X server) nothing else gives the
        // new window the keyboard focus.
        window->activateWindow();
        if (!line.pageFile.empty())
            window->openCommandLineFile(
                QFile::decodeName(QByteArray::fromStdString(line.pageFile)));
        result = application.exec();
    }
    vorelux::app::finishApplication(setup);
    return result;
}
