// The Win32 transports as far as they go without hardware: the names ports
// open by, the registry's list with ports registered over it, the failures
// of a port or a server that is not there, and servers that misbehave. Sending through a COM
// port end to end is tests/windows/com_port_check.py (under Wine).
#include "transport/win32_network.h"
#include "transport/win32_serial.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>
#include <winsock2.h>

namespace vorelux {
namespace {

TEST(Win32Serial, PortsOpenByTheirDeviceName) {
    struct Case {
        const char* device;
        const wchar_t* opened;
    };
    for (const Case& c : {Case{.device = "COM3", .opened = L"\\\\.\\COM3"},
                          Case{.device = "COM12", .opened = L"\\\\.\\COM12"},
                          Case{.device = "\\\\.\\COM7", .opened = L"\\\\.\\COM7"}})
        EXPECT_EQ(win32DeviceName(c.device), c.opened) << c.device;
}

TEST(Win32Serial, TheRegistrysPortsWithRegisteredOnesInNumberOrder) {
    Win32PortCatalog catalog;
    std::vector<SerialPortInfo> listed;
    ASSERT_TRUE(catalog.listPorts(listed));
    for (const SerialPortInfo& port : listed) {
        EXPECT_EQ(port.name, comPortName(port.number));
        EXPECT_EQ(port.device, port.name) << "Windows opens a port by its name";
    }
    catalog.registerPort(250, "COM250", "test");
    catalog.registerPort(2, "COM2");
    ASSERT_TRUE(catalog.listPorts(listed));
    ASSERT_TRUE(findPort(listed, 250));
    EXPECT_EQ(findPort(listed, 250)->description, "test");
    ASSERT_TRUE(findPort(listed, 2));
    EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end(),
                               [](const auto& a, const auto& b) { return a.number < b.number; }));
}

TEST(Win32Serial, APortThatIsNotThereFailsWithAReason) {
    Win32SerialPort port;
    std::string error;
    EXPECT_FALSE(port.writeByte(1, error));
    EXPECT_EQ(error, "a porta não está aberta");
    EXPECT_FALSE(port.open("COM254", error));
    EXPECT_EQ(error.rfind("COM254: ", 0), 0u) << error;
    port.close();
    port.close(); // harmless when closed
}

TEST(Win32Network, AServerThatIsNotThereFailsWithAReason) {
    Win32NetworkPort port(2000, 1000);
    std::string error;
    EXPECT_FALSE(port.open("COM3", error));
    EXPECT_NE(error.find("não é um endereço de rede"), std::string::npos) << error;
    // Port 1 on this machine: nothing listens there.
    EXPECT_FALSE(port.open("socket://127.0.0.1:1", error));
    EXPECT_NE(error.find("não foi possível conectar a 127.0.0.1:1"), std::string::npos) << error;
    EXPECT_FALSE(port.writeByte(1, error));
    EXPECT_EQ(error, "a porta não está aberta");
}

// A telnet server on the loopback, on a thread of the test: `serve` gets the
// accepted connection. The port has started Winsock by then.
struct LoopbackServer {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    int port = 0;
    std::thread thread;
    explicit LoopbackServer(std::function<void(SOCKET)> serve) {
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at);
        listen(listener, 1);
        int len = sizeof at;
        getsockname(listener, reinterpret_cast<sockaddr*>(&at), &len);
        port = ntohs(at.sin_port);
        thread = std::thread([this, serve] {
            const SOCKET c = accept(listener, nullptr, nullptr);
            if (c != INVALID_SOCKET) serve(c);
            closesocket(c);
        });
    }
    ~LoopbackServer() {
        thread.join();
        closesocket(listener);
    }
    std::string address() const { return "rfc2217://127.0.0.1:" + std::to_string(port); }
};

void sendAll(SOCKET s, const std::vector<uint8_t>& bytes) {
    ::send(s, reinterpret_cast<const char*>(bytes.data()), int(bytes.size()), 0);
}

const std::vector<uint8_t> LineConfirmed{
    255, 250, 44, 101, 0,   0,   0x25, 0x80, 255, 240, 255, 250, 44,  102, 8,  255, 240, 255, 250,
    44,  103, 1,  255, 240, 255, 250,  44,   104, 1,   255, 240, 255, 250, 44, 105, 1,   255, 240};

TEST(Win32Network, AServerThatFloodsOptionChangesEndsTheTransfer) {
    Win32NetworkPort port(2000, 3000);
    std::string error;
    ASSERT_FALSE(port.open("socket://127.0.0.1:1", error)); // starts Winsock
    LoopbackServer server([](SOCKET c) {
        std::vector<uint8_t> hello{255, 253, 44};
        hello.insert(hello.end(), LineConfirmed.begin(), LineConfirmed.end());
        sendAll(c, hello);
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the port is open
        std::vector<uint8_t> flood;
        for (int i = 0; i < 20000; ++i) flood.insert(flood.end(), {255, 251, 0, 255, 252, 0});
        for (int round = 0; round < 20; ++round) sendAll(c, flood);
    });
    ASSERT_TRUE(port.open(server.address(), error)) << error;
    bool failed = false;
    for (int i = 0; i < 200 && !failed; ++i) {
        failed = !port.writeByte(0x41, error);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(failed);
    EXPECT_NE(error.find("enviou dados demais de uma vez"), std::string::npos) << error;
    port.close();
}

TEST(Win32Network, TheNegotiationHasOneDeadline) {
    Win32NetworkPort port(2000, 3000);
    std::string error;
    ASSERT_FALSE(port.open("socket://127.0.0.1:1", error)); // starts Winsock
    LoopbackServer server([](SOCKET c) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2900));
        sendAll(c, {255, 253, 44});
        char sink[256];
        while (recv(c, sink, sizeof sink, 0) > 0) {
        }
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.open(server.address(), error));
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_NE(error.find("não confirmou a linha 9600 8N1 (RFC 2217) em 3 s"), std::string::npos)
        << error;
    EXPECT_LT(took, std::chrono::milliseconds(4500));
    port.close();
}

} // namespace
} // namespace vorelux
