#pragma once
// A serial line behind a serial device server, reached over TCP: as a raw
// byte stream ("socket://HOST:PORT") or through telnet with RFC 2217
// ("rfc2217://HOST:PORT"), which also sets the far line to 9600 8N1. The
// transfer keeps its discipline: each byte goes out on its own and waits
// until the system has taken it, so the caller's pauses reach the line. A
// connection that cannot be made, or that drops, fails the transfer like a
// serial port that cannot be opened or written. The negotiation has one
// deadline however the server spreads its answers, and a server that sends
// more than NetworkBufferCap at once, or leaves that much unread, ends it.
//
// No sockets here: the port drives a NetworkSocket, which each platform
// implements.
#include "link/port_address.h"
#include "link/serial.h"
#include "link/telnet_serial.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vorelux {

// One TCP connection as a network port needs it.
class NetworkSocket {
  public:
    enum class Connect {
        Connected,   // Nagle off: each byte leaves at once
        TimedOut,    // no answer within the timeout
        Cancelled,   // the operator stopped the wait
        Failed,      // `reason` says why
        Unavailable, // the network cannot be used at all; `reason` is the whole message
    };
    enum class Read {
        Open,      // the connection is up (`into` may be empty: nothing came in time)
        Closed,    // the connection has ended (`into` holds what came before)
        Cancelled, // the operator stopped the wait
    };
    enum class Write {
        Written,    // the system has taken every byte
        NotReading, // the server left NetworkBufferCap unread
        TimedOut,   // the system took nothing for a while
        Failed,     // the connection has ended; `reason` says how
        Lost,       // the connection has ended
    };

    virtual ~NetworkSocket() = default;
    virtual Connect connect(const std::string& host, int port, int timeoutMs,
                            std::string& reason) = 0;
    // Waits up to waitMs for bytes, then takes what has come without waiting
    // further, at most `limit` bytes.
    virtual Read read(std::vector<uint8_t>& into, size_t limit, int waitMs) = 0;
    virtual Write write(const std::vector<uint8_t>& bytes, std::string& reason) = 0;
    // Harmless when not connected.
    virtual void close() = 0;
};

class NetworkPort : public SerialPort {
  public:
    NetworkPort(std::unique_ptr<NetworkSocket> socket, int connectTimeoutMs,
                int negotiationTimeoutMs);
    ~NetworkPort() override;
    NetworkPort(const NetworkPort&) = delete;
    NetworkPort& operator=(const NetworkPort&) = delete;
    bool open(const std::string& address, std::string& error) override;
    bool writeByte(uint8_t byte, std::string& error) override;
    void close() override;

  protected:
    NetworkSocket& socket() { return *socket_; }

  private:
    using Clock = std::chrono::steady_clock;
    bool connectTo(std::string& error);
    bool negotiate(std::string& error);
    // Waits until `done` or the deadline, answering the server.
    template <class Done>
    bool awaitServer(Done done, Clock::time_point deadline, std::string& error);
    bool send(const std::vector<uint8_t>& bytes, std::string& error);
    // Reads what the server sent within waitMs; for telnet, answers it.
    // False when the connection has ended or the server sent too much at once.
    bool takeIncoming(int waitMs, std::string& error);
    std::string lostText() const;

    std::unique_ptr<NetworkSocket> socket_;
    int connectTimeoutMs_;
    int negotiationTimeoutMs_;
    bool open_ = false;
    PortAddress address_;
    std::optional<TelnetSerialClient> telnet_;
};

} // namespace vorelux
