#include "link/settings_commands.h"

#include <chrono>
#include <cstdio>

namespace vorelux {

namespace {

// Speed values and the last bar position of each: 30 at position 0, 29 at
// 1..4, ... 2 at 193..195. The bar is finer at the slow end.
struct SpeedRange {
    uint8_t value;
    int lastPosition;
};
constexpr SpeedRange SpeedRanges[] = {
    {30, 0},  {29, 4},  {28, 7},  {27, 10}, {26, 14}, {25, 17}, {24, 21}, {23, 25},
    {22, 29}, {21, 33}, {20, 37}, {19, 41}, {18, 46}, {17, 50}, {16, 55}, {15, 61},
    {14, 66}, {13, 72}, {12, 78}, {11, 85}, {10, 92}, {9, 100}, {8, 108}, {7, 118},
    {6, 130}, {5, 144}, {4, 162}, {3, 192}, {2, 195},
};

std::array<uint8_t, SpeedPositions> buildSpeedTable() {
    std::array<uint8_t, SpeedPositions> table{};
    int position = 0;
    for (const auto& range : SpeedRanges)
        for (; position <= range.lastPosition; ++position)
            table[static_cast<size_t>(position)] = range.value;
    return table;
}

} // namespace

const std::array<uint8_t, SpeedPositions>& speedTable() {
    static const auto table = buildSpeedTable();
    return table;
}

std::optional<ParamSequence> speedSequence(int position) {
    if (position < 0 || position > SpeedLastPosition) return std::nullopt;
    return ParamSequence{{ParSpeed, speedTable()[static_cast<size_t>(position)]}};
}

std::optional<ParamSequence> brightnessSequence(int value) {
    if (value < BrightnessMin || value > BrightnessMax) return std::nullopt;
    return ParamSequence{{ParBrightness, static_cast<uint8_t>(value)}};
}

ParamSequence orientationSequence(bool vertical) {
    return {{ParOrientation, static_cast<uint8_t>(vertical ? 1 : 0)}};
}

std::optional<ParamSequence> temperatureSequence(TemperatureSensor sensor, int adjustment) {
    if (adjustment < TemperatureAdjustMin || adjustment > TemperatureAdjustMax) return std::nullopt;
    uint8_t parameterId =
        sensor == TemperatureSensor::Indoor ? ParIndoorTemperature : ParOutdoorTemperature;
    return ParamSequence{{parameterId, signedValue(adjustment)}};
}

bool isValidClockMoment(const ClockMoment& m) {
    if (m.year < 2000 || m.year > 2099) return false;
    if (m.month < 1 || m.month > 12 || m.day < 1 || m.day > 31) return false;
    const std::chrono::year_month_day date{std::chrono::year(m.year),
                                           std::chrono::month(unsigned(m.month)),
                                           std::chrono::day(unsigned(m.day))};
    if (!date.ok()) return false;
    return m.hour >= 0 && m.hour <= 23 && m.minute >= 0 && m.minute <= 59 && m.second >= 0 &&
           m.second <= 59;
}

int weekdayOf(const ClockMoment& m) {
    const std::chrono::year_month_day date{std::chrono::year(m.year),
                                           std::chrono::month(unsigned(m.month)),
                                           std::chrono::day(unsigned(m.day))};
    return static_cast<int>(std::chrono::weekday(std::chrono::sys_days(date)).c_encoding());
}

std::optional<ParamSequence> clockSequence(const ClockMoment& m) {
    if (!isValidClockMoment(m)) return std::nullopt;
    auto byte = [](int v) { return static_cast<uint8_t>(v); };
    return ParamSequence{
        {ParClockSeconds, byte(m.second)},  {ParClockMinutes, byte(m.minute)},
        {ParClockHours, byte(m.hour)},      {ParClockWeekday, byte(weekdayOf(m))},
        {ParClockDay, byte(m.day)},         {ParClockMonth, byte(m.month)},
        {ParClockYear, byte(m.year % 100)},
    };
}

std::optional<ClockMoment> parseClockMoment(const std::string& text) {
    ClockMoment m;
    int used = 0;
    char extra = 0;
    // Every field must be present and nothing may follow.
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n%c", &m.year, &m.month, &m.day, &m.hour,
                    &m.minute, &m.second, &used, &extra) == 6 &&
        size_t(used) == text.size()) {
        if (isValidClockMoment(m)) return m;
        return std::nullopt;
    }
    m.second = 0;
    used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%n%c", &m.year, &m.month, &m.day, &m.hour,
                    &m.minute, &used, &extra) == 5 &&
        size_t(used) == text.size()) {
        if (isValidClockMoment(m)) return m;
    }
    return std::nullopt;
}

uint8_t sendSequence(PanelLink& link, PanelId panel, const ParamSequence& sequence,
                     const KeepSending& keepSending) {
    uint8_t result = SendOk;
    for (const auto& step : sequence) {
        if (keepSending && !keepSending()) break;
        result = link.sendParameter(step.parameterId, panel, step.value);
        if (result != SendOk) break;
    }
    return result;
}

PanelCommand sequenceCommand(PanelLink& link, ParamSequence sequence, KeepSending keepSending) {
    return [&link, sequence = std::move(sequence), keepSending = std::move(keepSending)](
               PanelId panel) { return sendSequence(link, panel, sequence, keepSending); };
}

} // namespace vorelux
