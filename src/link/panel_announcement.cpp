// Virtual panels announce themselves with one small file each, named after
// their process, in a folder only their user can write.
#include "files/file_io.h"
#include "link/port_address.h"
#include "link/port_directory.h"
#include "model/system_error.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#ifndef _WIN32
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vorelux {

namespace fs = std::filesystem;

namespace {

constexpr const char* AnnouncementSuffix = ".panel";

#ifndef _WIN32
// Why a folder is not this user's private one (empty when it is): another
// user must not be able to slip a port into this user's list, nor hide this
// user's panels by making the folder first.
std::string folderDistrust(const std::string& folder) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return systemErrorText(errno);
    if (!S_ISDIR(st.st_mode)) return "não é uma pasta";
    if (st.st_uid != ::getuid())
        return "pertence a outro usuário (uid " + std::to_string(st.st_uid) + ")";
    if ((st.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", unsigned(st.st_mode & 07777));
        return std::string("outros usuários têm acesso a ela (permissões ") + mode + ")";
    }
    return {};
}

bool trustedFolder(const std::string& folder) {
    return folderDistrust(folder).empty();
}

std::string folderProblemText(const std::string& folder, const std::string& why) {
    return "a pasta dos painéis virtuais " + folder + " " + why +
           ": nenhum painel virtual é anunciado nem listado por ela (apague-a, ou defina "
           "XDG_RUNTIME_DIR)";
}

bool processRunning(long pid) {
    if (pid <= 0) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::string readText(const std::string& path) {
    std::vector<uint8_t> data;
    std::string error;
    if (!readWholeFile(path, data, error, 4096)) return {};
    return std::string(data.begin(), data.end());
}

bool deviceThere(const std::string& device) {
    if (isNetworkAddress(device)) return true;
    std::error_code ec;
    return fs::exists(device, ec);
}
#endif

} // namespace

std::string virtualPanelFolder() {
#ifdef _WIN32
    return {};
#else
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::string(runtime) + "/vorelux-panels";
    return "/tmp/vorelux-panels-" + std::to_string(::getuid());
#endif
}

std::vector<std::string> virtualPanelFoldersFor(const char* runtimeDir,
                                                const std::string& runUserRoot) {
    std::vector<std::string> folders;
#ifdef _WIN32
    (void)runtimeDir, (void)runUserRoot;
#else
    const auto add = [&](const std::string& folder) {
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    };
    const std::string uid = std::to_string(::getuid());
    if (runtimeDir && runtimeDir[0] == '/') add(std::string(runtimeDir) + "/vorelux-panels");
    // The session's runtime folder, for a reader started without the
    // variable (cron, su): only a real folder of this user.
    const std::string runUser = runUserRoot + "/" + uid;
    struct stat st {};
    if (::lstat(runUser.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid())
        add(runUser + "/vorelux-panels");
    add("/tmp/vorelux-panels-" + uid);
#endif
    return folders;
}

std::vector<std::string> virtualPanelFolders() {
    return virtualPanelFoldersFor(std::getenv("XDG_RUNTIME_DIR"), "/run/user");
}

std::optional<Announcement> parseAnnouncement(const std::string& text) {
    std::map<std::string, std::string> fields;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) fields[line.substr(0, eq)] = line.substr(eq + 1);
    }
    const std::string& device = fields["device"];
    std::string error;
    const auto printable = [](const std::string& t) {
        return std::all_of(t.begin(), t.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F;
        });
    };
    if (device.empty() || !printable(device) || !parsePortAddress(device, error)) return {};
    const std::string& id = fields["panel"];
    char* end = nullptr;
    const long panel = std::strtol(id.c_str(), &end, 10);
    if (id.empty() || *end != 0 || panel < 1 || panel > 255) return {};
    const std::string& pidText = fields["pid"];
    const long pid = std::strtol(pidText.c_str(), &end, 10);
    if (pidText.empty() || *end != 0 || pid <= 0) return {};
    Announcement out;
    out.port.device = device;
    out.port.description = "painel virtual " + std::to_string(panel);
    out.port.origin = PortOrigin::VirtualPanel;
    out.pid = pid;
    return out;
}

std::string panelFolderProblem(const std::string& folder) {
#ifdef _WIN32
    (void)folder;
    return {};
#else
    struct stat st {};
    if (folder.empty() || (::lstat(folder.c_str(), &st) != 0 && errno == ENOENT)) return {};
    const std::string why = folderDistrust(folder);
    return why.empty() ? std::string() : folderProblemText(folder, why);
#endif
}

PanelAnnouncement::~PanelAnnouncement() {
    withdraw();
}

bool PanelAnnouncement::announce(const std::string& folder, const std::string& device, int panelId,
                                 std::string& error) {
#ifdef _WIN32
    (void)folder, (void)device, (void)panelId;
    error = "sem anúncio de painéis virtuais neste sistema";
    return false;
#else
    withdraw();
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = folder + ": " + systemErrorText(errno);
        return false;
    }
    if (const std::string why = folderDistrust(folder); !why.empty()) {
        error = folderProblemText(folder, why);
        return false;
    }
    const std::string path = folder + "/" + std::to_string(::getpid()) + AnnouncementSuffix;
    const std::string text = "device=" + device + "\npanel=" + std::to_string(panelId) +
                             "\npid=" + std::to_string(::getpid()) + "\n";
    if (!writeWholeFileSafely(path, std::vector<uint8_t>(text.begin(), text.end()), error))
        return false;
    path_ = path;
    return true;
#endif
}

void PanelAnnouncement::withdraw() {
    if (path_.empty()) return;
    std::error_code ec;
    fs::remove(path_, ec);
    path_.clear();
}

std::vector<SerialPortInfo> announcedVirtualPanels(const std::vector<std::string>& folders) {
    std::vector<SerialPortInfo> panels;
    for (const std::string& folder : folders) {
        for (SerialPortInfo& panel : announcedVirtualPanels(folder)) {
            const bool seen = std::any_of(panels.begin(), panels.end(),
                                          [&](const auto& p) { return p.device == panel.device; });
            if (!seen) panels.push_back(std::move(panel));
        }
    }
    std::sort(panels.begin(), panels.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.device < b.device; });
    return panels;
}

std::vector<SerialPortInfo> announcedVirtualPanels(const std::string& folder) {
    std::vector<SerialPortInfo> panels;
#ifdef _WIN32
    (void)folder; // the virtual panel runs on Linux only
#else
    if (folder.empty() || !trustedFolder(folder)) return panels;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.path().extension() != AnnouncementSuffix) continue;
        const auto announced = parseAnnouncement(readText(entry.path().string()));
        if (!announced) continue;
        if (!processRunning(announced->pid) || !deviceThere(announced->port.device)) {
            fs::remove(entry.path(), ec); // left behind by a panel that was killed
            continue;
        }
        panels.push_back(announced->port);
    }
    std::sort(panels.begin(), panels.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.device < b.device; });
#endif
    return panels;
}

} // namespace vorelux
