#pragma once
// The platform's HID bus: hidapi where the build found it, otherwise the
// Win32 HID class on Windows. VORELUX_HAVE_USB tells whether there is one.
#if defined(VORELUX_HAVE_HIDAPI)
#include "transport/hidapi_bus.h"
#define VORELUX_HAVE_USB 1
namespace vorelux {
using SystemHidBus = HidapiBus;
}
#elif defined(_WIN32)
#include "transport/win32_hid.h"
#define VORELUX_HAVE_USB 1
namespace vorelux {
using SystemHidBus = Win32HidBus;
}
#endif
