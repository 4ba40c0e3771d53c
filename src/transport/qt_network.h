#pragma once
// A serial line behind a serial device server, reached over TCP: as a raw
// byte stream ("socket://HOST:PORT") or through telnet with RFC 2217
// ("rfc2217://HOST:PORT"), which also sets the far line to 9600 8N1. The
// transfer keeps its discipline: each byte goes out on its own, Nagle off,
// and waits until the system has taken it, so the caller's pauses reach the
// line. A connection that cannot be made, or that drops, fails the transfer
// like a serial port that cannot be opened or written.
//
// The port may be used on any thread that has a Qt event dispatcher or can
// have one (the window's, a transfer's worker), but all its calls on the
// same one: its socket lives there. While it connects and negotiates it runs
// that thread's events, so the wait can be cancelled through the cancel
// check, checked every few milliseconds. A server that sends more than
// NetworkBufferCap at once, or leaves that much unread, ends the transfer.
#include "link/port_address.h"
#include "link/serial.h"
#include "link/telnet_serial.h"

#include <QDeadlineTimer>
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
    // True when the operator wants the wait for the server to end: open()
    // then fails at once with a reason that says so.
    void setCancelCheck(std::function<bool()> cancelled) { cancelled_ = std::move(cancelled); }

  private:
    enum class Wait { Ready, TimedOut, Cancelled };
    bool connectTo(std::string& error);
    bool negotiate(std::string& error);
    // Waits until `done` or the negotiation's deadline, answering the server.
    bool awaitServer(const std::function<bool()>& done, const QDeadlineTimer& deadline,
                     std::string& error);
    // Runs this thread's events until `ready`, the deadline or a cancel.
    Wait waitUntil(const std::function<bool()>& ready, const QDeadlineTimer& deadline);
    bool send(const std::vector<uint8_t>& bytes, std::string& error);
    // Reads what the server sent; for telnet, answers it. False when the
    // connection has ended or the server sent too much at once.
    bool takeIncoming(std::string& error);
    std::string lostText() const;

    int connectTimeoutMs_;
    int negotiationTimeoutMs_;
    std::function<bool()> cancelled_;
    PortAddress address_;
    std::unique_ptr<QTcpSocket> socket_;
    std::optional<TelnetSerialClient> telnet_;
};

} // namespace vorelux
