// The tool's command line as a newcomer meets it, run as the real executable:
// every command's help, the usage errors and the language of failures.
#include "support/run_tool.h"
#include "support/temp_dir.h"

#include <cctype>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

const std::vector<std::string> Commands = {
    "canvas", "clear", "drawing", "dump",  "effect", "gif", "glyph",     "glyphs",     "live",
    "make",   "png",   "ports",   "power", "send",   "set", "set-clock", "show-pages", "trace"};

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The English words a message that slipped past translation shows.
std::string englishWordIn(const std::string& text) {
    static const std::set<std::string> english = {
        "is",    "the",   "not",    "failed",     "error",   "cannot",     "such",
        "file",  "usage", "denied", "permission", "refused", "connection", "unknown",
        "found", "must",  "was",    "nothing",    "written"};
    std::string word;
    for (size_t i = 0; i <= text.size(); ++i) {
        const unsigned char c = i < text.size() ? static_cast<unsigned char>(text[i]) : ' ';
        if (std::isalpha(c) || c >= 0x80) { // accented letters are letters too
            word += char(std::tolower(c));
        } else {
            if (english.count(word)) return word;
            word.clear();
        }
    }
    return {};
}

} // namespace

TEST(ToolConventions, EveryCommandPrintsItsHelpOnStdoutAndDoesNothingElse) {
    for (const std::string& command : Commands) {
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {command, "--help"}, {command, "-h"}, {"help", command}}) {
            const ToolResult r = runTool(VORELUX_TOOL, args);
            SCOPED_TRACE(args[0] + " " + args[1]);
            EXPECT_EQ(r.exitCode, 0);
            EXPECT_TRUE(startsWith(r.out, "uso: vorelux " + command + " ")) << r.out;
            EXPECT_NE(r.out.find("opções:"), std::string::npos) << r.out;
            EXPECT_NE(r.out.find("-h, --help"), std::string::npos) << r.out;
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(englishWordIn(r.out), "") << r.out;
        }
    }
}

TEST(ToolConventions, HelpAmongOtherArgumentsReadsAndWritesNothing) {
    TempDir dir;
    const std::string out = dir.file("saida.gif");
    const ToolResult gif =
        runTool(VORELUX_TOOL, {"gif", dir.file("nao-existe.vpg"), "--page", "1", "-o", out, "-h"});
    EXPECT_EQ(gif.exitCode, 0);
    EXPECT_EQ(gif.err, "");
    EXPECT_TRUE(startsWith(gif.out, "uso: vorelux gif ")) << gif.out;
    EXPECT_FALSE(std::filesystem::exists(out));
    // Sending commands open no port and read no conn.cfg.
    const ToolResult power = runTool(
        VORELUX_TOOL, {"power", "on", "--port", "/dev/nao-existe", "--config", out, "--help"});
    EXPECT_EQ(power.exitCode, 0);
    EXPECT_EQ(power.err, "");
    EXPECT_TRUE(startsWith(power.out, "uso: vorelux power ")) << power.out;
}

TEST(ToolConventions, TheToolsHelpIsOnStdout) {
    for (const char* word : {"--help", "-h", "help"}) {
        const ToolResult r = runTool(VORELUX_TOOL, {word});
        EXPECT_EQ(r.exitCode, 0) << word;
        EXPECT_TRUE(startsWith(r.out, "uso: vorelux ")) << r.out;
        for (const std::string& command : Commands)
            EXPECT_NE(r.out.find("  " + command + " "), std::string::npos) << command;
        EXPECT_EQ(r.err, "") << word;
    }
    // Without a command: a short usage on stderr, as a usage error.
    const ToolResult bare = runTool(VORELUX_TOOL, {});
    EXPECT_EQ(bare.exitCode, 2);
    EXPECT_EQ(bare.out, "");
    EXPECT_TRUE(startsWith(bare.err, "uso: vorelux ")) << bare.err;
    EXPECT_LT(bare.err.size(), 300u) << "a short usage, not every command";
}

TEST(ToolConventions, UsageErrorsNameTheBadWordAndWhereTheHelpIs) {
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> says;
    };
    const Case cases[] = {
        {{"frobnicate"}, {"comando desconhecido", "frobnicate", "vorelux --help"}},
        {{"help", "frobnicate"}, {"comando desconhecido", "frobnicate"}},
        {{"--frobnicate"}, {"opção desconhecida: --frobnicate", "vorelux --help"}},
        {{"gif", "a.vpg", "--pgae", "1", "-o", "a.gif"},
         {"opção desconhecida: --pgae", "vorelux gif --help"}},
        {{"dump", "-x", "a.vpg"}, {"opção desconhecida: -x", "vorelux dump --help"}},
        {{"send", "a.vpg", "--dry-rnu"}, {"opção desconhecida: --dry-rnu"}},
        {{"trace", "a.vpg", "--page"}, {"falta o valor de --page", "vorelux trace --help"}},
        {{"power", "on", "--port"}, {"falta o valor de --port"}},
        {{"png", "a.vpg", "--page", "1", "-o"}, {"falta o valor de -o"}},
        {{"dump"}, {"uso: vorelux dump ARQUIVO.vpg", "vorelux dump --help"}},
        {{"set", "volume", "3", "--to", "1", "--dry-run"}, {"volume"}},
    };
    for (const Case& c : cases) {
        const ToolResult r = runTool(VORELUX_TOOL, c.args);
        SCOPED_TRACE(c.args[0]);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        for (const std::string& part : c.says)
            EXPECT_NE(r.err.find(part), std::string::npos) << r.err;
        EXPECT_EQ(englishWordIn(r.err), "") << r.err;
        EXPECT_LT(r.err.size(), 400u) << "the error, not the whole usage: " << r.err;
    }
}

// "--name=value" reads as "--name value"; a negative number is a value, not
// an option; after "--" a word that looks like an option is an argument.
TEST(ToolConventions, OptionValuesMayFollowAnEqualsSign) {
    const ToolResult r = runTool(VORELUX_TOOL, {"set", "temp-internal", "-5", "--to=1", "--dry-run",
                                                "--port=socket://127.0.0.1:9"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("socket://127.0.0.1:9"), std::string::npos) << r.out;

    TempDir dir;
    const ToolResult made =
        runTool(VORELUX_TOOL, {"make", dir.file("a.vpg"), "--page=2", "--", "-PROMO-"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const ToolResult dumped = runTool(VORELUX_TOOL, {"dump", dir.file("a.vpg")});
    EXPECT_NE(dumped.out.find("página 2: 1 linha"), std::string::npos) << dumped.out;
    EXPECT_NE(dumped.out.find("\"-PROMO-\""), std::string::npos) << dumped.out;
}

TEST(ToolConventions, FailuresArePortugueseAndNameWhatWasTyped) {
    TempDir dir;
    const std::string missing = dir.file("não-existe.vpg");
    const std::string damaged = dir.file("estragado.vpg");
    writeBytes(damaged, std::vector<uint8_t>(100, 'x'));
    const std::string noFolder = dir.file("sem-pasta") + "/novo.vpg";
    struct Case {
        std::vector<std::string> args;
        std::string names;
    };
    const Case cases[] = {
        {{"dump", missing}, missing},
        {{"dump", damaged}, damaged},
        {{"trace", damaged, "--page", "1"}, damaged},
        {{"gif", damaged, "--page", "1", "-o", dir.file("a.gif")}, damaged},
        {{"png", missing, "--page", "1", "--at-cycle", "0", "-o", dir.file("a.png")}, missing},
        {{"send", missing, "--to", "1", "--dry-run"}, missing},
        {{"make", noFolder, "LINHA"}, noFolder},
        {{"dump", dir.path.string()}, dir.path.string()},
    };
    for (const Case& c : cases) {
        const ToolResult r = runTool(VORELUX_TOOL, c.args);
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find(c.names), std::string::npos) << r.err;
        EXPECT_EQ(englishWordIn(r.err), "") << r.err;
    }
}

#ifndef _WIN32
// A loopback port nobody listens on: bound, then closed.
int closedLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

TEST(ToolConventions, AnUnreachableNetworkPortIsNamedAsTyped) {
    const std::string port = std::to_string(closedLoopbackPort());
    for (const std::string& typed : {"socket://127.0.0.1:" + port, "Socket://127.0.0.1:" + port,
                                     "RFC2217://LocalHost:" + port}) {
        const ToolResult r = runTool(VORELUX_TOOL, {"power", "on", "--to", "1", "--port", typed});
        SCOPED_TRACE(typed);
        EXPECT_EQ(r.exitCode, 4) << r.err;
        EXPECT_NE(r.err.find(typed), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("COM"), std::string::npos) << "the typed address only: " << r.err;
        EXPECT_EQ(englishWordIn(r.err), "") << r.err;
    }
}
#endif
