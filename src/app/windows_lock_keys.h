#pragma once
// The lock keys through the Windows keyboard API. Plain Win32 without Qt, so
// the Windows build compiles it and tests it under Wine.
#include "app/lock_keys.h"

namespace vorelux::app {

std::unique_ptr<LockKeys> makeWindowsLockKeys();

} // namespace vorelux::app
