#include "app/windows_lock_keys.h"

#include <windows.h>

namespace vorelux::app {

namespace {

class WindowsLockKeys final : public LockKeys {
  public:
    bool numLock() override { return (GetKeyState(VK_NUMLOCK) & 1) != 0; }
    bool capsLock() override { return (GetKeyState(VK_CAPITAL) & 1) != 0; }
    bool scrollLock() override { return (GetKeyState(VK_SCROLL) & 1) != 0; }
    void setCapsLock(bool on) override {
        if (capsLock() == on) return;
        // A synthesised press and release of the key, as the keyboard driver
        // would send them: Caps Lock is scan code 0x3A, not an extended key.
        constexpr BYTE CapsLockScanCode = 0x3A;
        keybd_event(VK_CAPITAL, CapsLockScanCode, 0, 0);
        keybd_event(VK_CAPITAL, CapsLockScanCode, KEYEVENTF_KEYUP, 0);
    }
};

} // namespace

std::unique_ptr<LockKeys> makeWindowsLockKeys() {
    return std::make_unique<WindowsLockKeys>();
}

} // namespace vorelux::app
