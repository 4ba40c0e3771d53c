#include "link/simulated.h"

#include "link/frames.h"

#include <chrono>

namespace vorelux {

bool FakeSerialPort::open(const std::string& device, std::string& error) {
    ++opens;
    if (failOpen) {
        error = "Acesso negado";
        return false;
    }
    isOpen = true;
    log_.push_back({WireEvent::Open, 0, device});
    return true;
}

bool FakeSerialPort::writeByte(uint8_t byte, std::string& error) {
    if (!isOpen) {
        error = "Porta fechada";
        return false;
    }
    if (failAfterBytes >= 0 && bytesWritten >= failAfterBytes) {
        error = "Erro de escrita";
        return false;
    }
    ++bytesWritten;
    log_.push_back({WireEvent::Byte, byte, {}});
    return true;
}

void FakeSerialPort::close() {
    ++closes;
    if (isOpen) log_.push_back({WireEvent::Close, 0, {}});
    isOpen = false;
}

SimulatedTransmitter::SimulatedTransmitter(std::string path, uint8_t configByte)
    : path_(std::move(path)), configByte_(configByte) {}

size_t SimulatedTransmitter::outputReportLength() {
    std::lock_guard lock(mutex_);
    return outputLength_;
}

bool SimulatedTransmitter::write(const std::vector<uint8_t>& report, std::string& errorText,
                                 unsigned& errorCode) {
    std::lock_guard lock(mutex_);
    if (failWrites_ || unplugged_) {
        errorText = "Dispositivo desconectado";
        errorCode = 0x48f;
        return false;
    }
    if (report.size() != outputLength_) {
        errorText = "Tamanho de relatório inválido";
        errorCode = 0x57;
        return false;
    }
    writes_.push_back(report);
    if (report.size() >= 2 && report[1] == KqCmdIdentity && answersIdentity_) {
        std::vector<uint8_t> reply(outputLength_, 0);
        reply[1] = 0xFF;
        for (size_t i = 0; i < identity.size(); ++i) reply[2 + i] = identity[i];
        reply[7] = configByte_;
        input_.push_back(std::move(reply));
        inputReady_.notify_all();
    } else if (report.size() >= 10 && report[1] == KqCmdConfigure) {
        configByte_ = report[8];
    }
    return true;
}

int SimulatedTransmitter::read(std::vector<uint8_t>& report, int timeoutMs) {
    std::unique_lock lock(mutex_);
    inputReady_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                         [&] { return unplugged_ || !input_.empty(); });
    if (unplugged_) return -1;
    if (input_.empty()) return 0;
    report = std::move(input_.front());
    input_.pop_front();
    return 1;
}

void SimulatedTransmitter::setAnswersIdentity(bool answers) {
    std::lock_guard lock(mutex_);
    answersIdentity_ = answers;
}

void SimulatedTransmitter::setFailWrites(bool fail) {
    std::lock_guard lock(mutex_);
    failWrites_ = fail;
}

void SimulatedTransmitter::setOutputReportLength(size_t length) {
    std::lock_guard lock(mutex_);
    outputLength_ = length;
}

void SimulatedTransmitter::pushInput(std::vector<uint8_t> report) {
    std::lock_guard lock(mutex_);
    input_.push_back(std::move(report));
    inputReady_.notify_all();
}

void SimulatedTransmitter::unplug() {
    std::lock_guard lock(mutex_);
    unplugged_ = true;
    inputReady_.notify_all();
}

uint8_t SimulatedTransmitter::configByte() const {
    std::lock_guard lock(mutex_);
    return configByte_;
}

std::vector<std::vector<uint8_t>> SimulatedTransmitter::writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

size_t SimulatedTransmitter::writeCount() const {
    std::lock_guard lock(mutex_);
    return writes_.size();
}

std::shared_ptr<SimulatedTransmitter>
SimulatedHidBus::plug(const std::string& path, const std::string& product, uint8_t configByte) {
    auto device = std::make_shared<SimulatedTransmitter>(path, configByte);
    std::lock_guard lock(mutex_);
    entries_.push_back({{path, product, 0x04D8, 0x003F}, device, false});
    return device;
}

void SimulatedHidBus::unplug(const std::string& path) {
    std::lock_guard lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->info.path == path) {
            it->device->unplug();
            entries_.erase(it);
            return;
        }
    }
}

void SimulatedHidBus::setFailOpen(const std::string& path, bool fail) {
    std::lock_guard lock(mutex_);
    for (auto& entry : entries_)
        if (entry.info.path == path) entry.failOpen = fail;
}

std::vector<HidDeviceInfo> SimulatedHidBus::enumerate() {
    std::lock_guard lock(mutex_);
    std::vector<HidDeviceInfo> out;
    for (const auto& entry : entries_) out.push_back(entry.info);
    return out;
}

std::shared_ptr<HidDevice> SimulatedHidBus::open(const HidDeviceInfo& info, std::string& error) {
    std::lock_guard lock(mutex_);
    for (const auto& entry : entries_) {
        if (entry.info.path != info.path) continue;
        if (entry.failOpen) {
            error = "Permissão negada";
            return nullptr;
        }
        ++opens;
        return entry.device;
    }
    error = "Dispositivo não encontrado";
    return nullptr;
}

} // namespace vorelux
