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
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off")) {
        std::cerr << "usage: vorelux power on|off " << LinkOptionsUsage << "\n";
        return ExitUsage;
    }
    LinkSession session("vorelux power", options, std::cout, std::cerr);
    if (int code = session.open()) return code;
    uint8_t parameterId = args[0] == "on" ? ParSwitchOn : ParSwitchOff;
    return session.sendToTargets(session.link().parameter(parameterId, 0));
}

CommandRegistration reg("power", {std::string("power on|off ") + LinkOptionsUsage,
                                  "switches the target panels on (parameter 255, back to their "
                                  "pages) or off (252)",
                                  power});

} // namespace
} // namespace vorelux::cli
