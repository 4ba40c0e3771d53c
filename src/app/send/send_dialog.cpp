#include "app/send/send_dialog.h"

#include "app/link/progress_window.h"
#include "app/link/transfer_runner.h"
#include "app/link/transport_group.h"
#include "app/send/target_list.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace vorelux::app {

namespace {
QString pageList(const std::vector<int>& pages) {
    QStringList out;
    for (int p : pages) out << QString::number(p + 1);
    return out.join(QStringLiteral(", "));
}

QPushButton* button(const char* name, const QString& caption, const QString& hint = {}) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}
} // namespace

SendPagesDialog::SendPagesDialog(OperatorLink& link, PageStore& store, SendServices services,
                                 QWidget* parent)
    : QDialog(parent), link_(link), store_(store), services_(std::move(services)),
      runner_(std::make_unique<TransferRunner>()) {
    setObjectName(QStringLiteral("sendPagesDialog"));
    if (services_.random) {
        random_ = services_.random;
    } else {
        ownRandom_ = std::make_unique<StdRandomRange>();
        random_ = ownRandom_.get();
    }
    QString mainCaption = services_.mainCaption ? services_.mainCaption() : QString();
    progressWindow_ = new ProgressWindowDialog(mainCaption, this);
    serialPause_ = SerialBytePauseMs;
    link_.transmitterPauseMs = 160;
    setWindowTitle(mainCaption + QStringLiteral(" - Enviar"));

    sheets_ = new QStackedWidget(this);
    sheets_->setObjectName(QStringLiteral("sheets"));
    sheets_->addWidget(buildMainSheet());
    sheets_->addWidget(buildProgressSheet());
    sheets_->addWidget(buildErrorCodeSheet());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sheets_);
    // Fixed to what it holds, so a long port name or a hint widens it.
    sheets_->setMinimumSize(QSize(640, 430) - QSize(2, 2) * layout->contentsMargins().left());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    sendButton_->setDefault(true); // Enter sends; set once the dialog holds it
}

// The worker stops before the widgets it reports to go away.
SendPagesDialog::~SendPagesDialog() {
    runner_.reset();
}

bool SendPagesDialog::running() const {
    return runner_->running();
}

// The "Páginas" group: a row of boxes for sending, clearing and displaying
// each page, with the row's button at its end.
void SendPagesDialog::buildPageBoxes(QWidget* group) {
    auto* grid = new QGridLayout(group);
    for (int p = 0; p < PageCount; ++p) {
        auto* header = new QLabel(QString::number(p + 1));
        header->setAlignment(Qt::AlignCenter);
        header->setToolTip(QStringLiteral("Página %1").arg(p + 1));
        grid->addWidget(header, 0, p + 1);
    }
    struct Row {
        const char* label;
        BoxRow* boxes;
        const char* name; // object names: <name><page number>
        const char* hint;
    };
    const std::array<Row, 3> rows{Row{"Enviar", &sendBoxes_, "sendBox", "Enviar página %1"},
                                  Row{"Limpar", &clearBoxes_, "clearBox", "Limpar página %1"},
                                  Row{"Exibir", &displayBoxes_, "displayBox", "Exibir página %1"}};
    for (int r = 0; r < 3; ++r) {
        grid->addWidget(new QLabel(QString::fromUtf8(rows[r].label)), r + 1, 0);
        for (int p = 0; p < PageCount; ++p) {
            auto* box = new QCheckBox;
            box->setObjectName(QString::fromLatin1(rows[r].name) + QString::number(p + 1));
            box->setToolTip(QString::fromUtf8(rows[r].hint).arg(p + 1));
            box->setAccessibleName(box->toolTip());
            (*rows[r].boxes)[p] = box;
            grid->addWidget(box, r + 1, p + 1, Qt::AlignCenter);
        }
    }
    sendButton_ = button("sendButton", QStringLiteral("&Enviar"),
                         QStringLiteral("Envia os textos das páginas para o painel"));
    clearButton_ =
        button("clearButton", QStringLiteral("&Limpar"), QStringLiteral("Limpas as páginas "));
    displayButton_ = button("displayButton", QStringLiteral("E&xibir"),
                            QStringLiteral("Configura quais páginas serão exibidas"));
    grid->addWidget(sendButton_, 1, PageCount + 1);
    grid->addWidget(clearButton_, 2, PageCount + 1);
    grid->addWidget(displayButton_, 3, PageCount + 1);
    for (QCheckBox* box : sendBoxes_)
        connect(box, &QCheckBox::clicked, this, [this] { updateClearBoxes(); });
    connect(sendButton_, &QPushButton::clicked, this, [this] { sendCheckedPages(); });
    connect(clearButton_, &QPushButton::clicked, this, [this] { clearCheckedPages(); });
    connect(displayButton_, &QPushButton::clicked, this, [this] { sendDisplayedPages(); });
}

QWidget* SendPagesDialog::buildMainSheet() {
    auto* sheet = new QWidget;
    sheet->setObjectName(QStringLiteral("mainSheet"));

    auto* pages = new QGroupBox(QStringLiteral(" Páginas "));
    buildPageBoxes(pages);

    targetList_ = new TargetList;
    targetList_->load(link_.cfg().targetPanels);
    connect(targetList_, &TargetList::clicked, this, [this] { storeTargetList(); });
    showIdsButton_ =
        button("showIdsButton", QStringLiteral("Exibir &IDs"),
               QStringLiteral("Todos os painéis configurados no software exibirão suas IDs"));
    connect(showIdsButton_, &QPushButton::clicked, this, [this] {
        if (services_.openIdDisplay) services_.openIdDisplay();
    });
    auto* targets = new QVBoxLayout;
    targets->addWidget(targetList_, 1);
    targets->addWidget(showIdsButton_);

    transportGroup_ = new TransportGroup(link_, services_.connCfgPath);
    connect(transportGroup_, &TransportGroup::portChosen, this, [this] { guideOperator(); });

    guidanceLabel_ = new QLabel;
    guidanceLabel_->setObjectName(QStringLiteral("guidanceLabel"));
    guidanceLabel_->setWordWrap(true);
    guidanceLabel_->setStyleSheet(QStringLiteral("color: #0050a0; font-weight: bold"));
    guidanceLabel_->hide();

    auto* left = new QVBoxLayout;
    left->addWidget(guidanceLabel_);
    left->addWidget(pages);
    left->addWidget(transportGroup_);
    left->addStretch(1);
    auto* layout = new QHBoxLayout(sheet);
    layout->addLayout(left, 3);
    layout->addLayout(targets, 2);
    return sheet;
}

QWidget* SendPagesDialog::buildProgressSheet() {
    auto* sheet = new QWidget;
    sheet->setObjectName(QStringLiteral("progressSheet"));
    headlineLabel_ = new QLabel(QStringLiteral("Aguarde"));
    headlineLabel_->setObjectName(QStringLiteral("headlineLabel"));
    QFont big = headlineLabel_->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    headlineLabel_->setFont(big);
    headlineLabel_->setAlignment(Qt::AlignCenter);
    statusLabel_ = new QLabel(QStringLiteral("Enviando página para o painel"));
    statusLabel_->setObjectName(QStringLiteral("statusLabel"));
    statusLabel_->setAlignment(Qt::AlignCenter);
    QFont mid = statusLabel_->font();
    mid.setPointSize(mid.pointSize() + 3);
    statusLabel_->setFont(mid);
    destinationLabel_ = new QLabel;
    destinationLabel_->setObjectName(QStringLiteral("destinationLabel"));
    destinationLabel_->setAlignment(Qt::AlignCenter);
    pagesBar_ = new QProgressBar;
    pagesBar_->setObjectName(QStringLiteral("pagesBar"));
    pagesBar_->setFormat(QStringLiteral("Páginas: %v de %m"));
    dataBar_ = new QProgressBar;
    dataBar_->setObjectName(QStringLiteral("dataBar"));
    dataBar_->setTextVisible(false);
    questionLabel_ = new QLabel(ReceivedQuestion);
    questionLabel_->setObjectName(QStringLiteral("questionLabel"));
    questionLabel_->setAlignment(Qt::AlignCenter);
    questionLabel_->setWordWrap(true);
    allReceivedButton_ = button("allReceivedButton", QStringLiteral("Sim, todos\nreceberam"));
    panelShowsErrorButton_ =
        button("panelShowsErrorButton", QStringLiteral("Não, painel\nexibe erro"));
    for (QPushButton* b : {allReceivedButton_, panelShowsErrorButton_}) b->setMinimumHeight(48);
    connect(allReceivedButton_, &QPushButton::clicked, this, [this] { answerAllReceived(); });
    connect(panelShowsErrorButton_, &QPushButton::clicked, this,
            [this] { answerPanelShowsError(); });
    auto* answers = new QHBoxLayout;
    answers->addStretch(1);
    answers->addWidget(allReceivedButton_);
    answers->addWidget(panelShowsErrorButton_);
    answers->addStretch(1);

    auto* layout = new QVBoxLayout(sheet);
    layout->addStretch(1);
    layout->addWidget(headlineLabel_);
    layout->addWidget(statusLabel_);
    layout->addWidget(destinationLabel_);
    layout->addSpacing(8);
    layout->addWidget(pagesBar_);
    layout->addWidget(dataBar_);
    layout->addSpacing(12);
    layout->addWidget(questionLabel_);
    layout->addLayout(answers);
    layout->addStretch(1);
    return sheet;
}

QWidget* SendPagesDialog::buildErrorCodeSheet() {
    auto* sheet = new QWidget;
    sheet->setObjectName(QStringLiteral("errorCodeSheet"));
    auto* title = new QLabel(QStringLiteral("O painel exibiu erro"));
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    auto* text =
        new QLabel(QStringLiteral("Insira no campo abaixo o código de erro exibido no painel:"));
    text->setAlignment(Qt::AlignCenter);
    errorCodeEdit_ = new QLineEdit;
    errorCodeEdit_->setObjectName(QStringLiteral("errorCodeEdit"));
    errorCodeEdit_->setInputMask(QStringLiteral("000000;_"));
    errorCodeEdit_->setText(QStringLiteral("000000"));
    QFont code = errorCodeEdit_->font();
    code.setFamily(QStringLiteral("Monospace"));
    code.setStyleHint(QFont::Monospace);
    code.setPointSize(code.pointSize() + 10);
    errorCodeEdit_->setFont(code);
    errorCodeEdit_->setAlignment(Qt::AlignCenter);
    errorCodeEdit_->setFixedWidth(180);
    connect(errorCodeEdit_, &QLineEdit::returnPressed, this, [this] { repairFromErrorCode(); });
    repairButton_ = button("repairButton", QStringLiteral("Corrigir erro"));
    returnButton_ = button("returnButton", QStringLiteral("Retornar "),
                           QStringLiteral("Retorna a janela de envios de páginas"));
    closeButton_ =
        button("closeButton", QStringLiteral("Fechar"), QStringLiteral("Fecha a janela"));
    connect(repairButton_, &QPushButton::clicked, this, [this] { repairFromErrorCode(); });
    connect(returnButton_, &QPushButton::clicked, this, [this] { returnToMainSheet(); });
    connect(closeButton_, &QPushButton::clicked, this, [this] { close(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(repairButton_);
    buttons->addWidget(returnButton_);
    buttons->addWidget(closeButton_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(sheet);
    layout->addStretch(1);
    layout->addWidget(title);
    layout->addWidget(text);
    layout->addWidget(errorCodeEdit_, 0, Qt::AlignHCenter);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->addStretch(1);
    return sheet;
}

// ---- sheets ----

void SendPagesDialog::showSheet(Sheet sheet) {
    sheets_->setCurrentIndex(static_cast<int>(sheet));
    if (sheet != Sheet::ErrorCode) return;
    // The error-code sheet starts on an empty code.
    errorCodeEdit_->setText(QStringLiteral("000000"));
    errorCodeEdit_->selectAll();
    errorCodeEdit_->setFocus();
    if (fromErrorButton_) errorCodeEdit_->setSelection(0, 1);
    fromErrorButton_ = false;
}

SendPagesDialog::Sheet SendPagesDialog::currentSheet() const {
    return static_cast<Sheet>(sheets_->currentIndex());
}

void SendPagesDialog::setMainEnabled(bool enabled) {
    if (services_.setMainEnabled) services_.setMainEnabled(enabled);
}

void SendPagesDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) prepareOnOpening();
}

void SendPagesDialog::prepareOnOpening() {
    transportGroup_->refreshPorts();
    for (int p = 0; p < PageCount; ++p)
        sendBoxes_[p]->setChecked(sendBoxPreselected(store_.pages()[p]));
    targetList_->load(link_.cfg().targetPanels);
    if (link_.cfg().transport == Transport::Serial) transportGroup_->prepareOnOpen();
    for (int p = 0; p < PageCount; ++p) {
        clearBoxes_[p]->setChecked(false);
        clearBoxes_[p]->setEnabled(!sendBoxes_[p]->isChecked());
        displayBoxes_[p]->setChecked(false);
    }
    int current = services_.currentPage ? services_.currentPage() : store_.currentPage();
    if (current >= 0 && current < PageCount) displayBoxes_[current]->setChecked(true);
    guideOperator();
}

void SendPagesDialog::guideOperator() {
    const bool noPort = link_.cfg().transport == Transport::Serial &&
                        transportGroup_->portSelector()->currentIndex() < 0;
    const bool noPanel = link_.cfg().targetPanels.empty();
    QStringList hints;
    if (noPort)
        hints << QStringLiteral("Escolha a porta do painel na lista abaixo ou use "
                                "\"Adicionar porta...\".");
    if (noPanel)
        hints << QStringLiteral("Marque em \"Enviar para\" os painéis que vão receber as "
                                "páginas.");
    guidanceLabel_->setText(hints.join(u'\n'));
    guidanceLabel_->setVisible(!hints.isEmpty());
    if (noPort)
        transportGroup_->portSelector()->setFocus(Qt::OtherFocusReason);
    else if (noPanel)
        targetList_->setFocus(Qt::OtherFocusReason);
    else
        sendButton_->setFocus(Qt::OtherFocusReason);
}

std::vector<int> SendPagesDialog::checkedPages(const BoxRow& row) {
    std::vector<int> pages;
    for (int p = 0; p < PageCount; ++p) {
        if (row[p]->isChecked()) pages.push_back(p);
        if (&row == &sendBoxes_) clearBoxes_[p]->setEnabled(!row[p]->isChecked());
    }
    return pages;
}

void SendPagesDialog::updateClearBoxes() {
    for (int p = 0; p < PageCount; ++p) clearBoxes_[p]->setEnabled(!sendBoxes_[p]->isChecked());
}

void SendPagesDialog::storeTargetList() {
    link_.settings().setTargetPanels(targetList_->checkedItems());
    std::string error;
    if (!writeConnCfg(services_.connCfgPath, link_.cfg(), ConnCfgTargets, error))
        link_.prompter().message("Não foi possível gravar a lista de painéis em \"conn.cfg\": " +
                                 error + ". A lista vale até o editor ser fechado.");
    targetList_->updateCaptionFromChecks();
    if (guidanceLabel_->isVisible()) guideOperator();
}

// ---- runs ----

bool SendPagesDialog::showProgress(const UploadProgress& p) {
    if (!p.transport.empty()) headlineLabel_->setText(QString::fromStdString(p.transport));
    QString page = QStringLiteral("Página %1").arg(p.page + 1);
    switch (p.event) {
    case UploadProgress::PageStarted:
        pagesBar_->setRange(0, std::max(p.pageCount, 1));
        pagesBar_->setValue(p.ordinal);
        statusLabel_->setText(QStringLiteral("Página %1").arg(p.ordinal));
        destinationLabel_->setText(page);
        dataBar_->setRange(0, 1);
        dataBar_->setValue(0);
        break;
    case UploadProgress::PageSkipped:
        destinationLabel_->setText(page + QStringLiteral(" vazia: não enviada"));
        break;
    case UploadProgress::PortRefused:
        showSheet(Sheet::Main);
        break;
    case UploadProgress::TargetStarted:
        destinationLabel_->setText(p.target == EveryPanel
                                       ? page + QStringLiteral(" para todos os painéis")
                                       : page + QStringLiteral(" para o painel %1").arg(p.target));
        [[fallthrough]];
    case UploadProgress::Step:
        if (p.target < 0 && p.page >= 0)
            destinationLabel_->setText(page + QStringLiteral(": dados para os painéis da lista"));
        dataBar_->setRange(0, std::max(p.maximum, 1));
        dataBar_->setValue(std::min(p.position, std::max(p.maximum, 1)));
        break;
    case UploadProgress::EndReports:
        destinationLabel_->setText(QStringLiteral("Fim do envio"));
        dataBar_->setRange(0, std::max(p.maximum, 1));
        dataBar_->setValue(0);
        break;
    }
    return !runner_->cancelled();
}

void SendPagesDialog::sendCheckedPages() {
    runPages(false);
}

void SendPagesDialog::clearCheckedPages() {
    runPages(true);
}

void SendPagesDialog::showQuestion(bool visible) {
    questionLabel_->setVisible(visible);
    panelShowsErrorButton_->setVisible(visible);
    allReceivedButton_->setVisible(visible);
}

void SendPagesDialog::resetProgressSheet() {
    showQuestion(false);
    headlineLabel_->setText(QStringLiteral("Aguarde"));
    statusLabel_->setText(QStringLiteral("Enviando página para o painel"));
    destinationLabel_->clear();
    showSheet(Sheet::Progress);
    pagesBar_->setRange(0, 1);
    pagesBar_->setValue(0);
    dataBar_->setRange(0, 1);
    dataBar_->setValue(0);
}

// Every panel when the stored list starts with item 0, else the checked panels.
std::vector<PanelId> SendPagesDialog::runTargets() const {
    const ConnectionSettings& cfg = link_.cfg();
    std::vector<PanelId> targets;
    if (cfg.targetPanels.empty()) return targets;
    if (cfg.targetPanels.front() == EveryPanel) return {EveryPanel};
    for (uint8_t n : targetList_->checkedItems())
        if (n != EveryPanel) targets.push_back(n);
    return targets;
}

void SendPagesDialog::runPages(bool clearing) {
    if (running()) return;
    setMainEnabled(false);
    sentPagesMask_ = NoPageSent;
    resetProgressSheet();

    std::vector<PanelId> targets = runTargets();
    if (targets.empty()) {
        // Nothing to send to: say so rather than leave the window waiting.
        link_.prompter().message("Nenhum painel marcado em \"Enviar para\". Nada foi enviado.");
        showSheet(Sheet::Main);
        setMainEnabled(true);
        if (clearing) prepareOnOpening();
        emit runFinished();
        return;
    }

    std::vector<int> pages = checkedPages(clearing ? clearBoxes_ : sendBoxes_);
    std::vector<PageJob> jobs = clearing ? clearJobs(pages) : uploadJobs(store_.pages(), pages);
    UploadOptions options;
    options.serialPauseMs = serialPause_;
    auto worker = std::make_shared<WorkerLink>(link_, *runner_);
    auto result = std::make_shared<UploadResult>();
    TransferRunner* runner = runner_.get();
    RandomRange* random = random_;
    auto progress = [this, runner](const UploadProgress& p) {
        runner->post([this, p] { showProgress(p); });
        return !runner->cancelled();
    };
    runner_->start(
        [worker, result, random, jobs = std::move(jobs), targets, progress, options] {
            *result = sendPages(worker->link(), *random, jobs, targets, progress, options);
        },
        [this, worker, result, clearing] {
            worker->returnResults(link_);
            endRun(*result, clearing);
        });
}

void SendPagesDialog::endRun(const UploadResult& result, bool clearing) {
    sentPagesMask_ = result.unsentPagesMask;
    showRunResult(result);
    const QPointer<SendPagesDialog> alive(this);
    link_.tell(uploadNotice(result));
    if (!alive) return; // the dialog went while a result was on show
    if (clearing && result.status != UploadStatus::Cancelled) prepareOnOpening();
    finishRun();
}

void SendPagesDialog::showRunResult(const UploadResult& result) {
    switch (result.status) {
    case UploadStatus::Cancelled:
        break;
    case UploadStatus::Done:
        if (currentSheet() == Sheet::Main) {
            // The port was missing: the operator is back on the first sheet.
            setMainEnabled(true);
            break;
        }
        questionLabel_->setText(ReceivedQuestion);
        statusLabel_->setText(QStringLiteral("Concluído!"));
        destinationLabel_->setText(
            result.sent.empty()
                ? QStringLiteral("Nenhuma página enviada")
                : QStringLiteral("Páginas enviadas: %1").arg(pageList(result.sent)));
        showQuestion(true);
        break;
    case UploadStatus::PageTooLarge:
    case UploadStatus::NoTargets:
    case UploadStatus::NoTransmitterIdentity:
    case UploadStatus::SerialFailed:
    case UploadStatus::TransmitterFailed:
        // Nothing more will go out: back to the first sheet.
        showSheet(Sheet::Main);
        setMainEnabled(true);
        break;
    }
}

void SendPagesDialog::finishRun() {
    emit runFinished();
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        close();
    }
}

void SendPagesDialog::sendDisplayedPages() {
    if (running()) return;
    std::array<bool, PageCount> checked{};
    for (int p = 0; p < PageCount; ++p) checked[p] = displayBoxes_[p]->isChecked();
    const uint8_t mask = displayMask(checked);
    if (mask == 0) {
        link_.tell(showPagesNotice(mask, SendOk));
        finishRun();
        return;
    }
    auto worker = std::make_shared<WorkerLink>(link_, *runner_);
    auto progress = std::make_shared<WorkerProgress>(progressWindow_, *runner_);
    auto result = std::make_shared<uint8_t>(SendOk);
    runner_->start(
        [worker, progress, result, mask, checks = targetList_->checks()] {
            *result = showPagesOnPanels(worker->link(), checks, mask, progress.get());
        },
        [this, worker, result, mask] {
            worker->returnResults(link_);
            const QPointer<SendPagesDialog> alive(this);
            link_.tell(showPagesNotice(mask, *result));
            if (alive) finishRun();
        });
}

void SendPagesDialog::answerPanelShowsError() {
    if (link_.cfg().transport == Transport::Serial) {
        sendCheckedPages();
        return;
    }
    fromErrorButton_ = true;
    showSheet(Sheet::ErrorCode);
}

void SendPagesDialog::answerAllReceived() {
    showSheet(Sheet::Main);
    setMainEnabled(true);
}

void SendPagesDialog::returnToMainSheet() {
    showSheet(Sheet::Main);
    setMainEnabled(true);
}

void SendPagesDialog::selectCodeDigits(int start, int length) {
    errorCodeEdit_->setFocus();
    errorCodeEdit_->setSelection(start, length);
}

void SendPagesDialog::repairFromErrorCode() {
    if (running()) return;
    // An incomplete code is not a number.
    std::string code =
        errorCodeEdit_->hasAcceptableInput() ? errorCodeEdit_->text().toStdString() : "";
    repairProgressShown_ = false;
    auto worker = std::make_shared<WorkerLink>(link_, *runner_);
    auto result = std::make_shared<RepairResult>();
    TransferRunner* runner = runner_.get();
    auto progress = [this, runner](const UploadProgress& p) {
        runner->post([this, p] { showRepairProgress(p); });
        return !runner->cancelled();
    };
    runner_->start(
        [worker, result, random = random_, pages = store_.pages(), mask = sentPagesMask_, code,
         progress] {
            *result = repairTransfer(worker->link(), *random, pages, mask, code, progress);
        },
        [this, worker, result] {
            worker->returnResults(link_);
            const QPointer<SendPagesDialog> alive(this);
            showRepairResult(*result);
            if (alive) finishRun();
        });
}

void SendPagesDialog::showRepairProgress(const UploadProgress& p) {
    if (!repairProgressShown_) {
        repairProgressShown_ = true;
        showQuestion(false);
        statusLabel_->setText(QStringLiteral("Reenviando páginas"));
        showSheet(Sheet::Progress);
    }
    showProgress(p);
}

void SendPagesDialog::showRepairResult(const RepairResult& r) {
    link_.tell(repairNotice(r));
    switch (r.status) {
    case RepairStatus::PageNotSent:
        selectCodeDigits(0, 3);
        break;
    case RepairStatus::PanelNotListed:
        selectCodeDigits(3, 3);
        break;
    case RepairStatus::Resent:
        statusLabel_->setText(QStringLiteral("Concluído!"));
        destinationLabel_->setText(
            r.resent.empty() ? QStringLiteral("Fim do envio para o painel %1").arg(r.code.panel)
                             : QStringLiteral("Páginas reenviadas ao painel %1: %2")
                                   .arg(r.code.panel)
                                   .arg(pageList(r.resent)));
        questionLabel_->setText(ReceivedQuestion);
        showQuestion(true);
        break;
    case RepairStatus::Failed:
        if (repairProgressShown_) showSheet(Sheet::ErrorCode);
        break;
    case RepairStatus::NotANumber:
    case RepairStatus::Resumed:
    case RepairStatus::Cancelled:
        break;
    }
}

// ---- closing ----

void SendPagesDialog::closeEvent(QCloseEvent* event) {
    if (running()) {
        // Stop the transfer at its next step; the window closes then.
        runner_->cancel();
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    event->accept();
    resumePanelsOnClose();
}

void SendPagesDialog::reject() {
    // Esc closes the window as the close box does.
    close();
}

// Every panel resumes; the result is not shown. The window is hidden at once
// and the main window comes back once the command has gone out.
void SendPagesDialog::resumePanelsOnClose() {
    auto worker = std::make_shared<WorkerLink>(link_, *runner_);
    runner_->start([worker] { worker->link().sendParameter(ParSwitchOn, EveryPanel, 0); },
                   [this] { panelsResumed(); });
}

void SendPagesDialog::panelsResumed() {
    setMainEnabled(true);
    if (services_.afterClose) services_.afterClose();
    // Reopened and closed again while the command went out: close now.
    finishRun();
}

} // namespace vorelux::app
