// The link options of the sending commands.
#include "link_session.h"

namespace vorelux::cli {

LinkOptions takeLinkOptions(Args& args) {
    LinkOptions options;
    takeOption(args, "--to", options.to);
    takeOption(args, "--port", options.port);
    takeOption(args, "--config", options.config);
    options.usb = takeFlag(args, "--usb");
    options.dryRun = takeFlag(args, "--dry-run");
    return options;
}

OptionSpecs linkOptionSpecs() {
    return {
        {"--to", "0|N,M,...",
         "painéis de destino: 0 (todos) ou números 1..255; padrão: os do conn.cfg"},
        {"--port", "PORTA",
         "COM3, um dispositivo (/dev/ttyUSB0), socket://HOST:PORTA ou rfc2217://HOST:PORTA; "
         "padrão: a porta do conn.cfg"},
        {"--usb", "", "envia pelo Transmissor KQ (USB) em vez de uma porta serial"},
        {"--config", "conn.cfg", "as configurações de conexão a ler (padrão: as do editor)"},
        {"--dry-run", "", "mostra os quadros e as pausas sem enviar nada"},
    };
}

OptionSpecs withLinkOptions(OptionSpecs own) {
    for (OptionSpec& o : linkOptionSpecs()) own.push_back(std::move(o));
    return own;
}

} // namespace vorelux::cli
