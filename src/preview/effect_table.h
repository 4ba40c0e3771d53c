#pragma once
// The 61 effects: the texts of the entry and exit effect lists (item k is
// effect k + 1, stored in a line as byte 192 + k) and, for the animated
// figures 32..61, the first sprite frame and the frame hold.
#include <array>
#include <cstdint>

namespace vorelux::preview {

constexpr int EffectCount = 61;
constexpr int FirstSpriteEffect = 32;

struct EffectInfo {
    int number;         // 1..61
    const char* text;   // list text, UTF-8, e.g. "Efeito 32 - Come-come"
    uint8_t firstFrame; // figures only: first sprite code F (frames F..F+3)
    uint8_t frameHold;  // figures only: H, each frame lasts H + 1 column steps
};

extern const std::array<EffectInfo, EffectCount> EffectTable;

// The list text of effect n (1..61), or nullptr.
const char* effectText(int n);

} // namespace vorelux::preview
