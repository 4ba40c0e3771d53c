#pragma once
// The connection settings and their file "conn.cfg":
//   byte 0 link mode, 1 port number (low 8 bits), 2 display-page selector,
//   3 daylight-saving flags, 4..15 zero, 16.. the target panel list.
#include "model/prompts.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vorelux {

struct PageByHour {
    uint8_t active = 0;
    int hour = 0; // time of day the entry starts
    int minute = 0;
};

// How the pages reach the panels; the value is byte 0 of "conn.cfg".
enum class Transport : uint8_t { Serial = 0, Transmitter = 1 };

struct ConnectionSettings {
    Transport transport = Transport::Serial;
    int32_t portNumber = 0;            // serial port number: "COM" + number
    std::vector<uint8_t> targetPanels; // ascending; 0 = every panel
    uint8_t displayPageSelector = 0;   // display-page selector of the send dialog, minus one
    std::array<PageByHour, 12> pagesByHour{};
    std::array<uint8_t, 8> transmitterIdentity{};
    uint8_t daylightSaving = 0; // DaylightSavingWarn and DaylightSavingInForce flags
};

constexpr uint8_t DaylightSavingWarn = 0x10;    // warn at daylight-saving changes
constexpr uint8_t DaylightSavingInForce = 0x01; // daylight saving was on at the last check
constexpr size_t ConnCfgHeaderSize = 16;

std::vector<uint8_t> encodeConnCfg(const ConnectionSettings& cfg);
// Takes the port, selector, flags and target list from a well-formed file;
// false for one shorter than its 16-byte header (a damaged file).
bool decodeConnCfg(const std::vector<uint8_t>& data, ConnectionSettings& cfg);

// Loads "conn.cfg" into cfg. A missing or damaged file asks whether to take the defaults and is
// written anew from the current values, whatever the answer.
void readConnCfg(const std::string& path, ConnectionSettings& cfg, Prompter& prompter);
// Writes cfg to "conn.cfg"; false with a reason when it cannot be written.
bool writeConnCfg(const std::string& path, const ConnectionSettings& cfg, std::string& error);

} // namespace vorelux
