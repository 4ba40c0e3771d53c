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

struct TCfgComm {
    uint8_t tipo = 0;             // 0 serial port, 1 USB transmitter
    int32_t COM = 0;              // serial port number: "COM" + number
    std::vector<uint8_t> paginas; // never filled
    std::vector<uint8_t> paineis; // target panels, ascending; 0 = every panel
    uint8_t setPag = 0;           // display-page selector of the send dialog, minus one
    std::array<PageByHour, 12> pagPorHora{};
    std::string abrir;                  // unused
    std::array<uint8_t, 8> serial_KQ{}; // transmitter identity
    uint8_t AvisoVerao = 0;             // 0x10 warn at daylight-saving changes; bit 0 DST was on
};

constexpr uint8_t AvisoVeraoWarn = 0x10;
constexpr uint8_t AvisoVeraoInForce = 0x01;
constexpr size_t ConnCfgHeaderSize = 16;

std::vector<uint8_t> encodeConnCfg(const TCfgComm& cfg);
// Takes the port, selector, flags and target list from a well-formed file;
// false for one shorter than its 16-byte header (a damaged file).
bool decodeConnCfg(const std::vector<uint8_t>& data, TCfgComm& cfg);

// Loads "conn.cfg" into cfg. A missing or damaged file asks prompt 10 and is
// written anew from the current values, whatever the answer.
void readConnCfg(const std::string& path, TCfgComm& cfg, Prompter& prompter);
// Writes cfg to "conn.cfg"; false with a reason when it cannot be written.
bool writeConnCfg(const std::string& path, const TCfgComm& cfg, std::string& error);

} // namespace vorelux
