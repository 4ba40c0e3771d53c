#pragma once
// Caps Lock for the editor's windows: the panels' fonts are mostly capitals,
// so Caps Lock is switched on while the editor has the keyboard focus (the
// application is active and its main window shown) and given back as it was
// when the focus leaves, when the main window hides at "Sair" and when the
// keeper ends. If the operator presses Caps Lock while editing, that setting
// is theirs: it is neither given back nor forced again for the rest of the
// run.
//
// While Caps Lock is forced, a small marker file (when a path is given) names
// this process and the state Caps Lock had; a later start that finds the
// marker of a process that no longer runs (killed, crashed) gives that state
// back first.
#include "app/lock_keys.h"

#include <QGuiApplication>
#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace vorelux::app {

class CapsLockKeeper final : public QObject {
  public:
    // `changed` runs after the keeper switched Caps Lock (the status bar).
    CapsLockKeeper(LockKeys& keys, QWidget& window, QString markerPath,
                   std::function<void()> changed = {});
    ~CapsLockKeeper() override;
    CapsLockKeeper(const CapsLockKeeper&) = delete;
    CapsLockKeeper& operator=(const CapsLockKeeper&) = delete;

    // Caps Lock as it was before the editor first forced it.
    bool stateBefore() const { return stateBefore_; }
    bool forced() const { return forced_; }
    // False once the operator pressed Caps Lock.
    bool restores() const { return !leftToOperator_; }
    void leaveToOperator();
    // The run ends (a signal, the last pass of closing): Caps Lock given back
    // now and never forced again.
    void finish();
    // Forces or gives back Caps Lock as the application's state and the
    // window's visibility say.
    void update();

    // The marker of a process that ended while it forced Caps Lock: the state
    // is given back and the marker removed. True when it did so.
    static bool recoverFromEndedProcess(LockKeys& keys, const QString& markerPath);
    // The marker's usual place: the user's runtime folder.
    static QString defaultMarkerPath();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void force();
    void release();
    void writeMarker();
    void removeMarker();

    LockKeys& keys_;
    QWidget& window_;
    QString markerPath_;
    std::function<void()> changed_;
    bool forced_ = false;
    bool stateBefore_ = false;
    bool leftToOperator_ = false;
    bool finished_ = false;
    Qt::ApplicationState applicationState_ = QGuiApplication::applicationState();
};

} // namespace vorelux::app
