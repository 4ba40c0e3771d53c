#include "files/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace vorelux {

namespace fs = std::filesystem;

bool readWholeFile(const std::string& path, std::vector<uint8_t>& data, std::string& error) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        error = "é uma pasta";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "erro de leitura";
        return false;
    }
    return true;
}

bool writeWholeFileSafely(const std::string& path, const std::vector<uint8_t>& data,
                          std::string& error) {
    std::random_device seed;
    const fs::path target(path);
    const fs::path temp = target.parent_path() /
                          (target.filename().string() + ".tmp" + std::to_string(seed() % 100000));
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = std::strerror(errno);
            return false;
        }
        out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
        out.flush();
        if (!out) {
            error = std::strerror(errno);
            out.close();
            std::error_code ignored;
            fs::remove(temp, ignored);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        error = ec.message();
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

} // namespace vorelux
