// vorelux set-clock [--at "YYYY-MM-DD HH:MM:SS"]: sets the clocks of the
// target panels, by default to the computer's time, with the clock sequence
// of the settings dialog.
#include "command.h"
#include "link/settings_commands.h"
#include "link_session.h"

#include <ctime>
#include <iostream>

namespace vorelux::cli {
namespace {

// The computer's local time now.
ClockMoment localNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

int setClock(const Args& input) {
    Args args = input;
    LinkOptions options = takeLinkOptions(args);
    std::string at;
    bool fixed = takeOption(args, "--at", at);
    if (!args.empty()) return usageError("set-clock", "argumento a mais: " + args[0]);
    std::optional<ClockMoment> moment;
    if (fixed) {
        moment = parseClockMoment(at);
        if (!moment) {
            return usageError("set-clock", "--at espera data e hora de 2000..2099 como "
                                           "\"AAAA-MM-DD HH:MM:SS\": \"" +
                                               at + "\"");
        }
    }
    LinkSession session("vorelux set-clock", options, std::cout, std::cerr);
    if (int code = session.open()) return code;
    PanelLink& link = session.link();
    // Without --at each panel gets the time at the moment it is served, so
    // the last of many panels is not behind by the time the others took.
    int invalid = 0;
    int code = session.sendToTargets([&](PanelId panel) -> uint8_t {
        auto sequence = clockSequence(moment ? *moment : localNow());
        if (!sequence) {
            ++invalid;
            return SendOk;
        }
        return sendSequence(link, panel, *sequence);
    });
    if (invalid) {
        session.fail("o relógio do computador está fora de 2000..2099; nada foi enviado");
        return ExitFailed;
    }
    return code;
}

CommandRegistration
    reg("set-clock", {std::string("set-clock [--at \"AAAA-MM-DD HH:MM:SS\"] ") + LinkOptionsUsage,
                      "acerta os relógios dos painéis de destino (pela hora do computador, se "
                      "não houver --at)",
                      setClock,
                      withLinkOptions({{"--at", "\"AAAA-MM-DD HH:MM:SS\"",
                                        "a data e a hora a enviar, de 2000..2099"}})});

} // namespace
} // namespace vorelux::cli
