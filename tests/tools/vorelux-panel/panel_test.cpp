// The virtual panel's state: what it stores, shows and sets for each frame.
#include "panel.h"
#include "panel_live.h"

#include <gtest/gtest.h>

namespace vorelux::panel {
namespace {

using Bytes = std::vector<uint8_t>;

LocalDateTime at(int y, int mo, int d, int h, int mi, int s = 0) {
    LocalDateTime t;
    EXPECT_TRUE(makeLocalDateTime(y, mo, d, h, mi, s, t));
    return t;
}

struct PanelFixture : ::testing::Test {
    int64_t ms = 0;
    MonotonicMs mono = [this] { return ms; };
    PanelClock clock{at(2023, 3, 5, 14, 7, 9), mono};
    Panel panel{4, clock, mono};
    std::vector<std::string> log;
    int changes = 0;

    void SetUp() override {
        panel.onLog = [this](const std::string& s) { log.push_back(s); };
        panel.onChange = [this] { ++changes; };
    }
    void param(uint8_t target, uint8_t code, uint8_t value) {
        panel.receive(Bytes{target, 98, code, value});
    }
    void page(uint8_t target, int p, const Bytes& content, uint8_t end = 16) {
        Bytes f{target, 150, uint8_t(p + 3)};
        f.insert(f.end(), content.begin(), content.end());
        f.push_back(end);
        panel.receive(f);
    }
    std::vector<int> shownPages() {
        const DisplayPlan plan = panel.plan();
        EXPECT_EQ(plan.kind, DisplayPlan::Kind::Pages);
        return plan.pages;
    }
    // Moves the panel's time on by whole seconds and lets it tick.
    void wait(int64_t seconds) {
        ms += seconds * 1000;
        panel.tick();
    }
};

const Bytes Text{0xFF, 195, 200, 'A', 'B', 0xFF, 192, 192};
const Bytes Empty{0xFF, 192, 192};

TEST_F(PanelFixture, StoresPagesForItsNumberAndForEveryPanelOnly) {
    page(4, 0, Text);
    page(0, 2, Text, 17);
    page(5, 1, Text); // another panel's page
    const PanelSettings s = panel.settings();
    EXPECT_EQ(s.pages[0], Text);
    EXPECT_EQ(s.pages[2], Text);
    EXPECT_TRUE(s.pages[1].empty());
    EXPECT_EQ(s.selectedPage, 2);
    EXPECT_EQ(shownPages(), (std::vector<int>{0, 2}));
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "página 1 (painel 4, fim 16): gravada, 2 linhas, 8 bytes");
    EXPECT_EQ(log[1], "página 3 (painel 0, fim 17): gravada, 2 linhas, 8 bytes, escolhida para "
                      "exibição");
    EXPECT_EQ(log[2], "página 2 (painel 5, fim 16): para outro painel, ignorada");

    page(4, 0, Empty); // cleared: stored, but nothing to play
    EXPECT_EQ(panel.settings().pages[0], Empty);
    EXPECT_EQ(log.back(), "página 1 (painel 4, fim 16): apagada");
    EXPECT_EQ(shownPages(), (std::vector<int>{2}));
}

TEST_F(PanelFixture, PagesToDisplayChooseAmongThePagesHoldingText) {
    for (int p : {0, 1, 2, 7}) page(4, p, Text);
    EXPECT_EQ(shownPages(), (std::vector<int>{0, 1, 2, 7}));
    param(0, 0, 0b10000101);
    EXPECT_EQ(shownPages(), (std::vector<int>{0, 2, 7}));
    EXPECT_EQ(log.back(), "parâmetro 0 = 133 (painel 0): páginas exibidas: 1, 3, 8");
    param(4, 0, 0b01000000); // page 7 holds nothing
    EXPECT_TRUE(shownPages().empty());
    param(4, 0, 0); // never sent: ignored, the choice stays
    EXPECT_EQ(panel.settings().displayMask, 0b01000000);
    EXPECT_EQ(log.back(), "parâmetro 0 = 0 (painel 4): valor fora da faixa, ignorado");
}

TEST_F(PanelFixture, PowerAndPanelNumberDisplay) {
    page(4, 0, Text);
    param(4, 252, 0);
    EXPECT_EQ(panel.plan().kind, DisplayPlan::Kind::Off);
    param(0, 254, 0); // every panel shows its number, switched off or not
    EXPECT_EQ(panel.plan(), (DisplayPlan{DisplayPlan::Kind::PanelNumber, 4, {}}));
    EXPECT_EQ(log.back(), "parâmetro 254 = 0 (painel 0): exibindo o número do painel: 4");
    param(9, 255, 0); // another panel resumes; this one keeps its number up
    EXPECT_EQ(panel.plan().kind, DisplayPlan::Kind::PanelNumber);
    param(0, 255, 0);
    EXPECT_EQ(shownPages(), (std::vector<int>{0}));
    EXPECT_TRUE(panel.settings().powered);
}

TEST_F(PanelFixture, ANewPanelNumberTakesEffectAtOnce) {
    param(4, 13, 200);
    EXPECT_EQ(panel.id(), 200);
    EXPECT_EQ(log.back(), "parâmetro 13 = 200 (painel 4): número do painel: 4 -> 200");
    param(4, 11, 50); // the old number no longer reaches it
    EXPECT_EQ(panel.settings().brightness, DefaultBrightness);
    param(200, 11, 50);
    EXPECT_EQ(panel.settings().brightness, 50);
    param(0, 254, 0);
    EXPECT_EQ(panel.plan().number, 200);
    param(200, 13, 0); // not a panel number
    EXPECT_EQ(panel.id(), 200);
}

TEST_F(PanelFixture, SettingsTakeTheirValuesAndRefuseOutOfRangeOnes) {
    struct Case {
        uint8_t code, value;
        bool accepted;
        std::string text;
    };
    const Case cases[] = {
        {.code = 7, .value = 1, .accepted = true, .text = "programação: página por hora"},
        {.code = 7, .value = 3, .accepted = false, .text = ""},
        {.code = 8,
         .value = 251,
         .accepted = true,
         .text = "ajuste da temperatura interna: -5 graus"},
        {.code = 9,
         .value = 99,
         .accepted = true,
         .text = "ajuste da temperatura externa: +99 graus"},
        {.code = 9, .value = 156, .accepted = false, .text = ""}, // -100
        {.code = 10, .value = 2, .accepted = true, .text = "velocidade: 2"},
        {.code = 10, .value = 31, .accepted = false, .text = ""},
        {.code = 10, .value = 1, .accepted = false, .text = ""},
        {.code = 11, .value = 255, .accepted = true, .text = "brilho: 255"},
        {.code = 11, .value = 1, .accepted = false, .text = ""},
        {.code = 12, .value = 1, .accepted = true, .text = "orientação: vertical (em pé)"},
        {.code = 12, .value = 2, .accepted = false, .text = ""},
        {.code = 20, .value = 8, .accepted = true, .text = "página por hora, página 3: hora 08"},
        {.code = 21, .value = 30, .accepted = true, .text = "página por hora, página 3: minuto 30"},
        {.code = 22,
         .value = 255,
         .accepted = true,
         .text = "página por hora, página 4: hora desativada"},
        {.code = 20, .value = 24, .accepted = false, .text = ""},
        {.code = 42, .value = 31, .accepted = true, .text = "fim da contagem regressiva: 31/01/00"},
        {.code = 43, .value = 13, .accepted = false, .text = ""},
        {.code = 46,
         .value = 12,
         .accepted = true,
         .text = "início da contagem progressiva: 01/12/00"},
        {.code = 48, .value = 7, .accepted = true, .text = "horário de ligar: 07:00"},
        {.code = 49, .value = 60, .accepted = false, .text = ""},
        {.code = 51, .value = 255, .accepted = true, .text = "horário de desligar: desativado"},
        {.code = 66, .value = 24, .accepted = false, .text = ""},
        {.code = 67, .value = 0, .accepted = false, .text = ""},
        {.code = 253,
         .value = 0,
         .accepted = false,
         .text = "consulta de configuração: o painel não está em modo de configuração"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.code) << " = " << int(c.value));
        const PanelSettings before = panel.settings();
        param(4, c.code, c.value);
        const std::string head = "parâmetro " + std::to_string(c.code) + " = " +
                                 std::to_string(c.value) + " (painel 4): ";
        if (c.accepted || !c.text.empty())
            EXPECT_EQ(log.back(), head + c.text);
        else
            EXPECT_EQ(log.back(), head + "valor fora da faixa, ignorado");
        if (!c.accepted) {
            const PanelSettings after = panel.settings();
            EXPECT_EQ(after.speed, before.speed);
            EXPECT_EQ(after.brightness, before.brightness);
            EXPECT_EQ(after.schedule, before.schedule);
            EXPECT_EQ(after.pageByHour, before.pageByHour);
            EXPECT_EQ(after.onMinute, before.onMinute);
            EXPECT_EQ(after.internalAdjust, before.internalAdjust);
            EXPECT_EQ(after.externalAdjust, before.externalAdjust);
        }
    }
    const PanelSettings s = panel.settings();
    EXPECT_EQ(s.internalAdjust, -5);
    EXPECT_EQ(s.externalAdjust, 99);
    EXPECT_EQ(s.speed, 2);
    EXPECT_EQ(s.brightness, 255);
    EXPECT_TRUE(s.vertical);
    EXPECT_EQ(s.pageByHour[2], (HourEntry{8, 30}));
    EXPECT_EQ(s.configPolls, 1);
}

TEST_F(PanelFixture, TheClockRunsFromWhatWasSetRegisterByRegister) {
    // The settings dialog's order: seconds, minutes, hours, weekday, day, month, year.
    // The day 31 arrives while the month is still February.
    clock.setRegister(68, 2);
    const std::pair<uint8_t, uint8_t> sequence[] = {{64, 59}, {65, 59}, {66, 23}, {69, 5},
                                                    {67, 31}, {68, 12}, {70, 99}};
    for (auto [code, value] : sequence) param(4, code, value);
    EXPECT_EQ(log.back(), "parâmetro 70 = 99 (painel 4): relógio: 31/12/99 23:59:59 SEX");
    ms += 1500; // the year ends
    const LocalDateTime t = clock.now();
    EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second, t.weekday}),
              std::vector<int>({2000, 1, 1, 0, 0, 0, 6}));
    ms += int64_t(59) * 24 * 3600 * 1000; // 2000 is a leap year
    EXPECT_EQ(clock.now().month, 2);
    EXPECT_EQ(clock.now().day, 29);

    EXPECT_FALSE(clock.setRegister(64, 60));
    EXPECT_FALSE(clock.setRegister(68, 0));
    EXPECT_FALSE(clock.setRegister(69, 7));
    EXPECT_EQ(clock.now().day, 29);
}

TEST_F(PanelFixture, SchedulesPickThePageOfTheDayOrOfTheHour) {
    for (int p = 0; p < 8; ++p)
        if (p != 5) page(4, p, Text); // page 6 holds nothing
    param(4, 0, 0b00000001);
    param(4, 7, 2); // page by weekday: Sunday page 1 .. Saturday page 7
    EXPECT_EQ(shownPages(), (std::vector<int>{0})); // 5 March 2023 is a Sunday
    param(4, 69, 3);
    EXPECT_EQ(shownPages(), (std::vector<int>{3}));
    param(4, 69, 5); // Friday: page 6 holds nothing, the chosen pages play
    EXPECT_EQ(shownPages(), (std::vector<int>{0}));

    // Page by hour: page 2 from 08:30, page 5 from 18:00, the others off.
    for (int i = 0; i < 8; ++i) {
        param(4, uint8_t(16 + 2 * i), 255);
        param(4, uint8_t(17 + 2 * i), 255);
    }
    param(4, 18, 8);
    param(4, 19, 30);
    param(4, 24, 18);
    param(4, 25, 0);
    param(4, 7, 1);
    struct Case {
        int hour, minute;
        int page;
    };
    for (Case c :
         {Case{.hour = 8, .minute = 29, .page = 4}, Case{.hour = 8, .minute = 30, .page = 1},
          Case{.hour = 17, .minute = 59, .page = 1}, Case{.hour = 18, .minute = 0, .page = 4},
          Case{.hour = 0, .minute = 0, .page = 4}}) {
        SCOPED_TRACE(::testing::Message() << c.hour << ":" << c.minute);
        clock.setRegister(66, uint8_t(c.hour));
        clock.setRegister(65, uint8_t(c.minute));
        EXPECT_EQ(shownPages(), (std::vector<int>{c.page}));
    }
    const int before = changes;
    clock.setRegister(66, 17);
    clock.setRegister(65, 59);
    clock.setRegister(64, 59);
    wait(1); // 18:00: the tick notices the page change
    EXPECT_EQ(shownPages(), (std::vector<int>{4}));
    EXPECT_GT(changes, before);
    param(4, 7, 0);
    EXPECT_EQ(shownPages(), (std::vector<int>{0}));
}

TEST_F(PanelFixture, SwitchTimesTurnThePanelOffAndOnAtTheirMinute) {
    page(4, 0, Text);
    const std::pair<uint8_t, uint8_t> times[] = {{48, 7}, {49, 0}, {50, 14}, {51, 0}};
    for (auto [code, value] : times) param(4, code, value); // it is 14:07 now
    EXPECT_EQ(log.back(), "parâmetro 51 = 0 (painel 4): horário de desligar: 14:00; painel "
                          "desligado agora");
    EXPECT_EQ(panel.plan().kind, DisplayPlan::Kind::Off);
    param(4, 255, 0); // switched on by hand: stays on until the next switch time
    wait(60);
    EXPECT_EQ(panel.plan().kind, DisplayPlan::Kind::Pages);
    clock.setRegister(66, 6);
    clock.setRegister(65, 59);
    clock.setRegister(64, 59);
    wait(1); // 07:00
    EXPECT_EQ(panel.plan().kind, DisplayPlan::Kind::Pages);
    clock.setRegister(66, 13);
    clock.setRegister(65, 59);
    clock.setRegister(64, 59);
    wait(1); // 14:00
    EXPECT_EQ(panel.plan().kind, DisplayPlan::Kind::Off);
    EXPECT_EQ(log.back(), "horário de desligar: painel desligado");
    clock.setRegister(66, 6);
    clock.setRegister(65, 59);
    clock.setRegister(64, 59);
    wait(1);
    EXPECT_EQ(panel.plan().kind, DisplayPlan::Kind::Pages);
    EXPECT_EQ(log.back(), "horário de ligar: painel ligado");

    param(4, 51, 255); // disabled: the panel stays as it is
    param(4, 252, 0);
    wait(3600);
    EXPECT_EQ(panel.plan().kind, DisplayPlan::Kind::Off);
}

TEST_F(PanelFixture, CountersAndTemperaturesShowThePanelsOwnValues) {
    auto text = [&](uint8_t code) {
        auto t = panelFieldText(code, panel.settings(), clock.now());
        return t ? std::string(t->text.begin(), t->text.end()) : std::string("(nada)");
    };
    EXPECT_EQ(text(26), "(nada)"); // no date set yet: the field shows nothing
    EXPECT_EQ(text(8), "(nada)");  // the clock is drawn by the preview engine
    const std::pair<uint8_t, uint8_t> dates[] = {{42, 25}, {43, 12}, {44, 23},
                                                 {45, 1},  {46, 3},  {47, 23}};
    for (auto [code, value] : dates) param(4, code, value);
    EXPECT_EQ(text(26), "295 DIAS"); // 5 March to 25 December 2023
    EXPECT_EQ(text(27), "4 DIAS");
    param(4, 45, 4);
    EXPECT_EQ(text(27), "1 DIA");
    param(4, 44, 22); // the end has passed
    EXPECT_EQ(text(26), "0 DIAS");

    const std::string deg(1, char(167));
    EXPECT_EQ(text(11), "27.8" + deg + "C");
    param(4, 8, uint8_t(-5));
    param(4, 9, uint8_t(-30));
    EXPECT_EQ(text(11), "22.8" + deg + "C");
    EXPECT_EQ(text(12), "-02.3" + deg + "C");
    EXPECT_EQ(text(14), "14:07 23" + deg + "C");
    EXPECT_EQ(text(19), "22" + deg + "C");
    EXPECT_EQ(text(20), "-02" + deg + "C");
}

} // namespace
} // namespace vorelux::panel
