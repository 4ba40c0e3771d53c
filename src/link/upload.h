#pragma once
// Sending pages to the panels without any window: the bytes of a page, the
// serial page frame and the transmitter's page reports, the upload and
// clear runs with their pauses and progress, the pages-to-display command,
// and the repair of a failed transfer from the six-digit code a panel shows.
//
// Everything goes through a PanelLink: its transport, serial port
// discipline, transmitter and sleeper.
#include "link/frames.h"
#include "link/panel_link.h"
#include "link/random_range.h"
#include "model/store.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vorelux {

// Panel and transmitter commands of a page upload.
constexpr uint8_t PanelCmdPage = 150;    // serial page frame
constexpr uint8_t PageEndDisplayed = 17; // last frame byte: the page of the display selector
constexpr uint8_t PageEndOther = 16;     // last frame byte: any other page
constexpr uint8_t KqCmdPageHeader = 96;  // transmitter page header
constexpr uint8_t KqCmdPagesEnd = 97;    // transmitter end of pages
constexpr int PageNumberSerialBase = 3;  // page p goes out as p + 3 on the serial port
constexpr int PageNumberKqBase = 32;     // and as p + 32 through the transmitter

constexpr int SerialBytePauseMs = 30; // after every serial byte of a page
constexpr int KeyMin = 128;           // the key of a page: drawn anew for each page
constexpr int KeyMax = 190;
constexpr int PageHeaderRepeats = 6;   // each target hears its page header six times
constexpr int DataRounds = 2;          // the data reports go out twice
constexpr int ResendHeaderRepeats = 2; // a resent page's header goes out twice
constexpr size_t ShortPage = 3;        // pages of this many bytes or fewer are not uploaded
constexpr size_t ShortResend = 7;      // nor resent when this short
constexpr uint8_t NoPageSent = 255;    // unsentPagesMask at the start of a run
// The transmitter's page header counts a page's data reports of 8 bytes in
// one byte, so no page of more bytes can be described to a panel; the serial
// frame is held to the same size so that both transports carry the same pages.
constexpr size_t SendablePageBytes = 255 * 8;

using PageContent = std::vector<uint8_t>;

// The bytes sent for a page: its lines (0xFF, entry, exit, content each) in
// order, nothing between them.
PageContent pageContent(const Page& page);
// What a cleared page holds: one empty line, 255 192 192.
PageContent clearedPageContent();
// Whether the send box of a page starts checked: more than two lines, or a
// first line longer than its three header bytes.
bool sendBoxPreselected(const Page& page);

// The serial page frame: target, 150, p + 3, the content, then 17 when p is
// the display selector's page and 16 otherwise.
std::vector<uint8_t> serialPageFrame(PanelId target, int page, const PageContent& content,
                                     bool displayed);
// Data reports for n content bytes: n / 8 rounded up.
int dataReportCount(size_t n);
// The 15-byte page header report (byte 0 is the report ID).
std::array<uint8_t, 15> kqPageHeaderReport(const KqIdentity& identity, PanelId target, int page,
                                           const PageContent& content, uint8_t key);
// Data report k + 1 (k from 0): content bytes 8k..8k+7 around the key; zeros
// past the end of the content.
std::array<uint8_t, 14> kqPageDataReport(const PageContent& content, int k, uint8_t key);
// The end report of a run for one target: the mask of the pages not sent.
std::array<uint8_t, 14> kqPagesEndReport(const KqIdentity& identity, PanelId target,
                                         uint8_t unsentPagesMask);
// The report that ends a repair: length byte 80 and the complement of the
// code's page mask.
std::array<uint8_t, 14> kqRepairEndReport(const KqIdentity& identity, PanelId panel,
                                          uint8_t codePages);

// The targets of a run from the stored list: none for an empty list, panel 0
// alone when it starts with 0, otherwise its panels 1..255 in ascending order.
std::vector<PanelId> runTargets(const std::vector<uint8_t>& targetPanels);

// One page of a run and the bytes it carries.
struct PageJob {
    int page = 0; // 0..7
    PageContent content;
    bool skipWhenShort = true; // an upload leaves out pages of 3 bytes or fewer; a clear does not
};
// The pages to upload, with their content from the store.
std::vector<PageJob> uploadJobs(const std::array<Page, PageCount>& control,
                                const std::vector<int>& pages);
// The pages to clear: each carries one empty line.
std::vector<PageJob> clearJobs(const std::vector<int>& pages);

// Where a run stands, given to the progress callback after every byte,
// report and change of page or target.
struct UploadProgress {
    enum Event {
        PageStarted,   // a page of the run begins (ordinal counts from 1)
        PageSkipped,   // a page of 3 bytes or fewer: not uploaded
        PortRefused,   // the serial port is not installed: the page is refused
        TargetStarted, // the page goes to `target` now
        Step,          // a byte or report went out
        EndReports,    // the end reports go out
    };
    Event event = Step;
    int ordinal = 0;       // the page's place in the run, from 1
    int pageCount = 0;     // pages in the run
    int page = -1;         // 0..7, -1 while no page is under way
    int target = -1;       // the panel served (0 every panel); -1 for reports heard by all
    int position = 0;      // bytes or reports of this page done
    int maximum = 0;       // bytes or reports of this page in all
    std::string transport; // "Envio pela porta serial COM3" or "Envio pelo Transmissor KQ"
};
// Returns false to stop the run (the window was closed).
using UploadProgressFn = std::function<bool(const UploadProgress&)>;

enum class UploadStatus {
    Done,                  // every page went out (short pages skipped, refused ones listed)
    PageTooLarge,          // a page is longer than a transfer can describe: nothing sent
    NoTargets,             // the target list is empty: nothing was sent
    NoTransmitterIdentity, // transmitter without configuration byte: nothing sent
    SerialFailed,          // opening or writing the port failed: the run ended
    TransmitterFailed,     // a report could not be written: the run ended
    Cancelled,             // the progress callback stopped the run
};

struct UploadResult {
    UploadStatus status = UploadStatus::Done;
    uint8_t unsentPagesMask = NoPageSent; // bit p clear: page p went through the transmitter
    std::vector<int> sent;                // pages written, in order
    std::vector<int> skipped;             // pages of 3 bytes or fewer
    std::vector<int> refused;             // pages not sent because the port is not installed
    std::string error;                    // why SerialFailed, TransmitterFailed or PageTooLarge
    std::string message;                  // the operator's text of a failure (empty: none)
};

// What the operator is told after a run: the failure's message, prompt PortNotSelected
// for each refused page, prompt ConfigureTransmitter without a transmitter configuration byte
// (Yes opens the transmitter configuration).
Notice uploadNotice(const UploadResult& result);

struct UploadOptions {
    int displayPage = 0; // index of the display-page selector
    int serialPauseMs = SerialBytePauseMs;
    // Takes the pauses of the run in place of the link's own sleeper (a
    // window's sleeper that keeps its events flowing); null: the link's.
    Sleeper* sleeper = nullptr;
};

// The operator's message for a page too long to send.
std::string pageTooLargeText(int page, size_t bytes);

// Sends each job's page to every target through the active transport.
// A page longer than SendablePageBytes stops the run before anything goes out.
// Serial: one frame per target and page, a pause after every byte; a page
// is refused when the port is not installed and the next page is tried.
// Transmitter: the page header six times per target, the data reports twice
// for all targets, then one end report per target carrying unsentPagesMask;
// without a configuration byte nothing is sent. Keys come from `random`.
// Nothing is shown on the way: uploadNotice tells the result.
UploadResult sendPages(PanelLink& link, RandomRange& random, const std::vector<PageJob>& jobs,
                       const std::vector<PanelId>& targets, const UploadProgressFn& progress = {},
                       const UploadOptions& options = {});

// The pages-to-display mask: bit k for each checked page k.
uint8_t displayMask(const std::array<bool, PageCount>& checked);
// "Exibir": parameter 0 with the mask to the checked targets (progress may
// be null); nothing is sent for an empty mask. Returns the send result.
uint8_t showPagesOnPanels(PanelLink& link, const TargetChecks& targets, uint8_t mask,
                          ProgressWindow* progress);
// What the operator is told after "Exibir": prompt NoPageSelected for an empty mask,
// otherwise the send result's prompt.
Notice showPagesNotice(uint8_t mask, uint8_t result);

// A panel's six-digit code DDDNNN: DDD the pages it misses, NNN its number.
struct ErrorCode {
    uint8_t pages = 0; // bit p set: page p missing
    PanelId panel = 0;
};
// The code typed in the field; nothing when it is not a whole number.
std::optional<ErrorCode> parseErrorCode(const std::string& text);

enum class RepairStatus {
    NotANumber,     // nothing done
    PageNotSent,    // the code misses a page the run did not send
    PanelNotListed, // the panel is not a target
    Resumed,        // the panel has every page: it was told to resume
    Resent,         // the missing pages and the end report went out
    Failed,         // the resume or the transmitter failed (sendResult says how)
    Cancelled,
};

struct RepairResult {
    RepairStatus status = RepairStatus::NotANumber;
    ErrorCode code;
    int page = -1;           // PageNotSent: the page (0..7)
    std::vector<int> resent; // pages resent, in order
    uint8_t sendResult = 0;  // Resumed and Failed: the SendResult of the command
    std::string message;     // Failed: the operator's text of a transmitter gone (empty: none)
};

// What the operator is told after a repair: a rejected code's message and
// prompt InvalidErrorCode, or the send result's prompt.
Notice repairNotice(const RepairResult& result);

// Repairs a transfer from the code a panel shows, after a run whose
// unsentPagesMask is given: checks the code against the run and the targets,
// then resumes the panel or resends what it misses (pages of 7 bytes or
// fewer are left out) and ends with the complement of the code's mask.
// Sets link.lastSendResult for a resume or a failure; shows nothing.
RepairResult repairTransfer(PanelLink& link, RandomRange& random,
                            const std::array<Page, PageCount>& control, uint8_t unsentPagesMask,
                            const std::string& codeText, const UploadProgressFn& progress = {},
                            Sleeper* sleeper = nullptr);

// The two messages of a rejected code.
std::string pageNotSentText(int page);     // "A PÁGINA 1 NÃO FOI ENVIADA"
std::string panelNotListedText(int panel); // "O painel 9 não está na lista de envios"

} // namespace vorelux
