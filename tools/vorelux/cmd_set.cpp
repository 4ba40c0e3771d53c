// vorelux set PARAM VALUE: one setting of the settings dialog sent to the
// target panels: the speed bar position, brightness, orientation or a
// temperature adjustment.
#include "command.h"
#include "link/settings_commands.h"
#include "link_session.h"

#include <iostream>

namespace vorelux::cli {
namespace {

constexpr const char* SetUsage =
    "  speed 0..195              speed bar position (0 slowest, 97 the default, 195 fastest)\n"
    "  brightness 2..255         brightness\n"
    "  orientation horizontal|vertical\n"
    "  temp-internal -99..99     internal temperature adjustment\n"
    "  temp-external -99..99     external temperature adjustment\n";

// The sequence for PARAM VALUE, or a reason.
std::optional<ParamSequence> settingSequence(const std::string& param, const std::string& value,
                                             std::string& problem) {
    long n = 0;
    bool number = parseInt(value, n) && n >= -1000 && n <= 1000;
    if (param == "speed" || param == "velocidade") {
        if (number)
            if (auto seq = speedSequence(int(n))) return seq;
        problem = "speed takes a speed bar position 0..195";
    } else if (param == "brightness" || param == "brilho") {
        if (number)
            if (auto seq = brightnessSequence(int(n))) return seq;
        problem = "brightness takes 2..255";
    } else if (param == "orientation" || param == "orientacao") {
        if (value == "horizontal" || value == "0") return orientationSequence(false);
        if (value == "vertical" || value == "1") return orientationSequence(true);
        problem = "orientation takes horizontal or vertical";
    } else if (param == "temp-internal" || param == "temperatura-interna" ||
               param == "temp-external" || param == "temperatura-externa") {
        auto sensor = param == "temp-internal" || param == "temperatura-interna"
                          ? TemperatureSensor::Indoor
                          : TemperatureSensor::Outdoor;
        if (number)
            if (auto seq = temperatureSequence(sensor, int(n))) return seq;
        problem = param + " takes an adjustment -99..99";
    } else {
        problem = "unknown setting '" + param + "'";
    }
    return std::nullopt;
}

int set(const Args& input) {
    Args args = input;
    LinkOptions options = takeLinkOptions(args);
    if (args.size() != 2) {
        std::cerr << "usage: vorelux set PARAM VALUE " << LinkOptionsUsage << "\n" << SetUsage;
        return ExitUsage;
    }
    std::string problem;
    auto sequence = settingSequence(args[0], args[1], problem);
    if (!sequence) {
        std::cerr << "vorelux set: " << problem << "\n" << SetUsage;
        return ExitUsage;
    }
    LinkSession session("vorelux set", options, std::cout, std::cerr);
    if (int code = session.open()) return code;
    return session.sendToTargets(sequenceCommand(session.link(), *sequence));
}

CommandRegistration reg("set", {std::string("set PARAM VALUE ") + LinkOptionsUsage,
                                "sends one panel setting: speed, brightness, orientation, "
                                "temp-internal, temp-external",
                                set});

} // namespace
} // namespace vorelux::cli
