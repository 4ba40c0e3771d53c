#include "app/send/send_dialog.h"

#include "app/link/progress_window.h"
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
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace vorelux::app {

namespace {
// Creation names of the clear boxes, pages 1..8.
constexpr std::array<int, PageCount> ClearBoxNumbers{21, 22, 23, 24, 17, 18, 19, 20};

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

TfrmEnviar::TfrmEnviar(PanelLink& link, PageStore& store, SendServices services, QWidget* parent)
    : QDialog(parent), link_(link), store_(store), services_(std::move(services)) {
    setObjectName(QStringLiteral("frmEnviar"));
    if (services_.random) {
        random_ = services_.random;
    } else {
        ownRandom_ = std::make_unique<StdRandomRange>();
        random_ = ownRandom_.get();
    }
    // FormCreate
    QString mainCaption = services_.mainCaption ? services_.mainCaption() : QString();
    progress_ = new ProgressWindowDialog(mainCaption, this);
    pausaSerial = PausaSerial;
    link_.pausaKQ = 160;
    setWindowTitle(mainCaption + QStringLiteral(" - Enviar"));

    PageControl1 = new QStackedWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto* erro = new QWidget; // no operation shows it
    erro->setObjectName(QStringLiteral("tbsErro"));
    PageControl1->addWidget(buildMainPage());
    PageControl1->addWidget(buildProgressPage());
    PageControl1->addWidget(erro);
    PageControl1->addWidget(buildErrorCodePage());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    setFixedSize(sizeHint().expandedTo(QSize(640, 430)));
}

TfrmEnviar::~TfrmEnviar() = default;

QWidget* TfrmEnviar::buildMainPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tbsEnviar"));

    auto* pages = new QGroupBox(QStringLiteral(" Páginas "));
    auto* grid = new QGridLayout(pages);
    for (int p = 0; p < PageCount; ++p) {
        auto* header = new QLabel(QString::number(p + 1));
        header->setAlignment(Qt::AlignCenter);
        header->setToolTip(QStringLiteral("Página %1").arg(p + 1));
        grid->addWidget(header, 0, p + 1);
    }
    struct Row {
        const char* label;
        std::array<QCheckBox*, PageCount>* boxes;
        const char* hint;
    };
    const std::array<Row, 3> rows{Row{"Enviar", &sendBoxes, "Enviar página %1"},
                                  Row{"Limpar", &clearBoxes, "Limpar página %1"},
                                  Row{"Exibir", &displayBoxes, "Exibir página %1"}};
    for (int r = 0; r < 3; ++r) {
        grid->addWidget(new QLabel(QString::fromUtf8(rows[r].label)), r + 1, 0);
        for (int p = 0; p < PageCount; ++p) {
            auto* box = new QCheckBox;
            int number = r == 0 ? p + 1 : (r == 1 ? ClearBoxNumbers[p] : p + 9);
            box->setObjectName(QStringLiteral("CheckBox%1").arg(number));
            box->setToolTip(QString::fromUtf8(rows[r].hint).arg(p + 1));
            (*rows[r].boxes)[p] = box;
            grid->addWidget(box, r + 1, p + 1, Qt::AlignCenter);
        }
    }
    BitBtn1 = button("BitBtn1", QStringLiteral("Enviar"),
                     QStringLiteral("Envia os textos das páginas para o painel"));
    BitBtn2 = button("BitBtn2", QStringLiteral("Limpar"), QStringLiteral("Limpas as páginas "));
    BitBtn3 = button("BitBtn3", QStringLiteral("Exibir"),
                     QStringLiteral("Configura quais páginas serão exibidas"));
    grid->addWidget(BitBtn1, 1, PageCount + 1);
    grid->addWidget(BitBtn2, 2, PageCount + 1);
    grid->addWidget(BitBtn3, 3, PageCount + 1);
    for (QCheckBox* box : sendBoxes)
        connect(box, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });

    // The display-page selector: outside the window's client area, so it keeps item 0.
    gbxExibirPaginas = new QGroupBox(QStringLiteral("   Exibir páginas :  "), page);
    ComboBox1 = new QComboBox(gbxExibirPaginas);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    for (const char* item :
         {"F1   -  Página 1", "F2   -  Pagina 2", "F3   -  Página 3", "F4   -  Página 4",
          "F5   -  Pagina 5", "F6   -  Página 6", "F7   -  Página 7", "F8   -  Página 8",
          "F9   -  Páginas", "F10 -  Páginas", "F11 -  Páginas", "F12 -  Páginas"})
        ComboBox1->addItem(QString::fromUtf8(item));
    ComboBox1->setCurrentIndex(0);
    btnSetarPagina = new QPushButton(QStringLiteral("Setar  página"), gbxExibirPaginas);
    auto* selectorLayout = new QHBoxLayout(gbxExibirPaginas);
    selectorLayout->addWidget(ComboBox1);
    selectorLayout->addWidget(btnSetarPagina);
    gbxExibirPaginas->hide();
    connect(ComboBox1, &QComboBox::activated, this, [this](int index) { ComboBox1Change(index); });
    connect(btnSetarPagina, &QPushButton::clicked, this, [this] { BitBtn3Click(); });

    CheckListBox1 = new TargetList;
    CheckListBox1->load(link_.cfg().targetPanels);
    connect(CheckListBox1, &TargetList::clicked, this, [this] { CheckListBox1Click(); });
    btnExibirIDs =
        button("BitBtn8", QStringLiteral("Exibir IDs"),
               QStringLiteral("Todos os painéis configurados no software exibirão suas IDs"));
    connect(btnExibirIDs, &QPushButton::clicked, this, [this] {
        if (services_.openIdDisplay) services_.openIdDisplay();
    });
    auto* targets = new QVBoxLayout;
    targets->addWidget(CheckListBox1, 1);
    targets->addWidget(btnExibirIDs);

    transport = new TransportGroup(link_, services_.connCfgPath);

    auto* left = new QVBoxLayout;
    left->addWidget(pages);
    left->addWidget(transport);
    left->addStretch(1);
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left, 3);
    layout->addLayout(targets, 2);
    return page;
}

QWidget* TfrmEnviar::buildProgressPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tbsEnviando"));
    lbText1 = new QLabel(QStringLiteral("Aguarde"));
    lbText1->setObjectName(QStringLiteral("lbText1"));
    QFont big = lbText1->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    lbText1->setFont(big);
    lbText1->setAlignment(Qt::AlignCenter);
    lbText2 = new QLabel(QStringLiteral("Enviando página para o painel"));
    lbText2->setObjectName(QStringLiteral("lbText2"));
    lbText2->setAlignment(Qt::AlignCenter);
    QFont mid = lbText2->font();
    mid.setPointSize(mid.pointSize() + 3);
    lbText2->setFont(mid);
    lbDestino = new QLabel;
    lbDestino->setObjectName(QStringLiteral("lbDestino"));
    lbDestino->setAlignment(Qt::AlignCenter);
    pbPagi = new QProgressBar;
    pbPagi->setObjectName(QStringLiteral("pbPagi"));
    pbPagi->setFormat(QStringLiteral("Páginas: %v de %m"));
    pbData = new QProgressBar;
    pbData->setObjectName(QStringLiteral("pbData"));
    pbData->setTextVisible(false);
    Label11 = new QLabel(Pergunta);
    Label11->setObjectName(QStringLiteral("Label11"));
    Label11->setAlignment(Qt::AlignCenter);
    Label11->setWordWrap(true);
    BitBtn6 = button("BitBtn6", QStringLiteral("Sim, todos\nreceberam"));
    BitBtn5 = button("BitBtn5", QStringLiteral("Não, painel\nexibe erro"));
    for (QPushButton* b : {BitBtn6, BitBtn5}) b->setMinimumHeight(48);
    connect(BitBtn6, &QPushButton::clicked, this, [this] { BitBtn6Click(); });
    connect(BitBtn5, &QPushButton::clicked, this, [this] { BitBtn5Click(); });
    auto* answers = new QHBoxLayout;
    answers->addStretch(1);
    answers->addWidget(BitBtn6);
    answers->addWidget(BitBtn5);
    answers->addStretch(1);

    auto* layout = new QVBoxLayout(page);
    layout->addStretch(1);
    layout->addWidget(lbText1);
    layout->addWidget(lbText2);
    layout->addWidget(lbDestino);
    layout->addSpacing(8);
    layout->addWidget(pbPagi);
    layout->addWidget(pbData);
    layout->addSpacing(12);
    layout->addWidget(Label11);
    layout->addLayout(answers);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmEnviar::buildErrorCodePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto* title = new QLabel(QStringLiteral("O painel exibiu erro"));
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    auto* text =
        new QLabel(QStringLiteral("Insira no campo abaixo o código de erro exibido no painel:"));
    text->setAlignment(Qt::AlignCenter);
    MaskEdit1 = new QLineEdit;
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    MaskEdit1->setInputMask(QStringLiteral("000000;_"));
    MaskEdit1->setText(QStringLiteral("000000"));
    QFont code = MaskEdit1->font();
    code.setFamily(QStringLiteral("Monospace"));
    code.setStyleHint(QFont::Monospace);
    code.setPointSize(code.pointSize() + 10);
    MaskEdit1->setFont(code);
    MaskEdit1->setAlignment(Qt::AlignCenter);
    MaskEdit1->setFixedWidth(180);
    connect(MaskEdit1, &QLineEdit::returnPressed, this, [this] { BitBtn8Click(); });
    BitBtn9 = button("BitBtn9", QStringLiteral("Corrigir erro"));
    BitBtn10 = button("BitBtn10", QStringLiteral("Retornar "),
                      QStringLiteral("Retorna a janela de envios de páginas"));
    BitBtn11 = button("BitBtn11", QStringLiteral("Fechar"), QStringLiteral("Fecha a janela"));
    connect(BitBtn9, &QPushButton::clicked, this, [this] { BitBtn8Click(); });
    connect(BitBtn10, &QPushButton::clicked, this, [this] { BitBtn10Click(); });
    connect(BitBtn11, &QPushButton::clicked, this, [this] { BitBtn11Click(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn9);
    buttons->addWidget(BitBtn10);
    buttons->addWidget(BitBtn11);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->addStretch(1);
    layout->addWidget(title);
    layout->addWidget(text);
    layout->addWidget(MaskEdit1, 0, Qt::AlignHCenter);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->addStretch(1);
    return page;
}

// ---- pages ----

void TfrmEnviar::showPage(Page page) {
    PageControl1->setCurrentIndex(page);
    if (page != TabSheet1) return;
    // TabSheet1Show
    MaskEdit1->setText(QStringLiteral("000000"));
    MaskEdit1->selectAll();
    MaskEdit1->setFocus();
    if (fromErrorButton_) MaskEdit1->setSelection(0, 1);
    fromErrorButton_ = false;
}

TfrmEnviar::Page TfrmEnviar::currentPage() const {
    return static_cast<Page>(PageControl1->currentIndex());
}

void TfrmEnviar::setMainEnabled(bool enabled) {
    if (services_.setMainEnabled) services_.setMainEnabled(enabled);
}

void TfrmEnviar::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TfrmEnviar::FormShow() {
    transport->refreshPorts();
    for (int p = 0; p < PageCount; ++p)
        sendBoxes[p]->setChecked(sendBoxPreselected(store_.pages()[p]));
    CheckListBox1->load(link_.cfg().targetPanels);
    if (link_.cfg().transport == Transport::Serial) transport->prepareOnOpen();
    for (int p = 0; p < PageCount; ++p) {
        clearBoxes[p]->setChecked(false);
        clearBoxes[p]->setEnabled(!sendBoxes[p]->isChecked());
        displayBoxes[p]->setChecked(false);
    }
    int current = services_.currentPage ? services_.currentPage() : store_.currentPage();
    if (current >= 0 && current < PageCount) displayBoxes[current]->setChecked(true);
}

std::vector<int> TfrmEnviar::CheckPagSend(const std::array<QCheckBox*, PageCount>& row) {
    std::vector<int> pages;
    for (int p = 0; p < PageCount; ++p) {
        if (row[p]->isChecked()) pages.push_back(p);
        if (&row == &sendBoxes) clearBoxes[p]->setEnabled(!row[p]->isChecked());
    }
    return pages;
}

void TfrmEnviar::CheckBox1Click() {
    for (int p = 0; p < PageCount; ++p) clearBoxes[p]->setEnabled(!sendBoxes[p]->isChecked());
}

void TfrmEnviar::CheckListBox1Click() {
    ConnectionSettings& cfg = link_.cfg();
    cfg.targetPanels = CheckListBox1->checkedItems();
    std::string error;
    if (!writeConnCfg(services_.connCfgPath, cfg, error))
        link_.prompter().message("Não foi possível gravar a lista de painéis em \"conn.cfg\": " +
                                 error + ". A lista vale até o editor ser fechado.");
    CheckListBox1->updateCaptionFromChecks();
}

void TfrmEnviar::ComboBox1Change(int index) {
    ConnectionSettings& cfg = link_.cfg();
    cfg.displayPageSelector = static_cast<uint8_t>(index - 1);
    std::string error;
    if (!writeConnCfg(services_.connCfgPath, cfg, error))
        link_.prompter().message("Não foi possível gravar \"conn.cfg\": " + error + ".");
}

// ---- runs ----

bool TfrmEnviar::onProgress(const UploadProgress& p) {
    if (!p.transport.empty()) lbText1->setText(QString::fromStdString(p.transport));
    QString page = QStringLiteral("Página %1").arg(p.page + 1);
    switch (p.event) {
    case UploadProgress::PageStarted:
        pbPagi->setRange(0, std::max(p.pageCount, 1));
        pbPagi->setValue(p.ordinal);
        lbText2->setText(QStringLiteral("Página %1").arg(p.ordinal));
        lbDestino->setText(page);
        pbData->setRange(0, 1);
        pbData->setValue(0);
        break;
    case UploadProgress::PageSkipped:
        lbDestino->setText(page + QStringLiteral(" vazia: não enviada"));
        break;
    case UploadProgress::PortRefused:
        showPage(tbsEnviar);
        break;
    case UploadProgress::TargetStarted:
        lbDestino->setText(p.target == EveryPanel
                               ? page + QStringLiteral(" para todos os painéis")
                               : page + QStringLiteral(" para o painel %1").arg(p.target));
        [[fallthrough]];
    case UploadProgress::Step:
        if (p.target < 0 && p.page >= 0)
            lbDestino->setText(page + QStringLiteral(": dados para os painéis da lista"));
        pbData->setRange(0, std::max(p.maximum, 1));
        pbData->setValue(std::min(p.position, std::max(p.maximum, 1)));
        break;
    case UploadProgress::EndReports:
        lbDestino->setText(QStringLiteral("Fim do envio"));
        pbData->setRange(0, std::max(p.maximum, 1));
        pbData->setValue(0);
        break;
    }
    return !cancelRequested_;
}

void TfrmEnviar::BitBtn1Click() {
    runPages(false);
}

void TfrmEnviar::BitBtn2Click() {
    runPages(true);
}

void TfrmEnviar::runPages(bool clearing) {
    if (running_) return;
    ConnectionSettings& cfg = link_.cfg();
    setMainEnabled(false);
    mascaraPaginas = NoPageSent;
    Label11->hide();
    BitBtn5->hide();
    BitBtn6->hide();
    lbText1->setText(QStringLiteral("Aguarde"));
    lbText2->setText(QStringLiteral("Enviando página para o painel"));
    lbDestino->clear();
    showPage(tbsEnviando);
    pbPagi->setRange(0, 1);
    pbPagi->setValue(0);
    pbData->setRange(0, 1);
    pbData->setValue(0);

    std::vector<PanelId> targets;
    if (!cfg.targetPanels.empty()) {
        if (cfg.targetPanels.front() == EveryPanel) {
            targets = {EveryPanel};
        } else {
            for (uint8_t n : CheckListBox1->checkedItems())
                if (n != EveryPanel) targets.push_back(n);
        }
    }
    if (targets.empty()) {
        // Nothing to send to: say so rather than leave the window waiting.
        link_.prompter().message("Nenhum painel marcado em \"Enviar para\". Nada foi enviado.");
        showPage(tbsEnviar);
        setMainEnabled(true);
        if (clearing) FormShow();
        emit runFinished();
        return;
    }

    std::vector<int> pages = CheckPagSend(clearing ? clearBoxes : sendBoxes);
    std::vector<PageJob> jobs = clearing ? clearJobs(pages) : uploadJobs(store_.pages(), pages);
    running_ = true;
    cancelRequested_ = false;
    UploadOptions options;
    options.displayPage = ComboBox1->currentIndex();
    options.pausaSerial = pausaSerial;
    UploadResult result = sendPages(
        link_, *random_, jobs, targets, [this](const UploadProgress& p) { return onProgress(p); },
        options);
    running_ = false;
    mascaraPaginas = result.mascaraPaginas;

    switch (result.status) {
    case UploadStatus::Cancelled:
        break;
    case UploadStatus::Done:
        if (currentPage() == tbsEnviar) {
            // The port was missing: the operator is back on the first page.
            setMainEnabled(true);
            break;
        }
        Label11->setText(Pergunta);
        lbText2->setText(QStringLiteral("Concluído!"));
        lbDestino->setText(result.sent.empty()
                               ? QStringLiteral("Nenhuma página enviada")
                               : QStringLiteral("Páginas enviadas: %1").arg(pageList(result.sent)));
        Label11->show();
        BitBtn5->show();
        BitBtn6->show();
        break;
    case UploadStatus::PageTooLarge:
        link_.prompter().message(result.error);
        showPage(tbsEnviar);
        setMainEnabled(true);
        break;
    case UploadStatus::NoTargets:
    case UploadStatus::NoTransmitterIdentity:
    case UploadStatus::SerialFailed:
    case UploadStatus::TransmitterFailed:
        // Nothing more will go out: back to the first page.
        showPage(tbsEnviar);
        setMainEnabled(true);
        break;
    }
    if (clearing && result.status != UploadStatus::Cancelled) FormShow();
    finishRun();
}

void TfrmEnviar::finishRun() {
    emit runFinished();
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        close();
    }
}

void TfrmEnviar::BitBtn3Click() {
    if (running_) return;
    std::array<bool, PageCount> checked{};
    for (int p = 0; p < PageCount; ++p) checked[p] = displayBoxes[p]->isChecked();
    running_ = true;
    exibirPaginas(link_, CheckListBox1->checks(), displayMask(checked), progress_);
    running_ = false;
    finishRun();
}

void TfrmEnviar::BitBtn5Click() {
    if (link_.cfg().transport == Transport::Serial) {
        BitBtn1Click();
        return;
    }
    fromErrorButton_ = true;
    showPage(TabSheet1);
}

void TfrmEnviar::BitBtn6Click() {
    showPage(tbsEnviar);
    setMainEnabled(true);
}

void TfrmEnviar::BitBtn10Click() {
    showPage(tbsEnviar);
    setMainEnabled(true);
}

void TfrmEnviar::BitBtn11Click() {
    close();
}

void TfrmEnviar::selectCodeDigits(int start, int length) {
    MaskEdit1->setFocus();
    MaskEdit1->setSelection(start, length);
}

void TfrmEnviar::BitBtn8Click() {
    if (running_) return;
    // An incomplete code is not a number.
    std::string code = MaskEdit1->hasAcceptableInput() ? MaskEdit1->text().toStdString() : "";
    running_ = true;
    cancelRequested_ = false;
    bool progressShown = false;
    RepairResult r = corrigirErro(link_, *random_, store_.pages(), mascaraPaginas, code,
                                  [&](const UploadProgress& p) {
                                      if (!progressShown) {
                                          progressShown = true;
                                          Label11->hide();
                                          BitBtn5->hide();
                                          BitBtn6->hide();
                                          lbText2->setText(QStringLiteral("Reenviando páginas"));
                                          showPage(tbsEnviando);
                                      }
                                      return onProgress(p);
                                  });
    running_ = false;
    switch (r.status) {
    case RepairStatus::PageNotSent:
        selectCodeDigits(0, 3);
        break;
    case RepairStatus::PanelNotListed:
        selectCodeDigits(3, 3);
        break;
    case RepairStatus::Resent:
        lbText2->setText(QStringLiteral("Concluído!"));
        lbDestino->setText(r.resent.empty()
                               ? QStringLiteral("Fim do envio para o painel %1").arg(r.code.panel)
                               : QStringLiteral("Páginas reenviadas ao painel %1: %2")
                                     .arg(r.code.panel)
                                     .arg(pageList(r.resent)));
        Label11->setText(Pergunta);
        Label11->show();
        BitBtn5->show();
        BitBtn6->show();
        break;
    case RepairStatus::Failed:
        if (progressShown) showPage(TabSheet1);
        break;
    case RepairStatus::NotANumber:
    case RepairStatus::Resumed:
    case RepairStatus::Cancelled:
        break;
    }
    finishRun();
}

// ---- closing ----

void TfrmEnviar::closeEvent(QCloseEvent* event) {
    if (running_) {
        // Stop the transfer at its next step; the window closes then.
        cancelRequested_ = true;
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TfrmEnviar::reject() {
    // Esc closes the window as the close box does.
    close();
}

void TfrmEnviar::FormClose() {
    link_.ParSend(ParSwitchOn, EveryPanel, 0); // every panel resumes; the result is not shown
    setMainEnabled(true);
    if (services_.afterClose) services_.afterClose();
}

} // namespace vorelux::app
