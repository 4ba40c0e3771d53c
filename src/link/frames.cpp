#include "link/frames.h"

#include "link/reports.h"

#include <algorithm>

namespace vorelux {

std::array<uint8_t, 4> serialParamFrame(uint8_t parameterId, PanelId panel, uint8_t value) {
    return {panel, PanelCmdParameter, parameterId, value};
}

std::array<uint8_t, 10> kqParamReport(const KqIdentity& identity, uint8_t parameterId,
                                      PanelId panel, uint8_t value) {
    // The payload is the six bytes 4..9.
    return serialise<10>(
        transmitReport(identity, 48, panel, PanelCmdParameter, {parameterId, value}));
}

std::array<uint8_t, 2> kqIdentityRequest() {
    return serialise<IdentityRequestLength>(IdentityRequest{});
}

std::array<uint8_t, 10> kqConfigReport(const KqIdentity& identity, uint8_t configByte) {
    ConfigureReport report;
    std::copy_n(identity.begin(), report.identityHead.size(), report.identityHead.begin());
    report.configByte = configByte;
    return serialise<ConfigureReportLength>(report);
}

bool isIdentityReply(const std::vector<uint8_t>& report) {
    return report.size() >= 2 && report[1] == 0xFF;
}

KqIdentity identityFromReply(const std::vector<uint8_t>& report) {
    KqIdentity id{};
    for (size_t i = 0; i < 7 && i + 1 < report.size(); ++i) id[i] = report[i + 1];
    id[7] = KqIdentityStored;
    return id;
}

} // namespace vorelux
