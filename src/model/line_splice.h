#pragma once
// Line splices: what an edit did to the lines of a page, kept small. A splice
// says "from line `first` on, these old lines became these new lines"; the
// lines before and after it are the same on both sides. The editor's history
// keeps one splice per changed page and step, so a step costs about its edit
// and not its page, however many lines the page holds.
#include "model/line.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vorelux {

// Lines packed one after another, each with its size in front (4 bytes,
// little-endian): one allocation however many lines.
class PackedLines {
  public:
    void append(std::span<const uint8_t> line);
    void appendAll(const PackedLines& other);
    size_t lineCount() const { return count_; }
    // The bytes kept: the lines and their sizes.
    size_t byteSize() const { return bytes_.size(); }
    std::vector<LineStream> unpack() const;
    // Lines [from, to) (clamped) as a list of their own.
    PackedLines slice(size_t from, size_t to) const;
    bool operator==(const PackedLines&) const = default;

  private:
    // Byte offset of line `index` (of the end when index >= lineCount()).
    size_t offsetOf(size_t index) const;
    std::vector<uint8_t> bytes_;
    size_t count_ = 0;
};

// The lines of a page as they stood before an operation: their bytes end to
// end and where each starts. Taken before every recorded operation, so it is
// two allocations and a copy, not one allocation per line.
class LineSnapshot {
  public:
    explicit LineSnapshot(const std::vector<LineStream>& lines);
    size_t lineCount() const { return starts_.size() - 1; }
    std::span<const uint8_t> line(size_t index) const;

  private:
    std::vector<uint8_t> bytes_;
    std::vector<uint32_t> starts_; // one more than the lines: the end
};

struct LineSplice {
    int32_t first = 0;    // first line that differs
    PackedLines oldLines; // the lines from `first` on before the change
    PackedLines newLines; // what replaced them
    bool changesNothing() const { return oldLines == newLines; }
    size_t byteSize() const { return oldLines.byteSize() + newLines.byteSize(); }
};

// What turned `before` into `after`: the lines between their longest common
// start and their longest common end (which never overlap).
LineSplice diffLines(const LineSnapshot& before, const std::vector<LineStream>& after);

// Does `splice` on `lines` (forward: old lines become new ones) or takes it
// back (the new lines become the old ones). False, and the lines untouched,
// when the lines are too few to hold the range the splice replaces.
bool applySplice(std::vector<LineStream>& lines, const LineSplice& splice, bool forward);

// One splice that does `earlier` and then `later` (on the lines `earlier`
// left), when their ranges overlap or touch; nothing when they lie apart
// (the lines between them are kept by neither).
std::optional<LineSplice> fuseSplices(const LineSplice& earlier, const LineSplice& later);

} // namespace vorelux
