#pragma once
// Frames and reports sent to the panels and to the USB transmitter, built as
// plain byte arrays (bytes in, bytes out).
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorelux {

// A panel address: 1..255 one panel by its number, 0 every panel at once.
using PanelId = uint8_t;
constexpr PanelId EveryPanel = 0;

// Command bytes understood by the panels.
constexpr uint8_t PanelCmdParameter = 98;

// Commands understood by the transmitter (second byte of an output report).
constexpr uint8_t KqCmdTransmit = 1;
constexpr uint8_t KqCmdConfigure = 239;
constexpr uint8_t KqCmdIdentity = 240;

// Parameter codes used by more than one window.
constexpr uint8_t ParPagesToDisplay = 0;
constexpr uint8_t ParSwitchOff = 252;
constexpr uint8_t ParConfigPoll = 253;
constexpr uint8_t ParShowIds = 254;
constexpr uint8_t ParSwitchOn = 255;

// Byte 6 of the transmitter identity while the transmitter is not configured.
constexpr uint8_t KqNotConfigured = 0x32;
// Byte 7 of the identity once a reply has been stored.
constexpr uint8_t KqIdentityStored = 28;

using KqIdentity = std::array<uint8_t, 8>; // ConnectionSettings::transmitterIdentity

// A signed setting (temperature adjustment) as its one-byte value: the low 8
// bits of its two's complement (-5 -> 251, -99 -> 157).
constexpr uint8_t signedValue(int value) {
    return static_cast<uint8_t>(value & 0xFF);
}

// The serial parameter frame: panel, 98, parameter, value.
std::array<uint8_t, 4> serialParamFrame(uint8_t parameterId, PanelId panel, uint8_t value);

// The transmitter report carrying one parameter command (byte 0 is the report ID).
std::array<uint8_t, 10> kqParamReport(const KqIdentity& identity, uint8_t parameterId,
                                      PanelId panel, uint8_t value);

// The identity request [0, 240].
std::array<uint8_t, 2> kqIdentityRequest();

// The configuration report: [0, 239, identity bytes 0..5, new configuration byte, 28].
std::array<uint8_t, 10> kqConfigReport(const KqIdentity& identity, uint8_t configByte);

// True when an input report (report ID followed by its data bytes) is an
// identity reply: its first data byte is 0xFF.
bool isIdentityReply(const std::vector<uint8_t>& report);

// The identity stored from a reply: data bytes 0..6 (missing bytes read as 0)
// and 28 in byte 7.
KqIdentity identityFromReply(const std::vector<uint8_t>& report);

} // namespace vorelux
