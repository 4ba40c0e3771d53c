#include "link/frames.h"

namespace vorelux {

std::array<uint8_t, 4> serialParamFrame(uint8_t parameterId, PanelId panel, uint8_t value) {
    return {panel, PanelCmdParameter, parameterId, value};
}

std::array<uint8_t, 10> kqParamReport(const KqIdentity& serial_KQ, uint8_t parameterId,
                                      PanelId panel, uint8_t value) {
    // Byte 2 is the payload length in bits: the six bytes 4..9.
    return {0,     KqCmdTransmit,     48,          1,    serial_KQ[5], serial_KQ[6],
            panel, PanelCmdParameter, parameterId, value};
}

std::array<uint8_t, 2> kqIdentityRequest() {
    return {0, KqCmdIdentity};
}

std::array<uint8_t, 10> kqConfigReport(const KqIdentity& serial_KQ, uint8_t configByte) {
    return {0,
            KqCmdConfigure,
            serial_KQ[0],
            serial_KQ[1],
            serial_KQ[2],
            serial_KQ[3],
            serial_KQ[4],
            serial_KQ[5],
            configByte,
            KqIdentityStored};
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
