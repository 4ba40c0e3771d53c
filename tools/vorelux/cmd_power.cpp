// vorelux power on|off: switches the target panels on (and back to their
// pages) or off, as the editor's power buttons do.
#include "command.h"
#include "link_session.h"

#include <iostream>

namespace vorelux::cli {
namespace {

int power(const Args& input) {
    Args args = input;
    LinkOptions options = takeLinkOptions(args);
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off"))
        return usageError("power", "espera on ou off");
    LinkSession session("vorelux power", options, std::cout, std::cerr);
    if (int code = session.open()) return code;
    uint8_t parameterId = args[0] == "on" ? ParSwitchOn : ParSwitchOff;
    return session.sendToTargets(session.link().parameter(parameterId, 0));
}

CommandRegistration reg("power", {std::string("power on|off ") + LinkOptionsUsage,
                                  "liga (parâmetro 255, de volta às suas páginas) ou desliga "
                                  "(252) os painéis de destino",
                                  power, linkOptionSpecs()});

} // namespace
} // namespace vorelux::cli
