#include "files/conn_cfg.h"

#include "files/file_io.h"

namespace vorelux {

std::vector<uint8_t> encodeConnCfg(const TCfgComm& cfg) {
    std::vector<uint8_t> out(ConnCfgHeaderSize, 0);
    out[0] = cfg.tipo;
    out[1] = uint8_t(cfg.COM & 0xFF);
    out[2] = cfg.setPag;
    out[3] = cfg.AvisoVerao;
    out.insert(out.end(), cfg.paineis.begin(), cfg.paineis.end());
    return out;
}

bool decodeConnCfg(const std::vector<uint8_t>& data, TCfgComm& cfg) {
    if (data.size() < ConnCfgHeaderSize) return false;
    // Byte 0 (the link mode) is not read: a run always starts on the serial port.
    cfg.COM = data[1];
    cfg.setPag = data[2];
    cfg.AvisoVerao = data[3];
    cfg.paineis.assign(data.begin() + ConnCfgHeaderSize, data.end());
    return true;
}

void readConnCfg(const std::string& path, TCfgComm& cfg, Prompter& prompter) {
    std::vector<uint8_t> data;
    std::string error;
    if (readWholeFile(path, data, error, SmallFileSizeLimit) && decodeConnCfg(data, cfg)) return;
    prompter.Mensagem(10, -1);
    if (!writeConnCfg(path, cfg, error)) prompter.message(error);
}

bool writeConnCfg(const std::string& path, const TCfgComm& cfg, std::string& error) {
    std::string reason;
    if (!writeWholeFileSafely(path, encodeConnCfg(cfg), reason)) {
        error = "Não foi possível gravar as configurações de conexão (" + reason +
                "). As configurações continuam valendo até o editor ser fechado.";
        return false;
    }
    return true;
}

} // namespace vorelux
