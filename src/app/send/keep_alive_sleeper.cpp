#include "app/send/keep_alive_sleeper.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace vorelux::app {

void KeepAliveSleeper::sleep(int milliseconds) {
    if (milliseconds <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(milliseconds);
    loop.exec();
}

} // namespace vorelux::app
