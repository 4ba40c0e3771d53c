#pragma once
// The real serial ports: the catalog from QSerialPortInfo and the port on
// QSerialPort.
#include "link/ports.h"
#include "link/serial.h"

#include <QSerialPort>
#include <map>

namespace vorelux {

// The installed ports as QSerialPortInfo lists them, named "COM" + number
// (see ports.h), plus any device registered here (a pseudo-terminal of a
// virtual panel, a test's own device).
class QtPortCatalog : public PortCatalog {
  public:
    // Lists `device` as port "COM" + number, in place of a listed port of that number.
    void registerPort(int number, const std::string& device, const std::string& description = {});
    void unregisterPort(int number);
    bool listPorts(std::vector<SerialPortInfo>& ports) override;

  private:
    std::map<int, SerialPortInfo> registered_;
};

// The editor's serial port: 9600 baud, 8N1, no flow control, DTR and RTS off,
// opened for writing only. Each byte is handed to the driver before
// writeByte returns, so the caller's pause follows the byte.
class QtSerialPort : public SerialPort {
  public:
    QtSerialPort();
    ~QtSerialPort() override;
    bool open(const std::string& device, std::string& error) override;
    bool writeByte(uint8_t byte, std::string& error) override;
    void close() override;

  private:
    QSerialPort port_;
};

} // namespace vorelux
