#pragma once
// The transmitter's output reports as records with named fields, and the one
// place that lays each out as the bytes the transmitter reads. Byte 0 of every
// output report is the report ID, always 0.
#include "link/frames.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vorelux {

// A command for the panels, passed on by the transmitter:
// [0, 1, lengthBits, 1, identity5, identity6, target, panelCommand, arguments...],
// zeros after the arguments up to the report's length.
struct TransmitReport {
    uint8_t lengthBits = 0; // the bytes after byte 3 the panels take, in bits
    uint8_t identity5 = 0;  // bytes 5 and 6 of the transmitter's identity
    uint8_t identity6 = 0;
    PanelId target = EveryPanel;
    uint8_t panelCommand = 0;
    std::vector<uint8_t> arguments;
};

// One slice of a page's content (data report `sequence`, from 1):
// [0, 1, 80, 1, sequence, content 0, content 1, key, content 2..7].
struct TransmitDataReport {
    uint8_t sequence = 0;
    std::array<uint8_t, 8> content{};
    uint8_t key = 0;
};
inline constexpr size_t TransmitDataReportLength = 14;

// Asks the transmitter for its identity: [0, 240].
struct IdentityRequest {};
inline constexpr size_t IdentityRequestLength = 2;

// Stores a new configuration byte in the transmitter:
// [0, 239, identity 0..5, configByte, 28].
struct ConfigureReport {
    std::array<uint8_t, 6> identityHead{}; // bytes 0..5 of the transmitter's identity
    uint8_t configByte = 0;
};
inline constexpr size_t ConfigureReportLength = 10;

// Each lays its report out in `out`, which has the report's length; bytes
// past the fields stay 0. A TransmitReport needs 8 + its arguments.
void layOut(const TransmitReport& report, std::span<uint8_t> out);
void layOut(const TransmitDataReport& report, std::span<uint8_t> out);
void layOut(const IdentityRequest& report, std::span<uint8_t> out);
void layOut(const ConfigureReport& report, std::span<uint8_t> out);

// A report as the N bytes written to the transmitter.
template <size_t N, class Report> std::array<uint8_t, N> serialise(const Report& report) {
    std::array<uint8_t, N> out{};
    layOut(report, out);
    return out;
}

// The transmit report of `identity` with everything but the payload.
TransmitReport transmitReport(const KqIdentity& identity, uint8_t lengthBits, PanelId target,
                              uint8_t panelCommand, std::vector<uint8_t> arguments);

} // namespace vorelux
