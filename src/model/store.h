#pragma once
// The page store: eight pages of lines, the editing state, and the byte
// operations that keep every page under its byte budget.
#include "model/line.h"
#include "model/line_splice.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vorelux {

// One page: its lines and where the operator is editing it.
struct Page {
    std::vector<int32_t>
        columnMap;                 // LED column of each byte offset, rebuilt by every canvas redraw
    int32_t cursorColumn = 0;      // LED column of the cursor
    int32_t cursorByte = 2;        // last byte before the cursor; 2 = content start
    int32_t lineIndex = 0;         // edited line
    int32_t windowStart = 2;       // first byte of the visible window
    int32_t windowEnd = 0;         // end of the visible window (informational)
    int32_t editLength = 1;        // edit line size after the last mid-line edit
    std::vector<LineStream> lines; // the lines, in display order
    int32_t lineCount = 0;         // number of lines, at least 1 once created
};

// What a file on disk was when the pages were last read from or saved to it:
// another program that writes the file changes at least one of these.
struct FileStamp {
    std::string path;
    uint64_t device = 0;
    uint64_t inode = 0; // the file index on Windows
    uint64_t size = 0;
    int64_t modifiedSeconds = 0;
    int64_t modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

// Byte total of one page, headers included.
int pageByteTotal(const Page& page);

class PageStore {
  public:
    PageStore();

    std::array<Page, PageCount>& pages() { return pages_; }
    const std::array<Page, PageCount>& pages() const { return pages_; }
    uint8_t currentPage() const { return currentPage_; }
    // Makes page `page` (0..7) current; callers then choose its edit line.
    void setCurrentPage(int page);
    // Whether the pages differ from the file they were last saved to or read from.
    bool isModified() const { return modified_; }
    void setModified(bool modified = true) { modified_ = modified; }
    // The pages are now what the file holds.
    void markSaved() { modified_ = false; }
    // The page file the pages were last read from or saved to, as it was
    // then; nothing for pages that never met a file.
    const std::optional<FileStamp>& fileStamp() const { return fileStamp_; }
    void setFileStamp(std::optional<FileStamp> stamp) { fileStamp_ = std::move(stamp); }

    // Notifications, each run after the store's own change is complete; the
    // app decides what to repaint. linesChanged: lines were deleted or
    // replaced; pageTotalChanged: the edit line changed, so may the total.
    std::function<void()> linesChanged;
    std::function<void()> pageTotalChanged;

    Page& page() { return pages_[currentPage_]; }
    const Page& page() const { return pages_[currentPage_]; }
    // The line being edited: the line at editLineIndex of the current page.
    LineStream& editLine();
    const LineStream& editLine() const;
    int editLineIndex() const { return editLineIndex_; }

    // Byte at `position` of `line`, or its last byte when past the end.
    static uint8_t readByte(int32_t position, const LineStream& line);
    // Inserts c so that it becomes byte `position` of the edit line. Refused
    // (false, nothing changed) when the page would reach the byte limit: the
    // front end then shows Prompt::PageFull.
    bool insertByte(uint8_t c, int32_t position);
    // Removes byte `position` of the edit line (the last byte when past the end).
    void removeByte(int32_t position);
    // Inserts (create) or replaces the drawing pair whose code byte is at
    // position. Refused (false, nothing changed) like insertByte when the
    // page is full.
    bool putDrawing(int32_t position, int listIndex, bool create);
    // Size of all lines of the current page except the edit line.
    int32_t bytesOutsideEditLine() const;
    // Makes line `index` of the current page the edit line (clamped).
    void setEditLine(int32_t index);
    // A new empty line at `index` of page `page`; the cursor goes to its start.
    void insertLine(int page, int32_t index);
    // Deletes line `index`. The last line of a page is never deleted:
    // LastLine then, and the front end asks (Prompt::ClearPage) whether to
    // clearPage() instead.
    enum class DeleteLineResult { Deleted, LastLine, NoSuchLine };
    DeleteLineResult deleteLine(int32_t index);
    void clearPage();

    // Puts every page back to one new line (start-up and "clear all").
    void resetAllPages();
    // Replaces all eight pages (a page file was read); page 0 becomes current.
    void replaceAllPages(std::array<std::vector<LineStream>, PageCount> pages);
    // Puts page `page` back as it was (undo and redo): `splice` done again
    // (forward) or taken back on its lines, then its edited line and its
    // cursor, clamped to the lines. The current page and its edit line are
    // the caller's to choose afterwards (setCurrentPage, setEditLine). False,
    // and the lines untouched, when the page lacks the lines the splice
    // replaces.
    bool restorePage(int page, const LineSplice& splice, bool forward, int32_t lineIndex,
                     int32_t cursorByte);

  private:
    void notifyLinesChanged();
    std::array<Page, PageCount> pages_;
    uint8_t currentPage_ = 0;
    bool modified_ = false;
    std::optional<FileStamp> fileStamp_;
    int editLineIndex_ = 0;
};

} // namespace vorelux
