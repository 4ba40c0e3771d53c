#include "serial_input.h"

#include "model/system_error.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace vorelux::panel {

SerialInput::SerialInput(QObject* parent) : QObject(parent) {
    retry_.setInterval(2000);
    connect(&retry_, &QTimer::timeout, this, &SerialInput::retryOpen);
}

SerialInput::~SerialInput() {
    server_.reset();
    notifier_.reset();
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
}

bool SerialInput::configureAndOpen(QString& error) {
    serial_ = std::make_unique<QSerialPort>(device_);
    serial_->setBaudRate(QSerialPort::Baud9600);
    serial_->setDataBits(QSerialPort::Data8);
    serial_->setParity(QSerialPort::NoParity);
    serial_->setStopBits(QSerialPort::OneStop);
    serial_->setFlowControl(QSerialPort::NoFlowControl);
    // The port reads no more from the device while this much waits: one
    // readyRead, one piece.
    serial_->setReadBufferSize(ReadChunk);
    if (!serial_->open(QIODevice::ReadOnly)) {
        error = serial_->errorString();
        serial_.reset();
        return false;
    }
    connect(serial_.get(), &QSerialPort::readyRead, this, &SerialInput::readSerial);
    connect(serial_.get(), &QSerialPort::errorOccurred, this, &SerialInput::serialError);
    return true;
}

bool SerialInput::openDevice(const QString& device, QString& error) {
    device_ = device;
    return configureAndOpen(error);
}

void SerialInput::readSerial() {
    if (!serial_) return;
    // The port holds at most ReadChunk bytes. Asking for more makes it look at
    // the device again: a read that emptied a full port exactly would leave
    // it waiting, with its notifier off, for a readyRead that never comes.
    const QByteArray bytes = serial_->read(ReadChunk + 1);
    if (!bytes.isEmpty()) emit bytesReceived(bytes);
}

void SerialInput::serialError(QSerialPort::SerialPortError error) {
    // An unplugged adapter reports a resource error; a line hung up (the far
    // end of a pseudo-terminal closed) keeps failing to read. Either way the
    // port is closed, or it would wake the program for nothing, and opened
    // again once the device is back.
    if ((error != QSerialPort::ResourceError && error != QSerialPort::ReadError) || !serial_)
        return;
    const QString why = serial_->errorString();
    serial_->disconnect(this);
    serial_->deleteLater();
    serial_.release();
    emit notice(QStringLiteral("porta %1 perdida (%2); tentando abrir de novo").arg(device_, why));
    retry_.start();
}

void SerialInput::retryOpen() {
    QString error;
    if (!configureAndOpen(error)) return;
    retry_.stop();
    emit notice(QStringLiteral("porta %1 aberta de novo").arg(device_));
}

bool SerialInput::openPty(QString& error) {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        error = QString::fromStdString(systemErrorText(errno));
        return false;
    }
    // Raw on both sides: every byte passes unchanged (no echo, no line editing,
    // no carriage return added to a line feed).
    for (int fd : {master_, slave_}) {
        termios t{};
        if (tcgetattr(fd, &t) == 0) {
            cfmakeraw(&t);
            cfsetispeed(&t, B9600);
            cfsetospeed(&t, B9600);
            tcsetattr(fd, TCSANOW, &t);
        }
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    slavePath_ = QString::fromLocal8Bit(name);
    notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SerialInput::readPty);
    return true;
}

void SerialInput::readPty() {
    // One piece per turn: the notifier fires again while more is waiting.
    QByteArray bytes(ReadChunk, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < ReadChunk) {
        const ssize_t n = ::read(master_, bytes.data() + got, size_t(ReadChunk - got));
        if (n > 0) {
            got += qsizetype(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break; // EAGAIN: all read; EIO cannot last while the slave is held open
        }
    }
    bytes.truncate(got);
    if (!bytes.isEmpty()) emit bytesReceived(bytes);
}

} // namespace vorelux::panel

namespace vorelux::panel {

bool SerialInput::listen(quint16 port, QString& error) {
    server_ = std::make_unique<QTcpServer>();
    if (!server_->listen(QHostAddress::Any, port)) {
        error = server_->errorString();
        server_.reset();
        return false;
    }
    connect(server_.get(), &QTcpServer::newConnection, this, &SerialInput::acceptConnections);
    return true;
}

void SerialInput::acceptConnections() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        // The same pieces as a serial line: one read of at most ReadChunk per turn.
        socket->setReadBufferSize(ReadChunk);
        const QString peer = socket->peerAddress().toString();
        emit notice(QStringLiteral("conexão de %1").arg(peer));
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readSocket(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, peer] {
            emit notice(QStringLiteral("%1 desconectou").arg(peer));
            socket->deleteLater();
        });
    }
}

void SerialInput::readSocket(QTcpSocket* socket) {
    const QByteArray bytes = socket->read(ReadChunk + 1);
    if (!bytes.isEmpty()) emit bytesReceived(bytes);
}

} // namespace vorelux::panel
