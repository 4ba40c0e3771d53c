// The Win32 HID bus without a device: the listing and a device that is not
// there; the device's overlapped reads and writes on a message-mode pipe,
// which keeps report boundaries as a HID device does.
#include "transport/win32_hid.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace vorelux {
namespace {

// Wine lists a HID mouse and keyboard of its own; Windows lists what is plugged in.
TEST(Win32Hid, ListsPresentDevicesAndRefusesOneThatIsNotThere) {
    Win32HidBus bus;
    std::string error;
    for (const HidDeviceInfo& listed : bus.enumerate()) {
        EXPECT_EQ(listed.path.rfind("\\\\?\\", 0), 0u) << listed.path;
        // Devices the system holds may refuse to open; others open with a report length.
        if (auto device = bus.open(listed, error)) {
            EXPECT_EQ(device->path(), listed.path);
            EXPECT_GE(device->outputReportLength(), 1u);
        } else {
            EXPECT_EQ(error.rfind(listed.path + ": ", 0), 0u) << error;
        }
    }
    HidDeviceInfo absent;
    absent.path = "\\\\?\\hid#vid_0000&pid_0000#absent";
    EXPECT_EQ(bus.open(absent, error), nullptr);
    EXPECT_EQ(error.rfind("\\\\?\\hid#vid_0000&pid_0000#absent: ", 0), 0u) << error;
}

// The panel side of a pipe standing in for the transmitter.
struct PipeRig {
    HANDLE server = INVALID_HANDLE_VALUE;
    std::shared_ptr<HidDevice> device;

    explicit PipeRig(size_t reportLength) {
        const std::wstring name =
            L"\\\\.\\pipe\\vorelux-hid-test-" + std::to_wstring(GetCurrentProcessId());
        server = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX,
                                  PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096,
                                  4096, 0, nullptr);
        const HANDLE client = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        if (server == INVALID_HANDLE_VALUE || client == INVALID_HANDLE_VALUE) return;
        DWORD mode = PIPE_READMODE_MESSAGE;
        SetNamedPipeHandleState(client, &mode, nullptr, nullptr);
        ConnectNamedPipe(server, nullptr); // already connected: returns at once
        device = makeWin32HidDevice(client, "pipe", reportLength, reportLength);
    }
    ~PipeRig() { hangUp(); }
    void hangUp() {
        if (server != INVALID_HANDLE_VALUE) CloseHandle(server);
        server = INVALID_HANDLE_VALUE;
    }
    void send(const std::vector<uint8_t>& report) {
        DWORD written = 0;
        WriteFile(server, report.data(), DWORD(report.size()), &written, nullptr);
    }
    std::vector<uint8_t> receive() {
        std::vector<uint8_t> report(4096);
        DWORD got = 0;
        if (!ReadFile(server, report.data(), DWORD(report.size()), &got, nullptr)) got = 0;
        report.resize(got);
        return report;
    }
};

TEST(Win32Hid, AReportArrivingAfterAReadTimedOutIsNotLost) {
    PipeRig rig(9);
    ASSERT_TRUE(rig.device);
    std::vector<uint8_t> report;
    EXPECT_EQ(rig.device->read(report, 30), 0) << "nothing sent yet";
    // The read left waiting takes this report.
    rig.send({0, 0xA1, 2, 3});
    ASSERT_EQ(rig.device->read(report, 2000), 1);
    EXPECT_EQ(report, (std::vector<uint8_t>{0, 0xA1, 2, 3}));
    rig.send({0, 7});
    rig.send({0, 8});
    ASSERT_EQ(rig.device->read(report, 2000), 1);
    EXPECT_EQ(report, (std::vector<uint8_t>{0, 7}));
    ASSERT_EQ(rig.device->read(report, 2000), 1);
    EXPECT_EQ(report, (std::vector<uint8_t>{0, 8}));
    EXPECT_EQ(rig.device->read(report, 0), 0);
}

TEST(Win32Hid, WritesWholeReportsPaddedWithZeros) {
    PipeRig rig(9);
    ASSERT_TRUE(rig.device);
    EXPECT_EQ(rig.device->outputReportLength(), 9u);
    std::string error;
    unsigned code = 0;
    ASSERT_TRUE(rig.device->write({0, 0xAA, 0x55}, error, code)) << error;
    EXPECT_EQ(rig.receive(), (std::vector<uint8_t>{0, 0xAA, 0x55, 0, 0, 0, 0, 0, 0}));
    // A write while a read waits: the two share the handle.
    std::vector<uint8_t> report;
    EXPECT_EQ(rig.device->read(report, 10), 0);
    ASSERT_TRUE(rig.device->write({0, 1, 2, 3, 4, 5, 6, 7, 8}, error, code)) << error;
    EXPECT_EQ(rig.receive(), (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(Win32Hid, AnUnpluggedDeviceFailsReadsAndWritesWithAReason) {
    PipeRig rig(65);
    ASSERT_TRUE(rig.device);
    std::vector<uint8_t> report;
    EXPECT_EQ(rig.device->read(report, 10), 0);
    rig.hangUp();
    EXPECT_EQ(rig.device->read(report, 2000), -1);
    std::string error;
    unsigned code = 0;
    EXPECT_FALSE(rig.device->write({0, 1}, error, code));
    EXPECT_NE(code, 0u);
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace vorelux
