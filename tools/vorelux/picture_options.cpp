#include "picture_options.h"

#include "files/appearance_file.h"
#include "files/file_io.h"
#include "files/page_file.h"

#include <iostream>

namespace vorelux::cli {

PictureArgs takePictureArgs(Args& args) {
    PictureArgs given;
    given.haveScale = takeOption(args, "--scale", given.scale);
    given.haveLook = takeOption(args, "--look", given.look);
    given.haveAt = takeOption(args, "--at", given.at);
    given.haveColour = takeOption(args, "--colour", given.colour);
    return given;
}

std::optional<int> checkPictureOptions(const char* command, const std::string& pageValue,
                                       const PictureArgs& given, PictureOptions& o) {
    const std::string name = std::string("vorelux ") + command + ": ";
    if (!parseInt(pageValue, o.page) || o.page < 1 || o.page > PageCount) {
        std::cerr << name << "--page espera 1..8\n";
        return 2;
    }
    if (given.haveScale && (!parseInt(given.scale, o.scale) || o.scale < preview::LedMinScale ||
                            o.scale > preview::LedMaxScale)) {
        std::cerr << name << "--scale espera " << preview::LedMinScale << ".."
                  << preview::LedMaxScale << " pixels por LED\n";
        return 2;
    }
    if (given.haveLook && !preview::parseLedLook(given.look, o.look)) {
        std::cerr << name << "--look espera dots ou grid\n";
        return 2;
    }
    if (!checkColourOption(command, given.haveColour, given.colour, o.colour)) return 2;
    o.at = SystemClock().now();
    if (given.haveAt && !parseLocalDateTime(given.at, o.at)) {
        std::cerr << name << "--at espera um momento como \"AAAA-MM-DD HH:MM:SS\", não \""
                  << given.at << "\"\n";
        return 2;
    }
    return std::nullopt;
}

bool checkColourOption(const char* command, bool haveColour, const std::string& word,
                       LedColour& colour) {
    if (!haveColour) {
        colour = savedLedColour();
        return true;
    }
    if (parseLedColourWord(word, colour)) return true;
    std::cerr << "vorelux " << command << ": a cor \"" << word
              << "\" não existe; --colour deve ser red, amber, green, white ou blue\n";
    return false;
}

std::optional<int> loadPicturePage(const char* command, const PictureOptions& o,
                                   preview::VectorLineSource& lines) {
    const std::string name = std::string("vorelux ") + command + ": ";
    std::vector<uint8_t> data;
    std::string error;
    if (!readWholeFile(o.file, data, error, PageFileSizeLimit)) {
        std::cerr << name << "não foi possível ler " << o.file << ": " << error << "\n";
        return 1;
    }
    const DecodedPageFile decoded = decodePageFile(data);
    if (!decoded.ok) {
        std::cerr << name << o.file << " está danificado: " << decoded.problem << "\n";
        return 1;
    }
    lines = preview::VectorLineSource(decoded.pages[size_t(o.page - 1)]);
    if (!preview::pageHasContent(lines)) {
        std::cerr << name << "Não há nenhuma mensagem para ser exibida na página " << o.page
                  << ". Nada foi gravado.\n";
        return 1;
    }
    return std::nullopt;
}

} // namespace vorelux::cli
