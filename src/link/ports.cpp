#include "link/ports.h"

#include <algorithm>
#include <map>

namespace vorelux {

namespace {

struct Range {
    const char* prefix; // device name without "/dev/"
    int first;          // number of device 0
    int count;
};

// The fixed ranges of device names; see ports.h.
constexpr Range Ranges[] = {
    {"ttyS", 1, 32},    {"ttyUSB", 33, 32},  {"ttyACM", 65, 32},
    {"ttyAMA", 97, 16}, {"rfcomm", 113, 16}, {"pts/", 129, 63},
};

std::optional<int> parseDecimal(const std::string& text) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

std::string comPortName(int number) {
    return "COM" + std::to_string(number);
}

std::optional<int> comNumberFromName(const std::string& name) {
    if (!startsWith(name, "COM")) return std::nullopt;
    auto number = parseDecimal(name.substr(3));
    if (!number || *number < 1 || *number > LastComNumber) return std::nullopt;
    return number;
}

std::optional<int> comNumberForDevice(const std::string& device) {
    if (auto number = comNumberFromName(device)) return number;
    std::string name = startsWith(device, "/dev/") ? device.substr(5) : device;
    for (const Range& range : Ranges) {
        if (!startsWith(name, range.prefix)) continue;
        auto index = parseDecimal(name.substr(std::string(range.prefix).size()));
        // "ttyS01" is not ttyS1: only the kernel's own spelling counts.
        if (!index || std::to_string(*index) != name.substr(std::string(range.prefix).size()))
            return std::nullopt;
        if (*index >= range.count) return std::nullopt;
        return range.first + *index;
    }
    return std::nullopt;
}

std::optional<std::string> deviceForComNumber(int number) {
    for (const Range& range : Ranges) {
        if (number >= range.first && number < range.first + range.count)
            return "/dev/" + std::string(range.prefix) + std::to_string(number - range.first);
    }
    return std::nullopt;
}

std::vector<SerialPortInfo> assignComPorts(const std::vector<SerialPortInfo>& devices) {
    std::map<int, SerialPortInfo> byNumber;
    std::vector<SerialPortInfo> others;
    for (const SerialPortInfo& device : devices) {
        if (auto number = comNumberForDevice(device.device)) {
            SerialPortInfo port = device;
            port.number = *number;
            port.name = comPortName(*number);
            byNumber.emplace(*number, port);
        } else {
            others.push_back(device);
        }
    }
    std::sort(others.begin(), others.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.device < b.device; });
    int next = FirstOtherComNumber;
    for (const SerialPortInfo& device : others) {
        if (next > LastComNumber) break;
        if (!byNumber.empty() && byNumber.rbegin()->second.device == device.device) continue;
        SerialPortInfo port = device;
        port.number = next;
        port.name = comPortName(next);
        byNumber.emplace(next++, port);
    }
    std::vector<SerialPortInfo> ports;
    for (auto& [number, port] : byNumber) ports.push_back(port);
    return ports;
}

std::vector<SerialPortInfo> listComPorts(PortCatalog& catalog) {
    std::vector<SerialPortInfo> ports;
    if (catalog.listPorts(ports)) {
        std::stable_sort(
            ports.begin(), ports.end(),
            [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.number < b.number; });
        return ports;
    }
    // The system could not be asked: offer the ten usual ports.
    ports.clear();
    for (int number = 1; number <= 10; ++number) {
        SerialPortInfo port;
        port.number = number;
        port.name = comPortName(number);
#ifdef _WIN32
        port.device = port.name;
#else
        port.device = deviceForComNumber(number).value_or(port.name);
#endif
        ports.push_back(port);
    }
    return ports;
}

std::optional<SerialPortInfo> findPort(const std::vector<SerialPortInfo>& ports, int number) {
    for (const SerialPortInfo& port : ports)
        if (port.name == comPortName(number)) return port;
    return std::nullopt;
}

std::string portSelectorText(const SerialPortInfo& port) {
    if (port.origin == PortOrigin::VirtualPanel && !port.description.empty())
        return port.name + "  (" + port.description + ", " + port.device + ")";
    if (port.device.empty() || port.device == port.name) return port.name;
    return port.name + "  (" + port.device + ")";
}

} // namespace vorelux
