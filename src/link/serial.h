#pragma once
// The serial port and the discipline every serial transfer follows: the port
// must be installed, it is opened for one transfer only, each byte is written
// and followed by its pause, and the port is closed in every case.
#include "link/ports.h"
#include "link/sleeper.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vorelux {

// The one serial port of the editor. The real one is QSerialPort; tests use a
// pseudo-terminal through it, or a fake.
class SerialPort {
  public:
    virtual ~SerialPort() = default;
    // Opens `device` at 9600 baud, 8 data bits, no parity, 1 stop bit, no
    // flow control, DTR and RTS off. False with a reason when it cannot.
    virtual bool open(const std::string& device, std::string& error) = 0;
    // Writes one byte and waits until it has left; false with a reason.
    virtual bool writeByte(uint8_t byte, std::string& error) = 0;
    // Closes the port; harmless when it is not open.
    virtual void close() = 0;
};

// Why a serial device could not be opened for want of rights, and what the
// user can do about it: on Linux, being in the "dialout" group (user: the
// login name, or "" when unknown).
std::string serialPermissionDeniedText(const std::string& user);

// Opens devices through one port and network addresses ("socket://",
// "rfc2217://") through another, so a transfer does not care which it has.
class PortByAddress : public SerialPort {
  public:
    PortByAddress(SerialPort& device, SerialPort& network) : device_(device), network_(network) {}
    bool open(const std::string& address, std::string& error) override;
    bool writeByte(uint8_t byte, std::string& error) override;
    void close() override;

  private:
    SerialPort& device_;
    SerialPort& network_;
    SerialPort* current_ = nullptr;
};

enum class SerialOutcome {
    Sent,          // the body ran to its end
    PortNotListed, // "COM" + number is not an installed port; nothing was opened
    PortFailed,    // opening or writing failed; the port is closed again
    Cancelled,     // the operator stopped the transfer while it waited; the port is closed
};

// Writes bytes of one transfer, each followed by its pause.
class SerialWriter {
  public:
    SerialWriter(SerialPort& port, Sleeper& sleeper) : port_(port), sleeper_(sleeper) {}
    // Writes `byte`, then pauses; false (with the reason kept) when the write fails.
    bool write(uint8_t byte, int pauseMs);
    const std::string& error() const { return error_; }

  private:
    SerialPort& port_;
    Sleeper& sleeper_;
    std::string error_;
};

// Runs one transfer on the port "COM" + comNumber: checks it against the
// installed ports, opens it, lets `body` write (body returns false when a
// write failed), and closes the port in every case. `error` gets the reason
// of a PortFailed outcome.
SerialOutcome serialTransfer(PortCatalog& catalog, SerialPort& port, Sleeper& sleeper,
                             int comNumber, const std::function<bool(SerialWriter&)>& body,
                             std::string& error);

} // namespace vorelux
