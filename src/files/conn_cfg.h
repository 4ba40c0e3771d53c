#pragma once
// The connection settings and their file "conn.cfg":
//   byte 0 link mode, 1 port number (low 8 bits), 2 display-page selector,
//   3 daylight-saving flags, 4..15 zero, 16.. the target panel list.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vorelux {

struct PageByHour {
    uint8_t active = 0;
    int hour = 0; // time of day the entry starts
    int minute = 0;
    bool operator==(const PageByHour&) const = default;
};

// The page-by-hour list has this many entries.
constexpr size_t PageByHourCount = 12;
using PageByHourEntries = std::array<PageByHour, PageByHourCount>;

// How the pages reach the panels; the value is byte 0 of "conn.cfg".
enum class Transport : uint8_t { Serial = 0, Transmitter = 1 };

struct ConnectionSettings {
    Transport transport = Transport::Serial;
    int32_t portNumber = 0;            // serial port number: "COM" + number
    std::vector<uint8_t> targetPanels; // ascending; 0 (alone) = every panel
    uint8_t displayPageSelector = 0;   // display-page selector of the send dialog, minus one
    PageByHourEntries pagesByHour{};
    std::array<uint8_t, 8> transmitterIdentity{};
    uint8_t daylightSaving = 0; // DaylightSavingWarn and DaylightSavingInForce flags
    bool operator==(const ConnectionSettings&) const = default;
};

// The one owner of a session's connection settings: everyone reads them
// here, every change goes through here, and the listeners hear of each
// change once it is made (not of a change that left everything as it was).
// A listener may change the settings again or remove itself or another
// listener; one removed is not told any more.
class ConnectionSettingsStore {
  public:
    using Listener = std::function<void(const ConnectionSettings&)>;

    ConnectionSettingsStore() = default;
    explicit ConnectionSettingsStore(ConnectionSettings initial) : settings_(std::move(initial)) {}
    ConnectionSettingsStore(const ConnectionSettingsStore&) = delete;
    ConnectionSettingsStore& operator=(const ConnectionSettingsStore&) = delete;

    const ConnectionSettings& get() const { return settings_; }

    // Changes the settings through `change`, then tells the listeners.
    void update(const std::function<void(ConnectionSettings&)>& change);
    void replace(ConnectionSettings settings);
    void setTransport(Transport transport);
    void setPortNumber(int32_t portNumber);
    void setTargetPanels(std::vector<uint8_t> targetPanels);
    void setDisplayPageSelector(uint8_t selector);
    void setPagesByHour(const PageByHourEntries& pagesByHour);
    void setTransmitterIdentity(const std::array<uint8_t, 8>& identity);
    void setDaylightSaving(uint8_t flags);

    // A number for removeListener().
    int addListener(Listener listener);
    void removeListener(int id);

  private:
    ConnectionSettings settings_;
    std::vector<std::pair<int, Listener>> listeners_;
    int nextListenerId_ = 1;
};

constexpr uint8_t DaylightSavingWarn = 0x10;    // warn at daylight-saving changes
constexpr uint8_t DaylightSavingInForce = 0x01; // daylight saving was on at the last check
constexpr size_t ConnCfgHeaderSize = 16;

// The fields of "conn.cfg" a write changes; the others keep what the file holds.
enum ConnCfgField : unsigned {
    ConnCfgPort = 1u << 0,
    ConnCfgDisplayPage = 1u << 1,
    ConnCfgDaylightSaving = 1u << 2,
    ConnCfgTargets = 1u << 3,
    ConnCfgAllFields = 0xFu,
};

// A target list as it is stored: ascending, each panel once; 0 (every
// panel) stands alone.
std::vector<uint8_t> normalizedTargetPanels(std::vector<uint8_t> targets);

// The target list is written normalised.
std::vector<uint8_t> encodeConnCfg(const ConnectionSettings& cfg);
// Takes the port, selector, flags and target list (normalised) from a
// well-formed file; false for one shorter than its 16-byte header (a damaged file).
bool decodeConnCfg(const std::vector<uint8_t>& data, ConnectionSettings& cfg);

// Why the settings file at `path` must not be believed (untrustedFileReason:
// "o arquivo pode ser alterado por outros usuários (permissões 0664)"), or
// "" when it may. A missing file, or one that is no regular file (the
// reader refuses those), is no reason here. Always "" on Windows.
std::string fileTrustProblem(const std::string& path);

// What reading "conn.cfg" found. Loaded: cfg holds the file. Untrusted: a
// file others could have written, ignored and left as it is; `message` names
// it and the reason. Created: there were no settings yet (no file, or the empty
// file of a portable copy) and the defaults have been written, with nothing to
// ask. Unreadable: the file was there but damaged or unreadable and has been
// written anew from cfg's values; the front end tells the operator the
// defaults are taken (Prompt::SettingsUnreadable). Both: `message`, when not
// empty, says why the new file could not be written.
struct ConnCfgReadResult {
    enum class Status { Loaded, Untrusted, Created, Unreadable };
    Status status = Status::Loaded;
    std::string message;
};
// Loads "conn.cfg" into cfg (see ConnCfgReadResult).
ConnCfgReadResult readConnCfg(const std::string& path, ConnectionSettings& cfg);
// The same into the owner of the settings; its listeners hear of what changed.
ConnCfgReadResult readConnCfg(const std::string& path, ConnectionSettingsStore& settings);
// Writes the `fields` of cfg into "conn.cfg" as the file is now, so that what
// another editor wrote to the other fields stays (byte 0 always takes cfg's
// link mode: it records the mode at the time of writing). A missing or
// damaged file is written whole from cfg. The file never becomes writable by
// group or others. False with a reason when it cannot be written, or when it
// is a file others could have written.
bool writeConnCfg(const std::string& path, const ConnectionSettings& cfg, unsigned fields,
                  std::string& error);

} // namespace vorelux
