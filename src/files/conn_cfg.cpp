#include "files/conn_cfg.h"

#include "files/file_io.h"
#include "model/native_path.h"

#include <algorithm>
#include <filesystem>

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
    const bool read = readWholeFile(path, data, error, SmallFileSizeLimit);
    if (read && decodeConnCfg(data, cfg)) return {};
    // No file yet, or the empty one that makes a portable copy: a first start.
    std::error_code ec;
    const bool firstStart =
        (read && data.empty()) ||
        !std::filesystem::exists(std::filesystem::symlink_status(nativePath(path), ec));
    error.clear();
    if (writeConnCfg(path, cfg, ConnCfgAllFields, error)) error.clear();
    return {firstStart ? Status::Created : Status::Unreadable, error};
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

namespace vorelux {

void ConnectionSettingsStore::update(const std::function<void(ConnectionSettings&)>& change) {
    ConnectionSettings changed = settings_;
    change(changed);
    if (changed == settings_) return;
    settings_ = std::move(changed);
    // A copy: a listener may add or remove listeners while it is told.
    const auto listeners = listeners_;
    for (const auto& [id, listener] : listeners) {
        const bool stillListening = std::any_of(listeners_.begin(), listeners_.end(),
                                                [id = id](const auto& l) { return l.first == id; });
        if (stillListening) listener(settings_);
    }
}

void ConnectionSettingsStore::replace(ConnectionSettings settings) {
    update([&](ConnectionSettings& s) { s = std::move(settings); });
}

void ConnectionSettingsStore::setTransport(Transport transport) {
    update([&](ConnectionSettings& s) { s.transport = transport; });
}

void ConnectionSettingsStore::setPortNumber(int32_t portNumber) {
    update([&](ConnectionSettings& s) { s.portNumber = portNumber; });
}

void ConnectionSettingsStore::setTargetPanels(std::vector<uint8_t> targetPanels) {
    update([&](ConnectionSettings& s) { s.targetPanels = std::move(targetPanels); });
}

void ConnectionSettingsStore::setDisplayPageSelector(uint8_t selector) {
    update([&](ConnectionSettings& s) { s.displayPageSelector = selector; });
}

void ConnectionSettingsStore::setPagesByHour(const PageByHourEntries& pagesByHour) {
    update([&](ConnectionSettings& s) { s.pagesByHour = pagesByHour; });
}

void ConnectionSettingsStore::setTransmitterIdentity(const std::array<uint8_t, 8>& identity) {
    update([&](ConnectionSettings& s) { s.transmitterIdentity = identity; });
}

void ConnectionSettingsStore::setDaylightSaving(uint8_t flags) {
    update([&](ConnectionSettings& s) { s.daylightSaving = flags; });
}

int ConnectionSettingsStore::addListener(Listener listener) {
    const int id = nextListenerId_++;
    listeners_.emplace_back(id, std::move(listener));
    return id;
}

void ConnectionSettingsStore::removeListener(int id) {
    std::erase_if(listeners_, [id](const auto& l) { return l.first == id; });
}

ConnCfgReadResult readConnCfg(const std::string& path, ConnectionSettingsStore& settings) {
    ConnectionSettings read = settings.get();
    ConnCfgReadResult result = readConnCfg(path, read);
    settings.replace(std::move(read));
    return result;
}

} // namespace vorelux
