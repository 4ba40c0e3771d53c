#include "transport/hidapi_bus.h"

#include "model/system_error.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <hidapi/hidapi.h>
#include <iterator>
#include <mutex>
#include <thread>

namespace vorelux {

namespace {

constexpr size_t DefaultOutputReportLength = 65; // report ID + 64 bytes
constexpr int ReadSliceMs = 20;                  // a write waits at most this long for the reader

void appendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD; // not a character
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// hidapi's wide strings (UTF-32 where wchar_t has 32 bits, UTF-16 where it
// has 16) as UTF-8; a lone surrogate becomes U+FFFD.
std::string fromWide(const wchar_t* text) {
    std::string out;
    for (; text && *text; ++text) {
        auto c = static_cast<char32_t>(*text);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && text[1] >= 0xDC00 &&
            text[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[1]) - 0xDC00);
            ++text;
        }
        appendUtf8(out, c);
    }
    return out;
}

// The report descriptor of a hidraw device, from sysfs ("/dev/hidraw3" ->
// /sys/class/hidraw/hidraw3/device/report_descriptor). Empty elsewhere.
std::vector<uint8_t> reportDescriptor(const std::string& path) {
    const std::string prefix = "/dev/";
    if (path.compare(0, prefix.size(), prefix) != 0) return {};
    std::ifstream in("/sys/class/hidraw/" + path.substr(prefix.size()) +
                         "/device/report_descriptor",
                     std::ios::binary);
    if (!in) return {};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class HidapiDevice : public HidDevice {
  public:
    HidapiDevice(hid_device* handle, std::string path) : handle_(handle), path_(std::move(path)) {
        outputLength_ = outputReportLengthFromDescriptor(reportDescriptor(path_), &numbered_);
        if (outputLength_ == 0) outputLength_ = DefaultOutputReportLength;
    }
    ~HidapiDevice() override { hid_close(handle_); }

    std::string path() const override { return path_; }
    size_t outputReportLength() override { return outputLength_; }

    bool write(const std::vector<uint8_t>& report, std::string& errorText,
               unsigned& errorCode) override {
        // hidapi keeps one error text per device: reads and writes take turns.
        writersWaiting_++;
        std::lock_guard lock(mutex_);
        writersWaiting_--;
        errno = 0;
        int written = hid_write(handle_, report.data(), report.size());
        int error = errno;
        if (written == static_cast<int>(report.size())) return true;
        errorCode = static_cast<unsigned>(error);
        errorText = fromWide(hid_error(handle_));
        if (errorText.empty()) errorText = error ? systemErrorText(error) : "escrita incompleta";
        return false;
    }

    int read(std::vector<uint8_t>& report, int timeoutMs) override {
        unsigned char buffer[1025];
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            while (writersWaiting_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            int got;
            {
                std::lock_guard lock(mutex_);
                got = hid_read_timeout(handle_, buffer + 1, sizeof buffer - 1, ReadSliceMs);
            }
            if (got < 0) return -1;
            if (got > 0) {
                // Numbered reports come with their ID; the others get ID 0.
                if (numbered_)
                    report.assign(buffer + 1, buffer + 1 + got);
                else {
                    buffer[0] = 0;
                    report.assign(buffer, buffer + 1 + got);
                }
                return 1;
            }
            if (std::chrono::steady_clock::now() >= deadline) return 0;
        }
    }

  private:
    hid_device* handle_;
    std::string path_;
    size_t outputLength_ = DefaultOutputReportLength;
    bool numbered_ = false;
    std::mutex mutex_;
    std::atomic<int> writersWaiting_{0};
};

} // namespace

HidapiBus::HidapiBus() {
    initialized_ = hid_init() == 0;
}

HidapiBus::~HidapiBus() {
    if (initialized_) hid_exit();
}

std::vector<HidDeviceInfo> HidapiBus::enumerate() {
    std::vector<HidDeviceInfo> out;
    if (!initialized_) return out;
    hid_device_info* list = hid_enumerate(0, 0);
    for (hid_device_info* d = list; d; d = d->next) {
        HidDeviceInfo info;
        info.path = d->path ? d->path : "";
        info.product = fromWide(d->product_string);
        info.vendorId = d->vendor_id;
        info.productId = d->product_id;
        out.push_back(info);
    }
    hid_free_enumeration(list);
    return out;
}

std::shared_ptr<HidDevice> HidapiBus::open(const HidDeviceInfo& info, std::string& error) {
    if (!initialized_) {
        error = "a biblioteca HID não pôde ser iniciada";
        return nullptr;
    }
    errno = 0;
    hid_device* handle = hid_open_path(info.path.c_str());
    if (!handle) {
        int code = errno;
        error = info.path + ": " + (code ? systemErrorText(code) : "não foi possível abrir");
        return nullptr;
    }
    return std::make_shared<HidapiDevice>(handle, info.path);
}

} // namespace vorelux
