// "Exportar GIF..." and "Salvar quadro PNG..." driven through the "Arquivo"
// menu of the real main window, with scripted save dialogs and a fixed clock
// for the live fields.
#include "app/app_fakes.h"
#include "app/export_actions.h"
#include "app/preview_host.h"
#include "preview/gif_export.h"
#include "render/edit_canvas.h"

#include <QAction>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QtTest>

#include <sys/stat.h>

#include <functional>

using namespace vorelux;
using namespace vorelux::testing;
using vorelux::app::MainWindow;

namespace {

class ScriptedExportDialogs final : public app::ExportDialogs {
  public:
    std::deque<QString> answers; // an empty answer (or none left) cancels
    int calls = 0;
    std::optional<QString> saveGifFile(QWidget*) override { return next(); }
    std::optional<QString> savePngFile(QWidget*) override { return next(); }

  private:
    std::optional<QString> next() {
        ++calls;
        const QString answer = answers.empty() ? QString() : answers.front();
        if (!answers.empty()) answers.pop_front();
        if (answer.isEmpty()) return std::nullopt;
        return answer;
    }
};

// A window with a page to export, scripted dialogs and the clock at a fixed moment.
struct Exporting {
    WindowHarness h;
    ScriptedExportDialogs dialogs;
    FixedClock clock;
    MainWindow* window = nullptr;

    Exporting() {
        LocalDateTime at;
        makeLocalDateTime(2015, 2, 19, 12, 34, 56, at);
        clock.set(at);
        window = &h.start();
        window->exports().setDialogs(&dialogs);
        window->exports().setClock(&clock);
    }
    void setPage(std::vector<LineStream> lines) {
        PageStore& store = window->store();
        store.setPageLines(store.currentPage(), std::move(lines));
    }
    // Picks the item from the "Arquivo" menu as the operator does.
    void pick(const char* name) {
        QMenu* menu = child<QMenu>(*window, "fileMenu");
        QAction* action = child<QAction>(*window, name);
        QVERIFY(menu->actions().contains(action));
        action->trigger();
    }
    // The exported files and any temporary file left beside them.
    QStringList files() const {
        return QDir(h.dir.path())
            .entryList({"*.gif", "*.png", "*.part*", "*.tmp*"},
                       QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    // Runs `action` once, when the export's progress bar is on show.
    void whileExporting(QTimer& timer, std::function<void(QProgressDialog&)> action) {
        window->exports().setProgressDelay(0);
        QObject::connect(&timer, &QTimer::timeout, [this, action, &timer] {
            auto* progress = window->findChild<QProgressDialog*>("gifExportProgress");
            if (!progress || !progress->isVisible()) return;
            timer.stop();
            action(*progress);
        });
        timer.start(0);
    }
};

mode_t modeOf(const QString& path, mode_t mask = 07777) {
    struct stat info {};
    ::lstat(path.toLocal8Bit().constData(), &info);
    return info.st_mode & mask;
}

// The GIF the core writes for `lines` in the preview window's look.
QByteArray referenceGif(const std::vector<LineStream>& lines, const Clock& clock,
                        const QString& path) {
    preview::VectorLineSource source(lines);
    GlyphRenderer glyphs;
    preview::GifPreviewWriter writer;
    std::string error;
    if (!writer.open(path.toStdString(), 10, error, preview::LedLook::Grid)) return {};
    preview::runPage(source, glyphs, clock, writer, {.rounds = 1});
    if (!writer.finish(error)) return {};
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

} // namespace

class ExportTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { app::loadPrivateFont(); }

    void exportsTheCurrentPageAsThePreviewPlaysIt() {
        Exporting e;
        // Bold text with a live field (the date) between two effects.
        const std::vector<LineStream> lines = {lineOf("OFERTA", 194, 207),
                                               lineOf("HOJE \x09", 223, 240)};
        e.setPage(lines);
        e.dialogs.answers = {e.h.path("oferta")};
        e.pick("exportGifAction");
        QCOMPARE(e.dialogs.calls, 1);
        QCOMPARE(e.files(), QStringList{"oferta.gif"});
        const QByteArray gif = e.h.readFile("oferta.gif");
        QVERIFY(gif.startsWith("GIF89a"));
        // The preview window's 641 x 71 LED canvas.
        QCOMPARE(uchar(gif[6]) | uchar(gif[7]) << 8, 641);
        QCOMPARE(uchar(gif[8]) | uchar(gif[9]) << 8, 71);
        QCOMPARE(gif, referenceGif(lines, e.clock, e.h.path("reference.gif")));
        QVERIFY(e.h.prompter.messages.empty());
        QCOMPARE(e.h.prompter.informations.size(), size_t(1));
        QVERIFY(
            QString::fromStdString(e.h.prompter.informations[0]).contains(e.h.path("oferta.gif")));
        QVERIFY(e.h.prompter.questions.empty()); // far below the size that asks first
    }

    void anEmptyPageOrACancelledDialogWritesNothing() {
        Exporting e;
        e.setPage({lineOf(""), lineOf("")});
        e.pick("exportGifAction");
        QCOMPARE(e.h.prompter.prompts, std::vector<Prompt>{Prompt::NothingToPreview});
        QCOMPARE(e.dialogs.calls, 0);
        e.setPage({lineOf("A")});
        e.pick("exportGifAction"); // the operator cancels the dialog
        QCOMPARE(e.dialogs.calls, 1);
        QVERIFY(e.files().isEmpty());
        QVERIFY(e.h.prompter.messages.empty());
    }

    void aFailureSaysWhyAndLeavesNoFile() {
        Exporting e;
        e.setPage({lineOf("AB", 194, 194)});
        e.dialogs.answers = {e.h.path("no-such-folder/a.gif")};
        e.pick("exportGifAction");
        QCOMPARE(e.h.prompter.messages.size(), size_t(1));
        const QString message = QString::fromStdString(e.h.prompter.messages[0]);
        QVERIFY2(message.startsWith("Não foi possível gravar o GIF"), qPrintable(message));
        QVERIFY(message.contains("no-such-folder/a.gif"));
        // A folder or a pipe is refused before anything is written.
        QDir(e.h.dir.path()).mkpath("taken.gif/inside");
        QVERIFY(::mkfifo(e.h.path("pipe.gif").toLocal8Bit().constData(), 0600) == 0);
        e.dialogs.answers = {e.h.path("taken.gif"), e.h.path("pipe.gif")};
        e.pick("exportGifAction");
        e.pick("exportGifAction");
        QCOMPARE(e.h.prompter.messages.size(), size_t(3));
        QVERIFY(QString::fromStdString(e.h.prompter.messages[1]).endsWith("é uma pasta."));
        QVERIFY(
            QString::fromStdString(e.h.prompter.messages[2]).endsWith("não é um arquivo comum."));
        QVERIFY(S_ISFIFO(modeOf(e.h.path("pipe.gif"), S_IFMT | 07777))); // left as it was
        QCOMPARE(e.files(), (QStringList{"pipe.gif", "taken.gif"}));
    }

    // The file becomes a folder while the GIF is written: it cannot take
    // its name at the end, and the temporary file goes.
    void aFailureAtTheEndLeavesNoTemporaryFile() {
        Exporting e;
        std::vector<LineStream> lines;
        for (int i = 0; i < 40; ++i)
            lines.push_back(lineOf("LINHA " + std::to_string(i), 201, 213));
        e.setPage(lines);
        e.h.writeFile("turned.gif", "old");
        QTimer timer;
        e.whileExporting(timer, [&](QProgressDialog&) {
            QFile::remove(e.h.path("turned.gif"));
            QDir(e.h.dir.path()).mkpath("turned.gif/inside");
        });
        e.dialogs.answers = {e.h.path("turned.gif")};
        e.pick("exportGifAction");
        QCOMPARE(e.h.prompter.messages.size(), size_t(1));
        QVERIFY(QString::fromStdString(e.h.prompter.messages[0]).contains("Nenhum arquivo"));
        QCOMPARE(e.files(), QStringList{"turned.gif"});
    }

    // A GIF estimated past the limit asks first: "Não" writes nothing,
    // "Sim" writes it.
    void aLargeGifIsWrittenOnlyAfterAYes() {
        Exporting e;
        const std::vector<LineStream> lines = {lineOf("OFERTA", 194, 207)};
        e.setPage(lines);
        e.window->exports().setGifSizeLimit(100);
        e.dialogs.answers = {e.h.path("grande.gif"), e.h.path("grande.gif")};
        e.h.prompter.answers = {ButtonNo, ButtonYes};
        e.pick("exportGifAction");
        QCOMPARE(e.h.prompter.questions.size(), size_t(1));
        const QString question = QString::fromStdString(e.h.prompter.questions[0]);
        QVERIFY2(QRegularExpression("^O GIF terá cerca de [0-9]+ MB\\. Gravar mesmo assim\\?$")
                     .match(question)
                     .hasMatch(),
                 qPrintable(question));
        QVERIFY(e.files().isEmpty());
        QVERIFY(e.h.prompter.messages.empty());
        e.pick("exportGifAction");
        QCOMPARE(e.h.prompter.questions.size(), size_t(2));
        QCOMPARE(e.files(), QStringList{"grande.gif"});
        QCOMPARE(e.h.readFile("grande.gif"), referenceGif(lines, e.clock, e.h.path("ref.gif")));
    }

    // Through a link to a private file: the link stays, the file keeps its mode.
    void writesThroughALinkKeepingTheMode() {
        Exporting e;
        e.setPage({lineOf("AB", 194, 194)});
        QDir(e.h.dir.path()).mkpath("real");
        e.h.writeFile("real/a.gif", "old");
        QFile::setPermissions(e.h.path("real/a.gif"), QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(QFile::link("real/a.gif", e.h.path("link.gif")));
        e.dialogs.answers = {e.h.path("link.gif")};
        e.pick("exportGifAction");
        QVERIFY(QFileInfo(e.h.path("link.gif")).isSymLink());
        QVERIFY(e.h.readFile("real/a.gif").startsWith("GIF89a"));
        QCOMPARE(modeOf(e.h.path("real/a.gif")), 0600u);
        QCOMPARE(QDir(e.h.path("real"))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"a.gif"});
    }

    void aLongPageShowsItsProgressAndCanBeCancelled() {
        Exporting e;
        std::vector<LineStream> lines;
        for (int i = 0; i < 40; ++i)
            lines.push_back(lineOf("LINHA " + std::to_string(i), 201, 213));
        e.setPage(lines);
        e.window->exports().setProgressDelay(0);
        e.dialogs.answers = {e.h.path("longa.gif")};
        bool seen = false;
        QTimer cancel;
        QObject::connect(&cancel, &QTimer::timeout, [&] {
            auto* progress = e.window->findChild<QProgressDialog*>("gifExportProgress");
            if (!progress || !progress->isVisible()) return;
            seen = progress->windowTitle() == "Exportar GIF" && progress->value() < 1000;
            progress->cancel();
        });
        cancel.start(0);
        e.pick("exportGifAction");
        cancel.stop();
        QVERIFY(seen);
        QVERIFY(e.files().isEmpty());
        QVERIFY(e.h.prompter.messages.empty());
    }

    void theStillIsThePictureOnShow() {
        Exporting e;
        e.setPage({lineOf("AVISO", 194, 194)});
        e.window->redrawEditCanvas();
        // Editing: the edited line without its cursor.
        PanelImage screen{};
        EditCanvas line(e.window->glyphs(), screen);
        EditView view = e.window->store().view();
        line.rasterize(view, e.window->store().editLine());
        CanvasImage expected(CanvasWidth, CanvasHeight);
        paintScreen(screen, expected, e.window->canvas().colour());
        e.dialogs.answers = {e.h.path("linha.txt")};
        e.pick("exportStillAction");
        QImage still(e.h.path("linha.png"));
        QCOMPARE(still.size(), QSize(CanvasWidth, CanvasHeight));
        still = still.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < still.height(); ++y)
            QVERIFY(std::equal(expected.scanLine(y), expected.scanLine(y) + expected.width,
                               reinterpret_cast<const uint32_t*>(still.constScanLine(y))));
        QVERIFY(QString::fromStdString(e.h.prompter.informations.at(0)).contains("linha.png"));

        // Previewing: the frame painted last.
        e.window->togglePreview();
        QTRY_VERIFY(e.window->previewHost().framesDelivered() > 2);
        e.dialogs.answers = {e.h.path("quadro.png")};
        e.pick("exportStillAction");
        const CanvasImage shown = e.window->canvas().canvas();
        QImage frame = QImage(e.h.path("quadro.png")).convertToFormat(QImage::Format_RGB32);
        e.window->stopPreview();
        QCOMPARE(frame.size(), QSize(shown.width, shown.height));
        for (int y = 0; y < frame.height(); ++y)
            QVERIFY(std::equal(shown.scanLine(y), shown.scanLine(y) + shown.width,
                               reinterpret_cast<const uint32_t*>(frame.constScanLine(y))));
    }
};

QTEST_MAIN(ExportTest)
#include "export_test.moc"
