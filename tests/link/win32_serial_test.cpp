// The Win32 transports as far as they go without hardware: the names ports
// open by, the registry's list with ports registered over it, and the
// failures of a port or a server that is not there. Sending through a COM
// port end to end is tests/windows/com_port_check.py (under Wine).
#include "link/win32_network.h"
#include "link/win32_serial.h"

#include <gtest/gtest.h>

#include <algorithm>

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

} // namespace
} // namespace vorelux
