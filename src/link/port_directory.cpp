#include "link/port_directory.h"

#include "files/file_io.h"
#include "link/port_address.h"
#include "model/native_path.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

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

// "COMn ADDRESS" -> the port; nothing for comments, blank and other lines.
std::optional<AddedPort> parseLine(const std::string& raw, std::string* problem) {
    const std::string line = trim(raw);
    if (line.empty() || line[0] == '#') return std::nullopt;
    const size_t space = line.find_first_of(" \t");
    const auto number =
        comNumberFromName(space == std::string::npos ? line : line.substr(0, space));
    const std::string address = space == std::string::npos ? "" : trim(line.substr(space));
    std::string error;
    if (!number || address.empty()) {
        if (problem) *problem = "esperado \"COM<número> <endereço>\": \"" + line + "\"";
        return std::nullopt;
    }
    if (!parsePortAddress(address, error)) {
        if (problem) *problem = error;
        return std::nullopt;
    }
    return AddedPort{*number, address};
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
    std::vector<AddedPort> out;
    for (const std::string& line : lines) {
        auto port = parseLine(line, nullptr);
        if (!port) continue;
        const bool seen = std::any_of(out.begin(), out.end(),
                                      [&](const AddedPort& p) { return p.number == port->number; });
        if (!seen) out.push_back(*port);
    }
    return out;
}

std::vector<std::string> AddedPortsFile::problems() const {
    std::vector<std::string> out;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string problem;
        if (!parseLine(lines[i], &problem) && !problem.empty())
            out.push_back("linha " + std::to_string(i + 1) + ": " + problem);
    }
    return out;
}

std::string addedPortsPathBeside(const std::string& connCfgPath) {
    const fs::path folder = nativePath(connCfgPath).parent_path();
    return utf8Path(folder / AddedPortsFileName);
}

bool readAddedPorts(const std::string& path, AddedPortsFile& file, std::string& error) {
    file.lines.clear();
    std::error_code ec;
    if (!fs::exists(nativePath(path), ec)) return true;
    std::vector<uint8_t> data;
    if (!readWholeFile(path, data, error, SmallFileSizeLimit)) return false;
    std::istringstream in(std::string(data.begin(), data.end()));
    for (std::string line; std::getline(in, line);) file.lines.push_back(line);
    return true;
}

bool writeAddedPorts(const std::string& path, const AddedPortsFile& file, std::string& error) {
    std::string text;
    for (const std::string& line : file.lines) text += line + "\n";
    return writeWholeFileSafely(path, std::vector<uint8_t>(text.begin(), text.end()), error);
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
        if (port.device != address) continue;
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
        auto port = parseLine(line, nullptr);
        return port && port->number == number;
    });
    return file.lines.size() != before;
}

std::vector<SerialPortInfo> mergePorts(std::vector<SerialPortInfo> ports,
                                       const std::vector<SerialPortInfo>& panels,
                                       const std::vector<AddedPort>& added) {
    const auto taken = [&](int number) {
        return std::any_of(ports.begin(), ports.end(),
                           [&](const SerialPortInfo& p) { return p.number == number; });
    };
    for (SerialPortInfo panel : panels) {
        if (std::any_of(ports.begin(), ports.end(),
                        [&](const SerialPortInfo& p) { return p.device == panel.device; }))
            continue;
        int number = comNumberForDevice(panel.device).value_or(0);
        if (number == 0 || taken(number)) {
            number = FirstOtherComNumber;
            while (number <= LastComNumber && taken(number)) ++number;
            if (number > LastComNumber) continue;
        }
        panel.number = number;
        panel.name = comPortName(number);
        panel.origin = PortOrigin::VirtualPanel;
        ports.push_back(panel);
    }
    for (const AddedPort& port : added) {
        std::erase_if(ports, [&](const SerialPortInfo& p) {
            return p.number == port.number || p.device == port.address;
        });
        ports.push_back(
            {comPortName(port.number), port.number, port.address, {}, PortOrigin::Added});
    }
    std::stable_sort(
        ports.begin(), ports.end(),
        [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.number < b.number; });
    return ports;
}

bool PortDirectory::listPorts(std::vector<SerialPortInfo>& ports) {
    AddedPortsFile file;
    std::string error;
    if (!addedPortsPath_.empty()) readAddedPorts(addedPortsPath_, file, error);
    ports = mergePorts(listComPorts(system_), announcedVirtualPanels(panelFolder_), file.ports());
    return true;
}

} // namespace vorelux
