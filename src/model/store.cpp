#include "model/store.h"

#include <algorithm>

namespace vorelux {

Page::Page() : lines_{newLine()} {}

Page::Page(std::vector<LineStream> lines) : lines_(std::move(lines)) {
    if (lines_.empty()) lines_.push_back(newLine());
}

int pageByteTotal(const Page& page) {
    int total = 0;
    for (const auto& line : page.lines()) total += int(line.size());
    return total;
}

PageStore::PageStore() {
    // Every page always holds at least one line.
    resetAllPages();
    setEditLine(0);
}

LineStream& PageStore::editLineBytes() {
    return pages_[currentPage_].lines_.at(size_t(editLineIndex_));
}
const LineStream& PageStore::editLine() const {
    return page().lines_.at(size_t(editLineIndex_));
}

uint8_t PageStore::readByte(int32_t position, const LineStream& line) {
    if (line.empty()) return 0;
    if (position < 0) position = 0;
    if (size_t(position) >= line.size()) return line.back();
    return line[size_t(position)];
}

int32_t PageStore::bytesOutsideEditLine() const {
    const Page& current = page();
    const int32_t edited = view().lineIndex;
    int32_t total = 0;
    for (int i = 0; i < current.lineCount(); ++i)
        if (i != edited) total += int32_t(current.line(i).size());
    return total;
}

bool PageStore::insertByte(uint8_t c, int32_t position) {
    LineStream& line = editLineBytes();
    if (int32_t(line.size()) + bytesOutsideEditLine() + 1 >= PageByteLimit) {
        return false;
    }
    if (position < 0) position = 0;
    if (size_t(position) < line.size()) {
        line.insert(line.begin() + position, c);
    } else {
        line.push_back(c);
    }
    modified_ = true;
    return true;
}

void PageStore::removeByte(int32_t position) {
    LineStream& line = editLineBytes();
    if (line.empty()) return;
    if (position < 0) return;
    if (size_t(position) >= line.size() - 1) {
        line.pop_back();
        return;
    }
    line.erase(line.begin() + position);
}

bool PageStore::putDrawing(int32_t position, int listIndex, bool create) {
    if (int32_t(editLine().size()) + bytesOutsideEditLine() + 2 >= PageByteLimit) {
        return false;
    }
    const uint8_t code = InsertCodeTable.at(size_t(listIndex));
    bool result;
    if (create) {
        result = insertByte(DrawingEscape, position + 1);
        result = result && insertByte(code, position + 2);
    } else {
        removeByte(position);
        result = insertByte(code, position);
    }
    modified_ = true;
    return result;
}

void PageStore::setEditLine(int32_t index) {
    EditView& current = view();
    index = std::clamp<int32_t>(index, 0, page().lineCount() - 1);
    current.lineIndex = index;
    editLineIndex_ = index;
    if (pageTotalChanged) pageTotalChanged();
    int32_t last = int32_t(editLine().size()) - 1;
    if (current.cursorByte > last) current.cursorByte = last;
    current.windowStart = 2;
}

void PageStore::insertLine(int pageIndex, int32_t index) {
    std::vector<LineStream>& lines = pages_.at(size_t(pageIndex)).lines_;
    index = std::clamp<int32_t>(index, 0, int32_t(lines.size()));
    lines.insert(lines.begin() + index, newLine());
    // The edit line stays the same line object when a line goes in above it.
    if (pageIndex == currentPage_ && index <= editLineIndex_ && lines.size() > 1) ++editLineIndex_;
    EditView& view = views_[size_t(pageIndex)];
    view.cursorColumn = 0;
    view.cursorByte = 2;
    view.windowStart = 2;
}

PageStore::DeleteLineResult PageStore::deleteLine(int32_t index) {
    std::vector<LineStream>& lines = pages_[currentPage_].lines_;
    const int32_t count = int32_t(lines.size());
    if (count < 2) return DeleteLineResult::LastLine;
    if (index < 0 || index >= count) return DeleteLineResult::NoSuchLine;
    lines.erase(lines.begin() + index);
    EditView& current = view();
    if (current.lineIndex >= count - 2) current.lineIndex = count - 2;
    setEditLine(current.lineIndex);
    notifyLinesChanged();
    return DeleteLineResult::Deleted;
}

void PageStore::clearPage() {
    pages_[currentPage_].lines_.clear();
    editLineIndex_ = 0;
    insertLine(currentPage_, 0);
    setEditLine(0);
    notifyLinesChanged();
}

void PageStore::resetAllPages() {
    for (Page& page : pages_) page.lines_.clear();
    editLineIndex_ = 0;
    for (int p = 0; p < PageCount; ++p) insertLine(p, 0);
}

void PageStore::replaceAllPages(std::array<std::vector<LineStream>, PageCount> pages) {
    for (int p = 0; p < PageCount; ++p) {
        Page& page = pages_[size_t(p)];
        page = Page(std::move(pages[size_t(p)]));
        EditView& view = views_[size_t(p)];
        view.lineIndex = std::min(view.lineIndex, page.lineCount() - 1);
        view.cursorByte = 2;
        view.windowStart = 2;
        view.cursorColumn = 0;
    }
    modified_ = false;
    currentPage_ = 0;
    editLineIndex_ = 0;
    setEditLine(0);
    views_[0].cursorByte = 2;
    views_[0].windowStart = 2;
    notifyLinesChanged();
}

bool PageStore::restorePage(int pageIndex, const LineSplice& splice, bool forward,
                            int32_t lineIndex, int32_t cursorByte) {
    std::vector<LineStream>& lines = pages_.at(size_t(pageIndex)).lines_;
    const bool fits = applySplice(lines, splice, forward);
    if (lines.empty()) lines.push_back(newLine());
    EditView& view = views_[size_t(pageIndex)];
    view.lineIndex = std::clamp<int32_t>(lineIndex, 0, int32_t(lines.size()) - 1);
    const int32_t last = int32_t(lines[size_t(view.lineIndex)].size()) - 1;
    view.cursorByte = std::clamp<int32_t>(cursorByte, 2, std::max<int32_t>(last, 2));
    view.windowStart = 2;
    if (pageIndex == currentPage_) editLineIndex_ = view.lineIndex;
    return fits;
}

void PageStore::setPageLines(int pageIndex, std::vector<LineStream> lines) {
    Page& page = pages_.at(size_t(pageIndex));
    page = Page(std::move(lines));
    const int32_t last = page.lineCount() - 1;
    EditView& view = views_[size_t(pageIndex)];
    view.lineIndex = std::min(view.lineIndex, last);
    if (pageIndex == currentPage_) editLineIndex_ = std::min(editLineIndex_, int(last));
}

void PageStore::replaceLine(int page, int32_t index, LineStream line) {
    pages_.at(size_t(page)).lines_.at(size_t(index)) = std::move(line);
}

bool PageStore::setEditLineEffect(int which, uint8_t effect) {
    LineStream& line = editLineBytes();
    if (which < 1 || which > 2 || line.size() < size_t(HeaderSize)) return false;
    if (line[size_t(which)] == effect) return false;
    line[size_t(which)] = effect;
    return true;
}

void PageStore::splitLine(int32_t index, int32_t byteIndex) {
    insertLine(currentPage_, index + 1);
    std::vector<LineStream>& lines = pages_[currentPage_].lines_;
    LineStream& source = lines.at(size_t(index));
    LineStream& target = lines.at(size_t(index + 1));
    if (byteIndex < HeaderSize) byteIndex = HeaderSize;
    if (size_t(byteIndex) < source.size()) {
        target.insert(target.end(), source.begin() + byteIndex, source.end());
        source.resize(size_t(byteIndex));
    }
}

void PageStore::appendNextLineContent(int32_t index) {
    std::vector<LineStream>& lines = pages_[currentPage_].lines_;
    const LineStream& lower = lines.at(size_t(index + 1));
    LineStream& upper = lines.at(size_t(index));
    if (lower.size() > size_t(HeaderSize))
        upper.insert(upper.end(), lower.begin() + HeaderSize, lower.end());
}

void PageStore::setCurrentPage(int page) {
    currentPage_ = uint8_t(std::clamp(page, 0, PageCount - 1));
}

void PageStore::notifyLinesChanged() {
    if (linesChanged) linesChanged();
}

} // namespace vorelux
