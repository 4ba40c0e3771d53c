#include "model/line_splice.h"

#include <algorithm>

namespace vorelux {

namespace {

constexpr size_t SizeBytes = 4;

uint32_t readSize(const std::vector<uint8_t>& bytes, size_t at) {
    uint32_t size = 0;
    for (size_t i = 0; i < SizeBytes; ++i) size |= uint32_t(bytes[at + i]) << (8 * i);
    return size;
}

bool sameLine(std::span<const uint8_t> a, const LineStream& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

} // namespace

// ---------------------------------------------------------------- packed lines

void PackedLines::append(std::span<const uint8_t> line) {
    const auto size = uint32_t(line.size());
    for (size_t i = 0; i < SizeBytes; ++i) bytes_.push_back(uint8_t(size >> (8 * i)));
    bytes_.insert(bytes_.end(), line.begin(), line.end());
    ++count_;
}

void PackedLines::appendAll(const PackedLines& other) {
    bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
    count_ += other.count_;
}

size_t PackedLines::offsetOf(size_t index) const {
    size_t at = 0;
    for (size_t i = 0; i < index && i < count_; ++i) at += SizeBytes + readSize(bytes_, at);
    return at;
}

std::vector<LineStream> PackedLines::unpack() const {
    std::vector<LineStream> out;
    out.reserve(count_);
    size_t at = 0;
    for (size_t i = 0; i < count_; ++i) {
        const size_t size = readSize(bytes_, at);
        at += SizeBytes;
        out.emplace_back(bytes_.begin() + std::ptrdiff_t(at),
                         bytes_.begin() + std::ptrdiff_t(at + size));
        at += size;
    }
    return out;
}

PackedLines PackedLines::slice(size_t from, size_t to) const {
    PackedLines out;
    to = std::min(to, count_);
    if (from >= to) return out;
    const size_t begin = offsetOf(from);
    size_t end = begin;
    for (size_t i = from; i < to; ++i) end += SizeBytes + readSize(bytes_, end);
    out.bytes_.assign(bytes_.begin() + std::ptrdiff_t(begin), bytes_.begin() + std::ptrdiff_t(end));
    out.count_ = to - from;
    return out;
}

// ---------------------------------------------------------------- snapshots

LineSnapshot::LineSnapshot(const std::vector<LineStream>& lines) {
    size_t total = 0;
    for (const LineStream& line : lines) total += line.size();
    bytes_.reserve(total);
    starts_.reserve(lines.size() + 1);
    for (const LineStream& line : lines) {
        starts_.push_back(uint32_t(bytes_.size()));
        bytes_.insert(bytes_.end(), line.begin(), line.end());
    }
    starts_.push_back(uint32_t(bytes_.size()));
}

std::span<const uint8_t> LineSnapshot::line(size_t index) const {
    return {bytes_.data() + starts_[index], starts_[index + 1] - starts_[index]};
}

// ---------------------------------------------------------------- splices

LineSplice diffLines(const LineSnapshot& before, const std::vector<LineStream>& after) {
    const size_t oldCount = before.lineCount(), newCount = after.size();
    const size_t shorter = std::min(oldCount, newCount);
    size_t head = 0;
    while (head < shorter && sameLine(before.line(head), after[head])) ++head;
    size_t tail = 0;
    while (tail < shorter - head &&
           sameLine(before.line(oldCount - 1 - tail), after[newCount - 1 - tail]))
        ++tail;
    LineSplice splice;
    splice.first = int32_t(head);
    for (size_t i = head; i < oldCount - tail; ++i) splice.oldLines.append(before.line(i));
    for (size_t i = head; i < newCount - tail; ++i) splice.newLines.append(after[i]);
    return splice;
}

bool applySplice(std::vector<LineStream>& lines, const LineSplice& splice, bool forward) {
    const PackedLines& out = forward ? splice.oldLines : splice.newLines;
    const PackedLines& in = forward ? splice.newLines : splice.oldLines;
    if (splice.first < 0 || size_t(splice.first) + out.lineCount() > lines.size()) return false;
    const auto at = lines.begin() + splice.first;
    std::vector<LineStream> incoming = in.unpack();
    // Lines that stay in number are assigned in place; only the difference
    // moves the lines below.
    const size_t common = std::min(out.lineCount(), incoming.size());
    std::move(incoming.begin(), incoming.begin() + std::ptrdiff_t(common), at);
    if (out.lineCount() > common) {
        lines.erase(at + std::ptrdiff_t(common), at + std::ptrdiff_t(out.lineCount()));
    } else {
        lines.insert(at + std::ptrdiff_t(common),
                     std::make_move_iterator(incoming.begin() + std::ptrdiff_t(common)),
                     std::make_move_iterator(incoming.end()));
    }
    return true;
}

std::optional<LineSplice> fuseSplices(const LineSplice& earlier, const LineSplice& later) {
    // In the lines between the two: `earlier` wrote [ea, ea + en), `later`
    // read [la, la + lo). Their union is kept by one of the two throughout
    // when they overlap or touch.
    const size_t ea = size_t(earlier.first), en = earlier.newLines.lineCount();
    const size_t la = size_t(later.first), lo = later.oldLines.lineCount();
    if (earlier.first < 0 || later.first < 0 || la > ea + en || la + lo < ea) return std::nullopt;
    LineSplice fused;
    fused.first = int32_t(std::min(ea, la));
    if (la < ea) fused.oldLines = later.oldLines.slice(0, ea - la);
    fused.oldLines.appendAll(earlier.oldLines);
    if (la + lo > ea + en) fused.oldLines.appendAll(later.oldLines.slice(ea + en - la, lo));
    if (ea < la) fused.newLines = earlier.newLines.slice(0, la - ea);
    fused.newLines.appendAll(later.newLines);
    if (ea + en > la + lo) fused.newLines.appendAll(earlier.newLines.slice(la + lo - ea, en));
    return fused;
}

} // namespace vorelux
