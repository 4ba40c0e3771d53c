// What other programs and other people write that reaches the port list:
// a device server's telnet stream (the first half of the input) and the
// lines of "portas.txt" (the second half). The client answers only with
// whole option commands, and the port file keeps every line it does not
// remove.
#include "link/port_address.h"
#include "link/port_directory.h"
#include "link/telnet_serial.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

// A device server's stream, fed in pieces of the sizes its own bytes say,
// with the answers taken only now and then (a server that floods option
// changes and reads slowly): whatever it sends, at most one answer per
// option and side waits, and the answers are whole option commands.
void fuzzTelnetPeer(const uint8_t* data, size_t size) {
    using namespace vorelux;
    TelnetSerialClient client;
    client.opening();
    std::vector<uint8_t> replies;
    for (size_t i = 0, piece = 0; i < size; i += piece) {
        piece = std::min<size_t>(size - i, size_t(data[i] % 64) + 1);
        client.receive(data + i, piece);
        if (client.pendingReplyBytes() > TelnetSerialClient::MaxPendingReplyBytes) abort();
        if (data[i] % 7 != 0) continue;
        replies = client.takeReplies();
        if (replies.size() % 3 != 0 || client.pendingReplyBytes() != 0) abort();
        for (size_t r = 0; r < replies.size(); r += 3) {
            const uint8_t verb = replies[r + 1];
            if (replies[r] != telnet::Iac || verb < telnet::Will || verb > telnet::Dont) abort();
        }
    }
    if (client.takeReplies().size() > TelnetSerialClient::MaxPendingReplyBytes) abort();
    if (client.serverText().size() > 200) abort();
}

using namespace vorelux;

bool printable(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return true;
}

// The file's ports joined with a system port and two running panels: every
// number once, no added port on a listed number or address, and what is
// said about the lines never repeats a control byte of them.
void checkPortMerge(const AddedPortsFile& file) {
    std::vector<SerialPortInfo> system{{"COM1", 1, "/dev/ttyS0", "", PortOrigin::System},
                                       {"COM255", 255, "/dev/ttyXR0", "", PortOrigin::System}};
    std::vector<SerialPortInfo> panels{
        {"", 0, "/dev/pts/3", "painel virtual 5", PortOrigin::VirtualPanel},
        {"", 0, "socket://127.0.0.1:4001", "painel virtual 2", PortOrigin::VirtualPanel}};
    std::vector<std::string> notes = file.problems();
    const auto ports = mergePorts(system, panels, file.ports(), &notes);
    for (size_t i = 0; i < ports.size(); ++i) {
        for (size_t j = i + 1; j < ports.size(); ++j)
            if (ports[i].number == ports[j].number || ports[i].device == ports[j].device) abort();
        if (ports[i].number == 1 && ports[i].device != "/dev/ttyS0") abort();
        if (ports[i].device == "/dev/pts/3" && ports[i].origin != PortOrigin::VirtualPanel) abort();
        if (!printable(ports[i].device)) abort();
    }
    for (const std::string& note : notes)
        if (!printable(note)) abort();
}

// An announcement as any text: a port only with a valid printable address,
// a panel number 1..255 and a process.
void checkAnnouncement(const std::string& text) {
    const auto announced = parseAnnouncement(text);
    if (!announced) return;
    std::string error;
    if (announced->pid <= 0 || !printable(announced->port.device) ||
        !printable(announced->port.description) || !parsePortAddress(announced->port.device, error))
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorelux;
    const size_t half = size / 2;

    fuzzTelnetPeer(data, half);

    AddedPortsFile file;
    const std::string text(reinterpret_cast<const char*>(data) + half, size - half);
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        file.lines.push_back(text.substr(start, nl - start));
    file.lines.push_back(text.substr(start));
    const size_t lines = file.lines.size();
    const auto ports = file.ports();
    file.problems();
    std::string error;
    for (const AddedPort& port : ports) {
        if (port.number < 1 || port.number > LastComNumber) abort();
        if (!parsePortAddress(port.address, error)) abort();
    }
    checkPortMerge(file);
    checkAnnouncement(text);
    if (!ports.empty()) {
        removePort(file, ports.front().number);
        if (file.lines.size() >= lines) abort();
        for (const AddedPort& port : file.ports())
            if (port.number == ports.front().number) abort();
    }
    return 0;
}
