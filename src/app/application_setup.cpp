#include "app/application_setup.h"

#include "app/led_font.h"
#include "files/settings_folder.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSocketNotifier>

#include <algorithm>
#include <array>
#include <string_view>

#if !defined(_WIN32)
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace vorelux::app {

void prepareApplication(ApplicationSetup& setup) {
    // The standard dialogs speak Portuguese when Qt's translations are installed.
    if (setup.qtTranslator.load(QLocale(QLocale::Portuguese, QLocale::Brazil),
                                QStringLiteral("qtbase"), QStringLiteral("_"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&setup.qtTranslator);
    setup.fontHandle = loadPrivateFont();
    // These names place the user's settings folder (Qt's per-application
    // configuration location), which the `vorelux` tool finds the same way.
    QApplication::setOrganizationName(QString::fromLatin1(SettingsOrganization));
    QApplication::setApplicationName(QString::fromLatin1(SettingsApplication));
    // No display name: the platform would add it to every title, and the main
    // window's caption already names the editor.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vorelux.Editor"));
}

void finishApplication(ApplicationSetup& setup) {
    removePrivateFont(setup.fontHandle);
    setup.fontHandle = -1;
}

// ---------------------------------------------------------------- command line

namespace {

// Qt's own options, which QApplication takes out of the arguments: those that
// take a value (as the next argument or after '='), then the plain ones.
constexpr std::array<std::string_view, 14> QtValueOptions = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "name",          "title"};
constexpr std::array<std::string_view, 6> QtFlagOptions = {
    "reverse", "widgetcount", "nograb", "dograb", "sync", "qmljsdebugger"};

bool listed(const auto& table, std::string_view name) {
    return std::find(table.begin(), table.end(), name) != table.end();
}

CommandLine failure(std::string message) {
    CommandLine line;
    line.action = CommandLine::Action::Error;
    line.error = "vorelux-editor: " + std::move(message) +
                 "\nUse \"vorelux-editor --help\" para ver as opções.";
    return line;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool optionsEnd = false;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnd || argument.size() < 2 || argument[0] != '-') {
            if (!line.pageFile.empty())
                return failure("apenas um arquivo de páginas pode ser aberto; argumento a "
                               "mais: \"" +
                               argument + "\"");
            line.pageFile = argument;
            continue;
        }
        if (argument == "--") {
            optionsEnd = true;
        } else if (argument == "--help" || argument == "-h") {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (argument == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        } else {
            // Qt reads -platform and --platform alike.
            std::string_view name(argument);
            name.remove_prefix(name.starts_with("--") ? 2 : 1);
            const size_t equals = name.find('=');
            const std::string_view bare = name.substr(0, equals);
            if (listed(QtValueOptions, bare)) {
                if (equals == std::string_view::npos && ++i >= arguments.size())
                    return failure("a opção \"" + argument + "\" precisa de um valor");
            } else if (!listed(QtFlagOptions, bare)) {
                return failure("opção desconhecida: \"" + argument + "\"");
            }
        }
    }
    return line;
}

std::string commandLineHelp() {
    return "Uso: vorelux-editor [ARQUIVO.vpg]\n"
           "Edita as mensagens dos painéis de LED de 7 x 64 LEDs e as envia aos painéis.\n"
           "\n"
           "  ARQUIVO.vpg        arquivo de páginas aberto ao iniciar, no lugar do último\n"
           "                     arquivo usado\n"
           "\n"
           "Opções:\n"
           "  -h, --help         mostra esta ajuda e sai\n"
           "  --version          mostra a versão e sai\n"
           "  -platform NOME     sistema de janelas do Qt (xcb, wayland, offscreen)\n"
           "  -display TELA      a tela do X11 (no lugar de $DISPLAY)\n"
           "\n"
           "As configurações ficam em ~/.config/Vorelux/Vorelux Editor/.\n";
}

// ---------------------------------------------------------------- signals

#if !defined(_WIN32)
namespace {
int signalWriteEnd = -1;

extern "C" void writeSignalNumber(int number) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalWriteEnd, &byte, 1);
    errno = saved;
}
} // namespace
#endif

EndSignals::EndSignals(std::function<void(int)> received) : received_(std::move(received)) {
#if !defined(_WIN32)
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
    ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
    ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
    signalWriteEnd = ends[1];
    notifier_ = new QSocketNotifier(ends[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { readPending(); });
    struct sigaction action {};
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(number, &action, nullptr);
#endif
}

EndSignals::~EndSignals() {
#if !defined(_WIN32)
    if (!notifier_) return;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) ::signal(number, SIG_DFL);
    notifier_->setEnabled(false);
    ::close(signalWriteEnd);
    signalWriteEnd = -1;
    ::close(int(notifier_->socket()));
#endif
}

void EndSignals::readPending() {
#if !defined(_WIN32)
    unsigned char byte = 0;
    while (::read(int(notifier_->socket()), &byte, 1) == 1)
        if (received_) received_(byte);
#endif
}

} // namespace vorelux::app
