#include "transport/qt_network.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>
#include <optional>

namespace vorelux {

namespace {
constexpr int WriteTimeoutMs = 2000;
constexpr int CancelCheckMs = 20;

// The socket's error in the editor's language (Qt gives English).
std::string socketErrorText(const QTcpSocket& socket) {
    switch (socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return "conexão recusada";
    case QAbstractSocket::RemoteHostClosedError:
        return "o servidor fechou a conexão";
    case QAbstractSocket::HostNotFoundError:
        return "computador não encontrado";
    case QAbstractSocket::SocketAccessError:
        return "permissão negada";
    case QAbstractSocket::SocketResourceError:
        return "faltam recursos do sistema";
    case QAbstractSocket::SocketTimeoutError:
        return "tempo esgotado";
    case QAbstractSocket::NetworkError:
        return "erro de rede (o cabo foi desconectado?)";
    case QAbstractSocket::AddressInUseError:
        return "o endereço já está em uso";
    default:
        return "erro de rede " + std::to_string(int(socket.error()));
    }
}
} // namespace

class QtSocket : public NetworkSocket {
  public:
    ~QtSocket() override { close(); }
    Connect connect(const std::string& host, int port, int timeoutMs, std::string& reason) override;
    Read read(std::vector<uint8_t>& into, size_t limit, int waitMs) override;
    Write write(const std::vector<uint8_t>& bytes, std::string& reason) override;
    void close() override;

    std::function<bool()> cancelled;

  private:
    enum class Wait { Ready, TimedOut, Cancelled };
    // Runs this thread's events until `ready`, the deadline or a cancel.
    Wait waitUntil(const std::function<bool()>& ready, const QDeadlineTimer& deadline);
    bool connected() const { return socket_->state() == QAbstractSocket::ConnectedState; }

    std::unique_ptr<QTcpSocket> socket_;
};

QtSocket::Wait QtSocket::waitUntil(const std::function<bool()>& ready,
                                   const QDeadlineTimer& deadline) {
    auto settled = [&]() -> std::optional<Wait> {
        if (ready()) return Wait::Ready;
        if (cancelled && cancelled()) return Wait::Cancelled;
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

NetworkSocket::Connect QtSocket::connect(const std::string& host, int port, int timeoutMs,
                                         std::string& reason) {
    QEventLoop dispatcherFirst; // the socket's thread has its event dispatcher
    socket_ = std::make_unique<QTcpSocket>();
    // What the server sends beyond this waits in the system, not here.
    socket_->setReadBufferSize(static_cast<qint64>(NetworkBufferCap));
    socket_->connectToHost(QString::fromStdString(host), static_cast<quint16>(port));
    const Wait wait = waitUntil(
        [&] { return connected() || socket_->state() == QAbstractSocket::UnconnectedState; },
        QDeadlineTimer(timeoutMs));
    if (wait == Wait::Cancelled) return Connect::Cancelled;
    if (!connected()) {
        if (wait == Wait::TimedOut) return Connect::TimedOut;
        reason = socketErrorText(*socket_);
        return Connect::Failed;
    }
    // Each byte leaves at once; the pauses between them are the protocol's.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return Connect::Connected;
}

NetworkSocket::Read QtSocket::read(std::vector<uint8_t>& into, size_t limit, int waitMs) {
    if (waitMs > 0) {
        const Wait wait = waitUntil([&] { return socket_->bytesAvailable() > 0 || !connected(); },
                                    QDeadlineTimer(waitMs));
        if (wait == Wait::Cancelled) return Read::Cancelled;
    } else {
        socket_->waitForReadyRead(0);
    }
    const QByteArray incoming = socket_->read(static_cast<qint64>(limit));
    into.assign(incoming.begin(), incoming.end());
    return connected() ? Read::Open : Read::Closed;
}

NetworkSocket::Write QtSocket::write(const std::vector<uint8_t>& bytes, std::string& reason) {
    const auto size = static_cast<qint64>(bytes.size());
    if (socket_->bytesToWrite() + size > static_cast<qint64>(NetworkBufferCap))
        return Write::NotReading;
    if (socket_->write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        reason = socketErrorText(*socket_);
        return Write::Failed;
    }
    socket_->flush();
    while (socket_->bytesToWrite() > 0) {
        if (!socket_->waitForBytesWritten(WriteTimeoutMs))
            return connected() ? Write::TimedOut : Write::Lost;
    }
    return Write::Written;
}

void QtSocket::close() {
    if (socket_) {
        socket_->abort();
        socket_.reset();
    }
}

QtNetworkPort::QtNetworkPort(int connectTimeoutMs, int negotiationTimeoutMs)
    : QtNetworkPort(std::make_unique<QtSocket>(), connectTimeoutMs, negotiationTimeoutMs) {}

QtNetworkPort::QtNetworkPort(std::unique_ptr<QtSocket> socket, int connectTimeoutMs,
                             int negotiationTimeoutMs)
    : NetworkPort(std::move(socket), connectTimeoutMs, negotiationTimeoutMs),
      qtSocket_(static_cast<QtSocket&>(this->socket())) {}

void QtNetworkPort::setCancelCheck(std::function<bool()> cancelled) {
    qtSocket_.cancelled = std::move(cancelled);
}

} // namespace vorelux
