#include "transport/qt_serial.h"

#include <QSerialPortInfo>

#include <cerrno>
#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace vorelux {

namespace {
constexpr int WriteTimeoutMs = 2000; // one byte takes about 1 ms at 9600 baud

// The port's error in the editor's language (Qt gives the system's English).
std::string portErrorText(const QSerialPort& port) {
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return "dispositivo inexistente";
    case QSerialPort::PermissionError:
        return "permissão negada (a porta pode estar em uso por outro programa)";
    case QSerialPort::OpenError:
        return "a porta já está aberta";
    case QSerialPort::WriteError:
        return "erro de escrita na porta";
    case QSerialPort::ReadError:
        return "erro de leitura na porta";
    case QSerialPort::ResourceError:
        return "a porta deixou de responder (o dispositivo foi desconectado?)";
    case QSerialPort::UnsupportedOperationError:
        return "operação não suportada pela porta";
    case QSerialPort::TimeoutError:
        return "tempo esgotado";
    case QSerialPort::NotOpenError:
        return "a porta não está aberta";
    default:
        return "erro desconhecido da porta";
    }
}
} // namespace

void QtPortCatalog::registerPort(int number, const std::string& device,
                                 const std::string& description) {
    registered_[number] = {comPortName(number), number, device, description};
}

void QtPortCatalog::unregisterPort(int number) {
    registered_.erase(number);
}

bool QtPortCatalog::listPorts(std::vector<SerialPortInfo>& ports) {
    std::vector<SerialPortInfo> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialPortInfo device;
#ifdef Q_OS_WIN
        device.device = info.portName().toStdString(); // "COM3"
#else
        device.device = info.systemLocation().toStdString(); // "/dev/ttyUSB0"
#endif
        device.description = info.description().toStdString();
        devices.push_back(device);
    }
    ports = assignComPorts(devices);
    for (const auto& entry : registered_) {
        const SerialPortInfo& port = entry.second;
        std::erase_if(ports, [&port](const SerialPortInfo& p) {
            return p.number == port.number || p.device == port.device;
        });
        ports.push_back(port);
    }
    return true;
}

QtSerialPort::QtSerialPort() = default;

QtSerialPort::~QtSerialPort() {
    close();
}

bool QtSerialPort::open(const std::string& device, std::string& error) {
    if (port_.isOpen()) port_.close();
    port_.setPortName(QString::fromStdString(device));
    port_.setBaudRate(QSerialPort::Baud9600);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::WriteOnly)) {
        error = portErrorText(port_);
#ifndef Q_OS_WIN
        // Refused for want of rights (not held by another program): say how
        // to get them.
        if (port_.error() == QSerialPort::PermissionError &&
            ::access(device.c_str(), R_OK | W_OK) != 0 && errno == EACCES)
            error = serialPermissionDeniedText(qEnvironmentVariable("USER").toStdString());
#endif
        port_.clearError();
        return false;
    }
    // Devices without modem lines (pseudo-terminals, some adapters) refuse
    // these; the bytes still go out, so that is no reason to fail.
    port_.setDataTerminalReady(false);
    port_.setRequestToSend(false);
    port_.clearError();
    return true;
}

bool QtSerialPort::writeByte(uint8_t byte, std::string& error) {
    if (!port_.isOpen()) {
        error = "a porta não está aberta";
        return false;
    }
    const char c = static_cast<char>(byte);
    if (port_.write(&c, 1) != 1) {
        error = portErrorText(port_);
        return false;
    }
    while (port_.bytesToWrite() > 0) {
        if (!port_.waitForBytesWritten(WriteTimeoutMs)) {
            error = port_.error() == QSerialPort::NoError ? std::string("tempo de escrita esgotado")
                                                          : portErrorText(port_);
            return false;
        }
    }
    return true;
}

void QtSerialPort::close() {
    if (port_.isOpen()) port_.close();
    port_.clearError();
}

} // namespace vorelux
