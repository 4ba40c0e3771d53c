#include "app/preview_host.h"

#include <QMetaObject>

namespace vorelux::app {

int SnapshotLineSource::lineCount() const {
    std::lock_guard lock(mutex_);
    return int(lines_.size());
}

LineStream SnapshotLineSource::line(int index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || size_t(index) >= lines_.size()) return newLine();
    return lines_[size_t(index)];
}

void SnapshotLineSource::set(std::vector<LineStream> lines) {
    std::lock_guard lock(mutex_);
    lines_.swap(lines);
    // The old lines are freed when `lines` goes, after the lock is released.
}

// On the worker: hands each frame over and keeps it for its cycles.
class PreviewHost::Sink final : public preview::FrameSink {
  public:
    Sink(PreviewHost& host, uint64_t run) : host_(host), run_(run) {}

    bool show(const PanelImage& screen, uint8_t cycles) override {
        if (host_.pacer_.stopped()) return false;
        const PanelImage frame = screen;
        PreviewHost* host = &host_;
        const uint64_t run = run_;
        QMetaObject::invokeMethod(
            &host_, [host, run, frame, cycles] { host->deliverFrame(run, frame, cycles); },
            Qt::QueuedConnection);
        return host_.pacer_.wait(cycles);
    }

    void lineStarted(int index) override {
        PreviewHost* host = &host_;
        const uint64_t run = run_;
        QMetaObject::invokeMethod(
            &host_, [host, run, index] { host->deliverLine(run, index); }, Qt::QueuedConnection);
    }

  private:
    PreviewHost& host_;
    uint64_t run_;
};

PreviewHost::PreviewHost(QObject* parent) : QObject(parent) {}

PreviewHost::~PreviewHost() {
    stop();
    join();
}

bool PreviewHost::start(std::vector<LineStream> lines, int rounds) {
    stop();
    join();
    lines_.set(std::move(lines));
    if (!preview::pageHasContent(lines_)) return false;

    const uint64_t run = ++run_;
    running_ = true;
    delivered_ = 0;
    engine_ = std::make_unique<preview::PagePlayer>(lines_, glyphs_, *clock_);
    sink_ = std::make_unique<Sink>(*this, run);
    pacer_.begin();
    preview::PagePlayer* engine = engine_.get();
    Sink* sink = sink_.get();
    worker_ = std::thread([this, engine, sink, run, rounds] {
        const preview::RunResult result = engine->run(*sink, {.rounds = rounds});
        QMetaObject::invokeMethod(
            this, [this, run, result] { finished(run, result); }, Qt::QueuedConnection);
    });
    return true;
}

void PreviewHost::updateLines(std::vector<LineStream> lines) {
    lines_.set(std::move(lines));
}

void PreviewHost::stop() {
    if (!running_) return;
    running_ = false;
    ++run_; // whatever the stopped play still has queued is dropped
    if (engine_) engine_->requestStop();
    pacer_.stop();
    join();
}

void PreviewHost::join() {
    if (worker_.joinable()) worker_.join();
}

void PreviewHost::requestLineSkip(int direction) {
    if (running_ && engine_ && direction != 0) engine_->requestLineSkip(direction);
}

void PreviewHost::setPacingClock(PacingClock* clock) {
    if (running_) return;
    pacer_.setClock(clock ? *clock : static_cast<PacingClock&>(steady_));
}

void PreviewHost::setClock(const Clock* clock) {
    if (running_) return;
    clock_ = clock ? clock : &systemClock_;
}

void PreviewHost::deliverFrame(uint64_t run, const PanelImage& screen, uint8_t cycles) {
    if (run != run_ || !running_) return;
    ++delivered_;
    if (onFrame) onFrame(screen, cycles);
}

void PreviewHost::deliverLine(uint64_t run, int index) {
    if (run != run_ || !running_) return;
    if (onLine) onLine(index);
}

void PreviewHost::finished(uint64_t run, preview::RunResult result) {
    if (run != run_ || !running_) return;
    running_ = false;
    join();
    if (onFinished) onFinished(result);
}

} // namespace vorelux::app
