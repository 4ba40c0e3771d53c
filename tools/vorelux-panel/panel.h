#pragma once
// A virtual panel: what one LED panel keeps and does with the frames it
// receives. It stores pages, takes the settings of the parameter table,
// switches off and on, shows its number on request, and decides what its
// display plays at any moment (the pages chosen for display, a schedule's
// page, its number, or nothing while switched off).
//
// Thread-safe: the receiving side calls receive()/tick(), the player thread
// and the window read snapshots.
#include "frame_decoder.h"
#include "panel_clock.h"

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vorelux::panel {

constexpr int DefaultSpeed = 9;        // the settings dialog's default speed position 97
constexpr int DefaultBrightness = 127; // the factory brightness
constexpr uint8_t AllPages = 0xFF;

struct SimpleDate {
    int day = 1;
    int month = 1;
    int year = 0; // two digits, century 2000
    bool operator==(const SimpleDate&) const = default;
};

struct HourEntry {
    uint8_t hour = 255; // 255: the entry is off
    uint8_t minute = 255;
    bool active() const { return hour <= 23 && minute <= 59; }
    bool operator==(const HourEntry&) const = default;
};

enum class ScheduleMode : uint8_t { Off = 0, PageByHour = 1, PageByWeekday = 2 };

// Everything the panel keeps, as one copyable value.
struct PanelSettings {
    uint8_t id = 1;
    std::array<std::vector<uint8_t>, 8> pages; // content as received; empty: never received
    uint8_t displayMask = AllPages;            // bit k: page k + 1 is shown
    int selectedPage = -1;                     // the page whose frame ended in 17
    bool powered = true;
    bool showingId = false;
    bool vertical = false;
    int brightness = DefaultBrightness; // 2..255
    int speed = DefaultSpeed;           // 2..30, smaller is faster
    ScheduleMode schedule = ScheduleMode::Off;
    std::array<HourEntry, 8> pageByHour{};
    // Switch-on and switch-off times; off while the off minute is 255.
    uint8_t onHour = 0, onMinute = 0, offHour = 0, offMinute = 255;
    std::optional<SimpleDate> countDownEnd;
    std::optional<SimpleDate> countUpStart;
    int internalAdjust = 0; // whole degrees, -99..99
    int externalAdjust = 0;
    int configPolls = 0; // configuration polls heard (the panel is never in configuration mode)

    bool onOffEnabled() const { return offMinute != 255; }
};

// What the display shows.
struct DisplayPlan {
    enum class Kind { Off, PanelNumber, Pages };
    Kind kind = Kind::Pages;
    uint8_t number = 0;     // PanelNumber: the number shown
    std::vector<int> pages; // Pages: the pages to play in turn (0..7), those holding content
    bool operator==(const DisplayPlan&) const = default;
};

// The lines of a page as received: split at each 0xFF.
std::vector<std::vector<uint8_t>> splitLines(const std::vector<uint8_t>& content);
// True when some line of the page holds more than its three header bytes.
bool pageHasContent(const std::vector<uint8_t>& content);

class Panel {
  public:
    explicit Panel(uint8_t id, PanelClock& clock, MonotonicMs monotonic = steadyMs,
                   int frameTimeoutMs = DefaultFrameTimeoutMs);

    // Bytes from the serial line.
    void receive(const uint8_t* data, size_t size);
    void receive(const std::vector<uint8_t>& data) { receive(data.data(), data.size()); }
    // Called about once a second: drops a frame cut off, switches on or off
    // at the set times, and notices a schedule changing the page.
    void tick();

    // One frame as decoded (receive() calls these).
    void apply(const ParameterFrame& frame);
    void apply(const PageFrame& frame);

    PanelSettings settings() const;
    DisplayPlan plan() const;
    uint8_t id() const;
    int speed() const;
    PanelClock& clock() { return clock_; }
    // The decoder behind receive(), for a look at what it holds.
    const FrameDecoder& decoder() const { return decoder_; }

    // One line per accepted frame, per ignored noise, per change by itself.
    std::function<void(const std::string&)> onLog;
    // The display plan or a display setting (brightness, speed, orientation)
    // may have changed.
    std::function<void()> onChange;

  private:
    void log(const std::string& text);
    void changed();
    DisplayPlan planLocked(const LocalDateTime& now) const;
    // Each parameter group's handler returns the log text, or nothing when
    // the code is not one of its own; `ok` is cleared for a refused value.
    std::string applyParameterLocked(const ParameterFrame& f, bool& ok);
    std::optional<std::string> applyDisplaySetting(int code, int value, bool& ok);
    std::optional<std::string> applyPageHour(int code, int value, bool& ok);
    std::optional<std::string> applyCounterDate(int code, int value, bool& ok);
    std::optional<std::string> applyOnOffTime(int code, int value, bool& ok);
    std::optional<std::string> applyCommand(int code, bool& ok);
    bool autoOnLevel(const LocalDateTime& now) const;

    PanelClock& clock_;
    MonotonicMs monotonic_;
    FrameDecoder decoder_;
    mutable std::mutex mutex_;
    PanelSettings s_;
    std::optional<bool> lastAutoLevel_;
    DisplayPlan lastPlan_;
};

} // namespace vorelux::panel
