#include "link/reports.h"

#include <algorithm>
#include <cassert>

namespace vorelux {

namespace {
constexpr uint8_t ReportId = 0;
constexpr uint8_t KqTransmitLength = 1; // byte 3 of every transmit report
constexpr uint8_t DataBits = 80;        // 10 payload bytes
} // namespace

void layOut(const TransmitReport& report, std::span<uint8_t> out) {
    assert(out.size() >= 8 + report.arguments.size());
    std::fill(out.begin(), out.end(), 0);
    out[0] = ReportId;
    out[1] = KqCmdTransmit;
    out[2] = report.lengthBits;
    out[3] = KqTransmitLength;
    out[4] = report.identity5;
    out[5] = report.identity6;
    out[6] = report.target;
    out[7] = report.panelCommand;
    std::copy(report.arguments.begin(), report.arguments.end(), out.begin() + 8);
}

void layOut(const TransmitDataReport& report, std::span<uint8_t> out) {
    assert(out.size() >= TransmitDataReportLength);
    std::fill(out.begin(), out.end(), 0);
    out[0] = ReportId;
    out[1] = KqCmdTransmit;
    out[2] = DataBits;
    out[3] = KqTransmitLength;
    out[4] = report.sequence;
    out[5] = report.content[0];
    out[6] = report.content[1];
    out[7] = report.key;
    std::copy(report.content.begin() + 2, report.content.end(), out.begin() + 8);
}

void layOut(const IdentityRequest&, std::span<uint8_t> out) {
    assert(out.size() >= IdentityRequestLength);
    std::fill(out.begin(), out.end(), 0);
    out[0] = ReportId;
    out[1] = KqCmdIdentity;
}

void layOut(const ConfigureReport& report, std::span<uint8_t> out) {
    assert(out.size() >= ConfigureReportLength);
    std::fill(out.begin(), out.end(), 0);
    out[0] = ReportId;
    out[1] = KqCmdConfigure;
    std::copy(report.identityHead.begin(), report.identityHead.end(), out.begin() + 2);
    out[8] = report.configByte;
    out[9] = KqIdentityStored;
}

TransmitReport transmitReport(const KqIdentity& identity, uint8_t lengthBits, PanelId target,
                              uint8_t panelCommand, std::vector<uint8_t> arguments) {
    return {lengthBits, identity[5], identity[6], target, panelCommand, std::move(arguments)};
}

} // namespace vorelux
