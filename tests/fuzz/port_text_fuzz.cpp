// What other programs and other people write that reaches the port list:
// a device server's telnet stream (the first half of the input) and the
// lines of "portas.txt" (the second half). The client answers only with
// whole option commands, and the port file keeps every line it does not
// remove.
#include "link/port_address.h"
#include "link/port_directory.h"
#include "link/telnet_serial.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorelux;
    const size_t half = size / 2;

    TelnetSerialClient client;
    client.opening();
    std::vector<uint8_t> replies;
    client.receive(data, half, replies);
    if (replies.size() % 3 != 0) abort();
    for (size_t i = 0; i < replies.size(); i += 3) {
        const uint8_t verb = replies[i + 1];
        if (replies[i] != telnet::Iac || verb < telnet::Will || verb > telnet::Dont) abort();
    }
    if (client.serverText().size() > 200) abort();

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
