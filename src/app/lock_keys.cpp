#include "app/lock_keys.h"

#include <QFile>
#include <QGuiApplication>

#if defined(_WIN32)
#include "app/windows_lock_keys.h"
#elif defined(VORELUX_HAVE_X11)
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace vorelux::app {

namespace {

class NoLockKeys final : public LockKeys {
  public:
    bool numLock() override { return false; }
    bool capsLock() override { return false; }
    bool scrollLock() override { return false; }
    void setCapsLock(bool) override {}
};

// Lock states kept in a file ("0" or "1" for Caps Lock), for the tests
// that start the editor as a process where no keyboard can be switched.
class FileLockKeys final : public LockKeys {
  public:
    explicit FileLockKeys(QString path) : path_(std::move(path)) {}
    bool numLock() override { return false; }
    bool capsLock() override {
        QFile file(path_);
        return file.open(QIODevice::ReadOnly) && file.read(1) == "1";
    }
    bool scrollLock() override { return false; }
    void setCapsLock(bool on) override {
        QFile file(path_);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(on ? "1\n" : "0\n");
    }

  private:
    QString path_;
};

#if defined(VORELUX_HAVE_X11)

// Reads the keyboard indicators by name and locks the Lock modifier, on a
// display connection of its own.
class XkbLockKeys final : public LockKeys {
  public:
    explicit XkbLockKeys(Display* display) : display_(display) {}
    ~XkbLockKeys() override { XCloseDisplay(display_); }

    bool numLock() override { return indicator("Num Lock"); }
    bool capsLock() override {
        XkbStateRec state{};
        if (XkbGetState(display_, XkbUseCoreKbd, &state) != Success) return indicator("Caps Lock");
        return (state.locked_mods & LockMask) != 0;
    }
    bool scrollLock() override { return indicator("Scroll Lock"); }
    void setCapsLock(bool on) override {
        if (capsLock() == on) return;
        XkbLockModifiers(display_, XkbUseCoreKbd, LockMask, on ? LockMask : 0);
        XSync(display_, False);
    }

  private:
    bool indicator(const char* name) {
        Atom atom = XInternAtom(display_, name, True);
        if (atom == None) return false;
        Bool on = False;
        if (!XkbGetNamedIndicator(display_, atom, nullptr, &on, nullptr, nullptr)) return false;
        return on != False;
    }
    Display* display_;
};

#endif

} // namespace

std::unique_ptr<LockKeys> makeSystemLockKeys() {
    const QString testFile = qEnvironmentVariable("VORELUX_TEST_LOCK_FILE");
    if (!testFile.isEmpty()) return std::make_unique<FileLockKeys>(testFile);
#if defined(_WIN32)
    return makeWindowsLockKeys();
#elif defined(VORELUX_HAVE_X11)
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        int major = XkbMajorVersion, minor = XkbMinorVersion, reason = 0;
        Display* display = XkbOpenDisplay(nullptr, nullptr, nullptr, &major, &minor, &reason);
        if (display) return std::make_unique<XkbLockKeys>(display);
    }
    return std::make_unique<NoLockKeys>();
#else
    return std::make_unique<NoLockKeys>();
#endif
}

} // namespace vorelux::app
