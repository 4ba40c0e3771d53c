#include "transport/qt_network.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

namespace vorelux {

namespace {
constexpr int WriteTimeoutMs = 2000;
constexpr int CancelCheckMs = 20;
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

QtNetworkPort::Wait QtNetworkPort::waitUntil(const std::function<bool()>& ready,
                                             const QDeadlineTimer& deadline) {
    auto settled = [&]() -> std::optional<Wait> {
        if (ready()) return Wait::Ready;
        if (cancelled_ && cancelled_()) return Wait::Cancelled;
        if (deadline.hasExpired()) return Wait::TimedOut;
        return std::nullopt;
    };
    if (auto now = settled()) return *now;
    QEventLoop loop;
    const auto check = [&] {
        if (settled()) loop.quit();
    };
    QTimer tick;
    tick.setInterval(CancelCheckMs);
    QObject::connect(&tick, &QTimer::timeout, &loop, check);
    QObject::connect(socket_.get(), &QAbstractSocket::connected, &loop, check);
    QObject::connect(socket_.get(), &QAbstractSocket::disconnected, &loop, check);
    QObject::connect(socket_.get(), &QAbstractSocket::errorOccurred, &loop, check);
    QObject::connect(socket_.get(), &QIODevice::readyRead, &loop, check);
    tick.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return settled().value_or(Wait::TimedOut);
}

bool QtNetworkPort::connectTo(std::string& error) {
    QEventLoop dispatcherFirst; // the socket's thread has its event dispatcher
    socket_ = std::make_unique<QTcpSocket>();
    // What the server sends beyond this waits in the system, not here.
    socket_->setReadBufferSize(static_cast<qint64>(NetworkBufferCap));
    socket_->connectToHost(QString::fromStdString(address_.host),
                           static_cast<quint16>(address_.tcpPort));
    const Wait wait = waitUntil(
        [&] {
            return socket_->state() == QAbstractSocket::ConnectedState ||
                   socket_->state() == QAbstractSocket::UnconnectedState;
        },
        QDeadlineTimer(connectTimeoutMs_));
    if (wait == Wait::Cancelled) {
        error = serverWaitCancelledText(address_);
        return false;
    }
    if (socket_->state() != QAbstractSocket::ConnectedState) {
        error = "não foi possível conectar a " + hostAndPort(address_) + ": " +
                (wait == Wait::TimedOut
                     ? "sem resposta em " + std::to_string(connectTimeoutMs_ / 1000) + " s"
                     : socket_->errorString().toStdString());
        return false;
    }
    // Each byte leaves at once; the pauses between them are the protocol's.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

// One deadline for the whole negotiation, however the server spreads its answers.
bool QtNetworkPort::negotiate(std::string& error) {
    if (address_.kind != PortKind::Rfc2217) return true;
    const QDeadlineTimer deadline(negotiationTimeoutMs_);
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

bool QtNetworkPort::awaitServer(const std::function<bool()>& done, const QDeadlineTimer& deadline,
                                std::string& error) {
    for (;;) {
        if (!takeIncoming(error)) return false;
        if (done()) return true;
        const Wait wait = waitUntil(
            [&] {
                return socket_->bytesAvailable() > 0 ||
                       socket_->state() != QAbstractSocket::ConnectedState;
            },
            deadline);
        if (wait == Wait::Cancelled) {
            error = serverWaitCancelledText(address_);
            return false;
        }
        if (wait == Wait::TimedOut) {
            error = hostAndPort(address_) + " não confirmou a linha 9600 8N1 (RFC 2217) em " +
                    std::to_string(negotiationTimeoutMs_ / 1000) + " s";
            return false;
        }
    }
}

bool QtNetworkPort::takeIncoming(std::string& error) {
    // The read buffer holds NetworkBufferCap at most: a full one is a flood.
    if (socket_->bytesAvailable() >= static_cast<qint64>(NetworkBufferCap)) {
        error = serverFloodedText(address_);
        return false;
    }
    const QByteArray incoming = socket_->readAll();
    if (telnet_ && !incoming.isEmpty()) {
        telnet_->receive(reinterpret_cast<const uint8_t*>(incoming.constData()),
                         static_cast<size_t>(incoming.size()));
        const std::vector<uint8_t> replies = telnet_->takeReplies();
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
    if (socket_->bytesToWrite() + size > static_cast<qint64>(NetworkBufferCap)) {
        error = serverNotReadingText(address_);
        return false;
    }
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
