#include "files/page_file.h"

#include "files/file_io.h"
#include "model/native_path.h"

#include <filesystem>

namespace vorelux {

namespace {
constexpr size_t FileHeaderSize = 16;
constexpr size_t BlockHeaderSize = 16;

size_t paddedSize(size_t length) {
    return (length + 15) / 16 * 16;
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
    out[9] = 64; // columns
    out[11] = 7; // rows
    out[15] = 'A';
    for (int p = 0; p < PageCount; ++p) {
        if (!(pageMask & (1u << p))) continue;
        const size_t blockStart = out.size();
        out.resize(out.size() + BlockHeaderSize, 0);
        size_t length = 0;
        for (const auto& line : pages[size_t(p)].lines) {
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

bool savePageFile(PageStore& store, const std::string& FileName, uint8_t pageMask,
                  std::string& error) {
    // A page block records its length in two bytes.
    for (int p = 0; p < PageCount; ++p) {
        const int total = pageByteTotal(store.pages()[size_t(p)]);
        if ((pageMask & (1u << p)) && total > 0xFFFF) {
            error = "Não foi possível salvar \"" + baseName(FileName) + "\": a página " +
                    std::to_string(p + 1) + " tem linhas demais (" + std::to_string(total) +
                    " bytes; no máximo 65535). Apague linhas vazias dessa página. O arquivo "
                    "anterior não foi alterado.";
            return false;
        }
    }
    const auto bytes = encodePageFile(store.pages(), FileName, pageMask);
    std::string reason;
    if (!writeWholeFileSafely(FileName, bytes, reason)) {
        error = "Não foi possível salvar \"" + baseName(FileName) + "\" (" + reason +
                "). As páginas continuam abertas no editor e o arquivo anterior não foi alterado.";
        return false;
    }
    store.markSaved();
    return true;
}

bool loadPageFile(PageStore& store, const std::string& FileName, uint8_t /*pageMask*/,
                  std::string& error) {
    std::vector<uint8_t> data;
    std::string reason;
    if (!readWholeFile(FileName, data, reason, PageFileSizeLimit)) {
        error = "Não foi possível abrir \"" + baseName(FileName) + "\" (" + reason +
                "). Nada foi alterado.";
        return false;
    }
    DecodedPageFile decoded = decodePageFile(data);
    if (!decoded.ok) {
        error = "Não foi possível abrir \"" + baseName(FileName) +
                "\": o arquivo está danificado (" + decoded.problem + "). Nada foi alterado.";
        return false;
    }
    store.replaceAllPages(std::move(decoded.pages));
    return true;
}

std::string withPageFileExtension(const std::string& fileName) {
    std::filesystem::path path = nativePath(fileName);
    path.replace_extension(".vpg");
    return utf8Path(path);
}

} // namespace vorelux
