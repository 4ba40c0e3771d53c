#pragma once
// Runs a transfer on a worker thread so that the user-interface thread never
// waits for its pauses. The transfer is the synchronous link code; each of
// its device effects (the serial port, the transmitter, a prompt) comes back
// to the runner's thread through call(), which blocks the worker until it
// has run there: QSerialPort and the HID objects stay on the thread that owns
// them. The worker checks cancelled() between steps.
#include "link/panel_link.h"

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace vorelux::app {

class TransferRunner final : public QObject {
    Q_OBJECT
  public:
    explicit TransferRunner(QObject* parent = nullptr);
    // Cancels a running transfer and waits for it, running its device calls
    // meanwhile; its `done` is not called then.
    ~TransferRunner() override;

    // Runs `work` on a worker thread and `done` on this thread once it has
    // returned (then finished() is emitted). False, and nothing done, while
    // another transfer runs.
    bool start(std::function<void()> work, std::function<void()> done = {});
    bool running() const { return running_; }

    // Asks the running transfer to stop at its next step.
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }
    // Ends the wait the worker is in (for a device server to answer) without
    // cancelling the whole transfer: its progress loop stops on its own.
    // Undone when a progress window starts or finishes.
    void stopWaiting(bool stop = true) { waitStopped_ = stop; }
    // True when a wait of the worker should end: cancelled or stopped.
    bool waitEnds() const { return cancelled_ || waitStopped_; }

    // From the worker: runs `effect` on this thread and returns once it has
    // run. On this thread: runs it at once.
    void call(const std::function<void()>& effect);
    // From the worker: hands `update` to this thread without waiting (a
    // progress update). Updates run in order, all before `done`.
    void post(std::function<void()> update);

    // The gate a worker's PanelLink sends its device effects through.
    DeviceGate gate();

  signals:
    void finished();

  private:
    struct Call {
        const std::function<void()>* effect;
        bool done = false;
    };
    void runCalls();
    void runFirstCall(std::unique_lock<std::mutex>& lock);
    void workerEnded();
    void waitForWorker();

    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Call*> calls_;
    bool workerDone_ = false;
    bool running_ = false;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> waitStopped_{false};
    std::function<void()> done_;
};

// A progress window driven from a runner's worker: each call runs on the
// runner's thread; a cancelled runner cancels the loop too. While a
// ProgressWindowDialog is on show, its "Cancelar" also ends the wait for a
// device server the worker is in.
class WorkerProgress final : public ProgressWindow {
  public:
    WorkerProgress(ProgressWindow* window, TransferRunner& runner)
        : window_(window), runner_(runner) {}
    ~WorkerProgress() override;
    void start(int maximum) override;
    bool step(int position) override;
    void finish() override;

  private:
    ProgressWindow* window_;
    TransferRunner& runner_;
    QMetaObject::Connection cancelHook_;
};

// `command` for a loop with no progress window on a runner's worker: once
// the runner is cancelled the remaining panels are skipped (nothing sent).
PanelCommand untilCancelled(PanelCommand command, const TransferRunner& runner);

// A PanelLink for a transfer on a runner's worker: the devices and sleeper
// of `ui`, each effect carried to the runner's thread, and a copy of
// the connection settings taken when the transfer starts (the transport is
// the one active then). Network addresses are the exception: the worker
// connects, negotiates and writes them itself, so the window's thread never
// waits for a device server; the runner's waitEnds() cuts that wait short.
class WorkerLink {
  public:
    WorkerLink(PanelLink& ui, TransferRunner& runner);
    PanelLink& link() { return link_; }
    // Hands the results kept on the link back to `ui` once the transfer has ended.
    void returnResults(PanelLink& ui) const;

  private:
    ConnectionSettingsStore settings_;
    PanelLink link_;
    // The worker's own port for device servers, used on the worker's thread
    // (null in builds without the Qt transports).
    std::unique_ptr<SerialPort> network_;
};

} // namespace vorelux::app
