#pragma once
// What a port is opened by: a serial device ("/dev/ttyUSB0", "COM3"), or a
// serial device server on the network, reached either as a raw byte stream
// ("socket://HOST:PORT") or through telnet with the serial-line options of
// RFC 2217 ("rfc2217://HOST:PORT"), which also sets the line to 9600 8N1.
#include <cstddef>
#include <optional>
#include <string>

namespace vorelux {

enum class PortKind { Device, RawTcp, Rfc2217 };

struct PortAddress {
    PortKind kind = PortKind::Device;
    std::string device; // the device, for PortKind::Device
    std::string host;   // name or address, IPv6 without its brackets
    int tcpPort = 0;    // 1..65535
};

inline constexpr const char* RawTcpScheme = "socket://";
inline constexpr const char* Rfc2217Scheme = "rfc2217://";

// True when `text` names a network port (it has a "scheme://").
bool isNetworkAddress(const std::string& text);
// Reads "socket://HOST:PORT", "rfc2217://HOST:PORT" ("[::1]:PORT" for IPv6)
// or a device; the scheme in any case, the host kept as typed. A network address that cannot be
// used gives nothing and a reason (Portuguese) in `error`.
std::optional<PortAddress> parsePortAddress(const std::string& text, std::string& error);
// True when both name the same port: the same device, or the same kind of
// network address with the same port and host, the scheme and the host
// compared without regard to case ("Socket://Host:4001" is
// "socket://host:4001").
bool samePortAddress(const std::string& a, const std::string& b);
// "HOST:PORT" of a network address, for messages.
std::string hostAndPort(const PortAddress& address);

// What a network port holds at most of a server's bytes not yet read, and of
// its own bytes not yet taken by the system. A device server passes on a
// 9600-baud line: far less ever waits; a server that sends more at once is
// not one, and the transfer ends.
inline constexpr size_t NetworkBufferCap = 64 * 1024;
// The reason given when a server sent more than NetworkBufferCap at once.
std::string serverFloodedText(const PortAddress& address);
// The reason given when a server let more than NetworkBufferCap wait unread.
std::string serverNotReadingText(const PortAddress& address);
// The reason given when the operator stopped the wait for a server.
std::string serverWaitCancelledText(const PortAddress& address);

} // namespace vorelux
