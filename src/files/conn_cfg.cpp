#include "files/conn_cfg.h"

#include "files/file_io.h"

namespace vorelux {

std::vector<uint8_t> encodeConnCfg(const ConnectionSettings& cfg) {
    std::vector<uint8_t> out;
    out.reserve(ConnCfgHeaderSize + cfg.targetPanels.size());
    out.resize(ConnCfgHeaderSize, 0);
    out[0] = uint8_t(cfg.transport);
    out[1] = uint8_t(cfg.portNumber & 0xFF);
    out[2] = cfg.displayPageSelector;
    out[3] = cfg.daylightSaving;
    out.insert(out.end(), cfg.targetPanels.begin(), cfg.targetPanels.end());
    return out;
}

bool decodeConnCfg(const std::vector<uint8_t>& data, ConnectionSettings& cfg) {
    if (data.size() < ConnCfgHeaderSize) return false;
    // Byte 0 (the link mode) is not read: a run always starts on the serial port.
    cfg.portNumber = data[1];
    cfg.displayPageSelector = data[2];
    cfg.daylightSaving = data[3];
    cfg.targetPanels.assign(data.begin() + ConnCfgHeaderSize, data.end());
    return true;
}

void readConnCfg(const std::string& path, ConnectionSettings& cfg, Prompter& prompter) {
    std::vector<uint8_t> data;
    std::string error;
    if (readWholeFile(path, data, error, SmallFileSizeLimit) && decodeConnCfg(data, cfg)) return;
    prompter.ask(Prompt::SettingsUnreadable);
    if (!writeConnCfg(path, cfg, error)) prompter.message(error);
}

bool writeConnCfg(const std::string& path, const ConnectionSettings& cfg, std::string& error) {
    std::string reason;
    if (!writeWholeFileSafely(path, encodeConnCfg(cfg), reason)) {
        error = "Não foi possível gravar as configurações de conexão (" + reason +
                "). As configurações continuam valendo até o editor ser fechado.";
        return false;
    }
    return true;
}

} // namespace vorelux
