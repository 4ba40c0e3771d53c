#pragma once
// The single settings and the clock as parameter sequences, without any
// window: the settings dialog and the command-line tool build the same
// sequences here and send them with sendSequence.
#include "link/panel_link.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vorelux {

// Parameter codes of the settings.
constexpr uint8_t ParIndoorTemperature = 8;  // internal temperature adjustment, -99..99
constexpr uint8_t ParOutdoorTemperature = 9; // external temperature adjustment, -99..99
constexpr uint8_t ParSpeed = 10;             // animation speed, 2..30 (smaller is faster)
constexpr uint8_t ParBrightness = 11;        // brightness, 2..255
constexpr uint8_t ParOrientation = 12;       // 0 horizontal, 1 vertical
constexpr uint8_t ParClockSeconds = 64;
constexpr uint8_t ParClockMinutes = 65;
constexpr uint8_t ParClockHours = 66;
constexpr uint8_t ParClockDay = 67;
constexpr uint8_t ParClockMonth = 68;
constexpr uint8_t ParClockWeekday = 69; // 0 Sunday .. 6 Saturday
constexpr uint8_t ParClockYear = 70;    // two digits

// The speed bar: positions 0..195, the byte sent is the speed table's value.
constexpr int SpeedPositions = 196;
constexpr int SpeedLastPosition = SpeedPositions - 1;
constexpr int DefaultSpeedPosition = 97;
// Brightness bar.
constexpr int BrightnessMin = 2;
constexpr int BrightnessMax = 255;
constexpr int DefaultBrightness = 127; // the factory setting restored by "Restaurar"
// Temperature adjustments.
constexpr int TemperatureAdjustMin = -99;
constexpr int TemperatureAdjustMax = 99;

// The 196-byte speed table, indexed by the speed bar position.
const std::array<uint8_t, SpeedPositions>& speedTable();

// One parameter of a sequence.
struct ParamStep {
    uint8_t parameterId;
    uint8_t value;
    bool operator==(const ParamStep&) const = default;
};
using ParamSequence = std::vector<ParamStep>;

// Speed bar released at `position` (0..195): 10 <- speed table[position].
// Nothing for a position outside the bar.
std::optional<ParamSequence> speedSequence(int position);
// Brightness bar released at `value` (2..255): 11 <- value.
std::optional<ParamSequence> brightnessSequence(int value);
// "Horizontal" (12 <- 0) or "Vertical" (12 <- 1).
ParamSequence orientationSequence(bool vertical);

enum class TemperatureSensor { Indoor, Outdoor };
// Temperature adjustment -99..99 as its two's complement byte: 8 or 9 <- value.
std::optional<ParamSequence> temperatureSequence(TemperatureSensor sensor, int adjustment);

// A clock moment as the clock tab holds it (time field and date field).
struct ClockMoment {
    int year = 2000; // full year; the panel takes its last two digits
    int month = 1;   // 1..12
    int day = 1;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;
    int second = 0;
};
// True for a real date of years 2000..2099 (the panel keeps two digits) and a
// time of day.
bool isValidClockMoment(const ClockMoment& moment);
// Day of week of the moment's date: 0 Sunday .. 6 Saturday.
int weekdayOf(const ClockMoment& moment);
// The clock "Enviar": 64 seconds, 65 minutes, 66 hours, 69 weekday, 67 day,
// 68 month, 70 year (two digits). Nothing for an invalid moment.
std::optional<ParamSequence> clockSequence(const ClockMoment& moment);
// Reads "YYYY-MM-DD HH:MM:SS" (also "YYYY-MM-DD HH:MM"); nothing when the
// text is not such a moment or the moment is invalid.
std::optional<ClockMoment> parseClockMoment(const std::string& text);

// Asked before each parameter of a sequence: false stops the sequence there
// (a transfer being cancelled). Empty: the sequence is never stopped.
using KeepSending = std::function<bool()>;

// Sends a sequence to one panel in order; a parameter goes out only while the
// previous result is 0 and keepSending says so. Returns the last result.
uint8_t sendSequence(PanelLink& link, PanelId panel, const ParamSequence& sequence,
                     const KeepSending& keepSending = {});
// The sequence as a command for the per-panel loops of PanelLink.
PanelCommand sequenceCommand(PanelLink& link, ParamSequence sequence, KeepSending keepSending = {});

} // namespace vorelux
