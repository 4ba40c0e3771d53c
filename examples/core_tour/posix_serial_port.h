#pragma once
// The serial port seam on a POSIX terminal device with termios: what a front
// end without Qt writes to reach a panel on /dev/ttyUSB0 or a pseudo-terminal.
#include "link/serial.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace example {

class PosixSerialPort : public vorelux::SerialPort {
  public:
    ~PosixSerialPort() override { close(); }

    bool open(const std::string& device, std::string& error) override {
        close();
        fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) return fail(device, error);
        termios tio{};
        if (::tcgetattr(fd_, &tio) != 0) return fail(device, error);
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        tio.c_cflag &= ~tcflag_t(CSTOPB | PARENB | CRTSCTS);
        tio.c_cflag |= CS8 | CLOCAL | CREAD;
        if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return fail(device, error);
        return true;
    }

    bool writeByte(uint8_t byte, std::string& error) override {
        if (::write(fd_, &byte, 1) == 1 && ::tcdrain(fd_) == 0) return true;
        error = std::strerror(errno);
        return false;
    }

    void close() override {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

  private:
    bool fail(const std::string& device, std::string& error) {
        error = device + ": " + std::strerror(errno);
        close();
        return false;
    }
    int fd_ = -1;
};

} // namespace example
