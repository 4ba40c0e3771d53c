#include "link_session.h"

#include "files/conn_cfg.h"
#include "files/file_io.h"
#include "files/settings_folder.h"
#include "link/port_address.h"
#include "link/port_directory.h"
#include "link/ports.h"
#include "link/random_range.h"
#include "link/simulated.h"
#include "link/transmitter.h"
#include "model/native_path.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>
#include <sstream>
#include <unistd.h>

#ifdef VORELUX_HAVE_LINK_QT
#include "transport/qt_network.h"
#include "transport/qt_serial.h"
#include <QCoreApplication>
#elif defined(_WIN32)
#include "transport/win32_network.h"
#include "transport/win32_serial.h"
#endif
#include "transport/system_hid_bus.h"

namespace vorelux::cli {

namespace {

// Prompt PortNotSelected, the editor's text for a port that is not there.
constexpr const char* PortMissingText = "Porta COM não selecionada.";

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string out;
    char buf[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
        if (i) out += ' ';
        out += buf;
    }
    return out;
}

// A comma-separated list of whole numbers in [low, high], ascending without repeats.
std::optional<std::vector<int>> parseNumberList(const std::string& text, int low, int high) {
    if (text.empty()) return std::nullopt;
    std::set<int> numbers;
    std::stringstream in(text);
    std::string item;
    size_t commas = std::count(text.begin(), text.end(), ',');
    size_t items = 0;
    while (std::getline(in, item, ',')) {
        ++items;
        if (item.empty() || item.size() > 3 ||
            !std::all_of(item.begin(), item.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        int n = std::stoi(item);
        if (n < low || n > high) return std::nullopt;
        numbers.insert(n);
    }
    if (items != commas + 1) return std::nullopt; // a trailing comma
    return std::vector<int>(numbers.begin(), numbers.end());
}

} // namespace

std::optional<std::vector<uint8_t>> parsePanelList(const std::string& text) {
    auto numbers = parseNumberList(text, 0, 255);
    if (!numbers) return std::nullopt;
    return std::vector<uint8_t>(numbers->begin(), numbers->end());
}

std::optional<std::vector<int>> parsePageList(const std::string& text) {
    auto numbers = parseNumberList(text, 1, PageCount);
    if (!numbers) return std::nullopt;
    for (int& n : *numbers) --n;
    return numbers;
}

std::string defaultConnCfgPath() {
    return utf8Path(
        (nativePath(findSettingsPlace(executableFolder()).folder) / "conn.cfg").make_preferred());
}

std::string defaultConnCfgSearch() {
    const SettingsPlace place = findSettingsPlace(executableFolder());
    if (place.portable) return "ao lado do programa";
    return "na pasta de configurações do usuário; não há conn.cfg ao lado do programa, em " +
           utf8Path((nativePath(place.executableFolder) / "conn.cfg").make_preferred());
}

std::string progressBarText(const std::string& label, int position, int maximum, int width) {
    if (maximum < 1) maximum = 1;
    position = std::clamp(position, 0, maximum);
    int filled = position * width / maximum;
    int percent = position * 100 / maximum;
    char pct[16];
    std::snprintf(pct, sizeof pct, "%3d%%", percent);
    return "[" + std::string(size_t(filled), '#') + std::string(size_t(width - filled), ' ') +
           "] " + pct + "  " + label;
}

// ---------------------------------------------------------------------------

// The serial port of a dry run: each frame is printed with the pause after
// each of its bytes instead of being written.
class LinkSession::DryRunPort : public SerialPort {
  public:
    explicit DryRunPort(LinkSession& session) : session_(session) {}
    bool open(const std::string&, std::string&) override {
        isOpen = true;
        return true;
    }
    bool writeByte(uint8_t byte, std::string&) override {
        bytes.push_back(byte);
        return true;
    }
    void close() override {
        flush();
        isOpen = false;
    }
    void flush() {
        if (bytes.empty()) return;
        std::string line = "serial " + session_.portDescription() + ": " + hex(bytes) + " | ";
        bool even =
            pauses.size() == bytes.size() &&
            std::all_of(pauses.begin(), pauses.end(), [&](int p) { return p == pauses.front(); });
        if (even && bytes.size() > 8) {
            line += std::to_string(pauses.front()) + " ms após cada byte";
        } else {
            line += "pausas (ms):";
            for (int p : pauses) line += " " + std::to_string(p);
        }
        session_.out_ << line << "\n";
        bytes.clear();
        pauses.clear();
    }
    bool isOpen = false;
    std::vector<uint8_t> bytes;
    std::vector<int> pauses;

  private:
    LinkSession& session_;
};

// The pauses of a dry run: after a byte of a serial frame they go with the
// frame; any other pause is a line of its own.
class LinkSession::DryRunSleeper : public Sleeper {
  public:
    explicit DryRunSleeper(LinkSession& session) : session_(session) {}
    void sleep(int milliseconds) override {
        auto* port = dynamic_cast<DryRunPort*>(session_.port_.get());
        if (port && port->isOpen && !port->bytes.empty() &&
            port->pauses.size() < port->bytes.size()) {
            port->pauses.push_back(milliseconds);
            return;
        }
        session_.out_ << "pausa: " << milliseconds << " ms\n";
    }

  private:
    LinkSession& session_;
};

// The HID bus of a dry run: the transmitter is found and asked its identity
// as in a real run (that request stays in the transmitter), but every report
// for the panels is printed instead of written.
class LinkSession::DryRunHidBus : public HidBus {
  public:
    DryRunHidBus(LinkSession& session, HidBus& real) : session_(session), real_(real) {}
    std::vector<HidDeviceInfo> enumerate() override { return real_.enumerate(); }
    std::shared_ptr<HidDevice> open(const HidDeviceInfo& info, std::string& error) override {
        auto device = real_.open(info, error);
        if (!device) return nullptr;
        return std::make_shared<Device>(session_, std::move(device));
    }

  private:
    class Device : public HidDevice {
      public:
        Device(LinkSession& session, std::shared_ptr<HidDevice> real)
            : session_(session), real_(std::move(real)) {}
        std::string path() const override { return real_->path(); }
        // Reports are printed as the caller built them, without the padding.
        size_t outputReportLength() override { return 0; }
        bool write(const std::vector<uint8_t>& report, std::string& errorText,
                   unsigned& errorCode) override {
            if (report.size() >= 2 && report[1] == KqCmdIdentity) {
                std::vector<uint8_t> full(std::max(real_->outputReportLength(), report.size()), 0);
                std::copy(report.begin(), report.end(), full.begin());
                return real_->write(full, errorText, errorCode);
            }
            session_.out_ << "usb: " << hex(report) << "\n";
            return true;
        }
        int read(std::vector<uint8_t>& report, int timeoutMs) override {
            return real_->read(report, timeoutMs);
        }

      private:
        LinkSession& session_;
        std::shared_ptr<HidDevice> real_;
    };
    LinkSession& session_;
    HidBus& real_;
};

// The progress bar on the terminal (standard error), only when it is one.
class LinkSession::TerminalProgress : public ProgressWindow {
  public:
    explicit TerminalProgress(bool enabled) : enabled_(enabled) {}
    void start(int maximum) override {
        maximum_ = maximum;
        draw(0);
    }
    bool step(int position) override {
        draw(position);
        return true;
    }
    void finish() override {
        if (enabled_ && drawn_) std::cerr << "\n" << std::flush;
        drawn_ = false;
    }
    bool enabled() const { return enabled_; }
    void setLabel(std::string label) { label_ = std::move(label); }
    void setMaximum(int maximum) { maximum_ = maximum; }
    void draw(int position) {
        if (!enabled_) return;
        std::cerr << "\r" << progressBarText(label_, position, maximum_) << "\x1b[K" << std::flush;
        drawn_ = true;
    }

  private:
    bool enabled_;
    bool drawn_ = false;
    int maximum_ = 1;
    std::string label_ = "Enviando";
};

namespace {
// The serial port while the transmitter is in use: never opened.
class NoSerialPort : public SerialPort {
  public:
    bool open(const std::string&, std::string& error) override {
        error = "nenhuma porta serial em uso";
        return false;
    }
    bool writeByte(uint8_t, std::string& error) override {
        error = "nenhuma porta serial em uso";
        return false;
    }
    void close() override {}
};

} // namespace

struct LinkSession::QtRuntime {
#ifdef VORELUX_HAVE_LINK_QT
    int argc = 1;
    char name[8] = "vorelux";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    QtRuntime() {
        if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(argc, argv);
    }
#endif
};

// ---------------------------------------------------------------------------

LinkSession::LinkSession(std::string command, LinkOptions options, std::ostream& out,
                         std::ostream& err, LinkDevices devices)
    : command_(std::move(command)), options_(std::move(options)), out_(out), err_(err),
      devices_(devices) {
    progress_ =
        std::make_unique<TerminalProgress>(&err_ == &std::cerr && ::isatty(2) && !options_.dryRun);
}

LinkSession::~LinkSession() {
    // The link and the transmitter go before the devices they use.
    link_.reset();
    transmitter_.reset();
}

// The transmitter's problems (a failed report write, an unusable
// transmitter) are printed as they come; nothing here asks the operator, and
// the reason of a failure is told once, by the command.
std::unique_ptr<Transmitter> LinkSession::makeTransmitter(HidBus& bus) {
    auto transmitter = std::make_unique<Transmitter>(bus, settings_);
    transmitter->problemReported = [this](const std::string& text) { fail(text); };
    return transmitter;
}

void LinkSession::fail(const std::string& text) {
    progress_->finish();
    err_ << command_ << ": " << text << "\n";
}

std::string LinkSession::portDescription() const {
    // A network port is named by its address as typed: the COM number it
    // borrows for the editor's lists means nothing to the operator.
    if (isNetworkAddress(device_)) return device_;
    std::string name = comPortName(cfg().portNumber);
    if (device_.empty() || device_ == name) return name;
    return name + " (" + device_ + ")";
}

std::string LinkSession::connCfgPath() const {
    return options_.config.empty() ? defaultConnCfgPath() : options_.config;
}

PanelLink& LinkSession::link() {
    return *link_;
}

int LinkSession::open() {
    if (options_.usb && !options_.port.empty()) {
        fail("--port e --usb não podem ser usados juntos");
        return ExitUsage;
    }
    std::optional<std::vector<uint8_t>> to;
    if (!options_.to.empty()) {
        to = parsePanelList(options_.to);
        if (!to) {
            fail("--to espera 0 (todos os painéis) ou números de painel 1..255 separados por "
                 "vírgula: \"" +
                 options_.to + "\"");
            return ExitUsage;
        }
    }
    // "conn.cfg" is read only for what the command line leaves open.
    bool needConfig = !to || (!options_.usb && options_.port.empty());
    if (needConfig) {
        const std::string path = connCfgPath();
        if (const std::string problem = fileTrustProblem(path); !problem.empty()) {
            fail("as configurações de conexão " + path + " foram ignoradas: " + problem +
                 "; nada foi enviado (corrija com \"chmod go-w\", ou use --port e --to)");
            return ExitFailed;
        }
        std::vector<uint8_t> data;
        std::string error;
        if (!readWholeFile(path, data, error, SmallFileSizeLimit)) {
            // Without --config, where the editor's settings were looked for.
            const std::string where =
                options_.config.empty() ? " (" + defaultConnCfgSearch() + ")" : std::string();
            fail("não foi possível ler as configurações de conexão " + path + where + ": " + error +
                 " (use --config, ou --port e --to)");
            return ExitFailed;
        }
        ConnectionSettings read = settings_.get();
        if (!decodeConnCfg(data, read)) {
            fail("o arquivo de configurações " + path +
                 " está danificado (menor que 16 bytes); nada foi enviado");
            return ExitFailed;
        }
        settings_.replace(std::move(read));
    }
    settings_.setTransport(Transport::Serial);
    targets_ = to ? *to : cfg().targetPanels;
    if (targets_.empty()) {
        fail("nenhum painel de destino: escolha painéis no editor ou use --to");
        return ExitFailed;
    }

    Sleeper* sleeper = devices_.sleeper;
    if (options_.dryRun) {
        sleeper_ = std::make_unique<DryRunSleeper>(*this);
        sleeper = sleeper_.get();
    } else if (!sleeper) {
        sleeper_ = std::make_unique<ThreadSleeper>();
        sleeper = sleeper_.get();
    }

    int code = options_.usb ? openTransmitter() : choosePort();
    if (code != ExitOk) return code;

    // The transport not chosen stays idle: no serial port with --usb, no
    // transmitter without it.
    if (!port_) port_ = std::make_unique<NoSerialPort>();
    if (!catalog_) catalog_ = std::make_unique<StaticPortCatalog>();
    if (!transmitter_) {
        hidBus_ = std::make_unique<SimulatedHidBus>();
        transmitter_ = makeTransmitter(*hidBus_);
    }
    link_ = std::make_unique<PanelLink>(settings_, *catalog_, *port_, *transmitter_, *sleeper);
    return ExitOk;
}

int LinkSession::choosePort() {
    settings_.setTransport(Transport::Serial);
    int number = cfg().portNumber;
    std::string device;
    if (const int exit = resolveGivenPort(number, device); exit != ExitOk) return exit;
    if (options_.dryRun) return useDryRunPort(number, device);
#if defined(VORELUX_HAVE_LINK_QT) || defined(_WIN32)
    return useSerialPort(number, device);
#else
    fail("esta versão do vorelux não tem suporte a portas seriais (Qt SerialPort)");
    return ExitPortFailed;
#endif
}

// --port as a name ("COM3") or a device path; without it, the number from
// "conn.cfg".
int LinkSession::resolveGivenPort(int& number, std::string& device) {
    const std::string& given = options_.port;
    if (given.empty()) {
        if (number >= 1 && number <= LastComNumber) return ExitOk;
        fail("nenhuma porta serial escolhida nas configurações de conexão (use --port)");
        return ExitPortMissing;
    }
    if (auto n = comNumberFromName(given)) {
        number = *n;
        return ExitOk;
    }
    if (isNetworkAddress(given)) {
        std::string error;
        if (!parsePortAddress(given, error)) {
            fail("--port: " + error);
            return ExitUsage;
        }
        device = given;
        number = 0;
        return ExitOk;
    }
    if (given.find('/') == std::string::npos && given.find('\\') == std::string::npos) {
        fail("--port espera o nome de uma porta (COM3), o caminho de um dispositivo "
             "(/dev/ttyUSB0) ou um servidor serial (socket://HOST:PORTA, rfc2217://HOST:PORTA): "
             "\"" +
             given + "\"");
        return ExitUsage;
    }
    device = given;
    std::error_code ec;
    if (!options_.dryRun && !std::filesystem::exists(nativePath(device), ec)) {
        settings_.setPortNumber(comNumberForDevice(device).value_or(FirstOtherComNumber));
        fail(std::string(PortMissingText) + " (" + device + " não existe)");
        return ExitPortMissing;
    }
    number = comNumberForDevice(device).value_or(0);
    return ExitOk;
}

int LinkSession::useDryRunPort(int number, std::string device) {
#ifdef _WIN32
    if (device.empty()) device = comPortName(number); // Windows opens the port by its name
#else
    if (device.empty()) device = deviceForComNumber(number).value_or(comPortName(number));
#endif
    if (number == 0) number = FirstOtherComNumber;
    auto catalog = std::make_unique<StaticPortCatalog>();
    catalog->add(number, device);
    catalog_ = std::move(catalog);
    port_ = std::make_unique<DryRunPort>(*this);
    settings_.setPortNumber(number);
    device_ = device;
    return ExitOk;
}

#if defined(VORELUX_HAVE_LINK_QT) || defined(_WIN32)
int LinkSession::useSerialPort(int number, std::string device) {
#ifdef VORELUX_HAVE_LINK_QT
    qt_ = std::make_unique<QtRuntime>();
    auto system = std::make_unique<QtPortCatalog>();
#else
    auto system = std::make_unique<Win32PortCatalog>();
#endif
    // The editor's list: the system's ports, running virtual panels, and the
    // ports added beside the "conn.cfg" in use.
    auto directory = std::make_unique<PortDirectory>(*system, virtualPanelFolder(),
                                                     addedPortsPathBeside(connCfgPath()));
    if (!device.empty()) {
        // A device outside the fixed ranges gets the first free number of
        // the other devices, like the port selector gives it.
        if (number == 0) number = freeNumberFor(*directory, device);
        system->registerPort(number, device);
    } else if (auto port = findPort(listComPorts(*directory), number)) {
        device = port->device;
    }
    // What the list left out and why (an added ports file not trusted, a
    // line clashing with a system port): a send that then misses its port
    // says where to look.
    for (const std::string& note : directory->notes())
        err_ << command_ << ": aviso: " << note << "\n";
    settings_.setPortNumber(number);
    device_ = device;
    systemCatalog_ = std::move(system);
    catalog_ = std::move(directory);
#ifdef VORELUX_HAVE_LINK_QT
    serialPort_ = std::make_unique<QtSerialPort>();
    networkPort_ = std::make_unique<QtNetworkPort>();
#else
    serialPort_ = std::make_unique<Win32SerialPort>();
    networkPort_ = std::make_unique<Win32NetworkPort>();
#endif
    port_ = std::make_unique<PortByAddress>(*serialPort_, *networkPort_);
    return ExitOk;
}

int LinkSession::freeNumberFor(PortCatalog& catalog, const std::string& device) {
    std::vector<SerialPortInfo> listed;
    catalog.listPorts(listed);
    int number = FirstOtherComNumber;
    for (const auto& port : listed)
        if (port.device == device) number = port.number;
    while (number < LastComNumber &&
           std::any_of(listed.begin(), listed.end(), [&](const SerialPortInfo& p) {
               return p.number == number && p.device != device;
           }))
        ++number;
    return number;
}
#endif

int LinkSession::openTransmitter() {
    HidBus* bus = devices_.hidBus;
#ifdef VORELUX_HAVE_USB
    if (!bus) {
#ifdef VORELUX_HAVE_HIDAPI
        qt_ = std::make_unique<QtRuntime>();
#endif
        hidBus_ = std::make_unique<SystemHidBus>();
        bus = hidBus_.get();
    }
#endif
    if (!bus) {
        fail("esta versão do vorelux não tem suporte ao Transmissor KQ (USB HID)");
        return ExitNoTransmitter;
    }
    if (options_.dryRun) {
        dryRunBus_ = std::make_unique<DryRunHidBus>(*this, *bus);
        bus = dryRunBus_.get();
    }
    transmitter_ = makeTransmitter(*bus);
    transmitter_->scanDevices();
    auto device = transmitter_->device();
    if (!device) {
        fail("Transmissor KQ não encontrado: nenhum dispositivo USB \"" +
             std::string(KqProductString) + "\" conectado");
        return ExitNoTransmitter;
    }
    // The identity reply: read here, as the reader thread would hand it over.
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(devices_.identityWaitMs);
    while (transmitter_->awaitingReply) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) break;
        std::vector<uint8_t> report;
        int got = device->read(report, int(left));
        if (got < 0) {
            transmitter_->deviceUnplugged(device->path());
            fail("o Transmissor KQ foi desconectado");
            return ExitNoTransmitter;
        }
        if (got > 0) transmitter_->deviceReport(device->path(), report);
    }
    if (cfg().transmitterIdentity[6] == 0) {
        fail("Transmissor KQ não identificado: não respondeu ao pedido de identidade");
        return ExitNotIdentified;
    }
    if (cfg().transmitterIdentity[6] == KqNotConfigured)
        err_ << command_
             << ": aviso: o Transmissor KQ ainda não foi configurado com o editor; os comandos "
                "seguem assim mesmo\n";
    return ExitOk;
}

int LinkSession::finish(uint8_t result) {
    progress_->finish();
    switch (result) {
    case SendOk:
        return ExitOk;
    case SendPortNotListed:
        fail(std::string(PortMissingText) + " (" + comPortName(cfg().portNumber) +
             " não está instalada neste computador)");
        return ExitPortMissing;
    case SendPortFailed:
        fail("não foi possível abrir ou escrever a porta " + portDescription() + ": " +
             (link_->lastSerialError.empty() ? std::string("erro desconhecido")
                                             : link_->lastSerialError));
        return ExitPortFailed;
    case SendKqWriteFailed:
        fail("não foi possível escrever no Transmissor KQ; o envio parou");
        return ExitTransmitterFailed;
    case SendKqNoIdentity:
        fail("Transmissor KQ não identificado: não respondeu ao pedido de identidade");
        return ExitNotIdentified;
    default:
        fail("falha no envio (" + std::to_string(result) + ")");
        return ExitFailed;
    }
}

int LinkSession::sendToTargets(const PanelCommand& command) {
    progress_->setLabel("Enviando para " + std::to_string(targets_.size()) +
                        (targets_.size() == 1 ? " painel" : " painéis"));
    // Without a terminal there is no bar, and no pause for closing it.
    uint8_t result =
        link_->sendToPanelList(targets_, command, progress_->enabled() ? progress_.get() : nullptr);
    return finish(result);
}

void LinkSession::flushDryRunFrame() {
    if (auto* port = dynamic_cast<DryRunPort*>(port_.get())) port->flush();
}

bool LinkSession::showUploadProgress(const UploadProgress& p) {
    switch (p.event) {
    case UploadProgress::PageStarted:
        progress_->setLabel("Página " + std::to_string(p.page + 1) + " (" +
                            std::to_string(p.ordinal) + " de " + std::to_string(p.pageCount) + ")");
        progress_->setMaximum(std::max(p.maximum, 1));
        progress_->draw(0);
        break;
    case UploadProgress::TargetStarted:
        flushDryRunFrame();
        break;
    case UploadProgress::Step:
        progress_->setMaximum(std::max(p.maximum, 1));
        progress_->draw(p.position);
        break;
    default:
        break;
    }
    return true;
}

int LinkSession::sendPages(const std::vector<PageJob>& jobs) {
    StdRandomRange random;
    UploadResult result =
        vorelux::sendPages(*link_, random, jobs, runTargets(targets_),
                           [this](const UploadProgress& p) { return showUploadProgress(p); });
    flushDryRunFrame();
    progress_->finish();
    if (result.status != UploadStatus::Done) return failedUpload(result);
    auto pageList = [](const std::vector<int>& pages) {
        std::string text;
        for (int p : pages) text += (text.empty() ? "" : ", ") + std::to_string(p + 1);
        return text;
    };
    if (!result.refused.empty()) {
        fail(std::string(PortMissingText) + " (" + comPortName(cfg().portNumber) +
             " não está instalada neste computador); páginas não enviadas: " +
             pageList(result.refused));
        return ExitPortMissing;
    }
    if (!result.skipped.empty())
        err_ << command_ << ": páginas vazias, não enviadas: " << pageList(result.skipped) << "\n";
    if (result.sent.empty()) {
        fail("nenhuma página enviada");
        return ExitFailed;
    }
    return ExitOk;
}

// The exit code (and the reason on standard error) of a run that did not end.
int LinkSession::failedUpload(const UploadResult& result) {
    switch (result.status) {
    case UploadStatus::Done:
        return ExitOk;
    case UploadStatus::PageTooLarge:
        fail(result.error);
        return ExitFailed;
    case UploadStatus::NoTargets:
        fail("nenhum painel de destino: escolha painéis no editor ou use --to");
        return ExitFailed;
    case UploadStatus::NoTransmitterIdentity:
        return finish(SendKqNoIdentity);
    case UploadStatus::SerialFailed:
        link_->lastSerialError = result.error;
        return finish(SendPortFailed);
    case UploadStatus::TransmitterFailed:
        fail("não foi possível escrever no Transmissor KQ; o envio parou" +
             (result.error.empty() ? std::string() : ": " + result.error));
        return ExitTransmitterFailed;
    case UploadStatus::Cancelled:
        fail("envio interrompido");
        return ExitFailed;
    }
    return ExitFailed;
}

} // namespace vorelux::cli
