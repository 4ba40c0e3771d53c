// The editor's Caps Lock switch on Windows: the state it reads follows the
// key presses it makes, it presses nothing when the state is already right,
// and what it presses is Caps Lock's own key (a low-level keyboard hook sees
// what the system receives).
#include "app/windows_lock_keys.h"

#include <gtest/gtest.h>

#include <vector>
#include <windows.h>

namespace vorelux::app {
namespace {

std::vector<KBDLLHOOKSTRUCT> keysSeen;

LRESULT CALLBACK recordKey(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION) keysSeen.push_back(*reinterpret_cast<KBDLLHOOKSTRUCT*>(data));
    return CallNextHookEx(nullptr, code, message, data);
}

// The hook runs from this thread's message queue.
void deliverKeys() {
    MSG message;
    for (int round = 0; round < 10; ++round) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(5);
    }
}

TEST(WindowsLockKeys, CapsLockSwitchesOnlyWhenItDiffers) {
    auto keys = makeWindowsLockKeys();
    const bool atStart = keys->capsLock();
    keys->setCapsLock(!atStart);
    EXPECT_EQ(keys->capsLock(), !atStart);
    keys->setCapsLock(!atStart); // a second press would turn it back
    EXPECT_EQ(keys->capsLock(), !atStart);
    keys->setCapsLock(atStart);
    EXPECT_EQ(keys->capsLock(), atStart);
    // The other two are only read; Windows keeps them as they were.
    const bool num = keys->numLock();
    const bool scroll = keys->scrollLock();
    keys->setCapsLock(!atStart);
    EXPECT_EQ(keys->numLock(), num);
    EXPECT_EQ(keys->scrollLock(), scroll);
    keys->setCapsLock(atStart);
}

TEST(WindowsLockKeys, PressesAndReleasesCapsLocksOwnKey) {
    auto keys = makeWindowsLockKeys();
    const bool atStart = keys->capsLock();
    keysSeen.clear();
    const HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, recordKey, GetModuleHandleW(nullptr), 0);
    ASSERT_NE(hook, nullptr);
    keys->setCapsLock(!atStart);
    deliverKeys();
    keys->setCapsLock(!atStart);
    deliverKeys();
    UnhookWindowsHookEx(hook);
    keys->setCapsLock(atStart);

    ASSERT_EQ(keysSeen.size(), 2u) << "one press and one release, none for the second call";
    for (const KBDLLHOOKSTRUCT& key : keysSeen) {
        EXPECT_EQ(key.vkCode, DWORD(VK_CAPITAL));
        EXPECT_EQ(key.scanCode, 0x3Au);
        EXPECT_EQ(key.flags & LLKHF_EXTENDED, 0u) << "Caps Lock is not an extended key";
    }
    EXPECT_EQ(keysSeen[0].flags & LLKHF_UP, 0u);
    EXPECT_NE(keysSeen[1].flags & LLKHF_UP, 0u);
}

} // namespace
} // namespace vorelux::app
