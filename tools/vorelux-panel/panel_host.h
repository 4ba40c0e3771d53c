#pragma once
// Runs one virtual panel on Qt's event loop: bytes from the serial input go
// to the panel, a timer ticks it (cut-off frames, switch times, schedules),
// and each log line is timed and handed on as it comes (to stdout with
// --log, to the window's log pane). Only the newest LogCapacity lines are
// kept: a panel may run for days under a flood of frames or noise.
#include "panel.h"
#include "panel_clock.h"
#include "serial_input.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>

namespace vorelux::panel {

class PanelHost : public QObject {
    Q_OBJECT
  public:
    // Log lines kept for the window and for lines(): the newest, this many.
    static constexpr qsizetype LogCapacity = 1000;

    explicit PanelHost(uint8_t id, QObject* parent = nullptr);

    Panel& panel() { return *panel_; }
    PanelClock& clock() { return clock_; }
    SerialInput& input() { return input_; }

    // Writes every log line to stdout as well.
    void setLogToStdout(bool on) { logToStdout_ = on; }
    // The newest lines logged, oldest first (timestamps included).
    const QStringList& lines() const { return lines_; }

    // Feeds bytes as if they came from the line (the input does this).
    void receive(const QByteArray& bytes);
    // Logs a line of the program's own (port opened, lost, ...).
    void note(const QString& text);

  signals:
    void logLine(QString line);
    // The panel's state changed (emitted on the host's thread).
    void changed();

  private:
    PanelClock clock_;
    std::unique_ptr<Panel> panel_;
    SerialInput input_;
    QTimer tick_;
    bool logToStdout_ = false;
    QStringList lines_;
};

} // namespace vorelux::panel
