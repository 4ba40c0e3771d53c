#include "files/conn_cfg.h"

#include "files/file_io.h"

#include <algorithm>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vorelux {

namespace {

constexpr uint8_t EveryPanelEntry = 0;

const std::string KeptUntilClose = "As configurações continuam valendo até o editor ser fechado.";

// What the file holds now, or cfg itself when it is missing or damaged.
ConnectionSettings settingsOnDisk(const std::string& path, const ConnectionSettings& cfg) {
    ConnectionSettings onDisk = cfg;
    std::vector<uint8_t> data;
    std::string error;
    if (readWholeFile(path, data, error, SmallFileSizeLimit) && decodeConnCfg(data, onDisk))
        return onDisk;
    return cfg;
}

void takeFields(ConnectionSettings& into, const ConnectionSettings& from, unsigned fields) {
    into.transport = from.transport;
    if (fields & ConnCfgPort) into.portNumber = from.portNumber;
    if (fields & ConnCfgDisplayPage) into.displayPageSelector = from.displayPageSelector;
    if (fields & ConnCfgDaylightSaving) into.daylightSaving = from.daylightSaving;
    if (fields & ConnCfgTargets) into.targetPanels = from.targetPanels;
}

// Settings are believed only from a file no one else may write: one that
// came out group-writable (a umask of 002) is made private again.
void keepPrivate([[maybe_unused]] const std::string& path) {
#ifndef _WIN32
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && (info.st_mode & (S_IWGRP | S_IWOTH))) [[maybe_unused]]
        const int ignored =
            ::chmod(path.c_str(), info.st_mode & 07777 & ~mode_t(S_IWGRP | S_IWOTH));
#endif
}

} // namespace

std::vector<uint8_t> normalizedTargetPanels(std::vector<uint8_t> targets) {
    if (std::find(targets.begin(), targets.end(), EveryPanelEntry) != targets.end())
        return {EveryPanelEntry};
    std::sort(targets.begin(), targets.end());
    targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
    return targets;
}

std::vector<uint8_t> encodeConnCfg(const ConnectionSettings& cfg) {
    const std::vector<uint8_t> targets = normalizedTargetPanels(cfg.targetPanels);
    std::vector<uint8_t> out;
    out.reserve(ConnCfgHeaderSize + targets.size());
    out.resize(ConnCfgHeaderSize, 0);
    out[0] = uint8_t(cfg.transport);
    out[1] = uint8_t(cfg.portNumber & 0xFF);
    out[2] = cfg.displayPageSelector;
    out[3] = cfg.daylightSaving;
    out.insert(out.end(), targets.begin(), targets.end());
    return out;
}

bool decodeConnCfg(const std::vector<uint8_t>& data, ConnectionSettings& cfg) {
    if (data.size() < ConnCfgHeaderSize) return false;
    // Byte 0 (the link mode) is not read: a run always starts on the serial port.
    cfg.portNumber = data[1];
    cfg.displayPageSelector = data[2];
    cfg.daylightSaving = data[3];
    cfg.targetPanels =
        normalizedTargetPanels(std::vector<uint8_t>(data.begin() + ConnCfgHeaderSize, data.end()));
    return true;
}

std::string fileTrustProblem([[maybe_unused]] const std::string& path) {
#ifndef _WIN32
    // A missing file is no reason: the defaults are written in its place;
    // devices, pipes and folders are refused by the reader, with that reason.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
#endif
    return untrustedFileReason(path);
}

ConnCfgReadResult readConnCfg(const std::string& path, ConnectionSettings& cfg) {
    using Status = ConnCfgReadResult::Status;
    if (const std::string problem = fileTrustProblem(path); !problem.empty()) {
        return {Status::Untrusted, "As configurações de conexão em \"" + path +
                                       "\" foram ignoradas: " + problem +
                                       ". Valem as configurações padrão até que só o seu usuário "
                                       "possa alterá-lo (por exemplo, com \"chmod go-w\")."};
    }
    std::vector<uint8_t> data;
    std::string error;
    if (readWholeFile(path, data, error, SmallFileSizeLimit) && decodeConnCfg(data, cfg)) return {};
    error.clear();
    if (writeConnCfg(path, cfg, ConnCfgAllFields, error)) error.clear();
    return {Status::Unreadable, error};
}

bool writeConnCfg(const std::string& path, const ConnectionSettings& cfg, unsigned fields,
                  std::string& error) {
    if (const std::string problem = fileTrustProblem(path); !problem.empty()) {
        error = "Não foi possível gravar as configurações de conexão em \"" + path +
                "\": " + problem + ". " + KeptUntilClose;
        return false;
    }
    ConnectionSettings merged = settingsOnDisk(path, cfg);
    takeFields(merged, cfg, fields);
    std::string reason;
    if (!writeWholeFileSafely(path, encodeConnCfg(merged), reason)) {
        error = "Não foi possível gravar as configurações de conexão (" + reason + "). " +
                KeptUntilClose;
        return false;
    }
    keepPrivate(path);
    return true;
}

} // namespace vorelux
