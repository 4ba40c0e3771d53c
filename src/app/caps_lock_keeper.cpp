#include "app/caps_lock_keeper.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QStandardPaths>
#include <QWidget>

#if !defined(_WIN32)
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace vorelux::app {

namespace {

// "<pid> <state>": the process that forced Caps Lock and the state it had
// before (1 on, 0 off).
struct Marker {
    qint64 pid = 0;
    bool stateBefore = false;
};

bool readMarker(const QString& path, Marker& marker) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QList<QByteArray> fields = file.read(64).simplified().split(' ');
    if (fields.size() != 2) return false;
    bool pidOk = false;
    marker.pid = fields[0].toLongLong(&pidOk);
    if (!pidOk || marker.pid <= 0 || (fields[1] != "0" && fields[1] != "1")) return false;
    marker.stateBefore = fields[1] == "1";
    return true;
}

bool processRuns(qint64 pid) {
#if defined(_WIN32)
    Q_UNUSED(pid);
    return true; // no marker is written there
#else
    return ::kill(pid_t(pid), 0) == 0 || errno != ESRCH;
#endif
}

} // namespace

CapsLockKeeper::CapsLockKeeper(LockKeys& keys, QWidget& window, QString markerPath,
                               std::function<void()> changed)
    : keys_(keys), window_(window), markerPath_(std::move(markerPath)),
      changed_(std::move(changed)) {
    if (!markerPath_.isEmpty()) recoverFromEndedProcess(keys_, markerPath_);
    window_.installEventFilter(this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                applicationState_ = state;
                update();
            });
}

CapsLockKeeper::~CapsLockKeeper() {
    changed_ = nullptr; // the window is going away
    release();
}

void CapsLockKeeper::update() {
    const bool focused = applicationState_ == Qt::ApplicationActive && window_.isVisible();
    if (focused && !finished_ && !leftToOperator_)
        force();
    else
        release();
}

void CapsLockKeeper::leaveToOperator() {
    leftToOperator_ = true;
    forced_ = false;
    removeMarker();
}

void CapsLockKeeper::finish() {
    finished_ = true;
    release();
}

bool CapsLockKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        update();
    return QObject::eventFilter(watched, event);
}

void CapsLockKeeper::force() {
    if (forced_) return;
    stateBefore_ = keys_.capsLock();
    forced_ = true;
    if (stateBefore_) return; // already on: nothing to give back later
    writeMarker();
    keys_.setCapsLock(true);
    if (changed_) changed_();
}

void CapsLockKeeper::release() {
    if (!forced_) return;
    forced_ = false;
    if (!stateBefore_) {
        keys_.setCapsLock(false);
        removeMarker();
        if (changed_) changed_();
    }
}

void CapsLockKeeper::writeMarker() {
    if (markerPath_.isEmpty()) return;
    QDir().mkpath(QFileInfo(markerPath_).absolutePath());
    QSaveFile file(markerPath_);
    if (!file.open(QIODevice::WriteOnly)) return; // Caps Lock still works; only a kill loses it
    file.write(QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
               (stateBefore_ ? "1" : "0") + '\n');
    file.commit();
}

void CapsLockKeeper::removeMarker() {
    if (markerPath_.isEmpty()) return;
    Marker marker;
    // Only this process's marker: another editor may be forcing Caps Lock now.
    if (readMarker(markerPath_, marker) && marker.pid == QCoreApplication::applicationPid())
        QFile::remove(markerPath_);
}

bool CapsLockKeeper::recoverFromEndedProcess(LockKeys& keys, const QString& markerPath) {
    Marker marker;
    if (!readMarker(markerPath, marker)) {
        QFile::remove(markerPath); // damaged: nothing can be given back from it
        return false;
    }
    if (marker.pid == QCoreApplication::applicationPid() || processRuns(marker.pid)) return false;
    keys.setCapsLock(marker.stateBefore);
    QFile::remove(markerPath);
    return true;
}

QString CapsLockKeeper::defaultMarkerPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (folder.isEmpty()) return {};
    return folder + QStringLiteral("/vorelux-editor-caps-lock");
}

} // namespace vorelux::app
