#pragma once
// The 61 effect names of the entry and exit effect lists, in list order:
// item k is effect k + 1, stored in a line as byte 192 + k.
#include <array>

namespace vorelux::editor {

extern const std::array<const char*, 61> EffectNames; // UTF-8

} // namespace vorelux::editor
