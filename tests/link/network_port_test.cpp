// The network port's session on a scripted socket: what it sends, and the
// reason it gives for each way a server or the system lets it down.
#include "link/network_port.h"

#include <chrono>
#include <deque>
#include <gtest/gtest.h>
#include <thread>

namespace vorelux {
namespace {

// A socket that plays back what the test scripted and keeps what was written.
struct ScriptedSocket : NetworkSocket {
    struct Incoming {
        std::vector<uint8_t> bytes;
        Read status = Read::Open;
    };
    Connect connectAs = Connect::Connected;
    std::string connectReason;
    std::deque<Incoming> incoming;
    Write writeAs = Write::Written;
    std::string writeReason;
    std::vector<uint8_t> written;
    int connectTimeoutSeen = 0;

    Connect connect(const std::string&, int, int timeoutMs, std::string& reason) override {
        connectTimeoutSeen = timeoutMs;
        reason = connectReason;
        return connectAs;
    }
    Read read(std::vector<uint8_t>& into, size_t limit, int waitMs) override {
        if (incoming.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min(waitMs, 10)));
            return Read::Open;
        }
        Incoming next = std::move(incoming.front());
        incoming.pop_front();
        into.assign(next.bytes.begin(), next.bytes.begin() + std::min(limit, next.bytes.size()));
        return next.status;
    }
    Write write(const std::vector<uint8_t>& bytes, std::string& reason) override {
        reason = writeReason;
        if (writeAs == Write::Written) written.insert(written.end(), bytes.begin(), bytes.end());
        return writeAs;
    }
    void close() override {}
};

struct Session {
    ScriptedSocket* socket;
    NetworkPort port;
    explicit Session(int negotiationMs = 3000)
        : Session(std::make_unique<ScriptedSocket>(), negotiationMs) {}
    Session(std::unique_ptr<ScriptedSocket> s, int negotiationMs)
        : socket(s.get()), port(std::move(s), 5000, negotiationMs) {}
};

TEST(NetworkPortSession, AConnectionThatCannotBeMadeSaysWhy) {
    using C = NetworkSocket::Connect;
    struct Case {
        C status;
        std::string reason;
        std::string says;
    };
    for (const Case& c : {
             Case{C::TimedOut, "",
                  "não foi possível conectar a h.example:4001: sem resposta em 5 s"},
             Case{C::Failed, "recusada", "não foi possível conectar a h.example:4001: recusada"},
             Case{C::Cancelled, "", "a espera por h.example:4001 foi cancelada"},
             Case{C::Unavailable, "a rede não está disponível: x", "a rede não está disponível: x"},
         }) {
        Session s;
        s.socket->connectAs = c.status;
        s.socket->connectReason = c.reason;
        std::string error;
        EXPECT_FALSE(s.port.open("socket://h.example:4001", error));
        EXPECT_EQ(error, c.says);
        EXPECT_EQ(s.socket->connectTimeoutSeen, 5000);
        EXPECT_FALSE(s.port.writeByte(1, error)) << "a failed open leaves the port closed";
        EXPECT_EQ(error, "a porta não está aberta");
    }
    Session s;
    std::string error;
    EXPECT_FALSE(s.port.open("/dev/ttyS0", error));
    EXPECT_EQ(error, "\"/dev/ttyS0\" não é um endereço de rede");
}

TEST(NetworkPortSession, BytesGoOutAsTheyAreRawAndWithFFDoubledOverTelnet) {
    Session raw;
    std::string error;
    ASSERT_TRUE(raw.port.open("socket://h:1", error)) << error;
    ASSERT_TRUE(raw.port.writeByte(0xFF, error)) << error;
    ASSERT_TRUE(raw.port.writeByte(7, error)) << error;
    EXPECT_EQ(raw.socket->written, (std::vector<uint8_t>{0xFF, 7}));

    // A device server that takes the com-port option and confirms 9600 8N1.
    Session telnet;
    const std::vector<uint8_t> accepted{255, 253, 44};
    std::vector<uint8_t> confirmed{255, 250, 44, 101, 0, 0, 0x25, 0x80, 255, 240};
    for (int code = 102; code <= 105; ++code)
        confirmed.insert(confirmed.end(), {255, 250, 44, uint8_t(code), 1, 255, 240});
    telnet.socket->incoming = {{accepted}, {confirmed}};
    ASSERT_TRUE(telnet.port.open("rfc2217://h:2", error)) << error;
    const size_t negotiated = telnet.socket->written.size();
    ASSERT_TRUE(telnet.port.writeByte(0xFF, error)) << error;
    ASSERT_TRUE(telnet.port.writeByte(7, error)) << error;
    EXPECT_EQ(std::vector<uint8_t>(telnet.socket->written.begin() + long(negotiated),
                                   telnet.socket->written.end()),
              (std::vector<uint8_t>{0xFF, 0xFF, 7}));
}

TEST(NetworkPortSession, AFailedWriteSaysWhy) {
    using W = NetworkSocket::Write;
    struct Case {
        W status;
        std::string reason;
        std::string says;
    };
    for (const Case& c : {
             Case{W::NotReading, "",
                  "h:1 não está lendo o que recebe (mais de 64 KB esperando "
                  "envio); a conexão foi encerrada"},
             Case{W::TimedOut, "", "tempo de escrita esgotado em h:1"},
             Case{W::Failed, "reset", "a conexão com h:1 foi encerrada: reset"},
             Case{W::Lost, "", "a conexão com h:1 foi encerrada"},
         }) {
        Session s;
        std::string error;
        ASSERT_TRUE(s.port.open("socket://h:1", error)) << error;
        s.socket->writeAs = c.status;
        s.socket->writeReason = c.reason;
        EXPECT_FALSE(s.port.writeByte(1, error));
        EXPECT_EQ(error, c.says);
    }
}

TEST(NetworkPortSession, WhatTheServerSendsEndsTheTransferWhenItHangsUpOrFloods) {
    Session closing;
    std::string error;
    ASSERT_TRUE(closing.port.open("socket://h:1", error)) << error;
    closing.socket->incoming.push_back({{'b', 'y', 'e'}, NetworkSocket::Read::Closed});
    EXPECT_FALSE(closing.port.writeByte(1, error));
    EXPECT_EQ(error, "a conexão com h:1 foi encerrada");
    EXPECT_TRUE(closing.socket->written.empty()) << "nothing goes out after the server hung up";

    Session flooding;
    ASSERT_TRUE(flooding.port.open("socket://h:1", error)) << error;
    flooding.socket->incoming.push_back({std::vector<uint8_t>(NetworkBufferCap + 10, 'x')});
    EXPECT_FALSE(flooding.port.writeByte(1, error));
    EXPECT_EQ(error, serverFloodedText(*parsePortAddress("socket://h:1", error)));
}

TEST(NetworkPortSession, TheNegotiationHasOneDeadlineAndQuotesTheServer) {
    Session silent(1000);
    std::string error;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(silent.port.open("rfc2217://h:2", error));
    EXPECT_EQ(error, "h:2 não confirmou a linha 9600 8N1 (RFC 2217) em 1 s");
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(900));
    EXPECT_FALSE(silent.socket->written.empty()) << "the client spoke first";

    // A device server explains a refusal in plain text, then hangs up.
    Session busy;
    const std::string text = "Port's device already in use";
    busy.socket->incoming.push_back({{text.begin(), text.end()}, NetworkSocket::Read::Closed});
    EXPECT_FALSE(busy.port.open("rfc2217://h:2", error));
    EXPECT_EQ(error, "a conexão com h:2 foi encerrada (o servidor disse: \"" + text + "\")");
}

} // namespace
} // namespace vorelux
