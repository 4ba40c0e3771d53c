#include "transport/win32_network.h"

#include "model/native_path.h"

#include <algorithm>
#include <winsock2.h>
#include <ws2tcpip.h>

namespace vorelux {

namespace {

constexpr int WriteTimeoutMs = 2000;

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

// One connection through Winsock; the socket blocks, bounded by select().
class Win32Socket : public NetworkSocket {
  public:
    ~Win32Socket() override { close(); }
    Connect connect(const std::string& host, int port, int timeoutMs, std::string& reason) override;
    Read read(std::vector<uint8_t>& into, size_t limit, int waitMs) override;
    Write write(const std::vector<uint8_t>& bytes, std::string& reason) override;
    void close() override;

  private:
    SOCKET socket_ = INVALID_SOCKET;
};

} // namespace

NetworkSocket::Connect Win32Socket::connect(const std::string& host, int port, int timeoutMs,
                                            std::string& reason) {
    if (!startWinsock(reason)) return Connect::Unavailable;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        reason = socketErrorText();
        return Connect::Failed;
    }
    reason = "nenhum endereço";
    bool timedOut = false;
    for (addrinfo* a = found; a && socket_ == INVALID_SOCKET; a = a->ai_next) {
        const SOCKET s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) continue;
        const int failure = connectWithin(s, *a, timeoutMs);
        timedOut = failure == WSAETIMEDOUT;
        if (failure == 0) {
            socket_ = s;
        } else {
            if (!timedOut) reason = windowsErrorText(DWORD(failure));
            closesocket(s);
        }
    }
    freeaddrinfo(found);
    if (socket_ == INVALID_SOCKET) return timedOut ? Connect::TimedOut : Connect::Failed;
    // Each byte leaves at once; the pauses between them are the protocol's.
    const BOOL noDelay = TRUE;
    setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
    return Connect::Connected;
}

NetworkSocket::Read Win32Socket::read(std::vector<uint8_t>& into, size_t limit, int waitMs) {
    while (into.size() < limit && waitFor(socket_, false, waitMs)) {
        uint8_t incoming[512];
        const int wanted = int(std::min(sizeof incoming, limit - into.size()));
        const int got = recv(socket_, reinterpret_cast<char*>(incoming), wanted, 0);
        if (got <= 0) return Read::Closed;
        into.insert(into.end(), incoming, incoming + got);
        waitMs = 0; // what else has come, without waiting for more
    }
    return Read::Open;
}

NetworkSocket::Write Win32Socket::write(const std::vector<uint8_t>& bytes, std::string& reason) {
    size_t done = 0;
    while (done < bytes.size()) {
        if (!waitFor(socket_, true, WriteTimeoutMs)) return Write::TimedOut;
        const int sent = ::send(socket_, reinterpret_cast<const char*>(bytes.data() + done),
                                int(bytes.size() - done), 0);
        if (sent <= 0) {
            reason = socketErrorText();
            return Write::Failed;
        }
        done += size_t(sent);
    }
    return Write::Written;
}

void Win32Socket::close() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
}

Win32NetworkPort::Win32NetworkPort(int connectTimeoutMs, int negotiationTimeoutMs)
    : NetworkPort(std::make_unique<Win32Socket>(), connectTimeoutMs, negotiationTimeoutMs) {}

} // namespace vorelux
