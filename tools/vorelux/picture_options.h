#pragma once
// What the picture commands (gif, png) share: the page file and page, the
// LED size and look, the moment the live fields show, and loading the page.
#include "command.h"
#include "model/led_colour.h"
#include "preview/led_picture.h"
#include "preview/page_player.h"
#include "render/clock.h"

#include <optional>
#include <string>

namespace vorelux::cli {

struct PictureOptions {
    std::string file, out;
    long page = 0, scale = 10;
    preview::LedLook look = preview::LedLook::Dots;
    LedColour colour = DefaultLedColour; // the saved setting unless --colour names one
    LocalDateTime at;
};

// The help of the picture options the commands share.
inline const OptionSpec PageOption{"--page", "P", "a página, 1..8"};
inline const OptionSpec ScaleOption{"--scale", "S", "pixels por LED (padrão: 10)"};
inline const OptionSpec LookOption{"--look", "dots|grid",
                                   "o aspecto dos LEDs (grid: o da janela de pré-visualização)"};
inline const OptionSpec ColourOption{
    "--colour", "COR",
    "a cor dos LEDs: red, amber, green, white ou blue (padrão: a escolhida no editor)"};
inline const OptionSpec AtOption{"--at", "\"AAAA-MM-DD HH:MM:SS\"",
                                 "o momento que os campos ao vivo mostram (padrão: agora)"};

// The optional --scale, --look, --colour and --at as given.
struct PictureArgs {
    std::string scale, look, at, colour;
    bool haveScale = false, haveLook = false, haveAt = false, haveColour = false;
};
PictureArgs takePictureArgs(Args& args);

// Checks the page (1..8) and the picture arguments into `o`; the exit code
// of a usage error, told on stderr as "vorelux COMMAND: ...", or nothing.
std::optional<int> checkPictureOptions(const char* command, const std::string& pageValue,
                                       const PictureArgs& given, PictureOptions& o);
// The LED colour: --colour when given (false and a message on stderr for a
// word that names no colour), else the one saved in the settings folder.
bool checkColourOption(const char* command, bool haveColour, const std::string& word,
                       LedColour& colour);

// The lines of page o.page of o.file, or the exit code of a file that cannot
// be read, is damaged or has nothing to show on that page (told on stderr).
std::optional<int> loadPicturePage(const char* command, const PictureOptions& o,
                                   preview::VectorLineSource& lines);

} // namespace vorelux::cli
