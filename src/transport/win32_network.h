#pragma once
// A serial line behind a serial device server on Windows without Qt, over
// Winsock: as a raw byte stream ("socket://HOST:PORT") or through telnet
// with RFC 2217 ("rfc2217://HOST:PORT"), which also sets the far line to
// 9600 8N1. As with the Qt port, each byte goes out on its own with Nagle
// off, and a connection that cannot be made, or that drops, fails the
// transfer like a serial port that cannot be opened or written.
#include "link/port_address.h"
#include "link/serial.h"
#include "link/telnet_serial.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace vorelux {

class Win32NetworkPort : public SerialPort {
  public:
    explicit Win32NetworkPort(int connectTimeoutMs = 5000, int negotiationTimeoutMs = 3000);
    ~Win32NetworkPort() override;
    Win32NetworkPort(const Win32NetworkPort&) = delete;
    Win32NetworkPort& operator=(const Win32NetworkPort&) = delete;
    bool open(const std::string& address, std::string& error) override;
    bool writeByte(uint8_t byte, std::string& error) override;
    void close() override;

  private:
    bool connectTo(std::string& error);
    bool negotiate(std::string& error);
    // Waits until `done` or the negotiation's deadline, answering the server.
    bool awaitServer(const std::function<bool()>& done,
                     std::chrono::steady_clock::time_point deadline, std::string& error);
    bool send(const std::vector<uint8_t>& bytes, std::string& error);
    // Reads what the server sent within waitMs; for telnet, answers it.
    // False when the connection has ended or the server sent too much at once.
    bool takeIncoming(int waitMs, std::string& error);
    std::string lostText() const;

    int connectTimeoutMs_;
    int negotiationTimeoutMs_;
    PortAddress address_;
    uintptr_t socket_; // a SOCKET; InvalidSocket when closed
    std::optional<TelnetSerialClient> telnet_;
};

} // namespace vorelux
