// The page upload without windows: frames and reports byte for byte, the
// serial and transmitter runs with their pauses, the clear run, the
// pages-to-display command and the repair from a panel's error code.
#include "link/simulated.h"
#include "link/upload.h"
#include "support/decoders.h"
#include "support/operator_fakes.h"
#include "support/recording_prompter.h"

#include <gtest/gtest.h>

namespace vorelux {
namespace {

using sendtest::decodeAll;
using sendtest::decodeSerial;
using sendtest::KqReport;
using sendtest::SerialFrame;
using testing::CountingConfigurator;
using testing::RecordingPrompter;
using testing::ReportingTransmitter;
using W = WireEvent;

// A line: 0xFF, entry and exit effect 1, then the text.
LineStream line(const std::string& text) {
    LineStream l;
    l.reserve(3 + text.size());
    l.assign({0xFF, 192, 192});
    l.insert(l.end(), text.begin(), text.end());
    return l;
}

struct UploadFixture : ::testing::Test {
    ConnectionSettingsStore connection;
    const ConnectionSettings& cfg = connection.get();
    WireLog wire;
    StaticPortCatalog catalog;
    FakeSerialPort port{wire};
    RecordingSleeper sleeper{&wire};
    RecordingPrompter prompter;
    SimulatedHidBus bus;
    ReportingTransmitter transmitter{bus, connection, prompter};
    OperatorLink link{connection, catalog, port, transmitter, sleeper, prompter};
    FixedRandomRange random{{150, 131, 190, 128, 170}};
    std::array<Page, PageCount> control;
    std::shared_ptr<SimulatedTransmitter> device;
    CountingConfigurator settings{prompter};

    UploadFixture() {
        catalog.add(3, "/dev/ttyS2");
        connection.setPortNumber(3);
        for (auto& page : control) setPage(page, {LineStream{0xFF, 192, 192}});
    }
    static void setPage(Page& page, std::vector<LineStream> lines) {
        page = Page(std::move(lines));
    }
    // Plugs the transmitter in and delivers its identity reply (configByte 0:
    // no reply at all).
    void attachTransmitter(uint8_t configByte = 0x41) {
        device = bus.plug("/dev/hidraw0", KqProductString, configByte);
        device->setAnswersIdentity(configByte != 0);
        transmitter.scanDevices();
        std::vector<uint8_t> reply;
        while (device->read(reply, 0) == 1) transmitter.deviceReport(device->path(), reply);
        ASSERT_EQ(cfg.transport, Transport::Transmitter);
    }
    // The transmitter reports after the identity request, decoded.
    std::vector<KqReport> reports() {
        auto all = decodeAll(device->writes());
        std::erase_if(all, [](const KqReport& r) { return r.kind == KqReport::Identity; });
        return all;
    }
    std::vector<uint8_t> serialBytes() const {
        std::vector<uint8_t> out;
        for (const auto& e : wire)
            if (e.kind == W::Byte) out.push_back(static_cast<uint8_t>(e.value));
        return out;
    }
};

// ---- frames and reports ----

TEST(PageFrames, SerialFrameAndReportsByteForByte) {
    PageContent nine{0xFF, 193, 194, 'A', 'B', 'C', 'D', 'E', 'F'};
    KqIdentity id{0xFF, 0x12, 0x34, 0x56, 0x78, 0x9A, 0x41, 28};

    EXPECT_EQ(serialPageFrame(4, 1, nine, false),
              (std::vector<uint8_t>{4, 150, 4, 0xFF, 193, 194, 'A', 'B', 'C', 'D', 'E', 'F', 16}));
    EXPECT_EQ(serialPageFrame(0, 0, {255, 192, 192}, true),
              (std::vector<uint8_t>{0, 150, 3, 255, 192, 192, 17}));

    unsigned sum = 0xFF + 193 + 194 + 'A' + 'B' + 'C' + 'D' + 'E' + 'F';
    EXPECT_EQ(kqPageHeaderReport(id, 7, 4, nine, 150),
              (std::array<uint8_t, 15>{0, 1, 88, 1, 0x9A, 0x41, 7, 96, 1, 2, 36, 0, 9,
                                       static_cast<uint8_t>(sum % 256), 150}));
    // A 9-byte page: the second report carries byte 8 in position 5, zeros after it.
    EXPECT_EQ(
        kqPageDataReport(nine, 0, 150),
        (std::array<uint8_t, 14>{0, 1, 80, 1, 1, 0xFF, 193, 150, 194, 'A', 'B', 'C', 'D', 'E'}));
    EXPECT_EQ(kqPageDataReport(nine, 1, 150),
              (std::array<uint8_t, 14>{0, 1, 80, 1, 2, 'F', 0, 150, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(kqPagesEndReport(id, 3, 237),
              (std::array<uint8_t, 14>{0, 1, 72, 1, 0x9A, 0x41, 3, 97, 1, 237, 0, 0, 0, 0}));
    EXPECT_EQ(kqRepairEndReport(id, 4, 253),
              (std::array<uint8_t, 14>{0, 1, 80, 1, 0x9A, 0x41, 4, 97, 1, 2, 0, 0, 0, 0}));
    // A cleared page: one report, length 3, sum 127.
    auto cleared = kqPageHeaderReport(id, 0, 0, clearedPageContent(), 128);
    EXPECT_EQ(cleared[9], 1);
    EXPECT_EQ(cleared[12], 3);
    EXPECT_EQ(cleared[13], 127);
    // The longest page: 1023 bytes, 128 reports, length split in two bytes.
    PageContent longest(1023, 'x');
    auto big = kqPageHeaderReport(id, 1, 7, longest, 190);
    EXPECT_EQ(big[9], 128);
    EXPECT_EQ(big[10], 39);
    EXPECT_EQ(big[11], 3);
    EXPECT_EQ(big[12], 255);
}

TEST(PageFrames, PageContentAndPreselection) {
    const Page page({line("AB"), line("")});
    EXPECT_EQ(pageContent(page), (PageContent{0xFF, 192, 192, 'A', 'B', 0xFF, 192, 192}));

    struct Case {
        std::vector<LineStream> lines;
        bool checked;
    };
    for (const Case& c :
         {Case{.lines = {line("")}, .checked = false}, Case{.lines = {line("A")}, .checked = true},
          Case{.lines = {line(""), line("")}, .checked = false},
          Case{.lines = {line(""), line(""), line("")}, .checked = true},
          Case{.lines = {line(""), line("A")}, .checked = false}}) {
        const Page p(c.lines);
        EXPECT_EQ(sendBoxPreselected(p), c.checked) << c.lines.size() << " lines";
    }
}

TEST(PageFrames, TargetsOfARun) {
    EXPECT_EQ(runTargets({}), std::vector<PanelId>{});
    EXPECT_EQ(runTargets({0, 7}), std::vector<PanelId>{0});
    EXPECT_EQ(runTargets({3, 4}), (std::vector<PanelId>{3, 4}));
    EXPECT_EQ(runTargets({9, 3, 3, 0}), (std::vector<PanelId>{3, 9}));
}

TEST(PageFrames, ErrorCodes) {
    auto c = parseErrorCode("237004");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->pages, 237);
    EXPECT_EQ(c->panel, 4);
    c = parseErrorCode("999999"); // both parts taken modulo 256
    ASSERT_TRUE(c);
    EXPECT_EQ(c->pages, 999 % 256);
    EXPECT_EQ(c->panel, 999 % 256);
    for (const char* bad : {"", "12_456", "abcdef", "      ", "-12345"})
        EXPECT_FALSE(parseErrorCode(bad)) << bad;
}

// ---- serial runs ----

TEST_F(UploadFixture, SerialRunSkipsShortPagesAndPausesAfterEveryByte) {
    setPage(control[1], {line("OLA"), line("")});
    setPage(control[3], {line("X")});
    connection.setTargetPanels({3, 4});
    auto result = sendPages(link, random, uploadJobs(control, {0, 1, 3}),
                            runTargets(cfg.targetPanels), {}, {.displayPage = 3});

    EXPECT_EQ(result.status, UploadStatus::Done);
    EXPECT_EQ(result.skipped, std::vector<int>{0}); // one empty line: 3 bytes
    EXPECT_EQ(result.sent, (std::vector<int>{1, 3}));
    EXPECT_EQ(result.unsentPagesMask, 255); // the serial port leaves the mask alone
    EXPECT_TRUE(prompter.prompts.empty());

    std::vector<SerialFrame> frames;
    PageContent p1 = pageContent(control[1]), p3 = pageContent(control[3]);
    ASSERT_TRUE(decodeSerial(serialBytes(), {p1.size(), p1.size(), p3.size(), p3.size()}, frames));
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0], (SerialFrame{3, 150, 1, p1, 16}));
    EXPECT_EQ(frames[1], (SerialFrame{4, 150, 1, p1, 16}));
    EXPECT_EQ(frames[2], (SerialFrame{3, 150, 3, p3, 17})); // the display selector's page
    EXPECT_EQ(frames[3], (SerialFrame{4, 150, 3, p3, 17}));

    // One opening per page sent; every byte followed by 30 ms.
    int opens = 0;
    for (size_t i = 0; i < wire.size(); ++i) {
        if (wire[i].kind == W::Open) ++opens;
        if (wire[i].kind == W::Byte) {
            ASSERT_LT(i + 1, wire.size());
            EXPECT_EQ(wire[i + 1], (W{W::Pause, 30, {}}));
        }
    }
    EXPECT_EQ(opens, 2);
    EXPECT_EQ(port.closes, 2);
    // One idle line before the first frame (nothing known of the line yet),
    // none before the second: the first ended whole.
    EXPECT_EQ(sleeper.pauses.size(), serialBytes().size() + 1);
    EXPECT_EQ(sleeper.pauses.front(), LineSettleMs);
}

TEST_F(UploadFixture, SerialRunToEveryPanelSendsOnceToPanelZero) {
    setPage(control[2], {line("AB")});
    connection.setTargetPanels({0, 7});
    auto result = sendPages(link, random, uploadJobs(control, {2}), runTargets(cfg.targetPanels));
    EXPECT_EQ(result.status, UploadStatus::Done);
    EXPECT_EQ(serialBytes(), (std::vector<uint8_t>{0, 150, 5, 0xFF, 192, 192, 'A', 'B', 16}));
}

TEST_F(UploadFixture, SerialPortMissingIsToldForEachPageAndFailureEndsTheRun) {
    setPage(control[0], {line("AB")});
    setPage(control[1], {line("CD")});
    connection.setPortNumber(7); // not installed
    std::vector<UploadProgress::Event> events;
    auto result =
        sendPages(link, random, uploadJobs(control, {0, 1}), {5}, [&](const UploadProgress& p) {
            events.push_back(p.event);
            return true;
        });
    EXPECT_EQ(result.status, UploadStatus::Done);
    EXPECT_EQ(result.refused, (std::vector<int>{0, 1}));
    // The run shows nothing; its notice tells each refused page.
    EXPECT_TRUE(prompter.prompts.empty());
    link.tell(uploadNotice(result));
    EXPECT_EQ(prompter.prompts,
              (std::vector<Prompt>{Prompt::PortNotSelected, Prompt::PortNotSelected}));
    EXPECT_EQ(std::count(events.begin(), events.end(), UploadProgress::PortRefused), 2);
    EXPECT_TRUE(wire.empty());

    // A port that fails while writing ends the run; it is closed and the reason told.
    prompter.prompts.clear();
    connection.setPortNumber(3);
    port.failAfterBytes = 5;
    result = sendPages(link, random, uploadJobs(control, {0, 1}), {5});
    EXPECT_EQ(result.status, UploadStatus::SerialFailed);
    EXPECT_TRUE(result.sent.empty());
    EXPECT_FALSE(port.isOpen);
    EXPECT_TRUE(prompter.messages.empty());
    link.tell(uploadNotice(result));
    EXPECT_TRUE(prompter.prompts.empty());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages[0].find("COM3"), std::string::npos);
}

TEST_F(UploadFixture, EmptyTargetListSendsNothing) {
    setPage(control[0], {line("AB")});
    for (bool usb : {false, true}) {
        if (usb) attachTransmitter();
        auto result = sendPages(link, random, uploadJobs(control, {0}), runTargets({}));
        EXPECT_EQ(result.status, UploadStatus::NoTargets);
    }
    EXPECT_TRUE(wire.empty());
    EXPECT_TRUE(reports().empty());
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(UploadFixture, APageNoTransferCanDescribeStopsTheRunBeforeAnythingGoesOut) {
    // Empty lines can take a page past what the transmitter's page header
    // can count (255 reports of 8 bytes); 2,040 bytes still go out.
    setPage(control[0], {line("AB")});
    std::vector<LineStream> tall(680, newLine());
    setPage(control[3], tall);
    EXPECT_EQ(pageContent(control[3]).size(), SendablePageBytes);
    for (bool usb : {false, true}) {
        if (usb) attachTransmitter();
        auto result = sendPages(link, random, uploadJobs(control, {0, 3}), {5});
        EXPECT_EQ(result.status, UploadStatus::Done);
        tall.push_back(newLine());
        setPage(control[3], tall);
        wire.clear();
        result = sendPages(link, random, uploadJobs(control, {0, 3}), {5});
        EXPECT_EQ(result.status, UploadStatus::PageTooLarge);
        EXPECT_EQ(result.error, "A página 4 tem 2043 bytes e não pode ser enviada: uma página "
                                "enviada tem no máximo 2040 bytes. Apague linhas vazias dessa "
                                "página. Nada foi enviado.");
        EXPECT_TRUE(result.sent.empty());
        EXPECT_TRUE(wire.empty());
        tall.pop_back();
        setPage(control[3], tall);
    }
}

TEST_F(UploadFixture, ProgressCanStopARun) {
    setPage(control[0], {line("ABCDEFGH")});
    setPage(control[1], {line("ABCDEFGH")});
    int steps = 0;
    auto result =
        sendPages(link, random, uploadJobs(control, {0, 1}), {1}, [&](const UploadProgress& p) {
            if (p.event == UploadProgress::Step) ++steps;
            return steps < 4;
        });
    EXPECT_EQ(result.status, UploadStatus::Cancelled);
    EXPECT_EQ(serialBytes().size(), 4u);
    EXPECT_FALSE(port.isOpen);
}

// ---- transmitter runs ----

TEST_F(UploadFixture, TransmitterRunOfPagesTwoAndFive) {
    attachTransmitter();
    PageContent nine{0xFF, 192, 192, 'A', 'B', 'C', 'D', 'E', 'F'};
    setPage(control[1], {nine});
    setPage(control[4], {line("0123456789ABCDEFGHIJ")});
    connection.setTargetPanels({3, 4});
    std::vector<std::pair<int, int>> served; // page, target
    auto result = sendPages(link, random, uploadJobs(control, {1, 4}), runTargets(cfg.targetPanels),
                            [&](const UploadProgress& p) {
                                if (p.event == UploadProgress::TargetStarted)
                                    served.push_back({p.page, p.target});
                                return true;
                            });
    EXPECT_EQ(result.status, UploadStatus::Done);
    EXPECT_EQ(result.unsentPagesMask, 255 - 2 - 16);
    EXPECT_EQ(served, (std::vector<std::pair<int, int>>{{1, 3}, {1, 4}, {4, 3}, {4, 4}}));

    auto r = reports();
    // Page 2: 6 headers per target, 2 data reports twice; page 5: 6 + 6, 3 twice; 2 ends.
    ASSERT_EQ(r.size(), 12u + 4u + 12u + 6u + 2u);
    size_t i = 0;
    for (int target : {3, 4})
        for (int n = 0; n < 6; ++n, ++i) {
            EXPECT_EQ(r[i].kind, KqReport::Header);
            EXPECT_EQ(r[i].panel, target);
            EXPECT_EQ(r[i].page, 1);
            EXPECT_EQ(r[i].reports, 2);
            EXPECT_EQ(r[i].length, 9);
            EXPECT_EQ(r[i].key, 150);
            EXPECT_EQ(r[i].kq5, 0x9A);
            EXPECT_EQ(r[i].kq6, 0x41);
        }
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(r[i].kind, KqReport::Data);
        EXPECT_EQ(r[i].number, 1);
        EXPECT_EQ(r[i].key, 150);
        EXPECT_EQ(r[i].data, (std::vector<uint8_t>{0xFF, 192, 192, 'A', 'B', 'C', 'D', 'E'}));
        ++i;
        EXPECT_EQ(r[i].number, 2);
        EXPECT_EQ(r[i].data, (std::vector<uint8_t>{'F', 0, 0, 0, 0, 0, 0, 0}));
        ++i;
    }
    EXPECT_EQ(r[i].kind, KqReport::Header);
    EXPECT_EQ(r[i].page, 4);
    EXPECT_EQ(r[i].key, 131); // a new key for each page
    i += 12;
    for (int n = 0; n < 6; ++n, ++i) {
        EXPECT_EQ(r[i].kind, KqReport::Data);
        EXPECT_EQ(r[i].number, n % 3 + 1);
        EXPECT_EQ(r[i].key, 131);
    }
    for (int target : {3, 4}) {
        EXPECT_EQ(r[i].kind, KqReport::End);
        EXPECT_EQ(r[i].panel, target);
        EXPECT_EQ(r[i].mask, 237);
        ++i;
    }
    // Every report is preceded by 160 ms, and each target's headers by one more.
    EXPECT_EQ(sleeper.pauses.size(), r.size() + 4);
    for (int pause : sleeper.pauses) EXPECT_EQ(pause, 160);
    // Reports go out at the device's full length.
    for (const auto& w : device->writes()) EXPECT_EQ(w.size(), 65u);
}

TEST_F(UploadFixture, KeysAreDrawnFrom128To190) {
    attachTransmitter();
    setPage(control[0], {line("AB")});
    StdRandomRange real;
    for (int run = 0; run < 20; ++run) sendPages(link, real, uploadJobs(control, {0}), {1});
    for (const auto& r : reports())
        if (r.kind == KqReport::Header) {
            EXPECT_GE(r.key, 128);
            EXPECT_LE(r.key, 190);
        }
}

TEST_F(UploadFixture, TransmitterNotYetIdentifiedSendsNothingAndAsksToConfigure) {
    attachTransmitter(0); // no identity reply
    transmitter.setConfigurator(&settings);
    prompter.answers = {ButtonYes};
    setPage(control[0], {line("AB")});
    auto result = sendPages(link, random, uploadJobs(control, {0}), {1});
    EXPECT_EQ(result.status, UploadStatus::NoTransmitterIdentity);
    EXPECT_TRUE(result.sent.empty());
    EXPECT_TRUE(reports().empty());
    EXPECT_TRUE(prompter.prompts.empty());
    link.tell(uploadNotice(result));
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::ConfigureTransmitter});
    EXPECT_EQ(settings.opened, 1);
}

TEST_F(UploadFixture, TransmitterWriteFailureEndsTheRunOnce) {
    attachTransmitter();
    setPage(control[0], {line("AB")});
    setPage(control[1], {line("CD")});
    device->setFailWrites(true);
    auto result = sendPages(link, random, uploadJobs(control, {0, 1}), {1});
    EXPECT_EQ(result.status, UploadStatus::TransmitterFailed);
    EXPECT_EQ(result.unsentPagesMask, 255);
    ASSERT_EQ(prompter.messages.size(), 1u); // "ERRO DE ESCRITA: ..." once
    EXPECT_EQ(prompter.messages[0].rfind("ERRO DE ESCRITA", 0), 0u);
    EXPECT_EQ(uploadNotice(result), Notice{}); // nothing more to tell
}

// ---- clear ----

TEST_F(UploadFixture, ClearSendsOneEmptyLineEvenForShortPages) {
    connection.setTargetPanels({2});
    auto result = sendPages(link, random, clearJobs({0}), runTargets(cfg.targetPanels));
    EXPECT_EQ(result.sent, std::vector<int>{0});
    EXPECT_EQ(serialBytes(), (std::vector<uint8_t>{2, 150, 3, 255, 192, 192, 17}));

    attachTransmitter();
    result = sendPages(link, random, clearJobs({6}), runTargets(cfg.targetPanels));
    EXPECT_EQ(result.unsentPagesMask, 255 - 64);
    auto r = reports();
    ASSERT_EQ(r.size(), 6u + 2u + 1u);
    EXPECT_EQ(r[0].length, 3);
    EXPECT_EQ(r[0].sum, 127);
    EXPECT_EQ(r[0].reports, 1);
    EXPECT_EQ(r[6].data, (std::vector<uint8_t>{255, 192, 192, 0, 0, 0, 0, 0}));
    EXPECT_EQ(r[8].mask, 191);
}

// ---- display ----

TEST_F(UploadFixture, DisplayPagesNeedsAPageAndSendsTheMask) {
    TargetChecks targets{};
    targets[5] = true;
    EXPECT_EQ(showPagesOnPanels(link, targets, displayMask({}), nullptr), SendOk);
    EXPECT_TRUE(prompter.prompts.empty());
    link.tell(showPagesNotice(displayMask({}), SendOk));
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::NoPageSelected});
    EXPECT_TRUE(wire.empty());

    std::array<bool, PageCount> pages{};
    pages[0] = pages[2] = pages[7] = true;
    EXPECT_EQ(displayMask(pages), 1 + 4 + 128);
    EXPECT_EQ(showPagesOnPanels(link, targets, displayMask(pages), nullptr), SendOk);
    EXPECT_EQ(serialBytes(), (std::vector<uint8_t>{5, 98, 0, 133}));
}

// ---- repair from the panel's error code ----

struct RepairFixture : UploadFixture {
    uint8_t mask = 0;
    void SetUp() override {
        attachTransmitter();
        setPage(control[0], {line("PAGE ONE")}); // 11 bytes
        setPage(control[1], {line("TWO")});
        setPage(control[2], {line("ABCD")}); // 7 bytes: too short to resend
        setPage(control[3], {line("FOUR FOUR")});
        setPage(control[4], {line("FIVE!")}); // 8 bytes: one data report
        connection.setTargetPanels({3, 4});
        auto result =
            sendPages(link, random, uploadJobs(control, {1, 4}), runTargets(cfg.targetPanels));
        mask = result.unsentPagesMask;
        ASSERT_EQ(mask, 237);
        device->writes(); // the run's reports are left behind
        runReports = reports().size();
    }
    size_t runReports = 0;
    std::vector<KqReport> repairReports() {
        auto all = reports();
        return {all.begin() + static_cast<long>(runReports), all.end()};
    }
};

TEST_F(RepairFixture, CodeMatchingTheRunResumesThePanel) {
    auto r = repairTransfer(link, random, control, mask, "237004");
    EXPECT_EQ(r.status, RepairStatus::Resumed);
    auto sent = repairReports();
    ASSERT_EQ(sent.size(), 3u); // one parameter command, three times
    for (const auto& k : sent) {
        EXPECT_EQ(k.kind, KqReport::Parameter);
        EXPECT_EQ(k.panel, 4);
        EXPECT_EQ(k.parameter, 255);
    }
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(RepairFixture, MissingPagesAreResentWithTheComplement) {
    random = FixedRandomRange({177, 140, 160, 133, 188});
    auto r = repairTransfer(link, random, control, mask, "253004");
    EXPECT_EQ(r.status, RepairStatus::Resent);
    // Pages 1, 4 and 5 hold more than 7 bytes; 3 does not and the others are empty.
    EXPECT_EQ(r.resent, (std::vector<int>{0, 3, 4}));
    auto sent = repairReports();
    std::vector<int> headerPages;
    for (size_t i = 0; i < sent.size(); ++i) {
        if (sent[i].kind != KqReport::Header) continue;
        EXPECT_EQ(sent[i].panel, 4);
        headerPages.push_back(sent[i].page);
    }
    EXPECT_EQ(headerPages, (std::vector<int>{0, 0, 3, 3, 4, 4}));
    // Page 1: two headers, then its 2 data reports twice, with the header's key.
    EXPECT_EQ(sent[0].key, 177);
    EXPECT_EQ(sent[2].kind, KqReport::Data);
    EXPECT_EQ(sent[2].key, 177);
    EXPECT_EQ(sent[4].number, 1);
    EXPECT_EQ(sent[6].key, 140); // page 4's own key
    ASSERT_EQ(sent.back().kind, KqReport::RepairEnd);
    EXPECT_EQ(sent.back().panel, 4);
    EXPECT_EQ(sent.back().mask, 2);
    EXPECT_EQ(sent.size(), (2u + 4) + (2 + 4) + (2 + 2) + 1);
}

TEST_F(RepairFixture, RejectedCodesTellWhyAndSendNothing) {
    struct Case {
        std::string code;
        std::vector<uint8_t> targetPanels;
        RepairStatus status;
        std::string message;
    };
    for (const Case& c : {Case{.code = "000004",
                         .targetPanels = {3, 4},
                         .status = RepairStatus::PageNotSent,
                         .message = "A PÁGINA 1 NÃO FOI ENVIADA"},
                          Case{.code = "237009",
                          .targetPanels = {3, 4},
                          .status = RepairStatus::PanelNotListed,
                          .message = "O painel 9 não está na lista de envios"},
                          Case{.code = "237009",
                          .targetPanels = {},
                          .status = RepairStatus::PanelNotListed,
                          .message = "O painel 9 não está na lista de envios"},
                          Case{.code = "12_4",
                          .targetPanels = {3, 4},
                          .status = RepairStatus::NotANumber,
                          .message = ""}}) {
        SCOPED_TRACE(c.code);
        prompter.prompts.clear();
        prompter.messages.clear();
        connection.setTargetPanels(c.targetPanels);
        auto r = repairTransfer(link, random, control, mask, c.code);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(prompter.messages.empty());
        link.tell(repairNotice(r));
        if (c.message.empty()) {
            EXPECT_TRUE(prompter.messages.empty());
            EXPECT_TRUE(prompter.prompts.empty());
        } else {
            EXPECT_EQ(prompter.messages, std::vector<std::string>{c.message});
            EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::InvalidErrorCode});
        }
        EXPECT_TRUE(repairReports().empty());
    }
}

TEST_F(RepairFixture, EveryPanelTargetAcceptsAnyPanelNumber) {
    connection.setTargetPanels({0, 7});
    auto r = repairTransfer(link, random, control, mask, "237123");
    EXPECT_EQ(r.status, RepairStatus::Resumed);
    auto sent = repairReports();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0].panel, 123);
}

} // namespace
} // namespace vorelux
