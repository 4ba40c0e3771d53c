#pragma once
// The USB HID bus and one HID device, as the transmitter code needs them.
// The real ones sit on hidapi; tests use a simulated transmitter.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorelux {

struct HidDeviceInfo {
    std::string path;    // identifies the device while it stays plugged in
    std::string product; // the product string, exactly as the device gives it
    uint16_t vendorId = 0;
    uint16_t productId = 0;
};

// One opened HID device. read() runs on the reader thread while write() runs
// on the user-interface thread; implementations allow that.
class HidDevice {
  public:
    virtual ~HidDevice() = default;
    virtual std::string path() const = 0;
    // The length of an output report, report ID byte included (the device's
    // capabilities).
    virtual size_t outputReportLength() = 0;
    // Writes one whole output report (report ID first). False with the
    // system's text and code for the failure.
    virtual bool write(const std::vector<uint8_t>& report, std::string& errorText,
                       unsigned& errorCode) = 0;
    // Waits up to timeoutMs for one input report and gives it as the report
    // ID followed by its data bytes. 1 with a report, 0 when none came, -1
    // when the device is gone or failed.
    virtual int read(std::vector<uint8_t>& report, int timeoutMs) = 0;
};

class HidBus {
  public:
    virtual ~HidBus() = default;
    // The HID devices plugged in now.
    virtual std::vector<HidDeviceInfo> enumerate() = 0;
    // Opens a device for exclusive use; nullptr with a reason when it cannot.
    virtual std::shared_ptr<HidDevice> open(const HidDeviceInfo& info, std::string& error) = 0;
};

// The output report length, report ID byte included, that a HID report
// descriptor declares: one more than the longest output report; 0 when it
// declares none or cannot be read. `usesReportIds` tells whether the
// descriptor numbers its reports (then input reports arrive with their ID).
size_t outputReportLengthFromDescriptor(const std::vector<uint8_t>& descriptor,
                                        bool* usesReportIds = nullptr);

} // namespace vorelux
