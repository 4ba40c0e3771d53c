#include "link/hid.h"

#include <map>

namespace vorelux {

size_t outputReportLengthFromDescriptor(const std::vector<uint8_t>& d, bool* usesReportIds) {
    struct Globals {
        uint32_t reportSize = 0;
        uint32_t reportCount = 0;
        uint32_t reportId = 0;
    };
    Globals g;
    std::vector<Globals> stack;
    std::map<uint32_t, uint64_t> outputBits; // per report ID
    bool numbered = false;
    size_t i = 0;
    while (i < d.size()) {
        uint8_t prefix = d[i];
        if (prefix == 0xFE) { // long item: size, tag, data
            if (i + 1 >= d.size()) break;
            i += 3 + d[i + 1];
            continue;
        }
        size_t size = prefix & 3;
        if (size == 3) size = 4;
        if (i + 1 + size > d.size()) break; // truncated descriptor
        uint32_t value = 0;
        for (size_t k = 0; k < size; ++k) value |= uint32_t(d[i + 1 + k]) << (8 * k);
        uint8_t type = (prefix >> 2) & 3;
        uint8_t tag = prefix >> 4;
        if (type == 1) { // global
            switch (tag) {
            case 7:
                g.reportSize = value;
                break;
            case 8:
                g.reportId = value;
                numbered = true;
                break;
            case 9:
                g.reportCount = value;
                break;
            case 10:
                stack.push_back(g);
                break;
            case 11:
                if (!stack.empty()) {
                    g = stack.back();
                    stack.pop_back();
                }
                break;
            default:
                break;
            }
        } else if (type == 0 && tag == 9) { // main: Output
            outputBits[g.reportId] += uint64_t(g.reportSize) * g.reportCount;
        }
        i += 1 + size;
    }
    if (usesReportIds) *usesReportIds = numbered;
    uint64_t longest = 0;
    for (auto& [id, bits] : outputBits) longest = std::max(longest, (bits + 7) / 8);
    if (longest == 0) return 0;
    return size_t(longest) + 1;
}

} // namespace vorelux
