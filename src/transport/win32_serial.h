#pragma once
// The real serial ports on Windows without Qt: the installed ports from the
// registry and the port through the Win32 communications API.
#include "link/ports.h"
#include "link/serial.h"

#include <map>
#include <string>

namespace vorelux {

// The ports Windows lists under HKEY_LOCAL_MACHINE
// "HARDWARE\DEVICEMAP\SERIALCOMM" (each value's data is a name such as
// "COM3"), plus any device registered here.
class Win32PortCatalog : public PortCatalog {
  public:
    // Lists `device` as port "COM" + number, in place of a listed port of that number.
    void registerPort(int number, const std::string& device, const std::string& description = {});
    // False when the registry cannot be read (the caller then offers
    // COM1..COM10); a machine without serial ports has no key and no ports.
    bool listPorts(std::vector<SerialPortInfo>& ports) override;

  private:
    std::map<int, SerialPortInfo> registered_;
};

// The editor's serial port: 9600 baud, 8N1, no flow control of any kind,
// DTR and RTS off. Each byte has left the driver's
// queue before writeByte returns, so the caller's pause follows the byte; a
// write that cannot finish (a port held by flow control, a pulled adapter)
// gives up after a timeout instead of blocking.
class Win32SerialPort : public SerialPort {
  public:
    Win32SerialPort() = default;
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;
    bool open(const std::string& device, std::string& error) override;
    bool writeByte(uint8_t byte, std::string& error) override;
    void close() override;

  private:
    bool waitUntilSent(std::string& error);
    void* handle_ = nullptr; // the port's HANDLE; null when closed
};

// The name CreateFile opens a port by: "COM12" becomes "\\.\COM12" (needed
// past COM9, harmless below); a name already in that form is kept.
std::wstring win32DeviceName(const std::string& device);

} // namespace vorelux
