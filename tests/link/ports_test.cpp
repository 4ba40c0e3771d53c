// Serial ports as "COM" + number: the device mapping, the port list and its
// fallback.
#include "link/ports.h"
#include "link/simulated.h"

#include <gtest/gtest.h>

namespace vorelux {
namespace {

TEST(ComNumbers, FixedRangesMapDevicesBothWays) {
    struct Case {
        const char* device;
        int number;
    };
    for (Case c :
         {Case{.device = "/dev/ttyS0", .number = 1}, Case{.device = "/dev/ttyS31", .number = 32},
          Case{.device = "/dev/ttyUSB0", .number = 33},
          Case{.device = "/dev/ttyUSB31", .number = 64},
          Case{.device = "/dev/ttyACM0", .number = 65},
          Case{.device = "/dev/ttyAMA0", .number = 97},
          Case{.device = "/dev/rfcomm0", .number = 113},
          Case{.device = "/dev/pts/0", .number = 129},
          Case{.device = "/dev/pts/62", .number = 191}}) {
        EXPECT_EQ(comNumberForDevice(c.device), c.number) << c.device;
        EXPECT_EQ(deviceForComNumber(c.number), c.device) << c.number;
    }
    EXPECT_EQ(comNumberForDevice("ttyUSB1"), 34); // a name without /dev/
    EXPECT_EQ(comNumberForDevice("COM12"), 12);   // Windows names are their own number
}

TEST(ComNumbers, DevicesOutsideTheFixedRangesHaveNoFixedNumber) {
    for (const char* device : {"/dev/ttyS32", "/dev/ttyUSB32", "/dev/pts/63", "/dev/ttyS01",
                               "/dev/ttyXRUSB0", "/dev/ttyS", "/dev/ttyUSB-1", "COM0", "COM256"})
        EXPECT_EQ(comNumberForDevice(device), std::nullopt) << device;
    EXPECT_EQ(deviceForComNumber(192), std::nullopt);
    EXPECT_EQ(deviceForComNumber(0), std::nullopt);
}

TEST(ComNumbers, NumberFromPortNameTakesEverythingAfterCom) {
    EXPECT_EQ(comNumberFromName("COM10"), 10);
    EXPECT_EQ(comNumberFromName("COM255"), 255);
    for (const char* name : {"COM", "COM0", "COM256", "com3", "COM3 ", "COMx", "LPT1"})
        EXPECT_EQ(comNumberFromName(name), std::nullopt) << name;
}

TEST(ComNumbers, OtherDevicesTakeNumbersFrom192InPathOrder) {
    std::vector<SerialPortInfo> devices{{"", 0, "/dev/ttyXRUSB1", "b"},
                                        {"", 0, "/dev/ttyUSB0", "usb"},
                                        {"", 0, "/dev/ttyCH341USB0", "a"},
                                        {"", 0, "/dev/ttyS0", "uart"}};
    auto ports = assignComPorts(devices);
    ASSERT_EQ(ports.size(), 4u);
    EXPECT_EQ(ports[0].name, "COM1");
    EXPECT_EQ(ports[0].device, "/dev/ttyS0");
    EXPECT_EQ(ports[1].name, "COM33");
    EXPECT_EQ(ports[1].description, "usb");
    EXPECT_EQ(ports[2].name, "COM192");
    EXPECT_EQ(ports[2].device, "/dev/ttyCH341USB0");
    EXPECT_EQ(ports[3].name, "COM193");
    EXPECT_EQ(ports[3].device, "/dev/ttyXRUSB1");

    // More devices than numbers: the ones beyond COM255 are left out.
    std::vector<SerialPortInfo> many;
    for (int i = 0; i < 70; ++i) many.push_back({"", 0, "/dev/ttyX" + std::to_string(100 + i), ""});
    auto capped = assignComPorts(many);
    ASSERT_EQ(capped.size(), 64u);
    EXPECT_EQ(capped.back().number, 255);
}

TEST(ComPortList, ListsInNumberOrderOrFallsBackToTenPorts) {
    StaticPortCatalog catalog;
    catalog.add(12, "/dev/x12");
    catalog.add(3, "/dev/x3");
    auto ports = listComPorts(catalog);
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].name, "COM3");
    EXPECT_EQ(ports[1].name, "COM12");

    catalog.fails = true;
    ports = listComPorts(catalog);
    ASSERT_EQ(ports.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(ports[i].name, "COM" + std::to_string(i + 1));
#ifndef _WIN32
    EXPECT_EQ(ports[0].device, "/dev/ttyS0");
#endif

    // An empty list is a list, not a failure.
    catalog.fails = false;
    catalog.ports.clear();
    EXPECT_TRUE(listComPorts(catalog).empty());
}

TEST(ComPortList, SelectorTextShowsTheDeviceBesideTheName) {
    EXPECT_EQ(portSelectorText({"COM33", 33, "/dev/ttyUSB0", ""}), "COM33  (/dev/ttyUSB0)");
    EXPECT_EQ(portSelectorText({"COM3", 3, "COM3", ""}), "COM3");
}

} // namespace
} // namespace vorelux
