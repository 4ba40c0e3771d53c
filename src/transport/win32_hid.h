#pragma once
// The USB HID devices on Windows without hidapi: the system's HID class
// (SetupAPI and hid.dll) and overlapped reads and writes on the device.
#include "link/hid.h"

namespace vorelux {

// The HID devices Windows has present. A device's path is its interface
// path ("\\?\hid#vid_...") as UTF-8; input reports come with their report ID
// first (0 for devices that do not number their reports), as Windows gives
// them; the output report length is the one the device declares.
class Win32HidBus : public HidBus {
  public:
    std::vector<HidDeviceInfo> enumerate() override;
    std::shared_ptr<HidDevice> open(const HidDeviceInfo& info, std::string& error) override;
};

// One opened device on a handle opened for overlapped input and output,
// which it closes. `inputLength` and `outputLength` are the report lengths
// with the report ID byte; a write pads a shorter report with zeros to
// `outputLength`, since Windows takes only whole reports. Made public for
// the tests, which run it on a message-mode pipe.
std::shared_ptr<HidDevice> makeWin32HidDevice(void* handle, std::string path, size_t inputLength,
                                              size_t outputLength);

} // namespace vorelux
