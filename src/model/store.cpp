#include "model/store.h"

#include <algorithm>

namespace vorelux {

int pageByteTotal(const Page& page) {
    int total = 0;
    for (const auto& line : page.lines) total += int(line.size());
    return total;
}

PageStore::PageStore() {
    // Every page always holds at least one line.
    resetAllPages();
    setEditLine(0);
}

LineStream& PageStore::editLine() {
    return page().lines.at(size_t(editLineIndex_));
}
const LineStream& PageStore::editLine() const {
    return page().lines.at(size_t(editLineIndex_));
}

uint8_t PageStore::readByte(int32_t position, const LineStream& line) {
    if (line.empty()) return 0;
    if (position < 0) position = 0;
    if (size_t(position) >= line.size()) return line.back();
    return line[size_t(position)];
}

int32_t PageStore::bytesOutsideEditLine() const {
    const Page& current = page();
    int32_t total = 0;
    for (int i = 0; i < int(current.lines.size()); ++i)
        if (i != current.lineIndex) total += int32_t(current.lines[size_t(i)].size());
    return total;
}

bool PageStore::insertByte(uint8_t c, int32_t position) {
    LineStream& line = editLine();
    if (int32_t(line.size()) + bytesOutsideEditLine() + 1 >= PageByteLimit) {
        return false;
    }
    if (position < 0) position = 0;
    if (size_t(position) < line.size()) {
        line.insert(line.begin() + position, c);
        page().editLength = int32_t(line.size());
    } else {
        line.push_back(c);
    }
    modified_ = true;
    return true;
}

void PageStore::removeByte(int32_t position) {
    LineStream& line = editLine();
    if (line.empty()) return;
    if (position < 0) return;
    if (size_t(position) >= line.size() - 1) {
        line.pop_back();
        return;
    }
    line.erase(line.begin() + position);
    page().editLength = int32_t(line.size());
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
    Page& current = page();
    index = std::clamp<int32_t>(index, 0, int32_t(current.lines.size()) - 1);
    current.lineIndex = index;
    editLineIndex_ = index;
    if (pageTotalChanged) pageTotalChanged();
    int32_t last = int32_t(editLine().size()) - 1;
    if (current.cursorByte > last) current.cursorByte = last;
    current.windowStart = 2;
}

void PageStore::insertLine(int pageIndex, int32_t index) {
    Page& page = pages_.at(size_t(pageIndex));
    index = std::clamp<int32_t>(index, 0, int32_t(page.lines.size()));
    page.lines.insert(page.lines.begin() + index, newLine());
    page.lineCount = int32_t(page.lines.size());
    // The edit line stays the same line object when a line goes in above it.
    if (pageIndex == currentPage_ && index <= editLineIndex_ && page.lines.size() > 1)
        ++editLineIndex_;
    page.editLength = 1;
    page.cursorColumn = 0;
    page.cursorByte = 2;
    page.windowStart = 2;
}

PageStore::DeleteLineResult PageStore::deleteLine(int32_t index) {
    Page& current = page();
    if (current.lineCount < 2) return DeleteLineResult::LastLine;
    if (index < 0 || index >= current.lineCount) return DeleteLineResult::NoSuchLine;
    current.lines.erase(current.lines.begin() + index);
    current.lineCount = int32_t(current.lines.size());
    if (current.lineIndex >= current.lineCount - 1) current.lineIndex = current.lineCount - 1;
    setEditLine(current.lineIndex);
    notifyLinesChanged();
    return DeleteLineResult::Deleted;
}

void PageStore::clearPage() {
    Page& current = page();
    current.lines.clear();
    current.lineCount = 0;
    editLineIndex_ = 0;
    insertLine(currentPage_, 0);
    setEditLine(0);
    notifyLinesChanged();
}

void PageStore::resetAllPages() {
    for (int p = 0; p < PageCount; ++p) {
        pages_[size_t(p)].lines.clear();
        pages_[size_t(p)].lineCount = 0;
    }
    editLineIndex_ = 0;
    for (int p = 0; p < PageCount; ++p) insertLine(p, 0);
}

void PageStore::replaceAllPages(std::array<std::vector<LineStream>, PageCount> pages) {
    for (int p = 0; p < PageCount; ++p) {
        Page& page = pages_[size_t(p)];
        page.lines = std::move(pages[size_t(p)]);
        if (page.lines.empty()) page.lines.push_back(newLine());
        page.lineCount = int32_t(page.lines.size());
        page.lineIndex = std::min(page.lineIndex, page.lineCount - 1);
        page.cursorByte = 2;
        page.windowStart = 2;
        page.cursorColumn = 0;
    }
    modified_ = false;
    currentPage_ = 0;
    editLineIndex_ = 0;
    setEditLine(0);
    pages_[0].cursorByte = 2;
    pages_[0].windowStart = 2;
    notifyLinesChanged();
}

bool PageStore::restorePage(int pageIndex, const LineSplice& splice, bool forward,
                            int32_t lineIndex, int32_t cursorByte) {
    Page& page = pages_.at(size_t(pageIndex));
    const bool fits = applySplice(page.lines, splice, forward);
    if (page.lines.empty()) page.lines.push_back(newLine());
    page.lineCount = int32_t(page.lines.size());
    page.lineIndex = std::clamp<int32_t>(lineIndex, 0, page.lineCount - 1);
    const int32_t last = int32_t(page.lines[size_t(page.lineIndex)].size()) - 1;
    page.cursorByte = std::clamp<int32_t>(cursorByte, 2, std::max<int32_t>(last, 2));
    page.windowStart = 2;
    if (pageIndex == currentPage_) editLineIndex_ = page.lineIndex;
    return fits;
}

void PageStore::setCurrentPage(int page) {
    currentPage_ = uint8_t(std::clamp(page, 0, PageCount - 1));
}

void PageStore::notifyLinesChanged() {
    if (linesChanged) linesChanged();
}

} // namespace vorelux
