// Any text pasted at any cursor of any page: the page ends up exactly as the
// line editor promises (each character converted and inserted after the
// cursor, CR LF as Enter, a stop at the first character the page budget
// refuses), and no other page changes.
//
// Input: [flags] [page] [edit line] [cursor] [filler hi] [filler lo] [n]
//        [n bytes of page lines, 0xFF between lines] [the text]
// flags bit 0: the text is UTF-8 (as the command-line tool takes it), else
// UTF-16LE code units (as the clipboard hands it over, lone surrogates and all).
#include "editor/line_editor.h"
#include "model/charset.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace vorelux;

void check(bool ok) {
    if (!ok) __builtin_trap();
}

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint8_t byte() { return at < size ? data[at++] : 0; }
};

// Lines as a page file holds them: 0xFF, two effect bytes, content without 0xFF.
std::vector<LineStream> pageLines(const uint8_t* bytes, size_t n, size_t filler) {
    std::vector<LineStream> lines(1);
    for (size_t i = 0; i < n; ++i) {
        if (bytes[i] == LineStart)
            lines.emplace_back();
        else
            lines.back().push_back(bytes[i]);
    }
    for (LineStream& line : lines) {
        LineStream full = newLine();
        size_t from = 0;
        if (line.size() >= 2) {
            full[1] = effectByte(1 + line[0] % EffectCount);
            full[2] = effectByte(1 + line[1] % EffectCount);
            from = 2;
        }
        full.insert(full.end(), line.begin() + std::ptrdiff_t(from), line.end());
        line = std::move(full);
    }
    if (filler > 0) {
        lines.push_back(newLine());
        lines.back().insert(lines.back().end(), filler, 'x');
    }
    return lines;
}

// A decoded text is proper UTF-16: every high surrogate is followed by a low
// one and no low surrogate stands alone.
bool properUtf16(const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xDC00 && c < 0xE000) return false;
        if (c >= 0xD800 && c < 0xDC00) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] >= 0xE000) return false;
            ++i;
        }
    }
    return true;
}

std::u16string decodeUtf8(const std::string& utf8) {
    const std::u16string text = utf8ToUtf16(utf8);
    check(properUtf16(text));
    // ASCII bytes are never part of a longer sequence: each one comes through
    // as itself, in order, and nothing else decodes to ASCII.
    std::u16string asciiIn, asciiOut;
    for (char c : utf8)
        if (static_cast<unsigned char>(c) < 0x80) asciiIn += char16_t(c);
    for (char16_t c : text)
        if (c < 0x80) asciiOut += c;
    check(asciiIn == asciiOut);
    check(utf8ToUtf16(utf16ToUtf8(text)) == text);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    const uint8_t flags = in.byte();
    const int pageNumber = in.byte() % PageCount;
    const uint8_t editChoice = in.byte();
    const uint8_t cursorChoice = in.byte();
    const size_t filler = (size_t(in.byte()) * 256 + in.byte()) % 1100;
    const size_t n = std::min<size_t>(in.byte(), size - in.at);
    const std::vector<LineStream> before = pageLines(data + in.at, n, filler);
    in.at += n;

    std::u16string text;
    if (flags & 1) {
        text = decodeUtf8(std::string(reinterpret_cast<const char*>(data + in.at), size - in.at));
    } else {
        for (size_t i = in.at; i + 1 < size; i += 2) text += char16_t(data[i] | (data[i + 1] << 8));
    }

    PageStore store;
    std::array<std::vector<LineStream>, PageCount> pages;
    pages[size_t(pageNumber)] = before;
    store.replaceAllPages(pages);
    store.setCurrentPage(uint8_t(pageNumber));
    const int32_t edit = int32_t(editChoice % before.size());
    store.setEditLine(edit);
    const LineStream& editLine = before[size_t(edit)];
    int32_t cursor = 2 + int32_t(cursorChoice % (editLine.size() - 2));
    // Never between a drawing escape and its code (the editor steps past it).
    if (cursor > 2 && cursor < int32_t(editLine.size()) - 1 && editLine[size_t(cursor)] == 31)
        ++cursor;
    store.view().cursorByte = cursor;
    const std::array<Page, PageCount> otherPages = store.pages();

    const editor::PasteResult result = editor::pasteText(store, text);

    // What the page must hold: the edit line cut at the cursor, the text in
    // between, one new line (effect 1 both ways) per CR LF.
    int total = 0;
    for (const LineStream& line : before) total += int(line.size());
    std::vector<LineStream> expected(before.begin(), before.begin() + edit);
    LineStream current(editLine.begin(), editLine.begin() + cursor + 1);
    const LineStream tail(editLine.begin() + cursor + 1, editLine.end());
    int inserted = 0, lineBreaks = 0;
    bool stopped = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            expected.push_back(current);
            current = newLine();
            total += HeaderSize;
            ++lineBreaks;
            ++i;
            continue;
        }
        if (total + 1 >= PageByteLimit) {
            stopped = true;
            break;
        }
        const uint8_t b = convertPastedCharacter(text[i]);
        check(b != DrawingEscape && b != LineStart);
        current.push_back(b);
        ++total;
        ++inserted;
    }
    const int32_t expectedCursor = int32_t(current.size()) - 1;
    current.insert(current.end(), tail.begin(), tail.end());
    expected.push_back(current);
    expected.insert(expected.end(), before.begin() + edit + 1, before.end());

    const Page& page = store.page();
    const EditView& view = store.view();
    check(store.currentPage() == pageNumber);
    check(page.lines() == expected);
    check(page.lineCount() == int32_t(expected.size()));
    check(view.lineIndex == edit + lineBreaks && store.editLineIndex() == view.lineIndex);
    check(view.cursorByte == expectedCursor);
    check(pageByteTotal(page) == total);
    check(result.inserted == inserted && result.lineBreaks == lineBreaks &&
          result.stopped == stopped);
    check(store.isModified() == (inserted > 0));
    for (int p = 0; p < PageCount; ++p)
        if (p != pageNumber) check(store.page(p).lines() == otherPages[size_t(p)].lines());
    return 0;
}
