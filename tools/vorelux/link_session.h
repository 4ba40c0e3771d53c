#pragma once
// What the sending commands of the tool (send, clear, show-pages, power, set,
// set-clock) share: the connection settings, the choice of port or
// transmitter, the target panels, the dry run that prints the frames instead
// of sending them, the terminal progress bar, and the reasons and exit codes
// of failures. Everything is sent through the editor's own PanelLink.
#include "command.h"
#include "link/hid.h"
#include "link/panel_link.h"
#include "link/sleeper.h"
#include "link/upload.h"

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vorelux::cli {

// Exit codes of the sending commands.
enum ExitCode : int {
    ExitOk = 0,
    ExitFailed = 1,            // a file could not be read, no target panels, nothing sent
    ExitUsage = 2,             // wrong arguments
    ExitPortMissing = 3,       // the port is not installed or does not exist
    ExitPortFailed = 4,        // the port could not be opened or written
    ExitNoTransmitter = 5,     // --usb and no transmitter is plugged in (or it cannot be used)
    ExitNotIdentified = 6,     // the transmitter did not answer its identity request
    ExitTransmitterFailed = 7, // writing to the transmitter failed
};

// The link options every sending command takes.
struct LinkOptions {
    std::string port;    // --port: "COM3", a device path, "socket://HOST:PORT" or
                         // "rfc2217://HOST:PORT"; empty: the port of "conn.cfg"
    bool usb = false;    // --usb: through the transmitter
    bool dryRun = false; // --dry-run: print the frames and pauses, send nothing
    std::string config;  // --config: the "conn.cfg" to read; empty: defaultConnCfgPath()
    std::string to;      // --to: "0" or "N,M,..."; empty: the target list of "conn.cfg"
};
// The usage text of the link options, for the commands' usage lines.
inline constexpr const char* LinkOptionsUsage =
    "[--to 0|N,M,...] [--port PORTA | --usb] [--config conn.cfg] [--dry-run]";

// "0" or "N,M,..." (1..255): the targets in ascending order without repeats.
std::optional<std::vector<uint8_t>> parsePanelList(const std::string& text);
// "1,3,8": pages 1..8 as indexes 0..7, ascending, without repeats.
std::optional<std::vector<int>> parsePageList(const std::string& text);

// The editor's "conn.cfg", found as the editor finds it: beside the running
// executable for a portable copy, else in the user's configuration folder.
std::string defaultConnCfgPath();
// Where defaultConnCfgPath looked, for messages: "ao lado do programa", or
// the user's folder and the executable's "conn.cfg" that was not there.
std::string defaultConnCfgSearch();

// The bar shown while a command sends: "[#####     ]  50%  label".
std::string progressBarText(const std::string& label, int position, int maximum, int width = 30);

// Replacements for the real devices, for tests: a HID bus (the simulated
// transmitter) and a sleeper. Null members use the real ones.
struct LinkDevices {
    HidBus* hidBus = nullptr;
    Sleeper* sleeper = nullptr;
    int identityWaitMs = 2000; // how long the transmitter may take to answer
};

class LinkSession {
  public:
    // `command` names the command in messages ("vorelux set-clock").
    LinkSession(std::string command, LinkOptions options, std::ostream& out, std::ostream& err,
                LinkDevices devices = {});
    ~LinkSession();
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    // Reads "conn.cfg" when the port or the targets come from it, checks the
    // targets, chooses the port or finds and identifies the transmitter.
    // ExitOk, or the exit code of the failure with its reason printed.
    int open();

    PanelLink& link();
    const ConnectionSettings& cfg() const { return settings_.get(); }
    const std::vector<uint8_t>& targets() const { return targets_; }
    bool dryRun() const { return options_.dryRun; }

    // Sends `command` to the targets the way the power buttons do (panel 0
    // alone when the list starts with 0, else each panel in turn, stopping at
    // the first failure) with the progress bar; the exit code, with the reason
    // of a failure printed.
    int sendToTargets(const PanelCommand& command);
    // Uploads (or clears) pages to the targets; the exit code, with the reason
    // of a failure printed.
    int sendPages(const std::vector<PageJob>& jobs);

    // The exit code for a send result, printing its reason.
    int finish(uint8_t result);
    // Prints "vorelux CMD: text" on the error stream.
    void fail(const std::string& text);
    // A line of the dry run or a notice on the output stream.
    std::ostream& out() { return out_; }

  private:
    std::unique_ptr<Transmitter> makeTransmitter(HidBus& bus);
    class DryRunPort;
    class DryRunSleeper;
    class DryRunHidBus;
    class TerminalProgress;
    struct QtRuntime;

    int choosePort();
    bool showUploadProgress(const UploadProgress& p);
    int failedUpload(const UploadResult& result);
    int resolveGivenPort(int& number, std::string& device);
    int useDryRunPort(int number, std::string device);
#if defined(VORELUX_HAVE_LINK_QT) || defined(_WIN32)
    int useSerialPort(int number, std::string device);
    static int freeNumberFor(PortCatalog& catalog, const std::string& device);
#endif
    int openTransmitter();
    std::string portDescription() const;
    std::string connCfgPath() const;
    void flushDryRunFrame();

    std::string command_;
    LinkOptions options_;
    std::ostream& out_;
    std::ostream& err_;
    LinkDevices devices_;
    ConnectionSettingsStore settings_;
    std::vector<uint8_t> targets_;
    std::string device_; // the device of the chosen port

    std::unique_ptr<QtRuntime> qt_;              // first made, last gone: the Qt devices need it
    std::unique_ptr<PortCatalog> systemCatalog_; // what catalog_ adds to, when it does
    std::unique_ptr<PortCatalog> catalog_;
    std::unique_ptr<SerialPort> serialPort_;  // the device and network ports port_
    std::unique_ptr<SerialPort> networkPort_; // chooses between, when it does
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<Sleeper> sleeper_;
    std::unique_ptr<HidBus> hidBus_;
    std::unique_ptr<HidBus> dryRunBus_;
    std::unique_ptr<Transmitter> transmitter_;
    std::unique_ptr<PanelLink> link_;
    std::unique_ptr<TerminalProgress> progress_;
};

} // namespace vorelux::cli

namespace vorelux::cli {
// Takes the link options (--to, --port, --usb, --config, --dry-run) out of args.
LinkOptions takeLinkOptions(Args& args);
// The link options for the commands' help, alone or after a command's own.
OptionSpecs linkOptionSpecs();
OptionSpecs withLinkOptions(OptionSpecs own);
} // namespace vorelux::cli
