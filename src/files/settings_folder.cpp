#include "files/settings_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vorelux {

namespace {

std::string environmentVariable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string withSlashes(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

// The home folder cleaned as Qt cleans it: no "." or "..", no doubled or
// trailing slash; the root when $HOME is empty.
std::string cleanHome(const std::string& home) {
    if (home.empty()) return "/";
    std::string clean = std::filesystem::path(home).lexically_normal().generic_string();
    while (clean.size() > 1 && clean.back() == '/') clean.pop_back();
    return clean;
}

} // namespace

SettingsEnvironment processSettingsEnvironment() {
    SettingsEnvironment env;
    env.xdgConfigHome = environmentVariable("XDG_CONFIG_HOME");
    env.home = environmentVariable("HOME");
    env.localAppData = environmentVariable("LOCALAPPDATA");
    return env;
}

std::string userSettingsFolder(const SettingsEnvironment& env) {
    std::string base;
    if (env.platform == SettingsPlatform::Windows) {
        if (env.localAppData.empty()) return "";
        base = withSlashes(env.localAppData);
    } else {
        // Taken as it is, as Qt takes it, so both name the same folder.
        base = env.xdgConfigHome.empty() ? cleanHome(env.home) + "/.config" : env.xdgConfigHome;
    }
    return base + "/" + SettingsOrganization + "/" + SettingsApplication;
}

SettingsPlace findSettingsPlace(const std::string& executableFolder,
                                const SettingsEnvironment& env) {
    SettingsPlace place;
    place.executableFolder = executableFolder;
    place.userFolder = userSettingsFolder(env);
    std::error_code ec;
    place.portable =
        !executableFolder.empty() &&
        std::filesystem::exists(std::filesystem::path(executableFolder) / "conn.cfg", ec);
    // Without a user folder (Windows without %LOCALAPPDATA%) the executable's
    // folder is the only place left, as it was before there was a choice.
    if (place.userFolder.empty()) place.portable = true;
    place.folder = place.portable ? executableFolder : place.userFolder;
    return place;
}

std::string executableFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "";
    return exe.parent_path().string();
}

bool makeSettingsFolder(const std::string& folder, std::string& error) {
    if (folder.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = "Não foi possível criar a pasta das configurações \"" + folder + "\" (" +
                ec.message() + "). As configurações valem até o editor ser fechado.";
        return false;
    }
    return true;
}

} // namespace vorelux
