#pragma once
// Stand-ins for the devices outside the editor, for tests and for trying the
// editor without hardware: a simulated transmitter on a simulated HID bus, a
// fixed list of serial ports, a serial port and a sleeper that record what
// they are asked to do.
#include "link/hid.h"
#include "link/ports.h"
#include "link/serial.h"
#include "link/sleeper.h"

#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace vorelux {

// What reached a fake wire, in order.
struct WireEvent {
    enum Kind { Open, Byte, Pause, Close } kind;
    int value = 0;      // the byte, or the pause in milliseconds
    std::string device; // for Open
    bool operator==(const WireEvent&) const = default;
};
using WireLog = std::vector<WireEvent>;

// Records each pause instead of sleeping (into `log` when one is given).
class RecordingSleeper : public Sleeper {
  public:
    explicit RecordingSleeper(WireLog* log = nullptr) : log_(log) {}
    void sleep(int milliseconds) override {
        pauses.push_back(milliseconds);
        if (log_) log_->push_back({WireEvent::Pause, milliseconds, {}});
    }
    std::vector<int> pauses;

  private:
    WireLog* log_;
};

// A serial port that records what it is asked to do into a log.
class FakeSerialPort : public SerialPort {
  public:
    explicit FakeSerialPort(WireLog& log) : log_(log) {}
    bool open(const std::string& device, std::string& error) override;
    bool writeByte(uint8_t byte, std::string& error) override;
    void close() override;

    bool failOpen = false;   // open fails ("Acesso negado")
    int failAfterBytes = -1; // writes beyond this many bytes fail
    bool isOpen = false;
    int opens = 0;
    int closes = 0;
    int bytesWritten = 0;

  private:
    WireLog& log_;
};

// A catalog with a fixed list; `fails` makes listing fail.
class StaticPortCatalog : public PortCatalog {
  public:
    std::vector<SerialPortInfo> ports;
    bool fails = false;
    void add(int number, const std::string& device) {
        ports.push_back({comPortName(number), number, device, {}});
    }
    bool listPorts(std::vector<SerialPortInfo>& out) override {
        if (fails) return false;
        out = ports;
        return true;
    }
};

// A HID device behaving like the transmitter: it answers the identity
// request with one input report [0, 0xFF, identity 1..5, configuration byte]
// and takes a new configuration byte from a configuration report.
// Thread-safe: read() runs on a reader thread.
class SimulatedTransmitter : public HidDevice {
  public:
    explicit SimulatedTransmitter(std::string path, uint8_t configByte = 0x41);

    std::string path() const override { return path_; }
    size_t outputReportLength() override;
    bool write(const std::vector<uint8_t>& report, std::string& errorText,
               unsigned& errorCode) override;
    int read(std::vector<uint8_t>& report, int timeoutMs) override;

    // Settings and inspection, from any thread.
    void setAnswersIdentity(bool answers);
    void setFailWrites(bool fail); // writes fail with "Dispositivo desconectado" (0x48f)
    void setOutputReportLength(size_t length);
    void pushInput(std::vector<uint8_t> report);
    void unplug(); // read() returns -1 from now on
    uint8_t configByte() const;
    std::vector<std::vector<uint8_t>> writes() const;
    size_t writeCount() const;

    // The identity bytes the device answers with (data bytes 1..5).
    std::array<uint8_t, 5> identity{0x12, 0x34, 0x56, 0x78, 0x9A};

  private:
    mutable std::mutex mutex_;
    std::condition_variable inputReady_;
    std::string path_;
    uint8_t configByte_;
    bool answersIdentity_ = true;
    bool failWrites_ = false;
    bool unplugged_ = false;
    size_t outputLength_ = 65;
    std::deque<std::vector<uint8_t>> input_;
    std::vector<std::vector<uint8_t>> writes_;
};

// A HID bus with devices plugged in and out by the test.
class SimulatedHidBus : public HidBus {
  public:
    // Plugs in a device with a product string; returns it.
    std::shared_ptr<SimulatedTransmitter> plug(const std::string& path, const std::string& product,
                                               uint8_t configByte = 0x41);
    // Unplugs it: it leaves the list and its reads fail.
    void unplug(const std::string& path);
    void setFailOpen(const std::string& path, bool fail);

    std::vector<HidDeviceInfo> enumerate() override;
    std::shared_ptr<HidDevice> open(const HidDeviceInfo& info, std::string& error) override;

    int opens = 0;

  private:
    struct Entry {
        HidDeviceInfo info;
        std::shared_ptr<SimulatedTransmitter> device;
        bool failOpen = false;
    };
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
};

} // namespace vorelux
