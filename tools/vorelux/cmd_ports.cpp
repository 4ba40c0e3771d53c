// vorelux ports: the serial ports as the editor's port selector shows them.
#include "command.h"

#include <cstdio>
#include <iostream>

#ifdef VORELUX_HAVE_LINK_QT
#include "link/qt_serial.h"
#endif

namespace {

int runPorts(const vorelux::cli::Args& args) {
    if (!args.empty()) {
        std::cerr << "usage: vorelux ports\n";
        return 2;
    }
#ifdef VORELUX_HAVE_LINK_QT
    vorelux::QtPortCatalog catalog;
    auto ports = vorelux::ListarPortasCom(catalog);
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
                                      {"ports",
                                       "list the serial ports as the editor shows them: name "
                                       "(COM + number), number, device, description",
                                       runPorts});

} // namespace
