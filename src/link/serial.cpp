#include "link/serial.h"

#include "link/port_address.h"

namespace vorelux {

std::string serialPermissionDeniedText(const std::string& user) {
#ifdef _WIN32
    (void)user;
    return "acesso negado (a porta pode estar em uso por outro programa)";
#else
    const std::string who = user.empty() ? std::string("SEU_USUARIO") : user;
    return "Permissão negada. Para usar as portas seriais, o usuário precisa estar no grupo "
           "\"dialout\": rode \"sudo adduser " +
           who + " dialout\" e entre de novo na sessão";
#endif
}

bool SerialWriter::write(uint8_t byte, int pauseMs) {
    if (!port_.writeByte(byte, error_)) return false;
    sleeper_.sleep(pauseMs);
    return true;
}

bool PortByAddress::open(const std::string& address, std::string& error) {
    close();
    current_ = isNetworkAddress(address) ? &network_ : &device_;
    return current_->open(address, error);
}

bool PortByAddress::writeByte(uint8_t byte, std::string& error) {
    if (!current_) {
        error = "a porta não está aberta";
        return false;
    }
    return current_->writeByte(byte, error);
}

void PortByAddress::close() {
    if (current_) current_->close();
    current_ = nullptr;
}

namespace {
// Closes the port when the transfer leaves, whatever way it leaves.
struct CloseOnExit {
    SerialPort& port;
    ~CloseOnExit() { port.close(); }
};
} // namespace

SerialOutcome serialTransfer(PortCatalog& catalog, SerialPort& port, Sleeper& sleeper,
                             int comNumber, const std::function<bool(SerialWriter&)>& body,
                             std::string& error) {
    auto listed = findPort(listComPorts(catalog), comNumber);
    if (!listed) return SerialOutcome::PortNotListed;
    CloseOnExit closer{port};
    if (!port.open(listed->device, error)) return SerialOutcome::PortFailed;
    SerialWriter writer(port, sleeper);
    bool ok = false;
    try {
        ok = body(writer);
    } catch (const std::exception& e) {
        error = e.what();
        return SerialOutcome::PortFailed;
    }
    if (!ok) {
        error = writer.error();
        return SerialOutcome::PortFailed;
    }
    return SerialOutcome::Sent;
}

} // namespace vorelux
