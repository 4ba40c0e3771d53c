#include "render/png.h"

#include "model/native_path.h"
#include "model/system_error.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <unordered_map>

namespace vorelux {

namespace {

uint32_t crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, crc32(out.data() + start, out.size() - start));
}

// zlib stream of stored (uncompressed) deflate blocks.
std::vector<uint8_t> zlibStored(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t n = std::min<size_t>(65535, raw.size() - pos);
        const bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(uint8_t(n));
        z.push_back(uint8_t(n >> 8));
        z.push_back(uint8_t(~n));
        z.push_back(uint8_t((~n) >> 8));
        z.insert(z.end(), raw.begin() + long(pos), raw.begin() + long(pos + n));
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    put32(z, (b << 16) | a);
    return z;
}

} // namespace

std::vector<uint8_t> encodePng(int width, int height, const uint32_t* pixels, int stride) {
    std::unordered_map<uint32_t, uint8_t> palette;
    std::vector<uint32_t> colours;
    bool indexed = true;
    for (int y = 0; y < height && indexed; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t c = pixels[size_t(y) * size_t(stride) + size_t(x)] & 0xFFFFFF;
            if (palette.count(c)) continue;
            if (colours.size() == 256) {
                indexed = false;
                break;
            }
            palette[c] = uint8_t(colours.size());
            colours.push_back(c);
        }

    std::vector<uint8_t> raw;
    raw.reserve(size_t(height) * (size_t(width) * (indexed ? 1 : 3) + 1));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0); // no filter
        for (int x = 0; x < width; ++x) {
            const uint32_t c = pixels[size_t(y) * size_t(stride) + size_t(x)] & 0xFFFFFF;
            if (indexed) {
                raw.push_back(palette[c]);
            } else {
                raw.push_back(uint8_t(c >> 16));
                raw.push_back(uint8_t(c >> 8));
                raw.push_back(uint8_t(c));
            }
        }
    }

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    put32(header, uint32_t(width));
    put32(header, uint32_t(height));
    header.insert(header.end(), {8, uint8_t(indexed ? 3 : 2), 0, 0, 0});
    chunk(out, "IHDR", header);
    if (indexed) {
        std::vector<uint8_t> plte;
        for (uint32_t c : colours)
            plte.insert(plte.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
        chunk(out, "PLTE", plte);
    }
    chunk(out, "IDAT", zlibStored(raw));
    chunk(out, "IEND", {});
    return out;
}

bool writePng(const std::string& path, int width, int height, const uint32_t* pixels, int stride,
              std::string& error) {
    const std::vector<uint8_t> bytes = encodePng(width, height, pixels, stride);
    std::ofstream file(nativePath(path), std::ios::binary | std::ios::trunc);
    if (file)
        file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file) {
        error = "não foi possível gravar " + path + ": " + systemErrorText(errno);
        return false;
    }
    return true;
}

} // namespace vorelux
