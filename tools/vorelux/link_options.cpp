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

} // namespace vorelux::cli
