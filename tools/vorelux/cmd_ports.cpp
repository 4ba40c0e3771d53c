// vorelux ports: the serial ports as the editor's port selector shows them
// (the system's, running virtual panels, ports added beside "conn.cfg"), and
// with --usb the HID devices with the transmitter marked.
#include "command.h"
#include "link_session.h"

#include <cstdio>
#include <iostream>

#ifdef VORELUX_HAVE_LINK_QT
#include "link/port_directory.h"
#include "link/transmitter.h"
#include "transport/qt_serial.h"
#define VORELUX_HAVE_SERIAL_PORTS 1
using SystemPortCatalog = vorelux::QtPortCatalog;
#elif defined(_WIN32)
#include "link/port_directory.h"
#include "transport/win32_serial.h"
#define VORELUX_HAVE_SERIAL_PORTS 1
using SystemPortCatalog = vorelux::Win32PortCatalog;
#endif
#include "transport/system_hid_bus.h"

namespace {

int listUsb() {
#ifdef VORELUX_HAVE_USB
    vorelux::SystemHidBus bus;
    auto devices = bus.enumerate();
    if (devices.empty()) std::cout << "Nenhum dispositivo USB HID.\n";
    for (const auto& device : devices) {
        bool transmitter = device.product == vorelux::KqProductString;
        std::printf("%s %04x:%04x  %-20s \"%s\"\n", transmitter ? "*" : " ", device.vendorId,
                    device.productId, device.path.c_str(), device.product.c_str());
    }
    return 0;
#else
    std::cerr << "vorelux ports: esta versão do vorelux não tem suporte a USB HID\n";
    return 1;
#endif
}

#ifdef VORELUX_HAVE_SERIAL_PORTS
std::string originText(const vorelux::SerialPortInfo& port) {
    switch (port.origin) {
    case vorelux::PortOrigin::VirtualPanel:
        return port.description;
    case vorelux::PortOrigin::Added:
        return "adicionada";
    default:
        return port.description;
    }
}
#endif

int runPorts(const vorelux::cli::Args& argsIn) {
    vorelux::cli::Args args = argsIn;
    bool usb = vorelux::cli::takeFlag(args, "--usb");
    std::string config;
    vorelux::cli::takeOption(args, "--config", config);
    if (!args.empty()) return vorelux::cli::usageError("ports", "argumento a mais: " + args[0]);
    if (usb) return listUsb();
#ifdef VORELUX_HAVE_SERIAL_PORTS
    if (config.empty()) config = vorelux::cli::defaultConnCfgPath();
    SystemPortCatalog system;
    vorelux::PortDirectory catalog(system, vorelux::virtualPanelFolder(),
                                   vorelux::addedPortsPathBeside(config));
    auto ports = vorelux::listComPorts(catalog);
    for (const auto& note : catalog.notes()) std::cerr << "vorelux ports: " << note << "\n";
    if (ports.empty()) {
        std::cout << "Nenhuma porta serial instalada.\n";
        return 0;
    }
    std::printf("%-8s %6s  %-24s %s\n", "PORTA", "NUMERO", "DISPOSITIVO", "DESCRICAO");
    for (const auto& port : ports)
        std::printf("%-8s %6d  %-24s %s\n", port.name.c_str(), port.number, port.device.c_str(),
                    originText(port).c_str());
    return 0;
#else
    std::cerr << "vorelux ports: esta versão do vorelux não tem suporte a portas seriais (Qt "
                 "SerialPort)\n";
    return 1;
#endif
}

vorelux::cli::CommandRegistration
    reg("ports",
        {"ports [--usb] [--config conn.cfg]",
         "lista as portas seriais como o editor as mostra: as do "
         "sistema, os painéis virtuais em execução e as portas "
         "adicionadas ao lado do conn.cfg",
         runPorts,
         {{"--usb", "",
           "lista os dispositivos USB HID, o transmissor marcado "
           "com *"},
          {"--config", "conn.cfg", "o conn.cfg ao lado do qual procurar portas adicionadas"}}});

} // namespace
