// The settings and clock sequences, and how they go out to the panels.
#include "link/settings_commands.h"
#include "link/simulated.h"
#include "support/operator_fakes.h"
#include "support/recording_prompter.h"

#include <gtest/gtest.h>

namespace vorelux {
namespace {

using testing::ReportingTransmitter;

TEST(SpeedTable, PositionsGiveTheirValues) {
    const std::pair<int, int> cases[] = {{0, 30},  {1, 29},  {4, 29},  {5, 28},  {97, 9},
                                         {100, 9}, {101, 8}, {108, 8}, {109, 7}, {162, 4},
                                         {163, 3}, {192, 3}, {193, 2}, {195, 2}};
    for (auto [position, value] : cases) {
        auto seq = speedSequence(position);
        ASSERT_TRUE(seq) << position;
        EXPECT_EQ(*seq, (ParamSequence{{10, uint8_t(value)}})) << "position " << position;
    }
    // The table only grows faster along the bar and covers every value 30..2.
    const auto& table = speedTable();
    for (int p = 1; p < SpeedPositions; ++p) EXPECT_LE(table[p], table[p - 1]) << p;
    EXPECT_EQ(table.front(), 30);
    EXPECT_EQ(table.back(), 2);
    EXPECT_FALSE(speedSequence(-1));
    EXPECT_FALSE(speedSequence(196));
}

TEST(SingleSettings, ValuesAndRanges) {
    EXPECT_EQ(*brightnessSequence(2), (ParamSequence{{11, 2}}));
    EXPECT_EQ(*brightnessSequence(255), (ParamSequence{{11, 255}}));
    EXPECT_FALSE(brightnessSequence(1));
    EXPECT_FALSE(brightnessSequence(256));
    EXPECT_EQ(orientationSequence(false), (ParamSequence{{12, 0}}));
    EXPECT_EQ(orientationSequence(true), (ParamSequence{{12, 1}}));
    const std::tuple<TemperatureSensor, int, ParamStep> temps[] = {
        {TemperatureSensor::Indoor, -20, {8, 236}},
        {TemperatureSensor::Indoor, -99, {8, 157}},
        {TemperatureSensor::Outdoor, 99, {9, 99}},
        {TemperatureSensor::Outdoor, -5, {9, 251}},
        {TemperatureSensor::Outdoor, 0, {9, 0}}};
    for (auto [sensor, value, step] : temps)
        EXPECT_EQ(*temperatureSequence(sensor, value), ParamSequence{step}) << value;
    EXPECT_FALSE(temperatureSequence(TemperatureSensor::Indoor, 100));
    EXPECT_FALSE(temperatureSequence(TemperatureSensor::Outdoor, -100));
}

TEST(ClockSequence, SendsTimeWeekdayAndDateInOrder) {
    // Sunday 5 March 2023, 14:07:09
    auto seq = clockSequence({2023, 3, 5, 14, 7, 9});
    ASSERT_TRUE(seq);
    EXPECT_EQ(*seq,
              (ParamSequence{{64, 9}, {65, 7}, {66, 14}, {69, 0}, {67, 5}, {68, 3}, {70, 23}}));
    // A leap day (Thursday), a Saturday, and the last second of the last year.
    EXPECT_EQ(weekdayOf({2024, 2, 29}), 4);
    EXPECT_EQ(weekdayOf({2022, 1, 1}), 6);
    EXPECT_EQ((*clockSequence({2099, 12, 31, 23, 59, 59}))[6], (ParamStep{70, 99}));
    for (ClockMoment bad :
         {ClockMoment{2023, 2, 29}, ClockMoment{2023, 4, 31}, ClockMoment{2023, 13, 1},
          ClockMoment{1999, 12, 31}, ClockMoment{2100, 1, 1}, ClockMoment{2023, 1, 1, 24},
          ClockMoment{2023, 1, 1, 0, 60}, ClockMoment{2023, 1, 1, 0, 0, 60}})
        EXPECT_FALSE(clockSequence(bad)) << bad.year << "-" << bad.month << "-" << bad.day;
}

TEST(ClockSequence, ParsesMoments) {
    auto m = parseClockMoment("2023-03-05 14:07:09");
    ASSERT_TRUE(m);
    EXPECT_EQ(*clockSequence(*m), *clockSequence({2023, 3, 5, 14, 7, 9}));
    auto noSeconds = parseClockMoment("2024-12-24 18:30");
    ASSERT_TRUE(noSeconds);
    EXPECT_EQ(noSeconds->second, 0);
    EXPECT_EQ(noSeconds->minute, 30);
    for (const char* bad : {"", "2023-03-05", "2023-03-05 14:07:09x", "2023-02-30 10:00:00",
                            "05/03/2023 14:07", "2023-03-05T14:07:09", "2023-03-05 25:00"})
        EXPECT_FALSE(parseClockMoment(bad)) << bad;
}

struct SequenceSending : ::testing::Test {
    ConnectionSettingsStore connection;
    const ConnectionSettings& cfg = connection.get();
    WireLog wire;
    StaticPortCatalog catalog;
    FakeSerialPort port{wire};
    RecordingSleeper sleeper;
    testing::RecordingPrompter prompter;
    SimulatedHidBus bus;
    ReportingTransmitter transmitter{bus, connection, prompter};
    OperatorLink link{connection, catalog, port, transmitter, sleeper, prompter};
    SequenceSending() {
        catalog.add(3, "/dev/ttyS2");
        connection.setPortNumber(3);
    }
    std::vector<int> bytes() const {
        std::vector<int> out;
        for (const auto& e : wire)
            if (e.kind == WireEvent::Byte) out.push_back(e.value);
        return out;
    }
};

TEST_F(SequenceSending, EachPanelGetsTheWholeSequenceInTurn) {
    auto seq = *clockSequence({2023, 3, 5, 14, 7, 9});
    EXPECT_EQ(link.sendToPanelList({4, 9}, sequenceCommand(link, seq), nullptr), SendOk);
    std::vector<int> expected;
    for (int panel : {4, 9})
        for (auto step : seq)
            expected.insert(expected.end(), {panel, 98, step.parameterId, step.value});
    EXPECT_EQ(bytes(), expected);
    EXPECT_EQ(port.opens, 14); // one transfer per parameter
}

TEST_F(SequenceSending, AFailureSkipsTheRestOfThePanelAndTheLaterPanels) {
    port.failAfterBytes = 9; // the third frame breaks at its second byte
    auto seq = *clockSequence({2023, 3, 5, 14, 7, 9});
    EXPECT_EQ(link.sendToPanelList({4, 9}, sequenceCommand(link, seq), nullptr), SendPortFailed);
    EXPECT_EQ(bytes(), (std::vector<int>{4, 98, 64, 9, 4, 98, 65, 7, 4}));
    EXPECT_EQ(port.opens, 3);
    EXPECT_EQ(port.closes, 3);
}

} // namespace
} // namespace vorelux
