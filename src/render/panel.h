#pragma once
// The panel image shared by the edit canvas, the live fields and the preview.
#include <array>
#include <cstdint>

namespace vorelux {

constexpr int PanelRows = 7;
constexpr int PanelColumns = 64;
constexpr int PanelLastColumn = 63;
// The spare column past the right edge (see PanelImage).
constexpr int PanelSpareColumn = 64;
constexpr int PanelLastRow = 6;
constexpr int PanelMidColumn = 32;
constexpr int PanelMidRow = 3;
constexpr int CellSize = 10; // pixels per LED on the edit canvas

// 65 column bytes: columns 0..63 are the panel; column 64 is a spare column
// that a glyph ending at the right edge may write and that is never shown.
using PanelImage = std::array<uint8_t, PanelColumns + 1>;

// The shown image (shown) and the composed next segment (composed).
struct PanelImages {
    PanelImage shown{};
    PanelImage composed{};
};

} // namespace vorelux
