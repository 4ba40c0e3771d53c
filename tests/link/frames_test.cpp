// Frames and reports byte for byte, and the small pure helpers of the link.
#include "link/frames.h"
#include "link/hid.h"
#include "link/reports.h"

#include <gtest/gtest.h>

namespace vorelux {
namespace {

TEST(Frames, SerialParameterFrameIsPanelCommandParameterValue) {
    EXPECT_EQ(serialParamFrame(11, 7, 200), (std::array<uint8_t, 4>{7, 98, 11, 200}));
    // Panel 0 addresses every panel.
    EXPECT_EQ(serialParamFrame(255, EveryPanel, 0), (std::array<uint8_t, 4>{0, 98, 255, 0}));
}

TEST(Frames, TransmitterParameterReportCarriesIdentityBytes5And6) {
    KqIdentity id{0xFF, 1, 2, 3, 4, 0xA5, 0x32, 28};
    EXPECT_EQ(kqParamReport(id, 13, 9, 42),
              (std::array<uint8_t, 10>{0, 1, 48, 1, 0xA5, 0x32, 9, 98, 13, 42}));
}

TEST(Frames, IdentityRequestAndConfigurationReport) {
    EXPECT_EQ(kqIdentityRequest(), (std::array<uint8_t, 2>{0, 240}));
    KqIdentity id{0xFF, 1, 2, 3, 4, 5, 0x32, 28};
    EXPECT_EQ(kqConfigReport(id, 0x77),
              (std::array<uint8_t, 10>{0, 239, 0xFF, 1, 2, 3, 4, 5, 0x77, 28}));
}

// Each report record laid out byte for byte, padding included.
TEST(Frames, ReportRecordsLayOutTheTransmitterBytes) {
    TransmitReport header{88, 0xA5, 0x32, 7, 96, {1, 2, 36, 0, 9, 45, 150}};
    EXPECT_EQ(serialise<15>(header),
              (std::array<uint8_t, 15>{0, 1, 88, 1, 0xA5, 0x32, 7, 96, 1, 2, 36, 0, 9, 45, 150}));
    TransmitReport end{72, 0xA5, 0x32, 3, 97, {1, 237}};
    EXPECT_EQ(serialise<14>(end),
              (std::array<uint8_t, 14>{0, 1, 72, 1, 0xA5, 0x32, 3, 97, 1, 237, 0, 0, 0, 0}));
    TransmitDataReport data{2, {1, 2, 3, 4, 5, 6, 7, 8}, 150};
    EXPECT_EQ(serialise<TransmitDataReportLength>(data),
              (std::array<uint8_t, 14>{0, 1, 80, 1, 2, 1, 2, 150, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(serialise<IdentityRequestLength>(IdentityRequest{}),
              (std::array<uint8_t, 2>{0, 240}));
    ConfigureReport configure{{0xFF, 1, 2, 3, 4, 5}, 0x77};
    EXPECT_EQ(serialise<ConfigureReportLength>(configure),
              (std::array<uint8_t, 10>{0, 239, 0xFF, 1, 2, 3, 4, 5, 0x77, 28}));
    // Laying out over old bytes leaves nothing of them behind.
    std::array<uint8_t, 14> reused;
    reused.fill(0xEE);
    layOut(end, reused);
    EXPECT_EQ(reused, serialise<14>(end));
}

TEST(Frames, SignedSettingsAreSentAsTwosComplementByte) {
    struct Case {
        int value;
        uint8_t byte;
    };
    for (Case c : {Case{.value = -99, .byte = 157}, Case{.value = 99, .byte = 99},
                   Case{.value = -5, .byte = 251}, Case{.value = -20, .byte = 236},
                   Case{.value = 0, .byte = 0}, Case{.value = -1, .byte = 255}})
        EXPECT_EQ(signedValue(c.value), c.byte) << c.value;
}

TEST(Frames, IdentityReplyIsRecognisedByFirstDataByteAndStoredWithMarker) {
    std::vector<uint8_t> reply{0, 0xFF, 0x11, 0x22, 0x33, 0x44, 0x55, 0x32, 0x99, 0x99};
    ASSERT_TRUE(isIdentityReply(reply));
    EXPECT_EQ(identityFromReply(reply), (KqIdentity{0xFF, 0x11, 0x22, 0x33, 0x44, 0x55, 0x32, 28}));
    EXPECT_FALSE(isIdentityReply({0, 0xFE, 1, 2}));
    EXPECT_FALSE(isIdentityReply({0}));
    // A short reply stores what it has; the rest reads as 0.
    EXPECT_EQ(identityFromReply({0, 0xFF, 7}), (KqIdentity{0xFF, 7, 0, 0, 0, 0, 0, 28}));
}

TEST(HidDescriptor, OutputReportLengthIncludesReportIdByte) {
    // A vendor device with 64-byte input and output reports and no report IDs.
    std::vector<uint8_t> vendor64{0x06, 0x00, 0xFF,             // usage page (vendor)
                                  0x09, 0x01,                   // usage
                                  0xA1, 0x01,                   // collection (application)
                                  0x15, 0x00, 0x26, 0xFF, 0x00, // logical 0..255
                                  0x75, 0x08, 0x95, 0x40,       // report size 8, count 64
                                  0x09, 0x01, 0x81, 0x02,       // input
                                  0x09, 0x01, 0x91, 0x02,       // output
                                  0xC0};
    bool numbered = true;
    EXPECT_EQ(outputReportLengthFromDescriptor(vendor64, &numbered), 65u);
    EXPECT_FALSE(numbered);

    // Two numbered output reports of 8 and 32 bytes: the longest counts.
    std::vector<uint8_t> numberedReports{
        0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75,
        0x08, 0x85, 0x01, 0x95, 0x08, 0x91, 0x02, // report 1: 8 bytes out
        0x85, 0x02, 0x95, 0x20, 0x91, 0x02,       // report 2: 32 bytes out
        0xC0};
    EXPECT_EQ(outputReportLengthFromDescriptor(numberedReports, &numbered), 33u);
    EXPECT_TRUE(numbered);

    // No output report, an empty or truncated descriptor: unknown.
    EXPECT_EQ(outputReportLengthFromDescriptor({0x75, 0x08, 0x95, 0x40, 0x81, 0x02}), 0u);
    EXPECT_EQ(outputReportLengthFromDescriptor({}), 0u);
    EXPECT_EQ(outputReportLengthFromDescriptor({0x75, 0x08, 0x96, 0x40}), 0u);
}

} // namespace
} // namespace vorelux
