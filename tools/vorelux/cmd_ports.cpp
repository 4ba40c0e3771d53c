// vorelux ports: the serial ports as the editor's port selector shows them,
// and with --usb the HID devices with the transmitter marked.
#include "command.h"

#include <cstdio>
#include <iostream>

#ifdef VORELUX_HAVE_LINK_QT
#include "link/qt_serial.h"
#include "link/transmitter.h"
#endif
#ifdef VORELUX_HAVE_HIDAPI
#include "link/hidapi_bus.h"
#endif

namespace {

int listUsb() {
#ifdef VORELUX_HAVE_HIDAPI
    vorelux::HidapiBus bus;
    auto devices = bus.enumerate();
    if (devices.empty()) std::cout << "Nenhum dispositivo USB HID.\n";
    for (const auto& device : devices) {
        bool kq = device.product == vorelux::KqProductString;
        std::printf("%s %04x:%04x  %-20s \"%s\"\n", kq ? "*" : " ", device.vendorId,
                    device.productId, device.path.c_str(), device.product.c_str());
    }
    return 0;
#else
    std::cerr << "vorelux ports: this build has no USB HID support (hidapi)\n";
    return 1;
#endif
}

int runPorts(const vorelux::cli::Args& argsIn) {
    vorelux::cli::Args args = argsIn;
    bool usb = vorelux::cli::takeFlag(args, "--usb");
    if (!args.empty()) {
        std::cerr << "usage: vorelux ports [--usb]\n";
        return 2;
    }
    if (usb) return listUsb();
#ifdef VORELUX_HAVE_LINK_QT
    vorelux::QtPortCatalog catalog;
    auto ports = vorelux::listComPorts(catalog);
    if (ports.empty()) {
        std::cout << "Nenhuma porta serial instalada.\n";
        return 0;
    }
    std::printf("%-8s %6s  %-24s %s\n", "PORTA", "NUMERO", "DISPOSITIVO", "DESCRICAO");
    for (const auto& port : ports)
        std::printf("%-8s %6d  %-24s %s\n", port.name.c_str(), port.number, port.device.c_str(),
                    port.description.c_str());
    return 0;
#else
    std::cerr << "vorelux ports: this build has no serial port support (Qt SerialPort)\n";
    return 1;
#endif
}

vorelux::cli::CommandRegistration reg("ports",
                                      {"ports [--usb]",
                                       "list the serial ports as the editor shows them (name "
                                       "COM + number, number, device, description); --usb lists "
                                       "the USB HID devices, the transmitter marked with *",
                                       runPorts});

} // namespace
