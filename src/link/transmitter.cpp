#include "link/transmitter.h"

#include "link/frames.h"

#include <algorithm>
#include <cstdio>

namespace vorelux {

Transmitter::Transmitter(HidBus& bus, ConnectionSettingsStore& settings)
    : bus_(bus), settings_(settings) {}

void Transmitter::reportProblem(const std::string& text) {
    if (problemReported) problemReported(text);
}

void Transmitter::addObserver(TransmitterObserver* observer) {
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void Transmitter::removeObserver(TransmitterObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Transmitter::notifyStatus(const char* text) {
    for (auto* observer : std::vector(observers_)) observer->linkStatusChanged(text);
}

void Transmitter::scanDevices() {
    // A message box shown from a scan runs the event loop, and with it the
    // rescan timer: one scan at a time.
    if (scanning_) return;
    scanning_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{scanning_};
    std::vector<HidDeviceInfo> devices = bus_.enumerate();

    // Forget devices that have gone, so a device plugged in again is examined again.
    std::set<std::string> present;
    for (const auto& info : devices) present.insert(info.path);
    for (auto it = examined_.begin(); it != examined_.end();)
        it = present.count(*it) ? std::next(it) : examined_.erase(it);
    if (device_ && !present.count(device_->path())) deviceUnplugged(device_->path());

    std::vector<const HidDeviceInfo*> matches;
    for (const auto& info : devices) {
        if (!examined_.insert(info.path).second) continue;
        if (info.product == KqProductString) matches.push_back(&info);
    }
    // The last transmitter examined wins; when it cannot be opened, the one before.
    std::vector<std::string> failures;
    for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
        std::string error;
        if (auto device = bus_.open(**it, error)) {
            take(**it, std::move(device));
            return;
        }
        failures.push_back(error);
    }
    for (const auto& error : failures)
        reportProblem("Não foi possível usar o Transmissor KQ encontrado: " + error +
                      ". Os envios seguem pela porta serial.");
}

void Transmitter::take(const HidDeviceInfo&, std::shared_ptr<HidDevice> device) {
    if (device_) release(false);
    device_ = std::move(device);
    settings_.setTransport(Transport::Transmitter);
    for (auto* observer : std::vector(observers_)) observer->transmitterAttached(device_);
    notifyStatus(StatusUsb);
    awaitingReply = true;
    auto request = kqIdentityRequest();
    writeReport({request.begin(), request.end()});
}

void Transmitter::release(bool unplugged) {
    auto device = std::move(device_);
    device_.reset();
    awaitingReply = false;
    if (unplugged) {
        settings_.setTransport(Transport::Serial);
        transmitterNotConfigured = false;
    }
    for (auto* observer : std::vector(observers_)) observer->transmitterRemoved(device);
    if (unplugged) notifyStatus(StatusSerial);
}

void Transmitter::deviceReport(const std::string& path, const std::vector<uint8_t>& report) {
    if (!device_ || path != device_->path()) return;
    if (!awaitingReply || !isIdentityReply(report)) return;
    awaitingReply = false;
    // Only the identity changes; byte 7 marks it as stored.
    settings_.setTransmitterIdentity(identityFromReply(report));
    if (settings_.get().transmitterIdentity[6] != KqNotConfigured) return;
    transmitterNotConfigured = true;
    // Before the settings dialog exists the flag alone is kept; the dialog
    // asks when it is created.
    if (!configurator_) return;
    if (configurator_->confirmConfiguration()) {
        configurator_->openTransmitterConfiguration();
        transmitterNotConfigured = false;
    }
}

void Transmitter::deviceUnplugged(const std::string& path) {
    if (!device_ || path != device_->path()) return;
    examined_.erase(path);
    release(true);
}

bool Transmitter::writeReport(const std::vector<uint8_t>& buf) {
    if (!device_) return false;
    std::vector<uint8_t> report(std::max(device_->outputReportLength(), buf.size()), 0);
    std::copy(buf.begin(), buf.end(), report.begin());
    std::string text;
    unsigned code = 0;
    if (device_->write(report, text, code)) return true;
    reportProblem(writeErrorText(text, code));
    return false;
}

std::string writeErrorText(const std::string& systemText, unsigned code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%x", code);
    return "ERRO DE ESCRITA: " + systemText + " (" + hex + ")";
}

} // namespace vorelux
