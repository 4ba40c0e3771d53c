#pragma once
// Where "conn.cfg" and "ult_arq.txt" (and the ports added beside them) live.
// A "conn.cfg" in the executable's folder makes a portable copy that keeps
// them there; otherwise they live in the user's configuration folder, the one
// Qt gives the editor as its per-application configuration location, so an
// installed copy in a read-only folder still remembers them. The editor and
// the `vorelux` tool find them the same way.
#include <string>

namespace vorelux {

// The names under which the editor files its settings (Qt's organization and
// application names).
inline constexpr const char* SettingsOrganization = "Vorelux";
inline constexpr const char* SettingsApplication = "Vorelux Editor";

enum class SettingsPlatform { Unix, Windows };

// What the platform says about the user's folders.
struct SettingsEnvironment {
#ifdef _WIN32
    SettingsPlatform platform = SettingsPlatform::Windows;
#else
    SettingsPlatform platform = SettingsPlatform::Unix;
#endif
    std::string xdgConfigHome; // $XDG_CONFIG_HOME
    std::string home;          // $HOME
    std::string localAppData;  // %LOCALAPPDATA%
};

// The environment of this process.
SettingsEnvironment processSettingsEnvironment();

// The user's configuration folder for the editor: on Unix $XDG_CONFIG_HOME
// (or ~/.config), on Windows %LOCALAPPDATA%, then "Vorelux/Vorelux Editor";
// empty on Windows when the variable is missing.
std::string userSettingsFolder(const SettingsEnvironment& env);

struct SettingsPlace {
    std::string folder;           // where the files are read and written ("" = the current one)
    bool portable = false;        // folder is the executable's
    std::string executableFolder; // looked at first
    std::string userFolder;       // used when the executable's folder has no "conn.cfg"
};

// Looks for "conn.cfg" in executableFolder, else takes the user's folder.
SettingsPlace findSettingsPlace(const std::string& executableFolder,
                                const SettingsEnvironment& env = processSettingsEnvironment());

// The folder of the running executable; empty when the system does not say.
std::string executableFolder();

// Creates the folder and its parents when missing; false with a sentence
// for the operator (Portuguese) when it cannot.
bool makeSettingsFolder(const std::string& folder, std::string& error);

} // namespace vorelux
