#pragma once
// What the picture commands (gif, png) share: the page file and page, the
// LED size and look, the moment the live fields show, and loading the page.
#include "command.h"
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
    LocalDateTime at;
};

// The optional --scale, --look and --at as given.
struct PictureArgs {
    std::string scale, look, at;
    bool haveScale = false, haveLook = false, haveAt = false;
};
PictureArgs takePictureArgs(Args& args);

// Checks the page (1..8) and the picture arguments into `o`; the exit code
// of a usage error, told on stderr as "vorelux COMMAND: ...", or nothing.
std::optional<int> checkPictureOptions(const char* command, const std::string& pageValue,
                                       const PictureArgs& given, PictureOptions& o);

// The lines of page o.page of o.file, or the exit code of a file that cannot
// be read, is damaged or has nothing to show on that page (told on stderr).
std::optional<int> loadPicturePage(const char* command, const PictureOptions& o,
                                   preview::VectorLineSource& lines);

} // namespace vorelux::cli
