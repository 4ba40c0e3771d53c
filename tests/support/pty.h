#pragma once
// A pseudo-terminal pair standing for the panels' serial line: the program
// writes to the slave side through the real QSerialPort, the test reads the
// master side. Both sides are raw, so every byte arrives as written.
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace vorelux::testing {

struct Pty {
    int master = -1;
    int slave = -1;
    std::string slavePath;
    Pty() {
        char name[256];
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&master, &slave, name, &raw, nullptr) == 0) {
            slavePath = name;
            fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~Pty() {
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // Every byte that has reached the master side, waiting up to waitMs for the first.
    std::vector<uint8_t> drain(int waitMs) {
        std::vector<uint8_t> out;
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, waitMs) <= 0) return out;
        uint8_t buf[512];
        for (;;) {
            ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0) break;
            out.insert(out.end(), buf, buf + n);
            if (poll(&p, 1, 5) <= 0) break;
        }
        return out;
    }
};

} // namespace vorelux::testing
