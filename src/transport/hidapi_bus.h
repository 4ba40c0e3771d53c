#pragma once
// The real HID bus on hidapi.
#include "link/hid.h"

namespace vorelux {

// hidapi's HID devices. Input reports are given with their report ID first
// (0 for devices that do not number their reports); the output report length
// comes from the device's report descriptor (65 when it cannot be read).
class HidapiBus : public HidBus {
  public:
    HidapiBus();
    ~HidapiBus() override;
    std::vector<HidDeviceInfo> enumerate() override;
    std::shared_ptr<HidDevice> open(const HidDeviceInfo& info, std::string& error) override;

  private:
    bool initialized_ = false;
};

} // namespace vorelux
