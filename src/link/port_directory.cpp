#include "link/port_directory.h"

#include "files/file_io.h"
#include "link/port_address.h"
#include "model/native_path.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vorelux {

namespace fs = std::filesystem;

namespace {

constexpr const char* AddedPortsFileName = "portas.txt";
constexpr const char* AddedPortsHeader =
    "# Portas adicionadas no Vorelux: COM<número> <dispositivo, socket://HOST:PORTA ou "
    "rfc2217://HOST:PORTA>";

std::string trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// What a line is: nothing to read (blank, comment), a port, or a problem.
// Problems are this program's own summaries and never repeat the line: the
// file may hold anybody's text, control bytes included.
struct ParsedLine {
    std::optional<AddedPort> port;
    std::string problem;
};

bool hasControlBytes(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
}

// "COMn ADDRESS" -> the port.
ParsedLine parseLine(const std::string& raw, int lineNumber) {
    const std::string line = trim(raw);
    if (line.empty() || line[0] == '#') return {};
    const size_t space = line.find_first_of(" \t");
    const auto number =
        comNumberFromName(space == std::string::npos ? line : line.substr(0, space));
    const std::string address = space == std::string::npos ? "" : trim(line.substr(space));
    if (!number || address.empty()) return {std::nullopt, "esperado COM<número> <endereço>"};
    std::string error;
    if (hasControlBytes(address) || !parsePortAddress(address, error))
        return {std::nullopt, "endereço inválido (use o caminho de um dispositivo, "
                              "socket://HOST:PORTA ou rfc2217://HOST:PORTA)"};
    return {AddedPort{*number, address, lineNumber}, {}};
}

std::string lineText(int lineNumber) {
    return "linha " + std::to_string(lineNumber);
}

// Why a port read after `kept` is left out: it repeats a number or an address.
std::string repeatProblem(const std::vector<AddedPort>& kept, const AddedPort& port) {
    for (const AddedPort& earlier : kept) {
        if (earlier.number == port.number)
            return comPortName(port.number) + " já foi dada na " + lineText(earlier.line) +
                   "; linha ignorada";
        if (earlier.address == port.address)
            return "o mesmo endereço da " + lineText(earlier.line) + "; linha ignorada";
    }
    return {};
}

// The ports of the lines in file order; a later line that repeats a number
// or an address is left out, with its problem when `problems` is given.
std::vector<AddedPort> readPorts(const std::vector<std::string>& lines,
                                 std::vector<std::string>* problems) {
    std::vector<AddedPort> out;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i) + 1;
        ParsedLine parsed = parseLine(lines[i], lineNumber);
        if (parsed.port) parsed.problem = repeatProblem(out, *parsed.port);
        if (parsed.problem.empty() && parsed.port) out.push_back(*parsed.port);
        if (!parsed.problem.empty() && problems)
            problems->push_back(lineText(lineNumber) + ": " + parsed.problem);
    }
    return out;
}

bool numberTaken(const std::vector<SerialPortInfo>& listed, const std::vector<AddedPort>& added,
                 int number) {
    return std::any_of(listed.begin(), listed.end(),
                       [&](const SerialPortInfo& p) { return p.number == number; }) ||
           std::any_of(added.begin(), added.end(),
                       [&](const AddedPort& p) { return p.number == number; });
}

} // namespace

std::vector<AddedPort> AddedPortsFile::ports() const {
    return readPorts(lines, nullptr);
}

std::vector<std::string> AddedPortsFile::problems() const {
    std::vector<std::string> out;
    readPorts(lines, &out);
    return out;
}

std::string addedPortsPathBeside(const std::string& connCfgPath) {
    const fs::path folder = nativePath(connCfgPath).parent_path();
    return utf8Path(folder / AddedPortsFileName);
}

bool readAddedPorts(const std::string& path, AddedPortsFile& file, std::string& error) {
    file.lines.clear();
    std::error_code ec;
    // A link to nowhere is not "no file": it is reported like any unreadable one.
    if (fs::symlink_status(nativePath(path), ec).type() == fs::file_type::not_found) return true;
    std::vector<uint8_t> data;
    if (!readTrustedFile(path, data, error, SmallFileSizeLimit)) {
        error = path + ": " + error + "; as portas adicionadas nele foram ignoradas";
        return false;
    }
    std::istringstream in(std::string(data.begin(), data.end()));
    for (std::string line; std::getline(in, line);) file.lines.push_back(line);
    return true;
}

bool writeAddedPorts(const std::string& path, const AddedPortsFile& file, std::string& error) {
    std::string text;
    for (const std::string& line : file.lines) text += line + "\n";
    if (!writeWholeFileSafely(path, std::vector<uint8_t>(text.begin(), text.end()), error))
        return false;
#ifndef _WIN32
    // Only a file nobody else may write is read back (a umask of 002 would
    // otherwise make the operator's own list count as someone else's).
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && (info.st_mode & 022))
        ::chmod(path.c_str(), info.st_mode & 07755);
#endif
    return true;
}

std::optional<int> addPort(AddedPortsFile& file, const std::string& given,
                           const std::vector<SerialPortInfo>& listed, std::string& error) {
    const std::string address = trim(given);
    auto parsed = parsePortAddress(address, error);
    if (!parsed) return std::nullopt;
    if (parsed->kind == PortKind::Device) {
        std::error_code ec;
        if (address[0] != '/' || !fs::exists(address, ec)) {
            error = "o dispositivo \"" + address +
                    "\" não existe (dê o caminho completo, como /dev/rfcomm0)";
            return std::nullopt;
        }
    }
    const std::vector<AddedPort> added = file.ports();
    for (const SerialPortInfo& port : listed) {
        if (!samePortAddress(port.device, address)) continue;
        error = "\"" + address + "\" já está na lista como " + port.name;
        return std::nullopt;
    }
    int number = comNumberForDevice(address).value_or(0);
    if (number == 0 || numberTaken(listed, added, number)) {
        number = LastComNumber;
        while (number >= FirstOtherComNumber && numberTaken(listed, added, number)) --number;
        if (number < FirstOtherComNumber) {
            error = "não há mais números de porta livres (COM192 a COM255)";
            return std::nullopt;
        }
    }
    if (file.lines.empty()) file.lines.push_back(AddedPortsHeader);
    file.lines.push_back(comPortName(number) + " " + address);
    return number;
}

bool removePort(AddedPortsFile& file, int number) {
    const size_t before = file.lines.size();
    std::erase_if(file.lines, [&](const std::string& line) {
        const auto parsed = parseLine(line, 0);
        return parsed.port && parsed.port->number == number;
    });
    return file.lines.size() != before;
}

namespace {

bool listedNumber(const std::vector<SerialPortInfo>& ports, int number) {
    return std::any_of(ports.begin(), ports.end(),
                       [&](const SerialPortInfo& p) { return p.number == number; });
}

const SerialPortInfo* listedDevice(const std::vector<SerialPortInfo>& ports,
                                   const std::string& device) {
    for (const SerialPortInfo& p : ports)
        if (samePortAddress(p.device, device)) return &p;
    return nullptr;
}

// A running virtual panel joins under its fixed number, else the first free
// one from COM192 that no added line claims.
void addPanels(std::vector<SerialPortInfo>& ports, const std::vector<SerialPortInfo>& panels,
               const std::vector<AddedPort>& added) {
    const auto taken = [&](int number) {
        return listedNumber(ports, number) ||
               std::any_of(added.begin(), added.end(),
                           [&](const AddedPort& p) { return p.number == number; });
    };
    for (SerialPortInfo panel : panels) {
        if (listedDevice(ports, panel.device)) continue;
        int number = comNumberForDevice(panel.device).value_or(0);
        if (number == 0 || listedNumber(ports, number)) {
            number = FirstOtherComNumber;
            while (number <= LastComNumber && taken(number)) ++number;
            if (number > LastComNumber) continue;
        }
        panel.number = number;
        panel.name = comPortName(number);
        panel.origin = PortOrigin::VirtualPanel;
        ports.push_back(panel);
    }
}

// Why an added port cannot join `ports`: its number or its address is
// listed already. Empty when it can.
std::string addedPortConflict(const std::vector<SerialPortInfo>& ports, const AddedPort& port) {
    for (const SerialPortInfo& p : ports) {
        if (p.number != port.number) continue;
        const std::string what = p.origin == PortOrigin::VirtualPanel
                                     ? "de um painel virtual em execução"
                                 : p.origin == PortOrigin::Added ? "de outra porta adicionada"
                                                                 : "de uma porta deste computador";
        return p.name + " já é o número " + what + " (" + p.device + ")";
    }
    if (const SerialPortInfo* p = listedDevice(ports, port.address))
        return "o endereço já está na lista como " + p->name;
    return {};
}

} // namespace

std::vector<SerialPortInfo> mergePorts(std::vector<SerialPortInfo> ports,
                                       const std::vector<SerialPortInfo>& panels,
                                       const std::vector<AddedPort>& added,
                                       std::vector<std::string>* notes) {
    addPanels(ports, panels, added);
    for (const AddedPort& port : added) {
        // Listed ports keep their places, and the first of two added lines
        // with one number or address keeps its own.
        const std::string conflict = addedPortConflict(ports, port);
        if (!conflict.empty()) {
            if (notes)
                notes->push_back("linha " + std::to_string(port.line) + ": " + conflict +
                                 "; linha ignorada");
            continue;
        }
        ports.push_back(
            {comPortName(port.number), port.number, port.address, {}, PortOrigin::Added});
    }
    std::stable_sort(
        ports.begin(), ports.end(),
        [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.number < b.number; });
    return ports;
}

bool PortDirectory::listPorts(std::vector<SerialPortInfo>& ports) {
    notes_.clear();
    const std::string folderProblem = panelFolderProblem(panelFolder_);
    if (!folderProblem.empty()) notes_.push_back(folderProblem);
    AddedPortsFile file;
    std::string error;
    if (!addedPortsPath_.empty() && !readAddedPorts(addedPortsPath_, file, error))
        notes_.push_back(error);
    std::vector<std::string> problems = file.problems();
    // This user's folder stands for every place their panels may announce in.
    std::vector<std::string> panelFolders{panelFolder_};
    if (!panelFolder_.empty() && panelFolder_ == virtualPanelFolder())
        panelFolders = virtualPanelFolders();
    ports = mergePorts(listComPorts(system_), announcedVirtualPanels(panelFolders), file.ports(),
                       &problems);
    for (const std::string& problem : problems) notes_.push_back(addedPortsPath_ + ", " + problem);
    return true;
}

} // namespace vorelux
