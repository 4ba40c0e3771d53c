#include "link/network_port.h"

namespace vorelux {

NetworkPort::NetworkPort(std::unique_ptr<NetworkSocket> socket, int connectTimeoutMs,
                         int negotiationTimeoutMs)
    : socket_(std::move(socket)), connectTimeoutMs_(connectTimeoutMs),
      negotiationTimeoutMs_(negotiationTimeoutMs) {}

NetworkPort::~NetworkPort() {
    close();
}

bool NetworkPort::open(const std::string& address, std::string& error) {
    close();
    auto parsed = parsePortAddress(address, error);
    if (!parsed || parsed->kind == PortKind::Device) {
        if (parsed) error = "\"" + address + "\" não é um endereço de rede";
        return false;
    }
    address_ = *parsed;
    if (!connectTo(error) || !negotiate(error)) {
        close();
        return false;
    }
    open_ = true;
    return true;
}

bool NetworkPort::connectTo(std::string& error) {
    std::string reason;
    switch (socket_->connect(address_.host, address_.tcpPort, connectTimeoutMs_, reason)) {
    case NetworkSocket::Connect::Connected:
        return true;
    case NetworkSocket::Connect::Cancelled:
        error = serverWaitCancelledText(address_);
        return false;
    case NetworkSocket::Connect::Unavailable:
        error = reason;
        return false;
    case NetworkSocket::Connect::TimedOut:
        reason = "sem resposta em " + std::to_string(connectTimeoutMs_ / 1000) + " s";
        break;
    case NetworkSocket::Connect::Failed:
        break;
    }
    error = "não foi possível conectar a " + hostAndPort(address_) + ": " + reason;
    return false;
}

// One deadline for the whole negotiation, however the server spreads its answers.
bool NetworkPort::negotiate(std::string& error) {
    if (address_.kind != PortKind::Rfc2217) return true;
    const auto deadline = Clock::now() + std::chrono::milliseconds(negotiationTimeoutMs_);
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

template <class Done>
bool NetworkPort::awaitServer(Done done, Clock::time_point deadline, std::string& error) {
    while (!done()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            error = hostAndPort(address_) + " não confirmou a linha 9600 8N1 (RFC 2217) em " +
                    std::to_string(negotiationTimeoutMs_ / 1000) + " s";
            return false;
        }
        if (!takeIncoming(static_cast<int>(left), error)) return false;
    }
    return true;
}

// Takes at most NetworkBufferCap in one go: a server that has more than that
// waiting is flooding, not passing on a serial line.
bool NetworkPort::takeIncoming(int waitMs, std::string& error) {
    std::vector<uint8_t> incoming;
    const NetworkSocket::Read read = socket_->read(incoming, NetworkBufferCap, waitMs);
    if (read == NetworkSocket::Read::Cancelled) {
        error = serverWaitCancelledText(address_);
        return false;
    }
    if (incoming.size() >= NetworkBufferCap) {
        error = serverFloodedText(address_);
        return false;
    }
    if (telnet_ && !incoming.empty()) telnet_->receive(incoming.data(), incoming.size());
    if (read == NetworkSocket::Read::Closed) {
        error = lostText();
        return false;
    }
    if (!telnet_) return true;
    const std::vector<uint8_t> replies = telnet_->takeReplies();
    return replies.empty() || send(replies, error);
}

std::string NetworkPort::lostText() const {
    std::string text = "a conexão com " + hostAndPort(address_) + " foi encerrada";
    if (telnet_ && !telnet_->serverText().empty())
        text += " (o servidor disse: \"" + telnet_->serverText() + "\")";
    return text;
}

bool NetworkPort::send(const std::vector<uint8_t>& bytes, std::string& error) {
    std::string reason;
    switch (socket_->write(bytes, reason)) {
    case NetworkSocket::Write::Written:
        return true;
    case NetworkSocket::Write::NotReading:
        error = serverNotReadingText(address_);
        break;
    case NetworkSocket::Write::TimedOut:
        error = "tempo de escrita esgotado em " + hostAndPort(address_);
        break;
    case NetworkSocket::Write::Failed:
        error = lostText() + ": " + reason;
        break;
    case NetworkSocket::Write::Lost:
        error = lostText();
        break;
    }
    return false;
}

bool NetworkPort::writeByte(uint8_t byte, std::string& error) {
    if (!open_) {
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

void NetworkPort::close() {
    socket_->close();
    telnet_.reset();
    open_ = false;
}

} // namespace vorelux
