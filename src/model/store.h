#pragma once
// The page store: eight pages of lines, where each is being edited, and the byte
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

// One page as its file holds it: its lines, in display order. A page has
// at least one line; only the page store changes it, and it keeps the
// content of a page under PageByteLimit (line headers aside).
class Page {
  public:
    // One new empty line.
    Page();
    // These lines; one new empty line when there are none.
    explicit Page(std::vector<LineStream> lines);

    const std::vector<LineStream>& lines() const { return lines_; }
    int32_t lineCount() const { return int32_t(lines_.size()); }
    // Line `index` (0 <= index < lineCount()).
    const LineStream& line(int32_t index) const { return lines_.at(size_t(index)); }
    bool operator==(const Page&) const = default;

  private:
    friend class PageStore;
    std::vector<LineStream> lines_;
};

// Where the operator is editing a page: the edited line, the cursor and the
// visible window of the edit canvas. One per page, kept beside the pages (not
// in them) by the store, which puts the cursor back on a line start whenever
// lines come and go; the editor moves it, the canvas lays the window out.
struct EditView {
    int32_t lineIndex = 0;    // edited line
    int32_t cursorByte = 2;   // last byte before the cursor; 2 = content start
    int32_t windowStart = 2;  // first byte of the visible window
    int32_t cursorColumn = 0; // LED column of the cursor
    std::vector<int32_t>
        columnMap; // LED column of each byte offset, rebuilt by every canvas redraw
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

    const std::array<Page, PageCount>& pages() const { return pages_; }
    const Page& page(int page) const { return pages_.at(size_t(page)); }
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

    const Page& page() const { return pages_[currentPage_]; }
    // Where the operator is editing the current page, or page `page`.
    EditView& view() { return views_[currentPage_]; }
    const EditView& view() const { return views_[currentPage_]; }
    EditView& view(int page) { return views_.at(size_t(page)); }
    const EditView& view(int page) const { return views_.at(size_t(page)); }
    // The line being edited: the line at editLineIndex of the current page.
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

    // Puts `lines` in place of the lines of page `page` (one new line when
    // there are none); its edit line is kept when it still exists, the last
    // line otherwise. Neither marks the pages modified nor notifies: callers
    // building pages (tools, start-up) decide.
    void setPageLines(int page, std::vector<LineStream> lines);
    // Puts `line` in place of line `index` of page `page`, unchecked like
    // setPageLines.
    void replaceLine(int page, int32_t index, LineStream line);
    // Sets the entry (which = 1) or exit (which = 2) effect byte of the edit
    // line; false when it already was that effect or the line has no header.
    bool setEditLineEffect(int which, uint8_t effect);
    // Moves bytes byteIndex.. of line `index` of the current page (never its
    // header) into a new line below it.
    void splitLine(int32_t index, int32_t byteIndex);
    // Appends the content of line index + 1 (not its header) to line `index`
    // of the current page; the lower line stays for the caller to delete.
    void appendNextLineContent(int32_t index);

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
    LineStream& editLineBytes();
    std::array<Page, PageCount> pages_;
    std::array<EditView, PageCount> views_;
    uint8_t currentPage_ = 0;
    bool modified_ = false;
    std::optional<FileStamp> fileStamp_;
    int editLineIndex_ = 0;
};

} // namespace vorelux
