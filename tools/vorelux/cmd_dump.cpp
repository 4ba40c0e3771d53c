// vorelux dump FILE.vpg: every page and line of a page file, readable.
#include "command.h"
#include "files/file_io.h"
#include "files/page_file.h"
#include "model/charset.h"
#include "model/line.h"

#include <iostream>

namespace vorelux::cli {
namespace {

std::string describeContent(const LineStream& line) {
    std::string out;
    for (size_t i = HeaderSize; i < line.size(); ++i) {
        const uint8_t b = line[i];
        if (isFontSelect(b)) {
            out += "{font " + std::to_string(b + 1) + "}";
        } else if (b == DrawingEscape) {
            if (i + 1 < line.size()) {
                const int index = drawingListIndex(line[++i]);
                out += index >= 0 ? "{drawing " + std::to_string(index) + "}"
                                  : "{drawing code " + std::to_string(line[i]) + "?}";
            } else {
                out += "{drawing ?}";
            }
        } else if (int f = functionListIndex(b); f >= 0) {
            out += std::string("{") + FunctionTable[size_t(f)].name + "}";
        } else if (b < 192 && PanelCharset[b] >= 32 && PanelCharset[b] != 0) {
            out += utf16ToUtf8(std::u16string(1, PanelCharset[b]));
        } else {
            out += "{byte " + std::to_string(b) + "}";
        }
    }
    return out;
}

int dump(const Args& args) {
    if (args.size() != 1) return usageError("dump", "espera um arquivo de páginas");
    std::vector<uint8_t> data;
    std::string error;
    if (!readWholeFile(args[0], data, error, PageFileSizeLimit)) {
        std::cerr << "vorelux dump: não foi possível ler " << args[0] << ": " << error << "\n";
        return 1;
    }
    const DecodedPageFile decoded = decodePageFile(data);
    if (!decoded.ok) {
        std::cerr << "vorelux dump: " << args[0] << " está danificado: " << decoded.problem << "\n";
        return 1;
    }
    for (int p = 0; p < PageCount; ++p) {
        const auto& lines = decoded.pages[size_t(p)];
        int bytes = 0;
        for (const auto& line : lines) bytes += int(line.size());
        std::cout << "página " << p + 1 << ": " << lines.size()
                  << (lines.size() == 1 ? " linha, " : " linhas, ") << bytes << " bytes\n";
        for (size_t l = 0; l < lines.size(); ++l) {
            const auto& line = lines[l];
            std::cout << "  linha " << l + 1 << "  entrada " << effectNumber(line[1]) << "  saída "
                      << effectNumber(line[2]) << "  \"" << describeContent(line) << "\"\n";
        }
    }
    return 0;
}

CommandRegistration reg("dump", {"dump ARQUIVO.vpg",
                                 "mostra cada página e linha: efeitos e texto, com {font n}, "
                                 "{drawing n} e os campos ao vivo pelo nome",
                                 dump});

} // namespace
} // namespace vorelux::cli
