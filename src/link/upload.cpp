#include "link/upload.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace vorelux {

namespace {
constexpr uint8_t KqTransmitLength = 1; // byte 3 of every transmit report
constexpr uint8_t HeaderBits = 88;      // 11 payload bytes
constexpr uint8_t DataBits = 80;        // 10 payload bytes
constexpr uint8_t EndBits = 72;         // 9 payload bytes
constexpr const char* KqTransportText = "Envio pelo Transmissor KQ";

std::vector<uint8_t> asVector(const auto& report) {
    return {report.begin(), report.end()};
}

std::array<uint8_t, 14> endReport(const KqIdentity& identity, PanelId target, uint8_t lengthBits,
                                  uint8_t mask) {
    std::array<uint8_t, 14> r{};
    r[0] = 0;
    r[1] = KqCmdTransmit;
    r[2] = lengthBits;
    r[3] = KqTransmitLength;
    r[4] = identity[5];
    r[5] = identity[6];
    r[6] = target;
    r[7] = KqCmdPagesEnd;
    r[8] = 1;
    r[9] = mask;
    return r;
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

// Writes one report; a failed write ends the run. comunica has told the
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
    int lines = std::min<int>(page.lineCount, static_cast<int>(page.lines.size()));
    for (int i = 0; i < lines; ++i)
        out.insert(out.end(), page.lines[i].begin(), page.lines[i].end());
    return out;
}

PageContent clearedPageContent() {
    return {255, 192, 192};
}

bool sendBoxPreselected(const Page& page) {
    if (page.lineCount > 2) return true;
    return !page.lines.empty() && page.lines[0].size() > 3;
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
    std::array<uint8_t, 15> r{};
    r[0] = 0;
    r[1] = KqCmdTransmit;
    r[2] = HeaderBits;
    r[3] = KqTransmitLength;
    r[4] = identity[5];
    r[5] = identity[6];
    r[6] = target;
    r[7] = KqCmdPageHeader;
    r[8] = 1;
    r[9] = static_cast<uint8_t>(dataReportCount(n));
    r[10] = static_cast<uint8_t>(page + PageNumberKqBase);
    r[11] = static_cast<uint8_t>(n >> 8);
    r[12] = static_cast<uint8_t>(n & 0xFF);
    r[13] = static_cast<uint8_t>(sum & 0xFF);
    r[14] = key;
    return r;
}

std::array<uint8_t, 14> kqPageDataReport(const PageContent& content, int k, uint8_t key) {
    std::array<uint8_t, 14> r{};
    r[0] = 0;
    r[1] = KqCmdTransmit;
    r[2] = DataBits;
    r[3] = KqTransmitLength;
    r[4] = static_cast<uint8_t>(k + 1);
    auto at = [&](size_t i) -> uint8_t { return i < content.size() ? content[i] : 0; };
    size_t base = static_cast<size_t>(k) * 8;
    r[5] = at(base);
    r[6] = at(base + 1);
    r[7] = key;
    for (size_t j = 2; j < 8; ++j) r[6 + j] = at(base + j);
    return r;
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
    ConnectionSettings& cfg = link.cfg();
    // The transport is the one active when the run starts.
    const bool usb = cfg.transport == Transport::Transmitter;
    Sleeper& pause = options.sleeper ? *options.sleeper : link.sleeper();
    const bool ownPauses = &pause != &link.sleeper();
    Reporter reporter{progress, {}};
    reporter.state.pageCount = static_cast<int>(jobs.size());
    bool noIdentity = false;

    for (size_t i = 0; i < jobs.size(); ++i) {
        const PageJob& job = jobs[i];
        const PageContent& content = job.content;
        UploadProgress& st = reporter.state;
        st.ordinal = static_cast<int>(i) + 1;
        st.page = job.page;
        st.target = -1;
        st.position = 0;
        st.maximum = 0;
        if (!reporter.emit(UploadProgress::PageStarted)) break;
        if (job.skipWhenShort && content.size() <= ShortPage) {
            result.skipped.push_back(job.page);
            if (!reporter.emit(UploadProgress::PageSkipped)) break;
            continue;
        }

        if (!usb) {
            if (!findPort(listComPorts(link.catalog()), cfg.portNumber)) {
                result.refused.push_back(job.page);
                if (!reporter.emit(UploadProgress::PortRefused)) break;
                continue;
            }
            st.transport = "Envio pela porta serial " + comPortName(cfg.portNumber);
            size_t served = targets.front() == EveryPanel ? 1 : targets.size();
            st.maximum = static_cast<int>((content.size() + 4) * served);
            std::string error;
            SerialOutcome outcome = link.serialTransfer(
                [&](SerialWriter& out) {
                    for (PanelId target : targets) {
                        st.target = target;
                        if (!reporter.emit(UploadProgress::TargetStarted)) return false;
                        for (uint8_t byte : serialPageFrame(target, job.page, content,
                                                            job.page == options.displayPage)) {
                            if (!out.write(byte, ownPauses ? 0 : options.serialPauseMs))
                                return false;
                            if (ownPauses) pause.sleep(options.serialPauseMs);
                            if (!reporter.step()) return false;
                        }
                        // Every panel has heard it: nobody else needs it.
                        if (target == EveryPanel) break;
                    }
                    return true;
                },
                error);
            if (reporter.stopped) break;
            if (outcome == SerialOutcome::PortNotListed) {
                // Gone between the check and the transfer.
                result.refused.push_back(job.page);
                if (!reporter.emit(UploadProgress::PortRefused)) break;
                continue;
            }
            if (outcome == SerialOutcome::PortFailed) {
                result.status = UploadStatus::SerialFailed;
                result.error = error;
                result.message = "Não foi possível enviar pela porta " +
                                 comPortName(cfg.portNumber) + ": " + error +
                                 ". O envio foi interrompido.";
                return result;
            }
            result.sent.push_back(job.page);
            continue;
        }

        // Through the transmitter.
        if (cfg.transmitterIdentity[6] == 0) {
            noIdentity = true;
            break;
        }
        st.transport = KqTransportText;
        int reports = dataReportCount(content.size());
        st.maximum = static_cast<int>(targets.size()) * PageHeaderRepeats + DataRounds * reports;
        uint8_t key = static_cast<uint8_t>(random.between(KeyMin, KeyMax));
        auto header =
            kqPageHeaderReport(cfg.transmitterIdentity, EveryPanel, job.page, content, key);
        for (PanelId target : targets) {
            st.target = target;
            if (!reporter.emit(UploadProgress::TargetStarted)) break;
            pause.sleep(link.transmitterPauseMs);
            header[6] = target;
            for (int r = 0; r < PageHeaderRepeats; ++r) {
                pause.sleep(link.transmitterPauseMs);
                if (!writeReport(link, asVector(header), result.error)) {
                    result.status = UploadStatus::TransmitterFailed;
                    result.message = transmitterFailureText(result.error);
                    return result;
                }
                if (!reporter.step()) break;
            }
            if (reporter.stopped) break;
        }
        if (reporter.stopped) break;
        result.unsentPagesMask &= static_cast<uint8_t>(~(1u << job.page));
        st.target = -1;
        if (!sendDataReports(link, pause, content, key, reporter, result.error)) {
            if (reporter.stopped) break;
            result.status = UploadStatus::TransmitterFailed;
            result.message = transmitterFailureText(result.error);
            return result;
        }
        result.sent.push_back(job.page);
    }

    if (reporter.stopped) {
        result.status = UploadStatus::Cancelled;
        return result;
    }
    if (usb) {
        if (noIdentity || cfg.transmitterIdentity[6] == 0) {
            result.status = UploadStatus::NoTransmitterIdentity;
            return result;
        }
        UploadProgress& st = reporter.state;
        st.page = -1;
        st.position = 0;
        st.maximum = static_cast<int>(targets.size());
        st.transport = KqTransportText;
        reporter.emit(UploadProgress::EndReports);
        for (PanelId target : targets) {
            st.target = target;
            pause.sleep(link.transmitterPauseMs);
            if (!writeReport(link,
                             asVector(kqPagesEndReport(cfg.transmitterIdentity, target,
                                                       result.unsentPagesMask)),
                             result.error)) {
                result.status = UploadStatus::TransmitterFailed;
                result.message = transmitterFailureText(result.error);
                return result;
            }
            if (!reporter.step()) {
                result.status = UploadStatus::Cancelled;
                return result;
            }
        }
    }
    return result;
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

RepairResult repairTransfer(PanelLink& link, RandomRange& random,
                            const std::array<Page, PageCount>& control, uint8_t unsentPagesMask,
                            const std::string& codeText, const UploadProgressFn& progress,
                            Sleeper* sleeper) {
    RepairResult result;
    Sleeper& pause = sleeper ? *sleeper : link.sleeper();
    auto code = parseErrorCode(codeText);
    if (!code) return result;
    result.code = *code;
    const uint8_t a = code->pages;
    const PanelId panel = code->panel;

    for (int p = 0; p < PageCount; ++p) {
        bool notSent = unsentPagesMask & (1u << p);
        bool missing = a & (1u << p);
        if (notSent && !missing) {
            result.status = RepairStatus::PageNotSent;
            result.page = p;
            return result;
        }
    }
    const ConnectionSettings& cfg = link.cfg();
    const auto& targetPanels = cfg.targetPanels;
    bool everyPanel = !targetPanels.empty() && targetPanels.front() == EveryPanel;
    if (!everyPanel &&
        std::find(targetPanels.begin(), targetPanels.end(), panel) == targetPanels.end()) {
        result.status = RepairStatus::PanelNotListed;
        return result;
    }
    if (a == unsentPagesMask) {
        link.lastSendResult = link.sendParameter(ParSwitchOn, panel, 0);
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

    std::vector<int> pages;
    for (int p = 0; p < PageCount; ++p)
        if (a & (1u << p)) pages.push_back(p);
    Reporter reporter{progress, {}};
    reporter.state.pageCount = static_cast<int>(pages.size());
    reporter.state.transport = KqTransportText;
    std::string error;
    auto failed = [&] {
        result.status = reporter.stopped ? RepairStatus::Cancelled : RepairStatus::Failed;
        if (!reporter.stopped) result.message = transmitterFailureText(error);
        return result;
    };
    for (size_t i = 0; i < pages.size(); ++i) {
        int p = pages[i];
        PageContent content = pageContent(control[p]);
        UploadProgress& st = reporter.state;
        st.ordinal = static_cast<int>(i) + 1;
        st.page = p;
        st.target = panel;
        st.position = 0;
        int reports = dataReportCount(content.size());
        st.maximum = ResendHeaderRepeats + DataRounds * reports;
        if (!reporter.emit(UploadProgress::PageStarted)) return failed();
        if (content.size() <= ShortResend) {
            if (!reporter.emit(UploadProgress::PageSkipped)) return failed();
            continue;
        }
        pause.sleep(link.transmitterPauseMs);
        uint8_t key = static_cast<uint8_t>(random.between(KeyMin, KeyMax));
        auto header = asVector(kqPageHeaderReport(cfg.transmitterIdentity, panel, p, content, key));
        for (int r = 0; r < ResendHeaderRepeats; ++r) {
            pause.sleep(link.transmitterPauseMs);
            if (!writeReport(link, header, error)) return failed();
            if (!reporter.step()) return failed();
        }
        if (!sendDataReports(link, pause, content, key, reporter, error)) return failed();
        result.resent.push_back(p);
    }
    reporter.state.page = -1;
    reporter.state.target = panel;
    reporter.state.position = 0;
    reporter.state.maximum = 1;
    if (!reporter.emit(UploadProgress::EndReports)) return failed();
    pause.sleep(link.transmitterPauseMs);
    if (!writeReport(link, asVector(kqRepairEndReport(cfg.transmitterIdentity, panel, a)), error))
        return failed();
    reporter.step();
    result.status = RepairStatus::Resent;
    return result;
}

} // namespace vorelux
