#include "link/qt_network.h"

#include <QElapsedTimer>
#include <QTcpSocket>

namespace vorelux {

namespace {
constexpr int WriteTimeoutMs = 2000;
} // namespace

QtNetworkPort::QtNetworkPort(int connectTimeoutMs, int negotiationTimeoutMs)
    : connectTimeoutMs_(connectTimeoutMs), negotiationTimeoutMs_(negotiationTimeoutMs) {}

QtNetworkPort::~QtNetworkPort() {
    close();
}

bool QtNetworkPort::open(const std::string& address, std::string& error) {
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
    return true;
}

bool QtNetworkPort::connectTo(std::string& error) {
    socket_ = std::make_unique<QTcpSocket>();
    socket_->connectToHost(QString::fromStdString(address_.host),
                           static_cast<quint16>(address_.tcpPort));
    if (!socket_->waitForConnected(connectTimeoutMs_)) {
        const bool timedOut = socket_->error() == QAbstractSocket::SocketTimeoutError ||
                              socket_->state() != QAbstractSocket::UnconnectedState;
        error = "não foi possível conectar a " + hostAndPort(address_) + ": " +
                (timedOut ? "sem resposta em " + std::to_string(connectTimeoutMs_ / 1000) + " s"
                          : socket_->errorString().toStdString());
        return false;
    }
    // Each byte leaves at once; the pauses between them are the protocol's.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

bool QtNetworkPort::negotiate(std::string& error) {
    if (address_.kind != PortKind::Rfc2217) return true;
    telnet_.emplace();
    if (!send(telnet_->opening(), error)) return false;
    if (!awaitServer([&] { return telnet_->comPortAccepted() || telnet_->comPortRefused(); },
                     error))
        return false;
    if (telnet_->comPortRefused()) {
        error = hostAndPort(address_) + " não aceita a configuração da linha (RFC 2217)";
        return false;
    }
    if (!send(telnet_->lineSettings(), error)) return false;
    if (!awaitServer([&] { return telnet_->lineConfirmed(); }, error)) return false;
    return true;
}

bool QtNetworkPort::awaitServer(const std::function<bool()>& done, std::string& error) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        const qint64 left = negotiationTimeoutMs_ - clock.elapsed();
        if (left <= 0) {
            error = hostAndPort(address_) + " não confirmou a linha 9600 8N1 (RFC 2217) em " +
                    std::to_string(negotiationTimeoutMs_ / 1000) + " s";
            return false;
        }
        socket_->waitForReadyRead(static_cast<int>(left));
        if (!takeIncoming(error)) return false;
    }
    return true;
}

bool QtNetworkPort::takeIncoming(std::string& error) {
    const QByteArray incoming = socket_->readAll();
    if (telnet_ && !incoming.isEmpty()) {
        std::vector<uint8_t> replies;
        telnet_->receive(reinterpret_cast<const uint8_t*>(incoming.constData()),
                         static_cast<size_t>(incoming.size()), replies);
        if (!replies.empty() && !send(replies, error)) return false;
    }
    if (socket_->state() != QAbstractSocket::ConnectedState) {
        error = lostText();
        return false;
    }
    return true;
}

std::string QtNetworkPort::lostText() const {
    std::string text = "a conexão com " + hostAndPort(address_) + " foi encerrada";
    if (telnet_ && !telnet_->serverText().empty())
        text += " (o servidor disse: \"" + telnet_->serverText() + "\")";
    return text;
}

bool QtNetworkPort::send(const std::vector<uint8_t>& bytes, std::string& error) {
    const auto size = static_cast<qint64>(bytes.size());
    if (socket_->write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        error = lostText() + ": " + socket_->errorString().toStdString();
        return false;
    }
    socket_->flush();
    while (socket_->bytesToWrite() > 0) {
        if (!socket_->waitForBytesWritten(WriteTimeoutMs)) {
            error = socket_->state() == QAbstractSocket::ConnectedState
                        ? "tempo de escrita esgotado em " + hostAndPort(address_)
                        : lostText();
            return false;
        }
    }
    return true;
}

bool QtNetworkPort::writeByte(uint8_t byte, std::string& error) {
    if (!socket_) {
        error = "a porta não está aberta";
        return false;
    }
    // A server that hung up is noticed here, before the byte, not bytes later.
    socket_->waitForReadyRead(0);
    if (!takeIncoming(error)) return false;
    std::vector<uint8_t> wire;
    if (telnet_)
        TelnetSerialClient::appendData(wire, byte);
    else
        wire.push_back(byte);
    return send(wire, error);
}

void QtNetworkPort::close() {
    if (socket_) {
        socket_->abort();
        socket_.reset();
    }
    telnet_.reset();
}

} // namespace vorelux
