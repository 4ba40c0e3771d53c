#include "link/frames.h"

namespace vorelux {

std::array<uint8_t, 4> serialParamFrame(uint8_t parameterId, PanelId panel, uint8_t value) {
    return {panel, PanelCmdParameter, parameterId, value};
}

std::array<uint8_t, 10> kqParamReport(const KqIdentity& identity, uint8_t parameterId,
                                      PanelId panel, uint8_t value) {
    // Byte 2 is the payload length in bits: the six bytes 4..9.
    return {0,     KqCmdTransmit,     48,          1,    identity[5], identity[6],
            panel, PanelCmdParameter, parameterId, value};
}

std::array<uint8_t, 2> kqIdentityRequest() {
    return {0, KqCmdIdentity};
}

std::array<uint8_t, 10> kqConfigReport(const KqIdentity& identity, uint8_t configByte) {
    return {0,           KqCmdConfigure, identity[0], identity[1], identity[2],
            identity[3], identity[4],    identity[5], configByte,  KqIdentityStored};
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
