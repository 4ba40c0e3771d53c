#include "link/upload.h"

#include "link/reports.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace vorelux {

namespace {
constexpr uint8_t HeaderBits = 88; // 11 payload bytes
constexpr uint8_t DataBits = 80;   // 10 payload bytes
constexpr uint8_t EndBits = 72;    // 9 payload bytes
constexpr const char* KqTransportText = "Envio pelo Transmissor KQ";

std::vector<uint8_t> asVector(const auto& report) {
    return {report.begin(), report.end()};
}

std::array<uint8_t, 14> endReport(const KqIdentity& identity, PanelId target, uint8_t lengthBits,
                                  uint8_t mask) {
    return serialise<14>(transmitReport(identity, lengthBits, target, KqCmdPagesEnd, {1, mask}));
}

// Keeps the progress state of a run and asks the caller whether to go on.
struct Reporter {
    const UploadProgressFn& fn;
    UploadProgress state;
    bool stopped = false;

    bool emit(UploadProgress::Event event) {
        if (stopped) return false;
        state.event = event;
        if (fn && !fn(state)) stopped = true;
        return !stopped;
    }
    bool step() {
        ++state.position;
        return emit(UploadProgress::Step);
    }
};

constexpr const char* TransmitterGoneText = "O Transmissor KQ foi desconectado.";

// Writes one report; a failed write ends the run. writeReport has told the
// operator of a failed write already; a transmitter that has gone is told
// from the run's result.
bool writeReport(PanelLink& link, const std::vector<uint8_t>& report, std::string& error) {
    if (link.writeReport(report)) return true;
    error =
        link.transmitterAttached() ? "Falha ao escrever no Transmissor KQ." : TransmitterGoneText;
    return false;
}

std::string transmitterFailureText(const std::string& error) {
    if (error != TransmitterGoneText) return {};
    return error + " O envio foi interrompido.";
}

// The data reports of a page, twice over, each after its pause.
bool sendDataReports(PanelLink& link, Sleeper& pause, const PageContent& content, uint8_t key,
                     Reporter& reporter, std::string& error) {
    int reports = dataReportCount(content.size());
    for (int round = 0; round < DataRounds; ++round) {
        for (int k = 0; k < reports; ++k) {
            pause.sleep(link.transmitterPauseMs);
            if (!writeReport(link, asVector(kqPageDataReport(content, k, key)), error))
                return false;
            if (!reporter.step()) return false;
        }
    }
    return true;
}
} // namespace

PageContent pageContent(const Page& page) {
    PageContent out;
    for (const LineStream& line : page.lines()) out.insert(out.end(), line.begin(), line.end());
    return out;
}

PageContent clearedPageContent() {
    return {255, 192, 192};
}

bool sendBoxPreselected(const Page& page) {
    if (page.lineCount() > 2) return true;
    return page.line(0).size() > 3;
}

std::vector<uint8_t> serialPageFrame(PanelId target, int page, const PageContent& content,
                                     bool displayed) {
    std::vector<uint8_t> frame;
    frame.reserve(content.size() + 4);
    frame.push_back(target);
    frame.push_back(PanelCmdPage);
    frame.push_back(static_cast<uint8_t>(page + PageNumberSerialBase));
    frame.insert(frame.end(), content.begin(), content.end());
    frame.push_back(displayed ? PageEndDisplayed : PageEndOther);
    return frame;
}

int dataReportCount(size_t n) {
    return static_cast<int>((n + 7) / 8);
}

std::array<uint8_t, 15> kqPageHeaderReport(const KqIdentity& identity, PanelId target, int page,
                                           const PageContent& content, uint8_t key) {
    unsigned sum = 0;
    for (uint8_t b : content) sum += b;
    size_t n = content.size();
    const std::vector<uint8_t> arguments{1,
                                         static_cast<uint8_t>(dataReportCount(n)),
                                         static_cast<uint8_t>(page + PageNumberKqBase),
                                         static_cast<uint8_t>(n >> 8),
                                         static_cast<uint8_t>(n & 0xFF),
                                         static_cast<uint8_t>(sum & 0xFF),
                                         key};
    return serialise<15>(transmitReport(identity, HeaderBits, target, KqCmdPageHeader, arguments));
}

std::array<uint8_t, 14> kqPageDataReport(const PageContent& content, int k, uint8_t key) {
    TransmitDataReport report;
    report.sequence = static_cast<uint8_t>(k + 1);
    report.key = key;
    const size_t base = static_cast<size_t>(k) * 8;
    for (size_t j = 0; j < report.content.size(); ++j)
        report.content[j] = base + j < content.size() ? content[base + j] : 0;
    return serialise<TransmitDataReportLength>(report);
}

std::array<uint8_t, 14> kqPagesEndReport(const KqIdentity& identity, PanelId target,
                                         uint8_t unsentPagesMask) {
    return endReport(identity, target, EndBits, unsentPagesMask);
}

std::array<uint8_t, 14> kqRepairEndReport(const KqIdentity& identity, PanelId panel,
                                          uint8_t codePages) {
    return endReport(identity, panel, DataBits, static_cast<uint8_t>(~codePages));
}

std::vector<PanelId> runTargets(const std::vector<uint8_t>& targetPanels) {
    if (targetPanels.empty()) return {};
    if (targetPanels.front() == EveryPanel) return {EveryPanel};
    std::set<PanelId> panels;
    for (uint8_t p : targetPanels)
        if (p != EveryPanel) panels.insert(p);
    return {panels.begin(), panels.end()};
}

std::vector<PageJob> uploadJobs(const std::array<Page, PageCount>& control,
                                const std::vector<int>& pages) {
    std::vector<PageJob> jobs;
    for (int p : pages)
        if (p >= 0 && p < PageCount) jobs.push_back({p, pageContent(control[p])});
    return jobs;
}

std::vector<PageJob> clearJobs(const std::vector<int>& pages) {
    std::vector<PageJob> jobs;
    for (int p : pages)
        if (p >= 0 && p < PageCount) jobs.push_back({p, clearedPageContent(), false});
    return jobs;
}

std::string pageTooLargeText(int page, size_t bytes) {
    return "A página " + std::to_string(page + 1) + " tem " + std::to_string(bytes) +
           " bytes e não pode ser enviada: uma página enviada tem no máximo " +
           std::to_string(SendablePageBytes) +
           " bytes. Apague linhas vazias dessa página. Nada foi enviado.";
}

namespace {

// What a page of a run leads to: the next page, out of the page loop (a stop
// or a transmitter without its configuration), or the end of the run with
// its result set.
enum class Flow { Next, Stop, Finish };

// One upload run: the pages in turn, then the transmitter's end reports.
class UploadRun {
  public:
    UploadRun(PanelLink& link, RandomRange& random, const std::vector<PanelId>& targets,
              const UploadProgressFn& progress, const UploadOptions& options)
        : link_(link), random_(random), targets_(targets), options_(options), cfg_(link.cfg()),
          pause_(options.sleeper ? *options.sleeper : link.sleeper()),
          ownPauses_(&pause_ != &link.sleeper()),
          // The transport is the one active when the run starts.
          usb_(cfg_.transport == Transport::Transmitter), reporter_{progress, {}} {}

    UploadResult run(const std::vector<PageJob>& jobs);

  private:
    Flow page(size_t index, const PageJob& job);
    Flow refuse(const PageJob& job);
    Flow serialPage(const PageJob& job);
    bool writeSerialFrames(SerialWriter& out, const PageJob& job);
    Flow transmitterPage(const PageJob& job);
    bool sendPageHeaders(const PageJob& job, uint8_t key);
    void sendEndReports();
    Flow transmitterFailed();

    PanelLink& link_;
    RandomRange& random_;
    const std::vector<PanelId>& targets_;
    const UploadOptions& options_;
    const ConnectionSettings& cfg_;
    Sleeper& pause_;
    const bool ownPauses_;
    const bool usb_;
    Reporter reporter_;
    bool noIdentity_ = false;
    UploadResult result_;
};

UploadResult UploadRun::run(const std::vector<PageJob>& jobs) {
    reporter_.state.pageCount = static_cast<int>(jobs.size());
    for (size_t i = 0; i < jobs.size(); ++i) {
        const Flow flow = page(i, jobs[i]);
        if (flow == Flow::Finish) return result_;
        if (flow == Flow::Stop) break;
    }
    if (reporter_.stopped) {
        result_.status = UploadStatus::Cancelled;
        return result_;
    }
    if (usb_) sendEndReports();
    return result_;
}

Flow UploadRun::page(size_t index, const PageJob& job) {
    UploadProgress& st = reporter_.state;
    st.ordinal = static_cast<int>(index) + 1;
    st.page = job.page;
    st.target = -1;
    st.position = 0;
    st.maximum = 0;
    if (!reporter_.emit(UploadProgress::PageStarted)) return Flow::Stop;
    if (job.skipWhenShort && job.content.size() <= ShortPage) {
        result_.skipped.push_back(job.page);
        return reporter_.emit(UploadProgress::PageSkipped) ? Flow::Next : Flow::Stop;
    }
    return usb_ ? transmitterPage(job) : serialPage(job);
}

Flow UploadRun::refuse(const PageJob& job) {
    result_.refused.push_back(job.page);
    return reporter_.emit(UploadProgress::PortRefused) ? Flow::Next : Flow::Stop;
}

Flow UploadRun::serialPage(const PageJob& job) {
    if (!findPort(listComPorts(link_.catalog()), cfg_.portNumber)) return refuse(job);
    UploadProgress& st = reporter_.state;
    st.transport = "Envio pela porta serial " + comPortName(cfg_.portNumber);
    const size_t served = targets_.front() == EveryPanel ? 1 : targets_.size();
    st.maximum = static_cast<int>((job.content.size() + 4) * served);
    std::string error;
    const SerialOutcome outcome =
        link_.serialTransfer([&](SerialWriter& out) { return writeSerialFrames(out, job); }, error,
                             ownPauses_ ? &pause_ : nullptr);
    if (outcome == SerialOutcome::Cancelled) reporter_.stopped = true;
    if (reporter_.stopped) return Flow::Stop;
    // Gone between the check and the transfer.
    if (outcome == SerialOutcome::PortNotListed) return refuse(job);
    if (outcome == SerialOutcome::PortFailed) {
        result_.status = UploadStatus::SerialFailed;
        result_.error = error;
        result_.message = "Não foi possível enviar pela porta " + comPortName(cfg_.portNumber) +
                          ": " + error + ". O envio foi interrompido.";
        return Flow::Finish;
    }
    result_.sent.push_back(job.page);
    return Flow::Next;
}

bool UploadRun::writeSerialFrames(SerialWriter& out, const PageJob& job) {
    for (PanelId target : targets_) {
        reporter_.state.target = target;
        if (!reporter_.emit(UploadProgress::TargetStarted)) return false;
        for (uint8_t byte :
             serialPageFrame(target, job.page, job.content, job.page == options_.displayPage)) {
            if (!out.write(byte, ownPauses_ ? 0 : options_.serialPauseMs)) return false;
            if (ownPauses_) pause_.sleep(options_.serialPauseMs);
            if (!reporter_.step()) return false;
        }
        // Every panel has heard it: nobody else needs it.
        if (target == EveryPanel) break;
    }
    return true;
}

Flow UploadRun::transmitterPage(const PageJob& job) {
    if (cfg_.transmitterIdentity[6] == 0) {
        noIdentity_ = true;
        return Flow::Stop;
    }
    UploadProgress& st = reporter_.state;
    st.transport = KqTransportText;
    const int reports = dataReportCount(job.content.size());
    st.maximum = static_cast<int>(targets_.size()) * PageHeaderRepeats + DataRounds * reports;
    const auto key = static_cast<uint8_t>(random_.between(KeyMin, KeyMax));
    if (!sendPageHeaders(job, key)) return reporter_.stopped ? Flow::Stop : Flow::Finish;
    result_.unsentPagesMask &= static_cast<uint8_t>(~(1u << job.page));
    st.target = -1;
    if (!sendDataReports(link_, pause_, job.content, key, reporter_, result_.error))
        return reporter_.stopped ? Flow::Stop : transmitterFailed();
    result_.sent.push_back(job.page);
    return Flow::Next;
}

// Each target hears the page header six times; false when the run stopped
// or a report could not be written (the result says so then).
bool UploadRun::sendPageHeaders(const PageJob& job, uint8_t key) {
    for (PanelId target : targets_) {
        reporter_.state.target = target;
        if (!reporter_.emit(UploadProgress::TargetStarted)) return false;
        pause_.sleep(link_.transmitterPauseMs);
        const auto header =
            kqPageHeaderReport(cfg_.transmitterIdentity, target, job.page, job.content, key);
        for (int r = 0; r < PageHeaderRepeats; ++r) {
            pause_.sleep(link_.transmitterPauseMs);
            if (!writeReport(link_, asVector(header), result_.error)) {
                transmitterFailed();
                return false;
            }
            if (!reporter_.step()) return false;
        }
    }
    return true;
}

// One end report per target, carrying the mask of the pages not sent.
void UploadRun::sendEndReports() {
    if (noIdentity_ || cfg_.transmitterIdentity[6] == 0) {
        result_.status = UploadStatus::NoTransmitterIdentity;
        return;
    }
    UploadProgress& st = reporter_.state;
    st.page = -1;
    st.position = 0;
    st.maximum = static_cast<int>(targets_.size());
    st.transport = KqTransportText;
    reporter_.emit(UploadProgress::EndReports);
    for (PanelId target : targets_) {
        st.target = target;
        pause_.sleep(link_.transmitterPauseMs);
        const auto report =
            kqPagesEndReport(cfg_.transmitterIdentity, target, result_.unsentPagesMask);
        if (!writeReport(link_, asVector(report), result_.error)) {
            transmitterFailed();
            return;
        }
        if (!reporter_.step()) {
            result_.status = UploadStatus::Cancelled;
            return;
        }
    }
}

Flow UploadRun::transmitterFailed() {
    result_.status = UploadStatus::TransmitterFailed;
    result_.message = transmitterFailureText(result_.error);
    return Flow::Finish;
}

} // namespace

UploadResult sendPages(PanelLink& link, RandomRange& random, const std::vector<PageJob>& jobs,
                       const std::vector<PanelId>& targets, const UploadProgressFn& progress,
                       const UploadOptions& options) {
    UploadResult result;
    if (targets.empty()) {
        result.status = UploadStatus::NoTargets;
        return result;
    }
    for (const PageJob& job : jobs) {
        if (job.content.size() > SendablePageBytes) {
            result.status = UploadStatus::PageTooLarge;
            result.error = pageTooLargeText(job.page, job.content.size());
            return result;
        }
    }
    return UploadRun(link, random, targets, progress, options).run(jobs);
}

Notice uploadNotice(const UploadResult& result) {
    Notice notice;
    switch (result.status) {
    case UploadStatus::PageTooLarge:
        notice.message = result.error;
        break;
    case UploadStatus::NoTransmitterIdentity:
        notice.prompts.push_back(Prompt::ConfigureTransmitter);
        break;
    case UploadStatus::SerialFailed:
    case UploadStatus::TransmitterFailed:
        notice.message = result.message;
        break;
    default:
        break;
    }
    for (size_t i = 0; i < result.refused.size(); ++i)
        notice.prompts.insert(notice.prompts.begin(), Prompt::PortNotSelected);
    return notice;
}

uint8_t displayMask(const std::array<bool, PageCount>& checked) {
    uint8_t mask = 0;
    for (int k = 0; k < PageCount; ++k)
        if (checked[k]) mask |= static_cast<uint8_t>(1u << k);
    return mask;
}

uint8_t showPagesOnPanels(PanelLink& link, const TargetChecks& targets, uint8_t mask,
                          ProgressWindow* progress) {
    if (mask == 0) return SendOk;
    return link.sendToCheckedPanels(targets, link.parameter(ParPagesToDisplay, mask), progress);
}

Notice showPagesNotice(uint8_t mask, uint8_t result) {
    if (mask == 0) return {{}, {Prompt::NoPageSelected}};
    return sendResultNotice(result);
}

Notice repairNotice(const RepairResult& result) {
    switch (result.status) {
    case RepairStatus::PageNotSent:
        return {pageNotSentText(result.page + 1), {Prompt::InvalidErrorCode}};
    case RepairStatus::PanelNotListed:
        return {panelNotListedText(result.code.panel), {Prompt::InvalidErrorCode}};
    case RepairStatus::Resumed:
    case RepairStatus::Failed: {
        Notice notice = sendResultNotice(result.sendResult);
        notice.message = result.message;
        return notice;
    }
    default:
        return {};
    }
}

std::optional<ErrorCode> parseErrorCode(const std::string& text) {
    size_t begin = text.find_first_not_of(' ');
    size_t end = text.find_last_not_of(' ');
    if (begin == std::string::npos) return std::nullopt;
    std::string digits = text.substr(begin, end - begin + 1);
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    long code = std::stol(digits);
    ErrorCode out;
    out.pages = static_cast<uint8_t>((code / 1000) % 256);
    out.panel = static_cast<PanelId>((code % 1000) % 256);
    return out;
}

std::string pageNotSentText(int page) {
    return "A PÁGINA " + std::to_string(page) + " NÃO FOI ENVIADA";
}

std::string panelNotListedText(int panel) {
    return "O painel " + std::to_string(panel) + " não está na lista de envios";
}

namespace {

// The code against the run: a page the run did not send that the panel says
// it has, or a panel the run did not serve, rejects it.
bool codeFitsTheRun(const ErrorCode& code, uint8_t unsentPagesMask, const ConnectionSettings& cfg,
                    RepairResult& result) {
    for (int p = 0; p < PageCount; ++p) {
        const bool notSent = unsentPagesMask & (1u << p);
        const bool missing = code.pages & (1u << p);
        if (notSent && !missing) {
            result.status = RepairStatus::PageNotSent;
            result.page = p;
            return false;
        }
    }
    const auto& targetPanels = cfg.targetPanels;
    const bool everyPanel = !targetPanels.empty() && targetPanels.front() == EveryPanel;
    if (!everyPanel &&
        std::find(targetPanels.begin(), targetPanels.end(), code.panel) == targetPanels.end()) {
        result.status = RepairStatus::PanelNotListed;
        return false;
    }
    return true;
}

// One missing page to one panel: its header twice, then its data reports.
bool resendPage(PanelLink& link, RandomRange& random, Sleeper& pause, Reporter& reporter,
                PanelId panel, int page, const PageContent& content, std::string& error) {
    pause.sleep(link.transmitterPauseMs);
    const auto key = static_cast<uint8_t>(random.between(KeyMin, KeyMax));
    const auto header =
        asVector(kqPageHeaderReport(link.cfg().transmitterIdentity, panel, page, content, key));
    for (int r = 0; r < ResendHeaderRepeats; ++r) {
        pause.sleep(link.transmitterPauseMs);
        if (!writeReport(link, header, error)) return false;
        if (!reporter.step()) return false;
    }
    return sendDataReports(link, pause, content, key, reporter, error);
}

// Resends the pages the code misses (pages of 7 bytes or fewer are left out)
// and ends with the complement of the code's mask.
void resendMissing(PanelLink& link, RandomRange& random, Sleeper& pause,
                   const std::array<Page, PageCount>& pages, const ErrorCode& code,
                   const UploadProgressFn& progress, RepairResult& result) {
    std::vector<int> missing;
    for (int p = 0; p < PageCount; ++p)
        if (code.pages & (1u << p)) missing.push_back(p);
    Reporter reporter{progress, {}};
    UploadProgress& st = reporter.state;
    st.pageCount = static_cast<int>(missing.size());
    st.transport = KqTransportText;
    std::string error;
    auto fail = [&] {
        result.status = reporter.stopped ? RepairStatus::Cancelled : RepairStatus::Failed;
        if (!reporter.stopped) result.message = transmitterFailureText(error);
    };
    for (size_t i = 0; i < missing.size(); ++i) {
        const int p = missing[i];
        const PageContent content = pageContent(pages[size_t(p)]);
        st.ordinal = static_cast<int>(i) + 1;
        st.page = p;
        st.target = code.panel;
        st.position = 0;
        st.maximum = ResendHeaderRepeats + DataRounds * dataReportCount(content.size());
        if (!reporter.emit(UploadProgress::PageStarted)) return fail();
        if (content.size() <= ShortResend) {
            if (!reporter.emit(UploadProgress::PageSkipped)) return fail();
            continue;
        }
        if (!resendPage(link, random, pause, reporter, code.panel, p, content, error))
            return fail();
        result.resent.push_back(p);
    }
    st.page = -1;
    st.target = code.panel;
    st.position = 0;
    st.maximum = 1;
    if (!reporter.emit(UploadProgress::EndReports)) return fail();
    pause.sleep(link.transmitterPauseMs);
    const auto end = kqRepairEndReport(link.cfg().transmitterIdentity, code.panel, code.pages);
    if (!writeReport(link, asVector(end), error)) return fail();
    reporter.step();
    result.status = RepairStatus::Resent;
}

} // namespace

RepairResult repairTransfer(PanelLink& link, RandomRange& random,
                            const std::array<Page, PageCount>& pages, uint8_t unsentPagesMask,
                            const std::string& codeText, const UploadProgressFn& progress,
                            Sleeper* sleeper) {
    RepairResult result;
    auto code = parseErrorCode(codeText);
    if (!code) return result;
    result.code = *code;
    const ConnectionSettings& cfg = link.cfg();
    if (!codeFitsTheRun(*code, unsentPagesMask, cfg, result)) return result;
    if (code->pages == unsentPagesMask) {
        link.lastSendResult = link.sendParameter(ParSwitchOn, code->panel, 0);
        result.sendResult = link.lastSendResult;
        result.status =
            link.lastSendResult == SendOk ? RepairStatus::Resumed : RepairStatus::Failed;
        return result;
    }
    if (cfg.transport != Transport::Transmitter || cfg.transmitterIdentity[6] == 0) {
        // The repair goes through the transmitter only.
        link.lastSendResult =
            cfg.transport != Transport::Transmitter ? SendKqWriteFailed : SendKqNoIdentity;
        result.sendResult = link.lastSendResult;
        result.status = RepairStatus::Failed;
        return result;
    }
    resendMissing(link, random, sleeper ? *sleeper : link.sleeper(), pages, *code, progress,
                  result);
    return result;
}

} // namespace vorelux
