#include "files/page_file.h"

#include "files/file_io.h"
#include "files/file_stamp.h"
#include "model/native_path.h"

#include <filesystem>

namespace vorelux {

namespace {
constexpr size_t FileHeaderSize = 16;
constexpr size_t BlockHeaderSize = 16;
constexpr size_t BlockAlignment = 16;     // a page block is padded to a multiple of this
constexpr size_t MaxBlockLength = 0xFFFF; // a block records its length in two bytes
// The header's panel geometry and format letter.
constexpr size_t HeaderColumnsAt = 9, HeaderRowsAt = 11, HeaderFormatAt = 15;
constexpr uint8_t HeaderColumns = 64, HeaderRows = 7;

size_t paddedSize(size_t length) {
    return (length + BlockAlignment - 1) / BlockAlignment * BlockAlignment;
}

std::string baseName(const std::string& path) {
    return utf8Path(nativePath(path).filename());
}
} // namespace

std::vector<uint8_t> encodePageFile(const std::array<Page, PageCount>& pages,
                                    const std::string& fileName, uint8_t pageMask) {
    std::vector<uint8_t> out(FileHeaderSize, 0);
    const std::string ext = utf8Path(nativePath(fileName).extension());
    for (size_t i = 0; i < 3; ++i) out[i] = i < ext.size() ? uint8_t(ext[i]) : 0;
    out[3] = 0x20;
    out[4] = 'v';
    out[5] = '1';
    out[HeaderColumnsAt] = HeaderColumns;
    out[HeaderRowsAt] = HeaderRows;
    out[HeaderFormatAt] = 'A';
    for (int p = 0; p < PageCount; ++p) {
        if (!(pageMask & (1u << p))) continue;
        const size_t blockStart = out.size();
        out.resize(out.size() + BlockHeaderSize, 0);
        size_t length = 0;
        for (const auto& line : pages[size_t(p)].lines()) {
            out.insert(out.end(), line.begin(), line.end());
            length += line.size();
        }
        out[blockStart] = 'M';
        out[blockStart + 2] = uint8_t(p);
        out[blockStart + 8] = uint8_t((length >> 8) & 0xFF);
        out[blockStart + 9] = uint8_t(length & 0xFF);
        out.resize(blockStart + BlockHeaderSize + paddedSize(length), 0);
    }
    return out;
}

DecodedPageFile decodePageFile(const std::vector<uint8_t>& data) {
    DecodedPageFile result;
    if (data.size() < FileHeaderSize) {
        result.problem = "o arquivo é curto demais para ser um arquivo de páginas";
        return result;
    }
    size_t position = FileHeaderSize;
    for (int q = 0; q < PageCount; ++q) {
        const std::string page = "página " + std::to_string(q + 1);
        if (position + BlockHeaderSize > data.size()) {
            result.problem = "a " + page + " está faltando";
            return result;
        }
        const size_t length = size_t(data[position + 8]) * 256 + data[position + 9];
        const size_t start = position + BlockHeaderSize;
        if (start + length > data.size()) {
            result.problem = "a " + page + " está incompleta";
            return result;
        }
        if (length < HeaderSize || data[start] != LineStart) {
            result.problem = "a " + page + " não contém linhas válidas";
            return result;
        }
        // Every 0xFF starts a new line.
        std::vector<LineStream> lines;
        for (size_t i = start; i < start + length; ++i) {
            if (data[i] == LineStart) lines.emplace_back();
            lines.back().push_back(data[i]);
        }
        for (const auto& line : lines) {
            if (line.size() < HeaderSize || !isEffectByte(line[1]) || !isEffectByte(line[2])) {
                result.problem = "a " + page + " contém uma linha danificada";
                return result;
            }
        }
        const size_t content = length - HeaderSize * lines.size();
        if (content > size_t(PageContentLimit)) {
            result.problem = "a " + page + " tem " + std::to_string(content) +
                             " caracteres, mais do que os " + std::to_string(PageContentLimit) +
                             " que uma página comporta";
            return result;
        }
        result.pages[size_t(q)] = std::move(lines);
        position = start + paddedSize(length);
    }
    result.ok = true;
    return result;
}

namespace {

// Whether the file the store last met was written by someone else since.
// A file that is gone has nothing to lose.
bool changedOnDisk(const PageStore& store, const std::string& fileName) {
    const auto& known = store.fileStamp();
    if (!known || known->path != fileName) return false;
    const auto now = readFileStamp(fileName);
    return now && *now != *known;
}

// A page block records its length in two bytes.
bool pagesFit(const PageStore& store, const std::string& fileName, uint8_t pageMask,
              std::string& error) {
    for (int p = 0; p < PageCount; ++p) {
        const int total = pageByteTotal(store.pages()[size_t(p)]);
        if ((pageMask & (1u << p)) && size_t(total) > MaxBlockLength) {
            error = "Não foi possível salvar \"" + baseName(fileName) + "\": a página " +
                    std::to_string(p + 1) + " tem linhas demais (" + std::to_string(total) +
                    " bytes; no máximo 65535). Apague linhas vazias dessa página. O arquivo "
                    "anterior não foi alterado.";
            return false;
        }
    }
    return true;
}

} // namespace

SaveOutcome savePageFile(PageStore& store, const std::string& fileName, uint8_t pageMask,
                         std::string& error, IfChangedOnDisk ifChanged) {
    if (!pagesFit(store, fileName, pageMask, error)) return SaveOutcome::Failed;
    if (ifChanged == IfChangedOnDisk::Report && changedOnDisk(store, fileName)) {
        error = "O arquivo \"" + baseName(fileName) +
                "\" foi alterado por outro programa desde que foi aberto. Substituir mesmo "
                "assim?";
        return SaveOutcome::ChangedOnDisk;
    }
    const auto bytes = encodePageFile(store.pages(), fileName, pageMask);
    std::string reason;
    if (!writeWholeFileSafely(fileName, bytes, reason)) {
        error = "Não foi possível salvar \"" + baseName(fileName) + "\" (" + reason +
                "). As páginas continuam abertas no editor e o arquivo anterior não foi alterado.";
        return SaveOutcome::Failed;
    }
    store.markSaved();
    store.setFileStamp(readFileStamp(fileName));
    return SaveOutcome::Saved;
}

bool loadPageFile(PageStore& store, const std::string& fileName, uint8_t /*pageMask*/,
                  std::string& error) {
    // Taken before the read: a write in between makes the next save ask, never
    // pass unnoticed.
    auto stamp = readFileStamp(fileName);
    std::vector<uint8_t> data;
    std::string reason;
    if (!readWholeFile(fileName, data, reason, PageFileSizeLimit)) {
        error = "Não foi possível abrir \"" + baseName(fileName) + "\" (" + reason +
                "). Nada foi alterado.";
        return false;
    }
    DecodedPageFile decoded = decodePageFile(data);
    if (!decoded.ok) {
        error = "Não foi possível abrir \"" + baseName(fileName) +
                "\": o arquivo está danificado (" + decoded.problem + "). Nada foi alterado.";
        return false;
    }
    store.replaceAllPages(std::move(decoded.pages));
    store.setFileStamp(std::move(stamp));
    return true;
}

std::string withPageFileExtension(const std::string& fileName) {
    std::filesystem::path path = nativePath(fileName);
    path.replace_extension(".vpg");
    return utf8Path(path);
}

} // namespace vorelux
