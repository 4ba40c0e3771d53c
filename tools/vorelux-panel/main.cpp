// vorelux-panel [--id N] [--port DEVICE | --pty | --listen PORT] [--headless] [--log]
//               [--colour red|amber|green|white|blue]
// vorelux-panel --version
//
// A virtual LED panel: acts as panel N (default 1) on a serial device at 9600
// 8N1, on a pseudo-terminal it creates (its path is printed, to be given to
// the editor as its serial port), or on a TCP port as a serial device server
// offers a line (raw). With a pseudo-terminal or a TCP port it announces
// itself, so the editor lists it among its ports while it runs. Shows the
// panel in a window with a log of the newest frames received; --headless
// runs without a window (for scripts), --log writes each log line to stdout
// as it comes.
#include "files/appearance_file.h"
#include "link/port_directory.h"
#include "link/ports.h"
#include "panel_host.h"
#include "panel_window.h"
#include "vorelux_version.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

void usage(FILE* to) {
    std::fputs("uso: vorelux-panel [--id N] [--port DISPOSITIVO | --pty | --listen PORTA] "
               "[--headless] [--log] [--colour COR]\n"
               "     vorelux-panel --version\n"
               "\n"
               "Um painel de LED virtual: responde como o painel N numa porta serial, num "
               "pseudoterminal\nou numa porta TCP, e mostra o que recebe numa janela.\n"
               "\n"
               "opções:\n"
               "  --id N              responde como o painel N, 1..255 (padrão: 1)\n"
               "  --port DISPOSITIVO  ouve num dispositivo serial a 9600 bauds, 8N1\n"
               "  --pty               cria um pseudoterminal e mostra seu caminho para o editor\n"
               "  --listen PORTA      recebe a linha pela porta TCP PORTA (bytes puros, como "
               "socket://)\n"
               "  --headless          sem janela (para scripts e testes)\n"
               "  --log               escreve cada quadro recebido na saída padrão\n"
               "  --colour COR        a cor dos LEDs: red, amber, green, white ou blue (padrão: a\n"
               "                      escolhida no editor, senão red)\n"
               "  --version           mostra a versão e sai\n"
               "  -h, --help          mostra esta ajuda e sai\n",
               to);
}

struct Options {
    int id = 1;
    std::string port;
    bool pty = false;
    int listen = 0; // TCP port, 0: none
    bool headless = false;
    bool log = false;
    vorelux::LedColour colour = vorelux::savedLedColour();
};

// Tells a usage error on stderr, with where the help is; false.
bool usageError(const std::string& problem) {
    std::fprintf(stderr, "vorelux-panel: %s\nveja \"vorelux-panel --help\"\n", problem.c_str());
    return false;
}

// A whole number in min..max, or nothing.
std::optional<int> numberIn(const char* text, long min, long max) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!end || end == text || *end || v < min || v > max) return std::nullopt;
    return int(v);
}

// False with a message on stderr when the arguments are wrong.
bool parse(int argc, char** argv, Options& o, bool& help, bool& version) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool takesValue = a == "--id" || a == "--port" || a == "--listen";
        if (takesValue && i + 1 >= argc) return usageError("falta o valor de " + a);
        if (a == "--help" || a == "-h") {
            help = true;
        } else if (a == "--version") {
            version = true;
        } else if (a == "--id") {
            const auto id = numberIn(argv[++i], 1, 255);
            if (!id)
                return usageError(std::string("--id espera um número de painel 1..255, não \"") +
                                  argv[i] + "\"");
            o.id = *id;
        } else if (a == "--port") {
            o.port = argv[++i];
        } else if (a == "--listen") {
            const auto port = numberIn(argv[++i], 1, 65535);
            if (!port)
                return usageError(std::string("--listen espera uma porta TCP 1..65535, não \"") +
                                  argv[i] + "\"");
            o.listen = *port;
        } else if (a == "--pty") {
            o.pty = true;
        } else if (a == "--headless") {
            o.headless = true;
        } else if (a == "--log") {
            o.log = true;
        } else if (a == "--colour" && i + 1 < argc) {
            if (!vorelux::parseLedColourWord(argv[++i], o.colour)) {
                std::fprintf(stderr,
                             "vorelux-panel: a cor \"%s\" não existe; --colour deve ser red, "
                             "amber, green, white ou blue\n",
                             argv[i]);
                return false;
            }
        } else {
            return usageError(
                (a.rfind('-', 0) == 0 ? "opção desconhecida: " : "argumento a mais: ") + a);
        }
    }
    if (help || version) return true; // no line needed
    const int lines = int(o.pty) + int(!o.port.empty()) + int(o.listen != 0);
    if (lines != 1)
        return usageError(lines == 0 ? "dê --port DISPOSITIVO, --pty ou --listen PORTA"
                                     : "dê só uma de --port, --pty e --listen");
    return true;
}

// SIGINT/SIGTERM end the event loop cleanly (the player thread is joined).
int signalPipe[2] = {-1, -1};
void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &c, 1);
}

} // namespace

namespace {

// While it runs, the editor and "vorelux ports" list the panel; the file
// goes when the panel ends (a killed panel's file is recognised as stale).
// Announced before the first line is printed, so whoever waits for that line
// finds the panel listed.
void announce(vorelux::panel::PanelHost& host, vorelux::PanelAnnouncement& announcement,
              const std::string& device, int id) {
    std::string error;
    if (announcement.announce(vorelux::virtualPanelFolder(), device, id, error)) return;
    // The operator who started the panel must see it, not only its log.
    std::fprintf(stderr, "vorelux-panel: não foi possível anunciar o painel ao editor: %s\n",
                 error.c_str());
    host.note(QStringLiteral("não foi possível anunciar o painel ao editor: %1")
                  .arg(QString::fromStdString(error)));
}

// Takes the line over TCP and prints "listen PORT socket://127.0.0.1:PORT".
bool listenOnTcp(vorelux::panel::PanelHost& host, const Options& o,
                 vorelux::PanelAnnouncement& announcement) {
    QString error;
    if (!host.input().listen(quint16(o.listen), error)) {
        std::fprintf(stderr, "vorelux-panel: cannot listen on TCP port %d: %s\n", o.listen,
                     error.toLocal8Bit().constData());
        return false;
    }
    const std::string address = "socket://127.0.0.1:" + std::to_string(o.listen);
    announce(host, announcement, address, o.id);
    std::printf("listen %d %s\n", o.listen, address.c_str());
    std::fflush(stdout);
    host.note(QStringLiteral("painel %1 ouvindo na porta TCP %2").arg(o.id).arg(o.listen));
    return true;
}

// Opens the line the panel listens on; false (told on stderr) when it cannot.
// A pseudo-terminal or a TCP port is announced to the editor.
bool openLine(vorelux::panel::PanelHost& host, const Options& o,
              vorelux::PanelAnnouncement& announcement) {
    QString error;
    if (o.listen) return listenOnTcp(host, o, announcement);
    if (!o.pty) {
        if (!host.input().openDevice(QString::fromStdString(o.port), error)) {
            std::fprintf(stderr, "vorelux-panel: cannot open %s: %s\n", o.port.c_str(),
                         error.toLocal8Bit().constData());
            return false;
        }
        host.note(QStringLiteral("painel %1 ouvindo em %2 (9600 8N1)")
                      .arg(o.id)
                      .arg(QString::fromStdString(o.port)));
        return true;
    }
    if (!host.input().openPty(error)) {
        std::fprintf(stderr, "vorelux-panel: cannot create a pseudo-terminal: %s\n",
                     error.toLocal8Bit().constData());
        return false;
    }
    const std::string path = host.input().slavePath().toStdString();
    announce(host, announcement, path, o.id);
    const auto com = vorelux::comNumberForDevice(path);
    // The first line of output: the device to give the editor.
    if (com)
        std::printf("pty %s COM%d\n", path.c_str(), *com);
    else
        std::printf("pty %s\n", path.c_str());
    std::fflush(stdout);
    host.note(
        QStringLiteral("painel %1 ouvindo em %2").arg(o.id).arg(QString::fromStdString(path)));
    return true;
}

// Ctrl+C and SIGTERM end the event loop, so the panel closes its line.
void quitOnSignals(QCoreApplication* app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [] { QCoreApplication::quit(); });
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    bool help = false;
    bool version = false;
    if (!parse(argc, argv, o, help, version)) return 2;
    if (version) {
        std::printf("vorelux-panel %s\n", VORELUX_VERSION);
        return 0;
    }
    if (help) {
        usage(stdout);
        return 0;
    }

    std::unique_ptr<QCoreApplication> app;
    if (o.headless)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);

    using namespace vorelux::panel;
    PanelHost host(uint8_t(o.id));
    host.setLogToStdout(o.log);
    vorelux::PanelAnnouncement announcement;
    if (!openLine(host, o, announcement)) return 1;
    quitOnSignals(app.get());

    std::unique_ptr<PanelWindow> window;
    if (!o.headless) {
        window = std::make_unique<PanelWindow>(host, o.colour);
        window->show();
    }
    const int rc = app->exec();
    window.reset();
    return rc;
}
