#pragma once
// Where the panel's bytes come from: a serial device opened at 9600 baud,
// 8N1, read only; a pseudo-terminal this program creates, whose other side
// the editor opens as its serial port; or a TCP port, as a serial device
// server would offer the line (raw bytes, from any number of connections).
//
// Bytes are handed on in pieces of at most ReadChunk, one piece per turn of
// the event loop: a line that brings bytes faster than they are decoded
// waits in the line (the kernel's buffer, the serial port's own small one)
// while the window and the timers keep their turns.
#include <QObject>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>

class QTcpServer;
class QTcpSocket;

#include <memory>
#include <string>

namespace vorelux::panel {

class SerialInput : public QObject {
    Q_OBJECT
  public:
    // The most one read hands on; more waiting is read on the event loop's next turn.
    static constexpr qsizetype ReadChunk = 16 * 1024;

    explicit SerialInput(QObject* parent = nullptr);
    ~SerialInput() override;

    // Opens `device`; false with a reason. Once open, a lost device is
    // reported and opened again every two seconds until it comes back.
    bool openDevice(const QString& device, QString& error);
    // Creates a pseudo-terminal; its path (to give the editor) is slavePath().
    bool openPty(QString& error);
    // Listens on TCP `port` of every interface; false with a reason.
    bool listen(quint16 port, QString& error);

    QString slavePath() const { return slavePath_; }
    QString devicePath() const { return device_; }

  signals:
    void bytesReceived(QByteArray bytes);
    // Something worth telling the operator (a lost or regained device).
    void notice(QString text);

  private:
    void readSerial();
    void readPty();
    void acceptConnections();
    void readSocket(QTcpSocket* socket);
    void serialError(QSerialPort::SerialPortError error);
    void retryOpen();
    bool configureAndOpen(QString& error);

    std::unique_ptr<QSerialPort> serial_;
    QString device_;
    QTimer retry_;
    int master_ = -1;
    int slave_ = -1; // kept open so the master reads nothing but data while the editor is away
    QString slavePath_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QTcpServer> server_;
};

} // namespace vorelux::panel
