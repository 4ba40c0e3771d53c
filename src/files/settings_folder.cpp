#include "files/settings_folder.h"

#include "model/native_path.h"
#include "model/system_error.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vorelux {

namespace {

// As UTF-8: on Windows the narrow environment is in the ANSI code page,
// which cannot hold every user name.
std::string environmentVariable(const char* name) {
#ifdef _WIN32
    const wchar_t* value = _wgetenv(nativePath(name).c_str());
    return value ? utf8Path(std::filesystem::path(value)) : "";
#else
    const char* value = std::getenv(name);
    return value ? value : "";
#endif
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
    place.portable = !executableFolder.empty() &&
                     std::filesystem::exists(nativePath(executableFolder) / "conn.cfg", ec);
    // Without a user folder (Windows without %LOCALAPPDATA%) the executable's
    // folder is the only place left, as it was before there was a choice.
    if (place.userFolder.empty()) place.portable = true;
    place.folder = place.portable ? executableFolder : place.userFolder;
    return place;
}

std::string executableFolder() {
#ifdef _WIN32
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), DWORD(name.size()));
        if (length == 0) return "";
        if (length < name.size()) {
            name.resize(length);
            return utf8Path(std::filesystem::path(name).parent_path());
        }
        name.resize(name.size() * 2); // a long path: ask again with room for it
    }
#else
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "";
    return exe.parent_path().string();
#endif
}

bool makeSettingsFolder(const std::string& folder, std::string& error) {
    if (folder.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(nativePath(folder), ec);
    if (ec) {
#ifdef _WIN32
        const std::string why = windowsErrorText(static_cast<unsigned long>(ec.value()));
#else
        const std::string why = systemErrorText(ec.value());
#endif
        error = "Não foi possível criar a pasta das configurações \"" + folder + "\" (" + why +
                "). As configurações valem até o editor ser fechado.";
        return false;
    }
    return true;
}

} // namespace vorelux
