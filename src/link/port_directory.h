#pragma once
// Every port an operator can send through, not only those the system lists:
// virtual panels running on this computer (each announces itself with a
// small file in the user's runtime folder while it runs) and ports the
// operator added by device path or network address (kept in "portas.txt"
// beside "conn.cfg", which itself keeps only the port's number).
//
// Added ports are numbered from COM255 downwards, away from the system's
// other devices, which count upwards from COM192; a device of the fixed
// ranges (ports.h) keeps its own number.
#include "link/ports.h"

#include <optional>
#include <string>
#include <vector>

namespace vorelux {

// ---- Added ports ------------------------------------------------------------

struct AddedPort {
    int number = 0;
    std::string address; // a device path, "socket://HOST:PORT" or "rfc2217://HOST:PORT"
    int line = 0;        // its line in "portas.txt", from 1
};

// "portas.txt" as read: every line is kept, so lines this version does not
// understand survive the operator's additions and removals.
struct AddedPortsFile {
    std::vector<std::string> lines;
    // The lines of the form "COMn ADDRESS", in file order; a number or an
    // address given twice counts once (its first line).
    std::vector<AddedPort> ports() const;
    // The lines that are not ports nor comments, and the repeats left out,
    // "linha 3: endereço inválido ..." each: this program's own summaries,
    // never the line's text.
    std::vector<std::string> problems() const;
};

// "portas.txt" in the folder of `connCfgPath`.
std::string addedPortsPathBeside(const std::string& connCfgPath);
// A missing file is an empty list; false with a reason naming the file when
// it is there but cannot be read (a folder, a pipe, too large, unreadable)
// or is not to be trusted (untrustedFileReason: someone else's, or writable
// by others): its ports are then ignored.
bool readAddedPorts(const std::string& path, AddedPortsFile& file, std::string& error);
bool writeAddedPorts(const std::string& path, const AddedPortsFile& file, std::string& error);

// Adds `address` to `file` under a free number, given what is listed now;
// the number, or nothing with a reason (Portuguese): an address that is not
// a port, a device that does not exist, a port already listed, no number left.
std::optional<int> addPort(AddedPortsFile& file, const std::string& address,
                           const std::vector<SerialPortInfo>& listed, std::string& error);
// Removes the port of that number; false when it is not an added port.
bool removePort(AddedPortsFile& file, int number);

// ---- Virtual panels ---------------------------------------------------------

// The folder of the announcements: "vorelux-panels" in $XDG_RUNTIME_DIR,
// else "/tmp/vorelux-panels-UID". Panels and readers use it only while it
// is a folder (not a link) of this user that nobody else may enter (mode
// 0700): someone else could have made it first in /tmp, to hide this user's
// panels or slip ports of their own into the list.
std::string virtualPanelFolder();
// Every folder where this user's panels may have announced, the one above
// among them: a reader started without XDG_RUNTIME_DIR (cron, su) also looks in
// the session's /run/user/UID (when it is this user's folder), and one with
// it in /tmp. Each is read under the same checks as above.
std::vector<std::string> virtualPanelFolders();
// The same for a given XDG_RUNTIME_DIR (null: unset) and "/run/user".
std::vector<std::string> virtualPanelFoldersFor(const char* runtimeDir,
                                                const std::string& runUserRoot);
// Why `folder` is not used (the operator's text, naming the folder); empty
// when it may be used or is not there yet (a panel creates it).
std::string panelFolderProblem(const std::string& folder);

// A running virtual panel's announcement; the file goes when this does.
class PanelAnnouncement {
  public:
    PanelAnnouncement() = default;
    ~PanelAnnouncement();
    PanelAnnouncement(const PanelAnnouncement&) = delete;
    PanelAnnouncement& operator=(const PanelAnnouncement&) = delete;

    // Announces panel `panelId` reachable at `device` (a pseudo-terminal or
    // "socket://127.0.0.1:PORT"); false with a reason.
    bool announce(const std::string& folder, const std::string& device, int panelId,
                  std::string& error);
    void withdraw();

  private:
    std::string path_;
};

// What an announcement says: the panel's port (device and "painel virtual
// N") and the process that runs it.
struct Announcement {
    SerialPortInfo port;
    long pid = 0;
};
// The text of an announcement ("device=...", "panel=N", "pid=N" lines);
// nothing unless it names a valid address (no control bytes), a panel
// 1..255 and a process.
std::optional<Announcement> parseAnnouncement(const std::string& text);

// The virtual panels announced in `folder`, skipping those whose program has
// ended without withdrawing (killed) or whose device is gone.
std::vector<SerialPortInfo> announcedVirtualPanels(const std::string& folder);
// The same over several folders, a panel seen in two listed once.
std::vector<SerialPortInfo> announcedVirtualPanels(const std::vector<std::string>& folders);

// ---- The whole list ---------------------------------------------------------

// The system's ports, then the announced virtual panels, then the added
// ports. An added port never takes the number or the address of a listed
// port: such a line is left out. Given this user's virtualPanelFolder(), the
// panels of every folder of virtualPanelFolders() are listed.
class PortDirectory : public PortCatalog {
  public:
    PortDirectory(PortCatalog& system, std::string panelFolder, std::string addedPortsPath)
        : system_(system), panelFolder_(std::move(panelFolder)),
          addedPortsPath_(std::move(addedPortsPath)) {}
    bool listPorts(std::vector<SerialPortInfo>& ports) override;
    // What the last listPorts left out and why, for the operator: the added
    // ports file that could not be read or trusted, its lines that are no
    // port or clash with a listed one, a panel folder not to be used.
    std::vector<std::string> notes() override { return notes_; }

    const std::string& addedPortsPath() const { return addedPortsPath_; }
    void setAddedPortsPath(std::string path) { addedPortsPath_ = std::move(path); }

  private:
    PortCatalog& system_;
    std::string panelFolder_;
    std::string addedPortsPath_;
    std::vector<std::string> notes_;
};

// Merges the three kinds of ports as PortDirectory does. A virtual panel
// without a fixed-range number takes the first number from COM192 that
// neither a listed port nor an added one holds. An added port whose number
// or address is listed already is left out, "linha N: ..." in `notes`.
std::vector<SerialPortInfo> mergePorts(std::vector<SerialPortInfo> system,
                                       const std::vector<SerialPortInfo>& panels,
                                       const std::vector<AddedPort>& added,
                                       std::vector<std::string>* notes = nullptr);

} // namespace vorelux
