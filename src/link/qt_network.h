#pragma once
// A serial line behind a serial device server, reached over TCP: as a raw
// byte stream ("socket://HOST:PORT") or through telnet with RFC 2217
// ("rfc2217://HOST:PORT"), which also sets the far line to 9600 8N1. The
// transfer keeps its discipline: each byte goes out on its own, Nagle off,
// and waits until the system has taken it, so the caller's pauses reach the
// line. A connection that cannot be made, or that drops, fails the transfer
// like a serial port that cannot be opened or written.
#include "link/port_address.h"
#include "link/serial.h"
#include "link/telnet_serial.h"

#include <functional>
#include <memory>
#include <optional>

class QTcpSocket;

namespace vorelux {

class QtNetworkPort : public SerialPort {
  public:
    explicit QtNetworkPort(int connectTimeoutMs = 5000, int negotiationTimeoutMs = 3000);
    ~QtNetworkPort() override;
    bool open(const std::string& address, std::string& error) override;
    bool writeByte(uint8_t byte, std::string& error) override;
    void close() override;

  private:
    bool connectTo(std::string& error);
    bool negotiate(std::string& error);
    // Waits until `done` or the negotiation time is up, answering the server.
    bool awaitServer(const std::function<bool()>& done, std::string& error);
    bool send(const std::vector<uint8_t>& bytes, std::string& error);
    // Reads what the server sent; for telnet, answers it. False when the
    // connection has ended.
    bool takeIncoming(std::string& error);
    std::string lostText() const;

    int connectTimeoutMs_;
    int negotiationTimeoutMs_;
    PortAddress address_;
    std::unique_ptr<QTcpSocket> socket_;
    std::optional<TelnetSerialClient> telnet_;
};

} // namespace vorelux
