#include "panel_player.h"

#include "panel_live.h"
#include "preview/page_player.h"

#include <chrono>

namespace vorelux::panel {

using SteadyClock = std::chrono::steady_clock;

double PanelPlayer::cycleSeconds(int speed) {
    return 8.0 / 700.0 * double(speed) / double(DefaultSpeed);
}

class PanelPlayer::Sink final : public preview::FrameSink {
  public:
    Sink(PanelPlayer& player, uint64_t generation)
        : player_(player), generation_(generation), deadline_(SteadyClock::now()) {}

    bool show(const PanelImage& screen, uint8_t cycles) override {
        if (player_.interrupted(generation_)) return false;
        player_.out_(screen);
        ++player_.frames_;
        if (cycles == 0) return true;
        const double seconds = cycles * cycleSeconds(player_.panel_.speed());
        deadline_ += std::chrono::duration_cast<SteadyClock::duration>(
            std::chrono::duration<double>(seconds));
        const auto now = SteadyClock::now();
        if (deadline_ < now - std::chrono::seconds(1)) deadline_ = now; // after a stall
        std::unique_lock lock(player_.mutex_);
        player_.cv_.wait_until(lock, deadline_, [&] { return player_.interrupted(generation_); });
        if (player_.interrupted(generation_)) return false;
        player_.cycles_ += cycles;
        return true;
    }

  private:
    PanelPlayer& player_;
    uint64_t generation_;
    SteadyClock::time_point deadline_;
};

PanelPlayer::PanelPlayer(Panel& panel, FrameOut out) : panel_(panel), out_(std::move(out)) {}

PanelPlayer::~PanelPlayer() {
    stop();
}

void PanelPlayer::start() {
    if (thread_.joinable()) return;
    quit_ = false;
    thread_ = std::thread([this] { run(); });
}

void PanelPlayer::stop() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    cv_.notify_all();
    if (thread_.joinable()) thread_.join();
}

PanelPlayer::PlayKey PanelPlayer::currentKey() const {
    PlayKey key;
    key.plan = panel_.plan();
    const PanelSettings s = panel_.settings();
    for (int p : key.plan.pages) key.contents.push_back(s.pages[size_t(p)]);
    return key;
}

void PanelPlayer::replan() {
    const PlayKey key = currentKey();
    {
        std::lock_guard lock(mutex_);
        if (key == playing_) return;
        playing_ = key;
        ++generation_;
    }
    cv_.notify_all();
}

void PanelPlayer::holdStill(const PanelImage& image, uint64_t generation) {
    out_(image);
    ++frames_;
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, std::chrono::seconds(1), [&] { return interrupted(generation); });
}

void PanelPlayer::run() {
    GlyphRenderer glyphs;
    while (!quit_) {
        PlayKey key;
        uint64_t generation;
        {
            // Under the lock, so a change noticed by replan() meanwhile is
            // either in this key or restarts the play.
            std::lock_guard lock(mutex_);
            key = currentKey();
            playing_ = key;
            generation = generation_;
        }
        const DisplayPlan& plan = key.plan;
        PanelImage image{};
        if (plan.kind == DisplayPlan::Kind::Off) {
            holdStill(image, generation);
            continue;
        }
        if (plan.kind == DisplayPlan::Kind::PanelNumber) {
            drawCentred(image, glyphs, panelNumberText(plan.number));
            holdStill(image, generation);
            continue;
        }
        if (plan.pages.empty()) {
            holdStill(image, generation);
            continue;
        }
        bool playedSomething = false;
        for (size_t i = 0; i < plan.pages.size() && !interrupted(generation); ++i) {
            preview::VectorLineSource lines(splitLines(key.contents[i]));
            preview::PlayOptions options{.rounds = 1};
            options.drawLiveField = [&](uint8_t code, PanelImage& screen) {
                const auto text = panelFieldText(code, panel_.settings(), panel_.clock().now());
                if (!text) return false;
                drawCentred(screen, glyphs, *text);
                return true;
            };
            Sink sink(*this, generation);
            if (preview::runPage(lines, glyphs, panel_.clock(), sink, options) !=
                preview::RunResult::NothingToPlay)
                playedSomething = true;
        }
        if (!playedSomething) holdStill(image, generation);
    }
}

} // namespace vorelux::panel
