#include "transport/link_system.h"

#include "transport/system_hid_bus.h"

namespace vorelux {

namespace {
// A bus without devices, for builds without USB HID: the serial port only.
class NoHidBus : public HidBus {
  public:
    std::vector<HidDeviceInfo> enumerate() override { return {}; }
    std::shared_ptr<HidDevice> open(const HidDeviceInfo&, std::string& error) override {
        error = "sem suporte a USB HID";
        return nullptr;
    }
};
} // namespace

LinkSystem::LinkSystem(ConnectionSettingsStore& settings, std::string addedPortsPath)
    : directory_(catalog_, virtualPanelFolder(), std::move(addedPortsPath)) {
#ifdef VORELUX_HAVE_USB
    bus_ = std::make_unique<SystemHidBus>();
#else
    bus_ = std::make_unique<NoHidBus>();
#endif
    transmitter_ = std::make_unique<Transmitter>(*bus_, settings);
    link_ = std::make_unique<PanelLink>(settings, directory_, port_, *transmitter_, sleeper_);
    watcher_ = std::make_unique<TransmitterWatcher>(*transmitter_);
}

LinkSystem::~LinkSystem() {
    // The reader thread stops before the device and the bus go.
    watcher_.reset();
}

} // namespace vorelux
