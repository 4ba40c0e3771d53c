#include "panel.h"

#include <cstdio>

namespace vorelux::panel {

namespace {

std::string format(const char* fmt, auto... args) {
    char buf[256];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

std::string twoDigits(int v) {
    return format("%02d", v);
}

std::string dateText(const SimpleDate& d) {
    return twoDigits(d.day) + "/" + twoDigits(d.month) + "/" + twoDigits(d.year);
}

const char* const WeekdayShort[7] = {"DOM", "SEG", "TER", "QUA", "QUI", "SEX", "SAB"};

std::string pagesText(uint8_t mask) {
    std::string out;
    for (int k = 0; k < 8; ++k)
        if (mask & (1u << k)) out += (out.empty() ? "" : ", ") + std::to_string(k + 1);
    return out;
}

std::string timeText(uint8_t hour, uint8_t minute) {
    return twoDigits(hour) + ":" + twoDigits(minute);
}

} // namespace

std::vector<std::vector<uint8_t>> splitLines(const std::vector<uint8_t>& content) {
    std::vector<std::vector<uint8_t>> lines;
    for (uint8_t b : content) {
        if (b == 0xFF || lines.empty()) lines.emplace_back();
        lines.back().push_back(b);
    }
    return lines;
}

bool pageHasContent(const std::vector<uint8_t>& content) {
    for (const auto& line : splitLines(content))
        if (line.size() > 3 && line[0] == 0xFF) return true;
    return false;
}

Panel::Panel(uint8_t id, PanelClock& clock, MonotonicMs monotonic, int frameTimeoutMs)
    : clock_(clock), monotonic_(std::move(monotonic)),
      decoder_(FrameDecoder::Handlers{
                   [this](const ParameterFrame& f) { apply(f); },
                   [this](const PageFrame& f) { apply(f); },
                   [this](size_t n, bool cutOff) {
                       log(cutOff ? format("quadro incompleto descartado (%zu bytes)", n)
                                  : format("ruído na linha ignorado (%zu bytes)", n));
                   }},
               frameTimeoutMs) {
    s_.id = id;
    lastPlan_ = planLocked(clock_.now());
}

void Panel::log(const std::string& text) {
    if (onLog) onLog(text);
}

void Panel::changed() {
    {
        std::lock_guard lock(mutex_);
        lastPlan_ = planLocked(clock_.now());
    }
    if (onChange) onChange();
}

void Panel::receive(const uint8_t* data, size_t size) {
    decoder_.feed(data, size, monotonic_());
}

PanelSettings Panel::settings() const {
    std::lock_guard lock(mutex_);
    return s_;
}

uint8_t Panel::id() const {
    std::lock_guard lock(mutex_);
    return s_.id;
}

int Panel::speed() const {
    std::lock_guard lock(mutex_);
    return s_.speed;
}

DisplayPlan Panel::plan() const {
    std::lock_guard lock(mutex_);
    return planLocked(clock_.now());
}

bool Panel::autoOnLevel(const LocalDateTime& now) const {
    const int on = s_.onHour * 60 + s_.onMinute;
    const int off = s_.offHour * 60 + s_.offMinute;
    const int t = now.hour * 60 + now.minute;
    if (on == off) return true;
    if (on < off) return t >= on && t < off;
    return t >= on || t < off;
}

DisplayPlan Panel::planLocked(const LocalDateTime& now) const {
    DisplayPlan plan;
    if (s_.showingId) {
        plan.kind = DisplayPlan::Kind::PanelNumber;
        plan.number = s_.id;
        return plan;
    }
    if (!s_.powered) {
        plan.kind = DisplayPlan::Kind::Off;
        return plan;
    }
    plan.kind = DisplayPlan::Kind::Pages;
    int scheduled = -1;
    if (s_.schedule == ScheduleMode::PageByWeekday) {
        scheduled = ((now.weekday % 7) + 7) % 7; // Sunday page 1 .. Saturday page 7
    } else if (s_.schedule == ScheduleMode::PageByHour) {
        // The entry whose time came last, today or else yesterday.
        const int t = now.hour * 60 + now.minute;
        int bestToday = -1, bestTodayAt = -1, latest = -1, latestAt = -1;
        for (int i = 0; i < 8; ++i) {
            const HourEntry& e = s_.pageByHour[size_t(i)];
            if (!e.active()) continue;
            const int at = e.hour * 60 + e.minute;
            if (at <= t && at > bestTodayAt) bestToday = i, bestTodayAt = at;
            if (at > latestAt) latest = i, latestAt = at;
        }
        scheduled = bestToday >= 0 ? bestToday : latest;
    }
    if (scheduled >= 0 && pageHasContent(s_.pages[size_t(scheduled)])) {
        plan.pages.push_back(scheduled);
        return plan;
    }
    for (int k = 0; k < 8; ++k)
        if ((s_.displayMask & (1u << k)) && pageHasContent(s_.pages[size_t(k)]))
            plan.pages.push_back(k);
    return plan;
}

void Panel::tick() {
    decoder_.idle(monotonic_());
    std::string message;
    bool notify = false;
    {
        std::lock_guard lock(mutex_);
        const LocalDateTime now = clock_.now();
        if (s_.onOffEnabled()) {
            const bool level = autoOnLevel(now);
            if (!lastAutoLevel_ || *lastAutoLevel_ != level) {
                if (s_.powered != level) {
                    s_.powered = level;
                    message = level ? "horário de ligar: painel ligado"
                                    : "horário de desligar: painel desligado";
                }
                lastAutoLevel_ = level;
            }
        }
        const DisplayPlan plan = planLocked(now);
        if (!(plan == lastPlan_)) notify = true;
    }
    if (!message.empty()) log(message);
    if (notify || !message.empty()) changed();
}

void Panel::apply(const PageFrame& f) {
    std::string text;
    bool stored = false;
    {
        std::lock_guard lock(mutex_);
        const std::string head = format("página %d (painel %u, fim %u): ", f.page + 1,
                                        unsigned(f.panel), unsigned(f.end));
        if (f.panel != s_.id && f.panel != 0) {
            text = head + "para outro painel, ignorada";
        } else {
            s_.pages[f.page] = f.content;
            stored = true;
            if (f.end == PageEndSelected) s_.selectedPage = f.page;
            const size_t lines = splitLines(f.content).size();
            if (!pageHasContent(f.content))
                text = head + "apagada";
            else
                text = head + format("gravada, %zu %s, %zu bytes", lines,
                                     lines == 1 ? "linha" : "linhas", f.content.size());
            if (f.end == PageEndSelected) text += ", escolhida para exibição";
        }
    }
    log(text);
    if (stored) changed();
}

void Panel::apply(const ParameterFrame& f) {
    std::string text;
    bool ok = false;
    {
        std::lock_guard lock(mutex_);
        text = format("parâmetro %u = %u (painel %u): ", unsigned(f.parameter), unsigned(f.value),
                      unsigned(f.panel));
        if (f.panel != s_.id && f.panel != 0)
            text += "para outro painel, ignorado";
        else
            text += applyParameterLocked(f, ok);
    }
    log(text);
    if (ok) changed();
}

namespace {
const char* const OutOfRange = "valor fora da faixa, ignorado";
} // namespace

std::string Panel::applyParameterLocked(const ParameterFrame& f, bool& ok) {
    const int code = f.parameter;
    const int value = f.value;
    ok = true;
    if (auto text = applyDisplaySetting(code, value, ok)) return *text;
    if (auto text = applyPageHour(code, value, ok)) return *text;
    if (auto text = applyCounterDate(code, value, ok)) return *text;
    if (auto text = applyOnOffTime(code, value, ok)) return *text;
    if (code >= 64 && code <= 70) {
        if (!clock_.setRegister(f.parameter, f.value)) {
            ok = false;
            return OutOfRange;
        }
        const ClockRegisters r = clock_.registers();
        return format("relógio: %02d/%02d/%02d %02d:%02d:%02d %s", r.day, r.month, r.year, r.hour,
                      r.minute, r.second, WeekdayShort[((r.weekday % 7) + 7) % 7]);
    }
    if (auto text = applyCommand(code, ok)) return *text;
    ok = false;
    return "parâmetro desconhecido, ignorado";
}

// Pages shown, schedule mode, temperature adjustments, speed, brightness,
// orientation and the panel number.
std::optional<std::string> Panel::applyDisplaySetting(int code, int v, bool& ok) {
    auto refuse = [&]() -> std::string {
        ok = false;
        return OutOfRange;
    };
    switch (code) {
    case 0:
        if (v == 0) return refuse();
        s_.displayMask = uint8_t(v);
        return "páginas exibidas: " + pagesText(s_.displayMask);
    case 7: {
        if (v > 2) return refuse();
        s_.schedule = ScheduleMode(v);
        static const char* const modes[] = {"desligada", "página por hora",
                                            "página por dia da semana"};
        return std::string("programação: ") + modes[v];
    }
    case 8:
    case 9: {
        const int degrees = int8_t(uint8_t(v));
        if (degrees < -99 || degrees > 99) return refuse();
        (code == 8 ? s_.internalAdjust : s_.externalAdjust) = degrees;
        return format("ajuste da temperatura %s: %+d graus", code == 8 ? "interna" : "externa",
                      degrees);
    }
    case 10:
        if (v < 2 || v > 30) return refuse();
        s_.speed = v;
        return format("velocidade: %d", v);
    case 11:
        if (v < 2) return refuse();
        s_.brightness = v;
        return format("brilho: %d", v);
    case 12:
        if (v > 1) return refuse();
        s_.vertical = v == 1;
        return std::string(v ? "orientação: vertical (em pé)" : "orientação: horizontal");
    case 13: {
        if (v < 1) return refuse();
        const int old = s_.id;
        s_.id = uint8_t(v);
        return format("número do painel: %d -> %d", old, v);
    }
    default:
        return std::nullopt;
    }
}

// Codes 16..31: hour and minute of the eight page-by-hour entries; 255 turns one off.
std::optional<std::string> Panel::applyPageHour(int code, int v, bool& ok) {
    if (code < 16 || code > 31) return std::nullopt;
    const int i = (code - 16) / 2;
    const bool hour = code % 2 == 0;
    if (v != 255 && v > (hour ? 23 : 59)) {
        ok = false;
        return OutOfRange;
    }
    HourEntry& e = s_.pageByHour[size_t(i)];
    (hour ? e.hour : e.minute) = uint8_t(v);
    if (v == 255)
        return format("página por hora, página %d: %s desativada", i + 1, hour ? "hora" : "minuto");
    return format("página por hora, página %d: %s %02d", i + 1, hour ? "hora" : "minuto", v);
}

// Codes 42..44 the count-down end, 45..47 the count-up start: day, month, year.
std::optional<std::string> Panel::applyCounterDate(int code, int v, bool& ok) {
    if (code < 42 || code > 47) return std::nullopt;
    const bool down = code <= 44;
    std::optional<SimpleDate>& date = down ? s_.countDownEnd : s_.countUpStart;
    SimpleDate d = date.value_or(SimpleDate{});
    const int field = (code - 42) % 3;
    const bool valid = field == 0 ? v >= 1 && v <= 31 : field == 1 ? v >= 1 && v <= 12 : v <= 99;
    if (!valid) {
        ok = false;
        return OutOfRange;
    }
    (field == 0 ? d.day : field == 1 ? d.month : d.year) = v;
    date = d;
    return std::string(down ? "fim da contagem regressiva: " : "início da contagem progressiva: ") +
           dateText(d);
}

// Codes 48..51: switch-on hour and minute, switch-off hour and minute. The
// off minute comes last and may switch the panel at once.
std::optional<std::string> Panel::applyOnOffTime(int code, int v, bool& ok) {
    if (code < 48 || code > 51) return std::nullopt;
    const bool hour = code % 2 == 0;
    if (hour ? v > 23 : (v > 59 && !(code == 51 && v == 255))) {
        ok = false;
        return OutOfRange;
    }
    uint8_t* fields[] = {&s_.onHour, &s_.onMinute, &s_.offHour, &s_.offMinute};
    *fields[code - 48] = uint8_t(v);
    lastAutoLevel_.reset();
    std::string text = code <= 49 ? "horário de ligar: " + timeText(s_.onHour, s_.onMinute)
                                  : "horário de desligar: " +
                                        (s_.onOffEnabled() ? timeText(s_.offHour, s_.offMinute)
                                                           : std::string("desativado"));
    if (code == 51 && s_.onOffEnabled()) {
        const bool level = autoOnLevel(clock_.now());
        lastAutoLevel_ = level;
        if (s_.powered != level) {
            s_.powered = level;
            text += level ? "; painel ligado agora" : "; painel desligado agora";
        }
    }
    return text;
}

// Codes 252..255: off, configuration poll, show the number, on.
std::optional<std::string> Panel::applyCommand(int code, bool& ok) {
    switch (code) {
    case 252:
        s_.powered = false;
        return std::string("desligado");
    case 253:
        ++s_.configPolls;
        ok = false;
        return std::string("consulta de configuração: o painel não está em modo de configuração");
    case 254:
        s_.showingId = true;
        return format("exibindo o número do painel: %u", unsigned(s_.id));
    case 255:
        s_.powered = true;
        s_.showingId = false;
        return std::string("ligado, exibição normal");
    default:
        return std::nullopt;
    }
}

} // namespace vorelux::panel
