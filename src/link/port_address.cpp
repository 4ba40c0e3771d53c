#include "link/port_address.h"

#include <algorithm>

namespace vorelux {

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

// Schemes are case-insensitive: "Socket://" and "RFC2217://" are accepted.
bool startsWith(const std::string& text, const char* prefix) {
    const std::string wanted(prefix);
    return text.size() >= wanted.size() && equalIgnoringCase(text.substr(0, wanted.size()), wanted);
}

// The host part: letters, digits, dots, hyphens and underscores, or an IPv6
// address between brackets.
bool validHost(const std::string& host) {
    if (host.empty() || host.size() > 253) return false;
    return std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '-' || c == '_' || c == ':';
    });
}

std::optional<int> tcpPortNumber(const std::string& text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) return std::nullopt;
    return value;
}

// Splits "HOST:PORT" or "[V6]:PORT"; false when there is no port.
bool splitHostPort(const std::string& rest, std::string& host, std::string& port) {
    if (!rest.empty() && rest.front() == '[') {
        const size_t close = rest.find(']');
        if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
            return false;
        host = rest.substr(1, close - 1);
        port = rest.substr(close + 2);
        return host.find(':') != std::string::npos;
    }
    const size_t colon = rest.rfind(':');
    if (colon == std::string::npos) return false;
    host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
    return host.find(':') == std::string::npos;
}

} // namespace

bool samePortAddress(const std::string& a, const std::string& b) {
    if (a == b) return true;
    if (!isNetworkAddress(a) || !isNetworkAddress(b)) return false;
    std::string ignored;
    const auto first = parsePortAddress(a, ignored);
    const auto second = parsePortAddress(b, ignored);
    return first && second && first->kind == second->kind && first->tcpPort == second->tcpPort &&
           equalIgnoringCase(first->host, second->host);
}

bool isNetworkAddress(const std::string& text) {
    return text.find("://") != std::string::npos;
}

std::optional<PortAddress> parsePortAddress(const std::string& text, std::string& error) {
    PortAddress address;
    if (!isNetworkAddress(text)) {
        if (text.empty()) {
            error = "endereço de porta vazio";
            return std::nullopt;
        }
        address.device = text;
        return address;
    }
    std::string rest;
    if (startsWith(text, RawTcpScheme)) {
        address.kind = PortKind::RawTcp;
        rest = text.substr(std::string(RawTcpScheme).size());
    } else if (startsWith(text, Rfc2217Scheme)) {
        address.kind = PortKind::Rfc2217;
        rest = text.substr(std::string(Rfc2217Scheme).size());
    } else {
        error = "\"" + text + "\": use socket://HOST:PORTA ou rfc2217://HOST:PORTA";
        return std::nullopt;
    }
    std::string port;
    if (!splitHostPort(rest, address.host, port) || !validHost(address.host)) {
        error = "\"" + text + "\": falta o computador ou a porta (HOST:PORTA)";
        return std::nullopt;
    }
    auto number = tcpPortNumber(port);
    if (!number) {
        error = "\"" + text + "\": a porta de rede deve ser um número de 1 a 65535";
        return std::nullopt;
    }
    address.tcpPort = *number;
    return address;
}

std::string hostAndPort(const PortAddress& address) {
    const bool v6 = address.host.find(':') != std::string::npos;
    return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.tcpPort);
}

std::string serverFloodedText(const PortAddress& address) {
    return hostAndPort(address) + " enviou dados demais de uma vez (mais de " +
           std::to_string(NetworkBufferCap / 1024) +
           " KB); não é um servidor de porta serial e a conexão foi encerrada";
}

std::string serverNotReadingText(const PortAddress& address) {
    return hostAndPort(address) + " não está lendo o que recebe (mais de " +
           std::to_string(NetworkBufferCap / 1024) +
           " KB esperando envio); a conexão foi encerrada";
}

std::string serverWaitCancelledText(const PortAddress& address) {
    return "a espera por " + hostAndPort(address) + " foi cancelada";
}

} // namespace vorelux
