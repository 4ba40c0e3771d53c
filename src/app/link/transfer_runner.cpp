#include "app/link/transfer_runner.h"

#include "app/link/progress_window.h"

#ifdef VORELUX_HAVE_LINK_QT
#include "transport/qt_network.h"
#endif

#include <QPointer>

#include <QThread>
#include <exception>

namespace vorelux::app {

TransferRunner::TransferRunner(QObject* parent) : QObject(parent) {}

TransferRunner::~TransferRunner() {
    cancel();
    waitForWorker();
}

bool TransferRunner::start(std::function<void()> work, std::function<void()> done) {
    if (running_) return false;
    running_ = true;
    cancelled_ = false;
    waitStopped_ = false;
    workerDone_ = false;
    done_ = std::move(done);
    worker_ = std::thread([this, work = std::move(work)] {
        try {
            work();
        } catch (const std::exception&) {
            // The transfer's result says what it reached; nothing more to do here.
        }
        {
            std::lock_guard lock(mutex_);
            workerDone_ = true;
        }
        changed_.notify_all();
        QMetaObject::invokeMethod(
            this, [this] { workerEnded(); }, Qt::QueuedConnection);
    });
    return true;
}

void TransferRunner::call(const std::function<void()>& effect) {
    if (QThread::currentThread() == thread()) {
        effect();
        return;
    }
    Call pending{&effect};
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(&pending);
    }
    changed_.notify_all();
    QMetaObject::invokeMethod(
        this, [this] { runCalls(); }, Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return pending.done; });
}

void TransferRunner::post(std::function<void()> update) {
    QMetaObject::invokeMethod(this, std::move(update), Qt::QueuedConnection);
}

DeviceGate TransferRunner::gate() {
    return [this](const std::function<void()>& effect) { call(effect); };
}

// Runs the oldest waiting call with the lock released, then wakes its worker.
void TransferRunner::runFirstCall(std::unique_lock<std::mutex>& lock) {
    Call* next = calls_.front();
    calls_.pop_front();
    lock.unlock();
    (*next->effect)();
    lock.lock();
    next->done = true;
    changed_.notify_all();
}

void TransferRunner::runCalls() {
    std::unique_lock lock(mutex_);
    while (!calls_.empty()) runFirstCall(lock);
}

void TransferRunner::workerEnded() {
    if (!worker_.joinable()) return; // waited for already
    worker_.join();
    running_ = false;
    auto done = std::move(done_);
    done_ = {};
    // The results shown by `done` may outlive the runner's owner (a window
    // closed while a message was on show).
    const QPointer<TransferRunner> alive(this);
    if (done) done();
    if (alive) emit finished();
}

// Runs the worker's calls on this thread until it has ended: the port is
// closed by the worker's own last call, not left open.
void TransferRunner::waitForWorker() {
    if (!worker_.joinable()) return;
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return workerDone_ || !calls_.empty(); });
        if (calls_.empty()) break;
        runFirstCall(lock);
    }
    lock.unlock();
    worker_.join();
    running_ = false;
}

WorkerProgress::~WorkerProgress() {
    QObject::disconnect(cancelHook_);
}

void WorkerProgress::start(int maximum) {
    if (!window_) return;
    runner_.call([&] {
        window_->start(maximum);
        runner_.stopWaiting(false);
        QObject::disconnect(cancelHook_);
        if (auto* dialog = dynamic_cast<ProgressWindowDialog*>(window_))
            cancelHook_ = QObject::connect(dialog, &ProgressWindowDialog::cancelRequested, &runner_,
                                           [runner = &runner_] { runner->stopWaiting(); });
    });
}

bool WorkerProgress::step(int position) {
    bool goOn = true;
    if (window_) runner_.call([&] { goOn = window_->step(position); });
    return goOn && !runner_.cancelled();
}

void WorkerProgress::finish() {
    if (!window_) return;
    runner_.call([&] {
        QObject::disconnect(cancelHook_);
        runner_.stopWaiting(false);
        window_->finish();
    });
}

PanelCommand untilCancelled(PanelCommand command, const TransferRunner& runner) {
    return [command = std::move(command), &runner](PanelId panel) -> uint8_t {
        return runner.cancelled() ? uint8_t{SendOk} : command(panel);
    };
}

WorkerLink::WorkerLink(PanelLink& ui, TransferRunner& runner)
    : settings_(ui.cfg()),
      link_(settings_, ui.catalog(), ui.port(), ui.transmitter(), ui.sleeper()) {
    link_.transmitterPauseMs = ui.transmitterPauseMs;
    link_.setSettledPort(ui.settledPort());
    link_.setDeviceGate(runner.gate());
    link_.setStopCheck([&runner] { return runner.waitEnds(); });
#ifdef VORELUX_HAVE_LINK_QT
    auto network = std::make_unique<QtNetworkPort>();
    network->setCancelCheck([&runner] { return runner.waitEnds(); });
    network_ = std::move(network);
    link_.setNetworkPort(network_.get());
#endif
}

void WorkerLink::returnResults(PanelLink& ui) const {
    ui.lastSendResult = link_.lastSendResult;
    ui.setSettledPort(link_.settledPort());
    if (!link_.lastSerialError.empty()) ui.lastSerialError = link_.lastSerialError;
}

} // namespace vorelux::app
