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
    if (!ports.empty()) {
        removePort(file, ports.front().number);
        if (file.lines.size() >= lines) abort();
        for (const AddedPort& port : file.ports())
            if (port.number == ports.front().number) abort();
    }
    return 0;
}
