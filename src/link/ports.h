#pragma once
// Serial ports as the operator sees them: every port is "COM" + number, on
// every platform, so the texts and "conn.cfg" keep one form.
//
// On Windows the number is the COM number itself. On Linux device names map
// to numbers by fixed ranges:
//   /dev/ttyS0..31    -> COM1..COM32     (built-in UARTs)
//   /dev/ttyUSB0..31  -> COM33..COM64    (USB serial adapters)
//   /dev/ttyACM0..31  -> COM65..COM96    (USB CDC-ACM modems)
//   /dev/ttyAMA0..15  -> COM97..COM112   (ARM board UARTs)
//   /dev/rfcomm0..15  -> COM113..COM128  (Bluetooth serial)
//   /dev/pts/0..62    -> COM129..COM191  (pseudo-terminals: virtual panels)
//   any other device  -> COM192..COM255, given in the order of the device
//                        paths among the listed ports of that kind.
#include <optional>
#include <string>
#include <vector>

namespace vorelux {

// Where a listed port comes from.
enum class PortOrigin {
    System,       // the system lists it
    VirtualPanel, // a running virtual panel announced it
    Added,        // the operator added it (a device path or a network address)
};

struct SerialPortInfo {
    std::string name;        // "COM" + number
    int number = 0;          // 1..255
    std::string device;      // what the port is opened by: "/dev/ttyUSB0", "COM3",
                             // "socket://host:4001", "rfc2217://host:4001"
    std::string description; // what the system says the port is, may be empty
    PortOrigin origin = PortOrigin::System;
};

constexpr int FirstOtherComNumber = 192;
constexpr int LastComNumber = 255;

// "COM" + number.
std::string comPortName(int number);
// The number formed by all the characters after a leading "COM" (case as
// written: "COM12" gives 12); nothing when they are not a number in 1..255.
std::optional<int> comNumberFromName(const std::string& name);
// The number of a device of the fixed ranges above (a Linux path, with or
// without "/dev/", or a Windows "COMn"); nothing for any other device.
std::optional<int> comNumberForDevice(const std::string& device);
// The device of a number of the fixed ranges; nothing for 192..255 and
// numbers outside 1..255.
std::optional<std::string> deviceForComNumber(int number);

// Gives every device its port: the fixed ranges first, then the others in
// the order of their paths. Devices beyond the last number are left out.
// The result is in ascending order of number.
std::vector<SerialPortInfo> assignComPorts(const std::vector<SerialPortInfo>& devices);

// The installed serial ports. The real catalog asks the system; tests list
// their own devices (a pseudo-terminal, a missing device).
class PortCatalog {
  public:
    virtual ~PortCatalog() = default;
    // Fills `ports` with the installed ports, named and numbered; false when
    // the system could not be asked.
    virtual bool listPorts(std::vector<SerialPortInfo>& ports) = 0;
    // What the last listPorts left out and why, for the operator (empty for
    // a catalog that leaves nothing out).
    virtual std::vector<std::string> notes() { return {}; }
};

// The installed ports in ascending order of number; COM1..COM10 when the
// catalog cannot list them.
std::vector<SerialPortInfo> listComPorts(PortCatalog& catalog);

// The listed port named "COM" + number, or nothing.
std::optional<SerialPortInfo> findPort(const std::vector<SerialPortInfo>& ports, int number);

// The text of a port in a port selector: "COM33  (/dev/ttyUSB0)"; just the
// name where the device is the name itself (Windows); a virtual panel says
// so: "COM131  (painel virtual 1, /dev/pts/2)".
std::string portSelectorText(const SerialPortInfo& port);

} // namespace vorelux
