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
    "PARÂMETRO VALOR:\n"
    "  speed 0..195              posição da barra de velocidade (0 a mais lenta, 97 a padrão,\n"
    "                            195 a mais rápida)\n"
    "  brightness 2..255         brilho\n"
    "  orientation horizontal|vertical\n"
    "  temp-internal -99..99     ajuste da temperatura interna\n"
    "  temp-external -99..99     ajuste da temperatura externa\n";

// The sequence for PARAM VALUE, or a reason.
std::optional<ParamSequence> settingSequence(const std::string& param, const std::string& value,
                                             std::string& problem) {
    long n = 0;
    bool number = parseInt(value, n) && n >= -1000 && n <= 1000;
    if (param == "speed" || param == "velocidade") {
        if (number)
            if (auto seq = speedSequence(int(n))) return seq;
        problem = "speed espera uma posição da barra de velocidade 0..195";
    } else if (param == "brightness" || param == "brilho") {
        if (number)
            if (auto seq = brightnessSequence(int(n))) return seq;
        problem = "brightness espera 2..255";
    } else if (param == "orientation" || param == "orientacao") {
        if (value == "horizontal" || value == "0") return orientationSequence(false);
        if (value == "vertical" || value == "1") return orientationSequence(true);
        problem = "orientation espera horizontal ou vertical";
    } else if (param == "temp-internal" || param == "temperatura-interna" ||
               param == "temp-external" || param == "temperatura-externa") {
        auto sensor = param == "temp-internal" || param == "temperatura-interna"
                          ? TemperatureSensor::Indoor
                          : TemperatureSensor::Outdoor;
        if (number)
            if (auto seq = temperatureSequence(sensor, int(n))) return seq;
        problem = param + " espera um ajuste -99..99";
    } else {
        problem = "configuração desconhecida: \"" + param + "\"";
    }
    return std::nullopt;
}

int set(const Args& input) {
    Args args = input;
    LinkOptions options = takeLinkOptions(args);
    if (args.size() != 2) return usageError("set", "espera PARÂMETRO e VALOR");
    std::string problem;
    auto sequence = settingSequence(args[0], args[1], problem);
    if (!sequence) return usageError("set", problem);
    LinkSession session("vorelux set", options, std::cout, std::cerr);
    if (int code = session.open()) return code;
    return session.sendToTargets(sequenceCommand(session.link(), *sequence));
}

CommandRegistration reg("set", {std::string("set PARÂMETRO VALOR ") + LinkOptionsUsage,
                                "envia uma configuração aos painéis: speed, brightness, "
                                "orientation, temp-internal, temp-external",
                                set, linkOptionSpecs(), SetUsage});

} // namespace
} // namespace vorelux::cli
