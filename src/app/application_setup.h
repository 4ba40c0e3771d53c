#pragma once
// What the editor's process sets up before its main window exists: its
// command line, Qt's own Portuguese texts, the private LED font, the
// application's name, and the signals that end a run.
#include <QObject>
#include <QTranslator>

#include <functional>
#include <string>
#include <vector>

class QSocketNotifier;

namespace vorelux::app {

struct ApplicationSetup {
    QTranslator qtTranslator;
    int fontHandle = -1;
};

// Call once after the QApplication exists; keep the result alive for the run
// and pass it to finishApplication at the end.
void prepareApplication(ApplicationSetup& setup);
void finishApplication(ApplicationSetup& setup);

// The editor's command line, read before any window system is reached (so
// that --help works without a display). Qt's own options (-platform xcb,
// -style ...) pass through to Qt.
struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    std::string pageFile; // the page file to open, as given; empty for none
    std::string error;    // Error: the message, naming the argument
};
CommandLine parseCommandLine(const std::vector<std::string>& arguments); // arguments[0]: program
// "Uso: vorelux-editor [ARQUIVO.vpg]" and the options.
std::string commandLineHelp();

// SIGTERM, SIGINT and SIGHUP, delivered to the event loop: the handler only
// writes the signal's number to a pipe, and `received` runs in the loop with
// it. One instance per process.
class EndSignals final : public QObject {
  public:
    explicit EndSignals(std::function<void(int)> received);
    ~EndSignals() override;
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

  private:
    void readPending();
    std::function<void(int)> received_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace vorelux::app
