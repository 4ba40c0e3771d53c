#include "transport/win32_network.h"

#include "model/native_path.h"

#include <chrono>
#include <winsock2.h>
#include <ws2tcpip.h>

namespace vorelux {

namespace {

constexpr int WriteTimeoutMs = 2000;
constexpr uintptr_t InvalidSocket = INVALID_SOCKET;

// Winsock is started once for the process and left running.
bool startWinsock(std::string& error) {
    static const int started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    if (started != 0) error = "a rede não está disponível: " + windowsErrorText(DWORD(started));
    return started == 0;
}

std::string socketErrorText() {
    return windowsErrorText(DWORD(WSAGetLastError()));
}

// Waits until the socket can be read (or written); false on a timeout.
bool waitFor(SOCKET s, bool forWriting, int waitMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    fd_set failed;
    FD_ZERO(&failed);
    FD_SET(s, &failed);
    timeval limit{waitMs / 1000, (waitMs % 1000) * 1000};
    const int ready =
        select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr, &failed, &limit);
    return ready > 0;
}

// A non-blocking connect bounded by the timeout; the socket is blocking
// again after it. 0, or the Winsock error (WSAETIMEDOUT on the timeout).
int connectWithin(SOCKET s, const addrinfo& target, int timeoutMs) {
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    int failure = 0;
    if (::connect(s, target.ai_addr, int(target.ai_addrlen)) != 0) {
        failure = WSAGetLastError();
        if (failure == WSAEWOULDBLOCK && waitFor(s, true, timeoutMs)) {
            int size = sizeof failure;
            getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&failure), &size);
        } else if (failure == WSAEWOULDBLOCK) {
            failure = WSAETIMEDOUT;
        }
    }
    nonBlocking = 0;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    return failure;
}

} // namespace

Win32NetworkPort::Win32NetworkPort(int connectTimeoutMs, int negotiationTimeoutMs)
    : connectTimeoutMs_(connectTimeoutMs), negotiationTimeoutMs_(negotiationTimeoutMs),
      socket_(InvalidSocket) {}

Win32NetworkPort::~Win32NetworkPort() {
    close();
}

bool Win32NetworkPort::open(const std::string& address, std::string& error) {
    close();
    auto parsed = parsePortAddress(address, error);
    if (!parsed || parsed->kind == PortKind::Device) {
        if (parsed) error = "\"" + address + "\" não é um endereço de rede";
        return false;
    }
    address_ = *parsed;
    if (!startWinsock(error) || !connectTo(error) || !negotiate(error)) {
        close();
        return false;
    }
    return true;
}

bool Win32NetworkPort::connectTo(std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(address_.tcpPort);
    if (getaddrinfo(address_.host.c_str(), port.c_str(), &hints, &found) != 0) {
        error = "não foi possível conectar a " + hostAndPort(address_) + ": " + socketErrorText();
        return false;
    }
    std::string reason = "nenhum endereço";
    for (addrinfo* a = found; a && socket_ == InvalidSocket; a = a->ai_next) {
        const SOCKET s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) continue;
        const int failure = connectWithin(s, *a, connectTimeoutMs_);
        if (failure == 0) {
            socket_ = s;
        } else {
            reason = failure == WSAETIMEDOUT
                         ? "sem resposta em " + std::to_string(connectTimeoutMs_ / 1000) + " s"
                         : windowsErrorText(DWORD(failure));
            closesocket(s);
        }
    }
    freeaddrinfo(found);
    if (socket_ == InvalidSocket) {
        error = "não foi possível conectar a " + hostAndPort(address_) + ": " + reason;
        return false;
    }
    // Each byte leaves at once; the pauses between them are the protocol's.
    const BOOL noDelay = TRUE;
    setsockopt(SOCKET(socket_), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
    return true;
}

// One deadline for the whole negotiation, however the server spreads its answers.
bool Win32NetworkPort::negotiate(std::string& error) {
    if (address_.kind != PortKind::Rfc2217) return true;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(negotiationTimeoutMs_);
    telnet_.emplace();
    if (!send(telnet_->opening(), error)) return false;
    if (!awaitServer([&] { return telnet_->comPortAccepted() || telnet_->comPortRefused(); },
                     deadline, error))
        return false;
    if (telnet_->comPortRefused()) {
        error = hostAndPort(address_) + " não aceita a configuração da linha (RFC 2217)";
        return false;
    }
    if (!send(telnet_->lineSettings(), error)) return false;
    return awaitServer([&] { return telnet_->lineConfirmed(); }, deadline, error);
}

bool Win32NetworkPort::awaitServer(const std::function<bool()>& done,
                                   std::chrono::steady_clock::time_point deadline,
                                   std::string& error) {
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            error = hostAndPort(address_) + " não confirmou a linha 9600 8N1 (RFC 2217) em " +
                    std::to_string(negotiationTimeoutMs_ / 1000) + " s";
            return false;
        }
        if (!takeIncoming(int(left), error)) return false;
    }
    return true;
}

// Reads what has come, at most NetworkBufferCap in one go: a server that
// keeps more coming than that is flooding, not passing on a serial line.
bool Win32NetworkPort::takeIncoming(int waitMs, std::string& error) {
    size_t taken = 0;
    while (waitFor(SOCKET(socket_), false, waitMs)) {
        uint8_t incoming[512];
        const int got =
            recv(SOCKET(socket_), reinterpret_cast<char*>(incoming), sizeof incoming, 0);
        if (got <= 0) {
            error = lostText();
            return false;
        }
        taken += size_t(got);
        if (taken >= NetworkBufferCap) {
            error = serverFloodedText(address_);
            return false;
        }
        if (telnet_) telnet_->receive(incoming, size_t(got));
        waitMs = 0; // what else has come, without waiting for more
    }
    if (!telnet_) return true;
    const std::vector<uint8_t> replies = telnet_->takeReplies();
    return replies.empty() || send(replies, error);
}

std::string Win32NetworkPort::lostText() const {
    std::string text = "a conexão com " + hostAndPort(address_) + " foi encerrada";
    if (telnet_ && !telnet_->serverText().empty())
        text += " (o servidor disse: \"" + telnet_->serverText() + "\")";
    return text;
}

bool Win32NetworkPort::send(const std::vector<uint8_t>& bytes, std::string& error) {
    size_t done = 0;
    while (done < bytes.size()) {
        if (!waitFor(SOCKET(socket_), true, WriteTimeoutMs)) {
            error = "tempo de escrita esgotado em " + hostAndPort(address_);
            return false;
        }
        const int sent = ::send(SOCKET(socket_), reinterpret_cast<const char*>(bytes.data() + done),
                                int(bytes.size() - done), 0);
        if (sent <= 0) {
            error = lostText() + ": " + socketErrorText();
            return false;
        }
        done += size_t(sent);
    }
    return true;
}

bool Win32NetworkPort::writeByte(uint8_t byte, std::string& error) {
    if (socket_ == InvalidSocket) {
        error = "a porta não está aberta";
        return false;
    }
    // A server that hung up is noticed here, before the byte, not bytes later.
    if (!takeIncoming(0, error)) return false;
    std::vector<uint8_t> wire;
    if (telnet_)
        TelnetSerialClient::appendData(wire, byte);
    else
        wire.push_back(byte);
    return send(wire, error);
}

void Win32NetworkPort::close() {
    if (socket_ != InvalidSocket) closesocket(SOCKET(socket_));
    socket_ = InvalidSocket;
    telnet_.reset();
}

} // namespace vorelux
