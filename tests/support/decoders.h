#pragma once
// What a panel and the transmitter make of the bytes the editor sends: the
// serial page and parameter frames, and the transmitter's reports.
#include "link/upload.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorelux::sendtest {

// One serial frame: a page frame (150) or a parameter frame (98).
struct SerialFrame {
    int panel = -1;
    int command = -1;
    int page = -1; // page frames: 0..7 (the wire carries page + 3)
    std::vector<uint8_t> content;
    int end = -1;                   // page frames: 16 or 17
    int parameter = -1, value = -1; // parameter frames
    bool operator==(const SerialFrame&) const = default;
};

// Splits a serial byte stream into frames; the content length of a page
// frame is known to the test (`pageLengths`, in order). False on anything
// that is not a well-formed frame.
inline bool decodeSerial(const std::vector<uint8_t>& wire, const std::vector<size_t>& pageLengths,
                         std::vector<SerialFrame>& frames) {
    size_t i = 0, nextPage = 0;
    while (i < wire.size()) {
        if (i + 2 > wire.size()) return false;
        SerialFrame f;
        f.panel = wire[i];
        f.command = wire[i + 1];
        if (f.command == PanelCmdParameter) {
            if (i + 4 > wire.size()) return false;
            f.parameter = wire[i + 2];
            f.value = wire[i + 3];
            i += 4;
        } else if (f.command == PanelCmdPage) {
            if (nextPage >= pageLengths.size()) return false;
            size_t n = pageLengths[nextPage++];
            if (i + 4 + n > wire.size()) return false;
            f.page = wire[i + 2] - PageNumberSerialBase;
            f.content.assign(wire.begin() + i + 3, wire.begin() + i + 3 + n);
            f.end = wire[i + 3 + n];
            if (f.end != PageEndDisplayed && f.end != PageEndOther) return false;
            i += 4 + n;
        } else {
            return false;
        }
        frames.push_back(f);
    }
    return true;
}

// One transmitter report, decoded.
struct KqReport {
    enum Kind { Identity, Parameter, Header, Data, End, RepairEnd, Unknown } kind = Unknown;
    int kq5 = -1, kq6 = -1; // identity bytes carried
    int panel = -1;
    int page = -1;             // header: 0..7
    int reports = -1;          // header: data reports announced
    int length = -1;           // header: content bytes
    int sum = -1;              // header: content sum
    int key = -1;              // header and data
    int number = -1;           // data: 1-based report number
    std::vector<uint8_t> data; // data: the 8 content positions
    int mask = -1;             // end reports
    int parameter = -1, value = -1;
    std::vector<uint8_t> raw;
};

inline KqReport decodeKq(const std::vector<uint8_t>& r) {
    KqReport k;
    k.raw = r;
    auto at = [&](size_t i) -> int { return i < r.size() ? r[i] : -1; };
    if (at(1) == KqCmdIdentity) {
        k.kind = KqReport::Identity;
        return k;
    }
    if (at(0) != 0 || at(1) != KqCmdTransmit || at(3) != 1) return k;
    if (at(2) == 48 && at(7) == PanelCmdParameter) {
        k.kind = KqReport::Parameter;
        k.kq5 = at(4), k.kq6 = at(5), k.panel = at(6), k.parameter = at(8), k.value = at(9);
    } else if (at(2) == 88 && at(7) == KqCmdPageHeader && at(8) == 1) {
        k.kind = KqReport::Header;
        k.kq5 = at(4), k.kq6 = at(5), k.panel = at(6);
        k.reports = at(9);
        k.page = at(10) - PageNumberKqBase;
        k.length = at(11) * 256 + at(12);
        k.sum = at(13);
        k.key = at(14);
    } else if ((at(2) == 72 || at(2) == 80) && at(7) == KqCmdPagesEnd && at(8) == 1) {
        k.kind = at(2) == 72 ? KqReport::End : KqReport::RepairEnd;
        k.kq5 = at(4), k.kq6 = at(5), k.panel = at(6), k.mask = at(9);
    } else if (at(2) == 80) {
        k.kind = KqReport::Data;
        k.number = at(4);
        k.key = at(7);
        k.data = {r[5], r[6], r[8], r[9], r[10], r[11], r[12], r[13]};
    }
    return k;
}

inline std::vector<KqReport> decodeAll(const std::vector<std::vector<uint8_t>>& writes) {
    std::vector<KqReport> out;
    for (const auto& w : writes) out.push_back(decodeKq(w));
    return out;
}

} // namespace vorelux::sendtest
