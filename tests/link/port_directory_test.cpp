// Ports beyond the system's list: network addresses, the telnet serial
// client, the operator's added ports and the virtual panels' announcements.
#include "files/file_io.h"
#include "link/panel_link.h"
#include "link/port_address.h"
#include "link/port_directory.h"
#include "link/simulated.h"
#include "link/telnet_serial.h"
#include "link/transmitter.h"
#include "support/operator_fakes.h"
#include "support/recording_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>

#ifndef _WIN32
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vorelux {
namespace {

using testing::ReportingTransmitter;

using Bytes = std::vector<uint8_t>;

TEST(PortAddresses, NetworkFormsAndTheirMistakes) {
    struct Case {
        const char* text;
        bool ok;
        PortKind kind = PortKind::Device;
        const char* host = "";
        int port = 0;
    };
    for (Case c : {
             Case{.text = "socket://192.168.0.50:4001",
            .ok = true,
            .kind = PortKind::RawTcp,
            .host = "192.168.0.50",
            .port = 4001},
             Case{.text = "rfc2217://painel-loja.local:2217",
             .ok = true,
             .kind = PortKind::Rfc2217,
             .host = "painel-loja.local",
             .port = 2217},
             Case{.text = "socket://[::1]:65535",
             .ok = true,
             .kind = PortKind::RawTcp,
             .host = "::1",
             .port = 65535},
             // Schemes and host names are case-insensitive; the host stays as typed.
             Case{.text = "RFC2217://Painel-Loja.local:2217",
             .ok = true,
             .kind = PortKind::Rfc2217,
             .host = "Painel-Loja.local",
             .port = 2217},
             Case{.text = "Socket://10.0.0.9:4001",
             .ok = true,
             .kind = PortKind::RawTcp,
             .host = "10.0.0.9",
             .port = 4001},
             Case{.text = "/dev/rfcomm0", .ok = true},
             Case{.text = "socket://host", .ok = false},
             Case{.text = "socket://:4001", .ok = false},
             Case{.text = "socket://host:0", .ok = false},
             Case{.text = "socket://host:65536", .ok = false},
             Case{.text = "socket://host:40x1", .ok = false},
             Case{.text = "socket://ho st:4001", .ok = false},
             Case{.text = "socket://::1:4001", .ok = false},
             Case{.text = "telnet://host:23", .ok = false},
             Case{.text = "", .ok = false},
         }) {
        std::string error;
        auto address = parsePortAddress(c.text, error);
        ASSERT_EQ(address.has_value(), c.ok) << c.text << ": " << error;
        if (!c.ok) {
            EXPECT_FALSE(error.empty()) << c.text;
            continue;
        }
        EXPECT_EQ(address->kind, c.kind) << c.text;
        EXPECT_EQ(address->host, c.host) << c.text;
        EXPECT_EQ(address->tcpPort, c.port) << c.text;
    }
    std::string error;
    EXPECT_EQ(hostAndPort(*parsePortAddress("socket://[::1]:7", error)), "[::1]:7");
}

TEST(PortAddresses, TheSameAddressInAnotherCaseIsTheSamePort) {
    EXPECT_TRUE(samePortAddress("socket://Host:4001", "SOCKET://host:4001"));
    EXPECT_TRUE(samePortAddress("rfc2217://h:1", "RFC2217://H:1"));
    EXPECT_FALSE(samePortAddress("socket://host:4001", "rfc2217://host:4001"));
    EXPECT_FALSE(samePortAddress("socket://host:4001", "socket://host:4002"));
    EXPECT_FALSE(samePortAddress("/dev/ttyS0", "/dev/TTYS0")) << "device paths are case-sensitive";

    AddedPortsFile file;
    std::string error;
    const std::vector<SerialPortInfo> listed{
        {"COM200", 200, "rfc2217://painel.local:2217", "adicionada"}};
    EXPECT_FALSE(addPort(file, "RFC2217://Painel.LOCAL:2217", listed, error));
    EXPECT_NE(error.find("já está na lista como COM200"), std::string::npos) << error;
}

TEST(TelnetSerialClient, OpensAndSetsTheLineTo9600Of8N1) {
    using namespace telnet;
    TelnetSerialClient client;
    EXPECT_EQ(client.opening(), (Bytes{Iac, Will, Binary, Iac, Will, SuppressGoAhead, Iac, Will,
                                       ComPort, Iac, Do, Binary, Iac, Do, SuppressGoAhead}));
    EXPECT_EQ(client.lineSettings(),
              (Bytes{Iac, Sb, ComPort, 1, 0, 0,   0x25, 0x80, Iac, Se, // 9600 baud
                     Iac, Sb, ComPort, 2, 8, Iac, Se,                  // 8 data bits
                     Iac, Sb, ComPort, 3, 1, Iac, Se,                  // no parity
                     Iac, Sb, ComPort, 4, 1, Iac, Se,                  // 1 stop bit
                     Iac, Sb, ComPort, 5, 1, Iac, Se}));               // no flow control
    Bytes wire;
    for (uint8_t b : Bytes{0x00, 0xFF, 0x0D, 0xFF}) TelnetSerialClient::appendData(wire, b);
    EXPECT_EQ(wire, (Bytes{0x00, 0xFF, 0xFF, 0x0D, 0xFF, 0xFF}));
}

TEST(TelnetSerialClient, AnswersTheServerOnlyWhereStateChanges) {
    using namespace telnet;
    TelnetSerialClient client;
    client.opening();
    // What a device server says on connecting, with a banner around it.
    const Bytes hello{
        'h', 'i',    Iac, Will, SuppressGoAhead, Iac, Do, SuppressGoAhead, Iac, Will, Echo, Iac,
        Do,  Binary, Iac, Will, Binary,          Iac, Do, ComPort,         Iac, Do,   24,   Iac,
        Iac, '!'};
    client.receive(hello.data(), hello.size());
    Bytes replies = client.takeReplies();
    // Echo is refused, the terminal type (24) too; what was asked for is not answered again.
    EXPECT_EQ(replies, (Bytes{Iac, Dont, Echo, Iac, Wont, 24}));
    EXPECT_TRUE(client.comPortAccepted());
    EXPECT_FALSE(client.lineConfirmed());
    EXPECT_EQ(client.serverText(), "hi!");

    // The server's answers to the five settings, split anywhere.
    const Bytes acks{Iac,     Sb,  ComPort, 101, 0,       0,   0x25, 0x80,    Iac, Se,      Iac, Sb,
                     ComPort, 102, 8,       Iac, Se,      Iac, Sb,   ComPort, 103, 1,       Iac, Se,
                     Iac,     Sb,  ComPort, 106, 0,       Iac, Se,   Iac,     Sb,  ComPort, 104, 1,
                     Iac,     Se,  Iac,     Sb,  ComPort, 105, 1,    Iac,     Se};
    for (size_t i = 0; i < acks.size(); i += 3)
        client.receive(acks.data() + i, std::min<size_t>(3, acks.size() - i));
    EXPECT_TRUE(client.takeReplies().empty());
    EXPECT_EQ(client.confirmedBaudRate(), 9600u);
    EXPECT_TRUE(client.lineConfirmed());

    TelnetSerialClient refused;
    refused.opening();
    const Bytes no{Iac, Dont, ComPort};
    refused.receive(no.data(), no.size());
    EXPECT_TRUE(refused.comPortRefused());

    TelnetSerialClient slow; // a server that keeps another rate is not confirmed
    const Bytes other{Iac, Sb,  ComPort, 101,     0,   0,   0x04,    0xB0, Iac, Se,
                      Iac, Sb,  ComPort, 102,     8,   Iac, Se,      Iac,  Sb,  ComPort,
                      103, 1,   Iac,     Se,      Iac, Sb,  ComPort, 104,  1,   Iac,
                      Se,  Iac, Sb,      ComPort, 105, 1,   Iac,     Se};
    slow.receive(other.data(), other.size());
    EXPECT_EQ(slow.confirmedBaudRate(), 1200u);
    EXPECT_FALSE(slow.lineConfirmed());
}

// A server that flips options again and again without reading what it is
// told: however much it sends, one answer per option and side waits, the
// latest; once taken, none.
TEST(TelnetSerialClient, AFloodOfOptionChangesKeepsOneAnswerPerOption) {
    using namespace telnet;
    TelnetSerialClient client;
    client.opening();
    Bytes flood;
    for (int round = 0; round < 20000; ++round) {
        const auto code = static_cast<uint8_t>(round % 300 < 256 ? round % 300 : Binary);
        for (uint8_t verb : {Wont, Will, Dont, Do}) flood.insert(flood.end(), {Iac, verb, code});
    }
    for (size_t i = 0; i < flood.size(); i += 4096) {
        client.receive(flood.data() + i, std::min<size_t>(4096, flood.size() - i));
        ASSERT_LE(client.pendingReplyBytes(), TelnetSerialClient::MaxPendingReplyBytes);
    }
    const Bytes replies = client.takeReplies();
    EXPECT_EQ(replies.size(), TelnetSerialClient::MaxPendingReplyBytes);
    // The last flip of binary transmission was DO after WILL: it stays agreed both ways.
    const auto answerFor = [&](uint8_t side0, uint8_t side1, uint8_t code) {
        for (size_t i = 0; i < replies.size(); i += 3)
            if ((replies[i + 1] == side0 || replies[i + 1] == side1) && replies[i + 2] == code)
                return replies[i + 1];
        return uint8_t{0};
    };
    EXPECT_EQ(answerFor(Do, Dont, Binary), Do);
    EXPECT_EQ(answerFor(Will, Wont, Binary), Will);
    EXPECT_EQ(answerFor(Do, Dont, Echo), Dont); // never agreed to
    EXPECT_EQ(client.pendingReplyBytes(), 0u);
    EXPECT_TRUE(client.takeReplies().empty());

    // A repeated flip while an answer waits does not add one.
    const Bytes twice{Iac, Wont, Binary, Iac, Will, Binary, Iac, Wont, Binary};
    client.receive(twice.data(), twice.size());
    EXPECT_EQ(client.takeReplies(), (Bytes{Iac, Dont, Binary}));
}

std::vector<SerialPortInfo> systemPorts() {
    return {{"COM1", 1, "/dev/ttyS0", "", PortOrigin::System},
            {"COM255", 255, "/dev/ttyXR0", "", PortOrigin::System}};
}

// Device paths, pipes and processes of Linux: not on Windows, where the
// system lists its ports by name.
#ifndef _WIN32
TEST(AddedPorts, NumbersFromTheTopAndFixedDevicesKeepTheirs) {
    AddedPortsFile file;
    std::string error;
    // 255 is taken by a system device: the first added address gets 254.
    EXPECT_EQ(addPort(file, " rfc2217://loja:4001 ", systemPorts(), error), 254) << error;
    EXPECT_EQ(addPort(file, "socket://10.0.0.9:4001", systemPorts(), error), 253) << error;
    TempDir dir;
    const std::string ptyLike = dir.file("ttyFake");
    writeBytes(ptyLike, {});
    EXPECT_EQ(addPort(file, ptyLike, systemPorts(), error), 252) << error;
    EXPECT_EQ(addPort(file, "/dev/null", systemPorts(), error), 252 - 1) << error;

    const auto ports = file.ports();
    ASSERT_EQ(ports.size(), 4u);
    EXPECT_EQ(ports[0].address, "rfc2217://loja:4001");
    EXPECT_EQ(file.lines.front()[0], '#'); // a header says what the file is

    struct Refused {
        const char* address;
        const char* reason;
    };
    for (Refused r : {Refused{.address = "rfc2217://loja:4001", .reason = "já está na lista"},
                      Refused{.address = "/dev/ttyS0", .reason = "já está na lista como COM1"},
                      Refused{.address = "/dev/no-such-device", .reason = "não existe"},
                      Refused{.address = "ttyUSB0", .reason = "caminho completo"},
                      Refused{.address = "socket://loja", .reason = "HOST:PORTA"}}) {
        AddedPortsFile copy = file;
        std::vector<SerialPortInfo> listed = systemPorts();
        for (const AddedPort& p : file.ports())
            listed.push_back({comPortName(p.number), p.number, p.address, "", PortOrigin::Added});
        error.clear();
        EXPECT_EQ(addPort(copy, r.address, listed, error), std::nullopt) << r.address;
        EXPECT_NE(error.find(r.reason), std::string::npos) << r.address << ": " << error;
        EXPECT_EQ(copy.lines, file.lines);
    }
}

#endif

TEST(AddedPorts, FileKeepsLinesItDoesNotUnderstand) {
    TempDir dir;
    const std::string path = addedPortsPathBeside(dir.file("conn.cfg"));
    EXPECT_EQ(path, dir.file("portas.txt"));
    AddedPortsFile file;
    std::string error;
    ASSERT_TRUE(readAddedPorts(path, file, error)) << error; // none yet: an empty list
    EXPECT_TRUE(file.lines.empty());

    writeBytes(path, {});
    const std::string text = "# mine\nCOM200 socket://a:1\nCOM9x what\n\nCOM201 ftp://b:2\n"
                             "COM200 socket://dup:1\nCOM202 rfc2217://c:3\r\n";
    writeBytes(path, Bytes(text.begin(), text.end()));
    ASSERT_TRUE(readAddedPorts(path, file, error)) << error;
    ASSERT_EQ(file.ports().size(), 2u);
    EXPECT_EQ(file.ports()[0].address, "socket://a:1");
    EXPECT_EQ(file.ports()[1].number, 202);
    EXPECT_EQ(file.ports()[1].address, "rfc2217://c:3");
    ASSERT_EQ(file.problems().size(), 3u);
    EXPECT_EQ(file.problems()[0].rfind("linha 3: ", 0), 0u) << file.problems()[0];
    EXPECT_EQ(file.problems()[1].rfind("linha 5: ", 0), 0u) << file.problems()[1];
    EXPECT_EQ(file.problems()[2], "linha 6: COM200 já foi dada na linha 2; linha ignorada");

    EXPECT_TRUE(removePort(file, 202));
    EXPECT_FALSE(removePort(file, 202));
    ASSERT_TRUE(writeAddedPorts(path, file, error)) << error;
    const Bytes written = readBytes(path);
    EXPECT_EQ(
        std::string(written.begin(), written.end()),
        "# mine\nCOM200 socket://a:1\nCOM9x what\n\nCOM201 ftp://b:2\nCOM200 socket://dup:1\n");

#ifndef _WIN32
    mkfifo(dir.file("fifo").c_str(), 0600); // never blocks on a pipe put in its place
    EXPECT_FALSE(readAddedPorts(dir.file("fifo"), file, error));
#endif
}

TEST(PortList, AddedPortsJoinWithoutTakingAListedPlace) {
    std::vector<SerialPortInfo> panels{
        {"", 0, "/dev/pts/3", "painel virtual 5", PortOrigin::VirtualPanel},
        {"", 0, "socket://127.0.0.1:4001", "painel virtual 2", PortOrigin::VirtualPanel},
        {"", 0, "/dev/ttyS0", "painel virtual 9", PortOrigin::VirtualPanel}}; // already listed
    std::vector<AddedPort> added{
        {192, "rfc2217://loja:4001", 1},     // kept: a panel without a fixed number goes on
        {1, "socket://10.0.0.5:4001", 2},    // a system port's number
        {255, "socket://10.0.0.6:4001", 3},  // another system port's number
        {200, "/dev/pts/3", 4},              // a running panel's address
        {132, "socket://10.0.0.7:4001", 5},  // a running panel's fixed number
        {201, "socket://127.0.0.1:4001", 6}, // a running panel's address
        {202, "rfc2217://loja:4001", 7}};    // the address of an earlier line
    std::vector<std::string> notes;
    const auto ports = mergePorts(systemPorts(), panels, added, &notes);
    std::vector<std::string> texts;
    for (const auto& p : ports) texts.push_back(portSelectorText(p));
    EXPECT_EQ(texts,
              (std::vector<std::string>{
                  "COM1  (/dev/ttyS0)", "COM132  (painel virtual 5, /dev/pts/3)",
                  "COM192  (rfc2217://loja:4001)",
                  "COM193  (painel virtual 2, socket://127.0.0.1:4001)", "COM255  (/dev/ttyXR0)"}));
    EXPECT_EQ(ports[2].origin, PortOrigin::Added);
    EXPECT_EQ(notes, (std::vector<std::string>{
                         "linha 2: COM1 já é o número de uma porta deste computador (/dev/ttyS0); "
                         "linha ignorada",
                         "linha 3: COM255 já é o número de uma porta deste computador "
                         "(/dev/ttyXR0); linha ignorada",
                         "linha 4: o endereço já está na lista como COM132; linha ignorada",
                         "linha 5: COM132 já é o número de um painel virtual em execução "
                         "(/dev/pts/3); linha ignorada",
                         "linha 6: o endereço já está na lista como COM193; linha ignorada",
                         "linha 7: o endereço já está na lista como COM192; linha ignorada"}));
}

TEST(PortList, RepeatedAddedLinesKeepTheFirst) {
    AddedPortsFile file;
    file.lines = {"COM200 socket://10.0.0.9:4001", "COM201 socket://10.0.0.9:4001",
                  "COM200 socket://10.0.0.8:4001", "COM200 socket://10.0.0.9:4001"};
    std::vector<std::string> notes;
    const auto ports = mergePorts(systemPorts(), {}, file.ports(), &notes);
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[1].name, "COM200");
    EXPECT_EQ(ports[1].device, "socket://10.0.0.9:4001");
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(file.problems(),
              (std::vector<std::string>{"linha 2: o mesmo endereço da linha 1; linha ignorada",
                                        "linha 3: COM200 já foi dada na linha 1; linha ignorada",
                                        "linha 4: COM200 já foi dada na linha 1; linha ignorada"}));
}

// The system's COM1 stays the system's: a line naming COM1 with a network
// address neither replaces it in the list nor receives its transfers.
TEST(PortList, AddedLineCannotShadowASystemPort) {
    TempDir dir;
    const std::string text = "COM1 socket://127.0.0.1:9\nCOM1 socket://127.0.0.1:10\n";
    writeBytes(dir.file("portas.txt"), Bytes(text.begin(), text.end()));
    StaticPortCatalog system;
    system.add(1, "/dev/ttyS0");
    PortDirectory directory(system, {}, dir.file("portas.txt"));
    const auto ports = listComPorts(directory);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].device, "/dev/ttyS0");
    const auto notes = directory.notes();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0], dir.file("portas.txt") + ", linha 2: COM1 já foi dada na linha 1; "
                                                 "linha ignorada");
    EXPECT_EQ(notes[1], dir.file("portas.txt") +
                            ", linha 1: COM1 já é o número de uma porta deste computador "
                            "(/dev/ttyS0); linha ignorada");

    ConnectionSettingsStore connection;
    connection.setPortNumber(1);
    WireLog wire;
    FakeSerialPort port{wire};
    RecordingSleeper sleeper;
    testing::RecordingPrompter prompter;
    SimulatedHidBus bus;
    ReportingTransmitter transmitter{bus, connection, prompter};
    OperatorLink link{connection, directory, port, transmitter, sleeper, prompter};
    EXPECT_EQ(link.sendParameter(8, 4, 1), SendOk);
    ASSERT_FALSE(wire.empty());
    EXPECT_EQ(wire[0].device, "/dev/ttyS0");
}

#ifndef _WIN32
// Someone else's list must not steer this user's sends: the file counts only
// while it is the user's own (or root's) and nobody else may write it.
TEST(AddedPorts, FileNotTheUsersOwnIsIgnoredWithItsName) {
    TempDir dir;
    const std::string path = dir.file("portas.txt");
    const std::string text = "COM200 socket://10.0.0.9:4001\n";
    writeBytes(path, Bytes(text.begin(), text.end()));
    const std::string link = dir.file("link.txt");
    ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
    struct Case {
        const std::string& file;
        mode_t mode;
        uid_t owner;     // of the file
        uid_t linkOwner; // of the link
        const char* reason;
    };
    const uid_t me = getuid();
    std::vector<Case> cases{
        {path, 0644, me, me, nullptr},
        {path, 0664, me, me, "o arquivo pode ser alterado por outros usuários (permissões 0664)"},
        {path, 0646, me, me, "o arquivo pode ser alterado por outros usuários (permissões 0646)"},
        {link, 0600, me, me, nullptr},
        {link, 0666, me, me, "(permissões 0666)"}};
    if (me == 0) { // only root can give a file away
        cases.push_back({path, 0644, 65534, me, "o arquivo pertence a outro usuário (uid 65534)"});
        cases.push_back({link, 0644, me, 65534, "o link pertence a outro usuário (uid 65534)"});
    }
    for (const Case& c : cases) {
        ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
        if (me == 0) {
            ASSERT_EQ(chown(path.c_str(), c.owner, 0), 0);
            ASSERT_EQ(lchown(link.c_str(), c.linkOwner, 0), 0);
        }
        StaticPortCatalog system;
        PortDirectory directory(system, {}, c.file);
        const auto ports = listComPorts(directory);
        const auto notes = directory.notes();
        SCOPED_TRACE(c.file + " " + std::to_string(c.mode) + " " + std::to_string(c.owner));
        if (!c.reason) {
            EXPECT_EQ(ports.size(), 1u);
            EXPECT_TRUE(notes.empty());
            continue;
        }
        EXPECT_TRUE(ports.empty());
        ASSERT_EQ(notes.size(), 1u);
        EXPECT_EQ(notes[0].rfind(c.file + ": ", 0), 0u) << notes[0];
        EXPECT_NE(notes[0].find(c.reason), std::string::npos) << notes[0];
        EXPECT_NE(notes[0].find("ignoradas"), std::string::npos) << notes[0];
    }
}

// Whatever stands in the file's place, the operator learns which file and why.
TEST(AddedPorts, FileThatCannotBeReadIsNamedWithWhy) {
    TempDir dir;
    mkdir(dir.file("folder").c_str(), 0700);
    mkfifo(dir.file("fifo").c_str(), 0600);
    writeBytes(dir.file("large"), Bytes(SmallFileSizeLimit + 1, '#'));
    ASSERT_EQ(symlink(dir.file("nowhere").c_str(), dir.file("dangling").c_str()), 0);
    struct Case {
        const char* name;
        const char* reason;
    };
    for (Case c :
         {Case{"folder", "é uma pasta"}, Case{"fifo", "não é um arquivo comum"},
          Case{"large", "grande demais"}, Case{"dangling", "arquivo ou pasta inexistente"}}) {
        StaticPortCatalog system;
        system.add(3, "/dev/ttyS2");
        PortDirectory directory(system, {}, dir.file(c.name));
        EXPECT_EQ(listComPorts(directory).size(), 1u) << c.name;
        const auto notes = directory.notes();
        ASSERT_EQ(notes.size(), 1u) << c.name;
        EXPECT_EQ(notes[0].rfind(dir.file(c.name) + ": ", 0), 0u) << notes[0];
        EXPECT_NE(notes[0].find(c.reason), std::string::npos) << notes[0];
    }
    StaticPortCatalog system;
    PortDirectory missing(system, {}, dir.file("missing"));
    listComPorts(missing);
    EXPECT_TRUE(missing.notes().empty()) << "no file: no added ports, nothing to say";
}

// The file may be a link to anything readable (as root, a password file):
// what is said about its lines is this program's own words, never their text.
TEST(AddedPorts, LinesAreNeverEchoed) {
    TempDir dir;
    const std::string secret = "root:$6$S3cr3tHash:19000:0:99999:7:::\n"
                               "COM9 \x1b]0;pwned\x07\n"
                               "COM201 socket://h:1\x1b[2J\n"
                               "COM7\n"
                               "COM202 ftp://S3cr3t:1\n";
    writeBytes(dir.file("secret"), Bytes(secret.begin(), secret.end()));
    chmod(dir.file("secret").c_str(), 0600);
    ASSERT_EQ(symlink(dir.file("secret").c_str(), dir.file("portas.txt").c_str()), 0);
    StaticPortCatalog system;
    PortDirectory directory(system, {}, dir.file("portas.txt"));
    EXPECT_TRUE(listComPorts(directory).empty());
    const auto notes = directory.notes();
    ASSERT_EQ(notes.size(), 5u);
    for (const std::string& note : notes) {
        EXPECT_EQ(note.find("S3cr3t"), std::string::npos) << note;
        EXPECT_EQ(note.find("pwned"), std::string::npos) << note;
        EXPECT_EQ(note.find("h:1"), std::string::npos) << note;
        for (char ch : note) EXPECT_GE(static_cast<unsigned char>(ch), 0x20) << note;
    }
    EXPECT_EQ(notes[0], dir.file("portas.txt") + ", linha 1: esperado COM<número> <endereço>");
}

// Without a runtime folder the panels' folder lies in /tmp, where another
// user can make it first: it is used only while it is this user's alone.
TEST(VirtualPanels, FolderTakenOverIsReportedNotUsed) {
    TempDir dir;
    const std::string folder = dir.file("vorelux-panels");
    EXPECT_EQ(panelFolderProblem(folder), "") << "not there yet: a panel makes it";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    EXPECT_EQ(panelFolderProblem(folder), "");
    std::vector<std::pair<std::function<void()>, std::string>> takeovers{
        {[&] { chmod(folder.c_str(), 0755); },
         "outros usuários têm acesso a ela (permissões 0755)"}};
    if (getuid() == 0) // only root can give a folder away
        takeovers.push_back({[&] { chmod(folder.c_str(), 0700), chown(folder.c_str(), 65534, 0); },
                             "pertence a outro usuário (uid 65534)"});
    takeovers.push_back({[&] { rmdir(folder.c_str()), symlink(dir.path.c_str(), folder.c_str()); },
                         "não é uma pasta"});
    for (const auto& [takeOver, why] : takeovers) {
        takeOver();
        const std::string problem = panelFolderProblem(folder);
        EXPECT_EQ(problem.rfind("a pasta dos painéis virtuais " + folder + " " + why, 0), 0u)
            << problem;
        PanelAnnouncement announcement;
        std::string error;
        EXPECT_FALSE(announcement.announce(folder, "/dev/null", 1, error));
        EXPECT_EQ(error, problem);
        StaticPortCatalog system;
        PortDirectory directory(system, folder, {});
        listComPorts(directory);
        EXPECT_EQ(directory.notes(), std::vector<std::string>{problem});
    }
}
#endif

#ifndef _WIN32
TEST(VirtualPanels, AnnouncedWhileRunningAndStaleOnesIgnored) {
    TempDir dir;
    const std::string folder = dir.file("panels");
    std::string error;
    {
        PanelAnnouncement announcement;
        ASSERT_TRUE(announcement.announce(folder, "/dev/null", 7, error)) << error;
        struct stat st {};
        ASSERT_EQ(stat(folder.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        auto panels = announcedVirtualPanels(folder);
        ASSERT_EQ(panels.size(), 1u);
        EXPECT_EQ(panels[0].device, "/dev/null");
        EXPECT_EQ(panels[0].description, "painel virtual 7");
        EXPECT_EQ(panels[0].origin, PortOrigin::VirtualPanel);

        StaticPortCatalog system;
        PortDirectory directory(system, folder, dir.file("portas.txt"));
        auto listed = listComPorts(directory);
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ(listed[0].name, "COM192");
    }
    EXPECT_TRUE(announcedVirtualPanels(folder).empty()) << "withdrawn when it goes";

    // A panel that was killed leaves its file: its process is gone, so it is ignored.
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    const std::string text = "device=/dev/null\npanel=1\npid=" + std::to_string(child) + "\n";
    writeBytes(folder + "/" + std::to_string(child) + ".panel", Bytes(text.begin(), text.end()));
    // A live process whose device is gone is ignored too.
    const std::string gone = "device=/dev/pts/999\npanel=1\npid=" + std::to_string(getpid()) + "\n";
    writeBytes(folder + "/1.panel", Bytes(gone.begin(), gone.end()));
    EXPECT_TRUE(announcedVirtualPanels(folder).empty());

    // A folder others may write is not trusted.
    PanelAnnouncement again;
    ASSERT_TRUE(again.announce(folder, "/dev/null", 3, error)) << error;
    chmod(folder.c_str(), 0777);
    EXPECT_TRUE(announcedVirtualPanels(folder).empty());
    chmod(folder.c_str(), 0700);
    EXPECT_EQ(announcedVirtualPanels(folder).size(), 1u);
}
#endif

#ifndef _WIN32
// A reader without XDG_RUNTIME_DIR (cron, su) still looks where a desktop
// session's panels announce, and one with it where the others do.
TEST(VirtualPanels, ReadersLookInEveryPlaceAPanelMayAnnounce) {
    TempDir runUser, runtime;
    const std::string uid = std::to_string(getuid());
    const std::string tmpFolder = "/tmp/vorelux-panels-" + uid;
    const std::string sessionFolder = runUser.file(uid) + "/vorelux-panels";
    // No session folder yet: only /tmp.
    EXPECT_EQ(virtualPanelFoldersFor(nullptr, runUser.path.string()),
              std::vector<std::string>{tmpFolder});
    ASSERT_EQ(mkdir(runUser.file(uid).c_str(), 0700), 0);
    EXPECT_EQ(virtualPanelFoldersFor(nullptr, runUser.path.string()),
              (std::vector<std::string>{sessionFolder, tmpFolder}));
    const std::string runtimeDir = runtime.path.string();
    EXPECT_EQ(virtualPanelFoldersFor(runtimeDir.c_str(), runUser.path.string()),
              (std::vector<std::string>{runtimeDir + "/vorelux-panels", sessionFolder, tmpFolder}));
    // A link in the session folder's place is not followed.
    rmdir(runUser.file(uid).c_str());
    ASSERT_EQ(symlink(runtimeDir.c_str(), runUser.file(uid).c_str()), 0);
    EXPECT_EQ(virtualPanelFoldersFor(nullptr, runUser.path.string()),
              std::vector<std::string>{tmpFolder});

    // Panels of two folders are listed together.
    const std::string first = runtime.file("a"), second = runtime.file("b");
    PanelAnnouncement one, two;
    std::string error;
    ASSERT_TRUE(one.announce(first, "/dev/null", 1, error)) << error;
    ASSERT_TRUE(two.announce(second, "/dev/zero", 2, error)) << error;
    const auto panels = announcedVirtualPanels(std::vector<std::string>{first, second});
    ASSERT_EQ(panels.size(), 2u);
    EXPECT_EQ(panels[0].device, "/dev/null");
    EXPECT_EQ(panels[1].device, "/dev/zero");
    chmod(second.c_str(), 0755); // an untrusted one is still skipped
    EXPECT_EQ(announcedVirtualPanels(std::vector<std::string>{first, second}).size(), 1u);
}
#endif

} // namespace
} // namespace vorelux
