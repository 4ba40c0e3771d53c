#pragma once
// The real serial port, watched: whether it is open, and whether any call
// came from a thread other than the one that owns the windows (transfers run
// on a worker, but the port belongs to the user-interface thread).
#include "transport/qt_serial.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <string>

namespace vorelux::testing {

struct WatchedPort : SerialPort {
    QtSerialPort real;
    std::atomic<bool> isOpen{false};
    std::atomic<int> offThreadCalls{0};
    void check() {
        if (QThread::currentThread() != QCoreApplication::instance()->thread()) ++offThreadCalls;
    }
    bool open(const std::string& device, std::string& error) override {
        check();
        isOpen = real.open(device, error);
        return isOpen;
    }
    bool writeByte(uint8_t byte, std::string& error) override {
        check();
        return real.writeByte(byte, error);
    }
    void close() override {
        check();
        real.close();
        isOpen = false;
    }
};

} // namespace vorelux::testing
