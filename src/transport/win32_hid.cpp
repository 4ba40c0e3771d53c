#include "transport/win32_hid.h"

#include "model/native_path.h"

#include <algorithm>
#include <chrono>
#include <windows.h>
// clang-format off: setupapi and hidsdi need windows.h first
#include <setupapi.h>
extern "C" { // MinGW's hidsdi.h does not say it is C
#include <hidsdi.h>
}
// clang-format on

namespace vorelux {

namespace {

constexpr size_t DefaultReportLength = 65; // report ID + 64 bytes, as hidapi assumes
constexpr DWORD WriteTimeoutMs = 1000;     // a report takes a few milliseconds

std::string utf8(const wchar_t* wide) {
    return utf8Path(std::filesystem::path(std::wstring(wide)));
}

HANDLE handleOf(void* handle) {
    return static_cast<HANDLE>(handle);
}

struct ReportLengths {
    size_t input = 0;
    size_t output = 0;
};

// The lengths the device declares, report ID byte included; 0 when it
// declares none or cannot say.
ReportLengths reportLengths(HANDLE device) {
    ReportLengths lengths;
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!HidD_GetPreparsedData(device, &preparsed)) return lengths;
    HIDP_CAPS caps{};
    if (HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS) {
        lengths.input = caps.InputReportByteLength;
        lengths.output = caps.OutputReportByteLength;
    }
    HidD_FreePreparsedData(preparsed);
    return lengths;
}

// Vendor, product and product string, read through a handle opened without
// access rights: that works even for the devices the system holds (keyboards).
bool describe(const std::wstring& path, HidDeviceInfo& info) {
    const HANDLE device = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) return false;
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    if (HidD_GetAttributes(device, &attributes)) {
        info.vendorId = attributes.VendorID;
        info.productId = attributes.ProductID;
    }
    wchar_t product[256] = {};
    if (HidD_GetProductString(device, product, sizeof product - sizeof(wchar_t)))
        info.product = utf8(product);
    CloseHandle(device);
    info.path = utf8(path.c_str());
    return true;
}

// The interface path of the index-th present HID device; false past the last.
bool interfacePath(HDEVINFO set, GUID& hidClass, DWORD index, std::wstring& path) {
    SP_DEVICE_INTERFACE_DATA entry{};
    entry.cbSize = sizeof entry;
    if (!SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass, index, &entry)) return false;
    DWORD needed = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &entry, nullptr, 0, &needed, nullptr);
    path.clear();
    if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return true; // skipped by the caller
    std::vector<DWORD> storage(needed / sizeof(DWORD) + 1); // aligned for the structure
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (SetupDiGetDeviceInterfaceDetailW(set, &entry, detail, needed, nullptr, nullptr))
        path = detail->DevicePath;
    return true;
}

class Win32HidDevice : public HidDevice {
  public:
    Win32HidDevice(HANDLE handle, std::string path, size_t inputLength, size_t outputLength)
        : handle_(handle), path_(std::move(path)),
          outputLength_(outputLength ? outputLength : DefaultReportLength),
          readBuffer_(std::max(inputLength, DefaultReportLength)) {
        readEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        writeEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~Win32HidDevice() override {
        // A read left waiting must end before its buffer goes.
        if (readPending_) finishCancelled(readOverlapped_);
        CloseHandle(handle_);
        if (readEvent_) CloseHandle(readEvent_);
        if (writeEvent_) CloseHandle(writeEvent_);
    }
    Win32HidDevice(const Win32HidDevice&) = delete;
    Win32HidDevice& operator=(const Win32HidDevice&) = delete;

    std::string path() const override { return path_; }
    size_t outputReportLength() override { return outputLength_; }
    bool write(const std::vector<uint8_t>& report, std::string& errorText,
               unsigned& errorCode) override;
    int read(std::vector<uint8_t>& report, int timeoutMs) override;

  private:
    void finishCancelled(OVERLAPPED& overlapped) {
        CancelIoEx(handle_, &overlapped);
        DWORD ignored = 0;
        GetOverlappedResult(handle_, &overlapped, &ignored, TRUE);
    }
    bool startRead();

    HANDLE handle_;
    std::string path_;
    size_t outputLength_;
    HANDLE readEvent_ = nullptr;
    HANDLE writeEvent_ = nullptr;
    // A read that did not complete in its time stays queued for the next
    // call, so no report that arrives in between is lost.
    OVERLAPPED readOverlapped_{};
    bool readPending_ = false;
    std::vector<uint8_t> readBuffer_;
};

bool Win32HidDevice::write(const std::vector<uint8_t>& report, std::string& errorText,
                           unsigned& errorCode) {
    std::vector<uint8_t> whole = report;
    if (whole.size() < outputLength_) whole.resize(outputLength_, 0);
    OVERLAPPED overlapped{};
    overlapped.hEvent = writeEvent_;
    ResetEvent(writeEvent_);
    DWORD written = 0;
    if (!WriteFile(handle_, whole.data(), DWORD(whole.size()), nullptr, &overlapped) &&
        GetLastError() != ERROR_IO_PENDING) {
        errorCode = GetLastError();
        errorText = windowsErrorText(errorCode);
        return false;
    }
    const DWORD waited = WaitForSingleObject(writeEvent_, WriteTimeoutMs);
    if (waited != WAIT_OBJECT_0) {
        errorCode = waited == WAIT_TIMEOUT ? DWORD(ERROR_TIMEOUT) : GetLastError();
        finishCancelled(overlapped);
        errorText = waited == WAIT_TIMEOUT ? std::string("tempo de escrita esgotado")
                                           : windowsErrorText(errorCode);
        return false;
    }
    if (!GetOverlappedResult(handle_, &overlapped, &written, FALSE)) {
        errorCode = GetLastError();
        errorText = windowsErrorText(errorCode);
        return false;
    }
    if (written != whole.size()) {
        errorCode = ERROR_WRITE_FAULT;
        errorText = "escrita incompleta";
        return false;
    }
    return true;
}

bool Win32HidDevice::startRead() {
    readOverlapped_ = OVERLAPPED{};
    readOverlapped_.hEvent = readEvent_;
    ResetEvent(readEvent_);
    if (!ReadFile(handle_, readBuffer_.data(), DWORD(readBuffer_.size()), nullptr,
                  &readOverlapped_) &&
        GetLastError() != ERROR_IO_PENDING)
        return false;
    readPending_ = true; // done at once or later, the event tells
    return true;
}

int Win32HidDevice::read(std::vector<uint8_t>& report, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (!readPending_ && !startRead()) return -1;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        const DWORD waited = WaitForSingleObject(readEvent_, DWORD(std::max<long long>(left, 0)));
        if (waited == WAIT_TIMEOUT) return 0;
        if (waited != WAIT_OBJECT_0) return -1; // no event to wait on: fail, never spin
        readPending_ = false;
        DWORD got = 0;
        if (!GetOverlappedResult(handle_, &readOverlapped_, &got, FALSE)) return -1;
        if (got > 0) {
            report.assign(readBuffer_.begin(), readBuffer_.begin() + got);
            return 1;
        }
        if (left <= 0) return 0;
    }
}

} // namespace

std::shared_ptr<HidDevice> makeWin32HidDevice(void* handle, std::string path, size_t inputLength,
                                              size_t outputLength) {
    return std::make_shared<Win32HidDevice>(handleOf(handle), std::move(path), inputLength,
                                            outputLength);
}

std::vector<HidDeviceInfo> Win32HidBus::enumerate() {
    std::vector<HidDeviceInfo> out;
    GUID hidClass;
    HidD_GetHidGuid(&hidClass);
    const HDEVINFO set =
        SetupDiGetClassDevsW(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return out;
    std::wstring path;
    for (DWORD index = 0; interfacePath(set, hidClass, index, path); ++index) {
        HidDeviceInfo info;
        if (!path.empty() && describe(path, info)) out.push_back(info);
    }
    SetupDiDestroyDeviceInfoList(set);
    return out;
}

std::shared_ptr<HidDevice> Win32HidBus::open(const HidDeviceInfo& info, std::string& error) {
    const HANDLE device = CreateFileW(nativePath(info.path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        error = info.path + ": " + windowsErrorText(GetLastError());
        return nullptr;
    }
    const ReportLengths lengths = reportLengths(device);
    return makeWin32HidDevice(device, info.path, lengths.input, lengths.output);
}

} // namespace vorelux
