#include "transport/win32_serial.h"

#include "model/native_path.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <windows.h>

namespace vorelux {

namespace {

constexpr int WriteTimeoutMs = 2000; // one byte takes about 1 ms at 9600 baud
constexpr const wchar_t* SerialCommKey = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

std::string utf8(const std::wstring& wide) {
    return utf8Path(std::filesystem::path(wide));
}

// The ports in the order the registry lists its values.
bool registryPorts(std::vector<SerialPortInfo>& devices) {
    HKEY key = nullptr;
    const LSTATUS opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, SerialCommKey, 0, KEY_READ, &key);
    if (opened == ERROR_FILE_NOT_FOUND) return true; // no serial port was ever installed
    if (opened != ERROR_SUCCESS) return false;
    bool ok = true;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        wchar_t data[256];
        DWORD nameLength = DWORD(std::size(name));
        DWORD dataBytes = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LSTATUS got = RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataBytes);
        if (got == ERROR_NO_MORE_ITEMS) break;
        if (got == ERROR_MORE_DATA) continue; // no port name is that long
        if (got != ERROR_SUCCESS) {
            ok = false;
            break;
        }
        if (type != REG_SZ) continue;
        data[dataBytes / sizeof(wchar_t)] = L'\0';
        SerialPortInfo device;
        device.device = utf8(data);
        device.description = utf8(std::wstring(name, nameLength)); // "\Device\Serial0"
        if (!device.device.empty()) devices.push_back(device);
    }
    RegCloseKey(key);
    return ok;
}

HANDLE handleOf(void* handle) {
    return static_cast<HANDLE>(handle);
}

// Every line and every kind of flow control off, so nothing the panel side
// does (or fails to do) with its lines can hold a byte back.
bool configure(HANDLE port, std::string& error) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb)) {
        error = windowsErrorText(GetLastError());
        return false;
    }
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(port, &dcb)) {
        error = windowsErrorText(GetLastError());
        return false;
    }
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD; // reads (never made) return at once
    timeouts.WriteTotalTimeoutConstant = WriteTimeoutMs;
    if (!SetCommTimeouts(port, &timeouts)) {
        error = windowsErrorText(GetLastError());
        return false;
    }
    return true;
}

} // namespace

std::wstring win32DeviceName(const std::string& device) {
    const std::wstring name = nativePath(device).native();
    if (name.rfind(L"\\\\.\\", 0) == 0) return name;
    return L"\\\\.\\" + name;
}

void Win32PortCatalog::registerPort(int number, const std::string& device,
                                    const std::string& description) {
    registered_[number] = {comPortName(number), number, device, description};
}

bool Win32PortCatalog::listPorts(std::vector<SerialPortInfo>& ports) {
    std::vector<SerialPortInfo> devices;
    if (!registryPorts(devices)) return false;
    ports = assignComPorts(devices);
    for (const auto& [number, port] : registered_) {
        std::erase_if(ports, [&](const SerialPortInfo& p) {
            return p.number == number || p.device == port.device;
        });
        ports.push_back(port);
    }
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.number < b.number; });
    return true;
}

Win32SerialPort::~Win32SerialPort() {
    close();
}

bool Win32SerialPort::open(const std::string& device, std::string& error) {
    close();
    const HANDLE port = CreateFileW(win32DeviceName(device).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        error = device + ": " + windowsErrorText(GetLastError());
        return false;
    }
    if (!configure(port, error)) {
        error = device + ": " + error;
        CloseHandle(port);
        return false;
    }
    // Devices without modem lines refuse these; the bytes still go out, so
    // that is no reason to fail.
    EscapeCommFunction(port, CLRDTR);
    EscapeCommFunction(port, CLRRTS);
    handle_ = port;
    return true;
}

bool Win32SerialPort::writeByte(uint8_t byte, std::string& error) {
    if (!handle_) {
        error = "a porta não está aberta";
        return false;
    }
    DWORD written = 0;
    if (!WriteFile(handleOf(handle_), &byte, 1, &written, nullptr)) {
        error = windowsErrorText(GetLastError());
        return false;
    }
    if (written != 1) {
        error = "tempo de escrita esgotado";
        return false;
    }
    return waitUntilSent(error);
}

// Waits for the driver's output queue to empty. FlushFileBuffers waits too
// on Windows, but Wine's serial code carries a flush out as
// tcflush(TCOFLUSH), which on a real UART throws away what is still queued;
// asking for the queue's size waits the same way on both.
bool Win32SerialPort::waitUntilSent(std::string& error) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(WriteTimeoutMs);
    for (;;) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(handleOf(handle_), &errors, &status)) {
            error = windowsErrorText(GetLastError());
            return false;
        }
        if (status.cbOutQue == 0) return true;
        if (std::chrono::steady_clock::now() >= deadline) {
            error = "tempo de escrita esgotado";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void Win32SerialPort::close() {
    if (handle_) CloseHandle(handleOf(handle_));
    handle_ = nullptr;
}

} // namespace vorelux
