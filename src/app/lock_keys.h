#pragma once
// The lock keys: reads the toggle states of Num, Caps and Scroll Lock and
// switches Caps Lock. The real implementation talks to the windowing system
// (Xkb on X11, the keyboard API on Windows); where neither is available
// (the offscreen platform, Wayland) nothing is locked and every state reads off.
#include <memory>

namespace vorelux::app {

class LockKeys {
  public:
    virtual ~LockKeys() = default;
    virtual bool numLock() = 0;
    virtual bool capsLock() = 0;
    virtual bool scrollLock() = 0;
    // SetToggleKey(Caps Lock, on): toggles Caps Lock only when its state differs.
    virtual void setCapsLock(bool on) = 0;
};

// The lock keys of the platform the application runs on. For tests that
// start the editor as a process, VORELUX_TEST_LOCK_FILE names a file that
// stands for the keyboard's Caps Lock ("1" on, "0" off).
std::unique_ptr<LockKeys> makeSystemLockKeys();

} // namespace vorelux::app
