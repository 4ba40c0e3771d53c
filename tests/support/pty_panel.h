#pragma once
// A virtual panel on a pseudo-terminal pair: the editor writes to the slave
// side through the real QSerialPort; the panel reads the master side and
// decodes the parameter frames (address, 98, parameter, value).
#include "link/frames.h"
#include "link/sleeper.h"
#include "support/pty.h"

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace vorelux::testing {

// A pause collects what reached the panel since the last one instead of
// sleeping: each frame is seen byte by byte and the tests run at once.
// On a worker thread the pauses come from the worker: read `bytes` and
// `pauses` once its run has ended.
struct PanelWire : Sleeper {
    Pty& pty;
    std::vector<uint8_t> bytes;
    std::vector<int> pauses;
    // Called on the pausing thread with the number of pauses so far.
    std::function<void(size_t count)> onPause;
    explicit PanelWire(Pty& p) : pty(p) {}
    void sleep(int ms) override {
        pauses.push_back(ms);
        if (onPause) onPause(pauses.size());
        // A serial frame's pauses follow a byte; others (the transmitter's
        // 160 ms, the progress window's 20 ms) may follow none.
        auto got = pty.drain(ms == 25 || ms == 50 ? 1000 : 0);
        bytes.insert(bytes.end(), got.begin(), got.end());
    }
};

struct Frame {
    int panel, parameter, value;
    bool operator==(const Frame&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Frame& f) {
    return out << "{" << f.panel << ", " << f.parameter << " <- " << f.value << "}";
}

// The frames a panel decodes; `ok` is false when the bytes are not whole
// parameter frames.
inline std::vector<Frame> decodeFrames(const std::vector<uint8_t>& wire, bool& ok) {
    std::vector<Frame> frames;
    ok = wire.size() % 4 == 0;
    for (size_t i = 0; ok && i + 4 <= wire.size(); i += 4) {
        if (wire[i + 1] != PanelCmdParameter) ok = false;
        frames.push_back({wire[i], wire[i + 2], wire[i + 3]});
    }
    return frames;
}

} // namespace vorelux::testing
