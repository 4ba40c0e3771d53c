// Start-up of the main window: its controls, the default page, the lock keys,
// the last-file memory, the neighbour view and the cursor blink.
#include "app_fakes.h"

#include "app/editor_input.h"
#include "editor/line_ops.h"
#include "files/page_file.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QtTest>

using namespace vorelux;
using namespace vorelux::testing;
using vorelux::app::MainWindow;
using vorelux::app::StatusField;

namespace {

QString led(const std::string& text) {
    QString out;
    for (unsigned char c : text) out += c == ' ' ? QChar(u' ') : QChar(char16_t(0x200 + c));
    return out;
}

// Writes a page file holding these lines on page 1 (other pages empty).
void writePageFile(const QString& path, std::vector<LineStream> page1) {
    RecordingPrompter prompter;
    PageStore store;
    store.setPageLines(0, std::move(page1));
    std::string error;
    QCOMPARE(savePageFile(store, path.toStdString(), 255, error), SaveOutcome::Saved);
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QVERIFY(app::loadPrivateFont() >= 0); }

    void windowShell() {
        WindowHarness h;
        MainWindow& window = h.start();
        QCOMPARE(window.windowTitle(),
                 QStringLiteral("Sem título[*] — .:: Vorelux Editor 1.0 ::."));
        QVERIFY(!window.isWindowModified());
        QCOMPARE(window.size(), QSize(1024, 680));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));

        QCOMPARE(child<QTabBar>(window, "pageTabs")->count(), 8);
        QCOMPARE(child<QTabBar>(window, "pageTabs")->tabText(0), QStringLiteral("Página 1"));
        QCOMPARE(child<QTabBar>(window, "pageTabs")->tabText(7), QStringLiteral("Página 8"));
        QCOMPARE(child<QTabBar>(window, "pageTabs")->toolTip(),
                 QStringLiteral("Páginas de edição"));
        QCOMPARE(child<app::CanvasWidget>(window, "editCanvasView")->toolTip(),
                 QStringLiteral("Campo de edição da mensagem"));
        QCOMPARE(child<QPlainTextEdit>(window, "editLineText")->toolTip(),
                 QStringLiteral("Visualiza todo o texto da linha que está editando "));
        QCOMPARE(child<app::DeleteLabel>(window, "deleteSecondPreviousLineLabel")->text(),
                 QStringLiteral(" X "));
        QCOMPARE(child<app::DeleteLabel>(window, "deleteSecondNextLineLabel")->toolTip(),
                 QStringLiteral("Exclui a linha"));
        // The captions as shown; the & marks the letter Alt presses.
        QCOMPARE(child<QPushButton>(window, "clearPageButton")->text().remove(u'&'),
                 QStringLiteral("Limpar\npágina"));
        QCOMPARE(child<QPushButton>(window, "clearAllButton")->text().remove(u'&'),
                 QStringLiteral("Limpar\ntudo"));
        QCOMPARE(child<QPushButton>(window, "sendButton")->toolTip(),
                 QStringLiteral("Envia as páginas para o painel"));
        QCOMPARE(child<QPushButton>(window, "openButton")->toolTip(),
                 QStringLiteral("Abre um arquivo de páginas"));
        QCOMPARE(child<QPushButton>(window, "newButton")->toolTip(),
                 QStringLiteral("Começa um novo arquivo de páginas"));
        QCOMPARE(child<QPushButton>(window, "previewButton")->text().remove(u'&'),
                 QStringLiteral("Visualizar"));
        QVERIFY(child<QPushButton>(window, "stopButton")->isHidden());
        QCOMPARE(child<app::CanvasWidget>(window, "editCanvasView")->size(), QSize(643, 75));
    }

    void menusStatusBarAndLayout() {
        WindowHarness h;
        MainWindow& window = h.start();
        QStringList menus;
        for (QAction* action : window.menuBar()->actions()) menus << action->text().remove(u'&');
        QCOMPARE(menus,
                 (QStringList{"Arquivo", "Editar", "Visualizar", "Enviar", "Exibir", "Ajuda"}));
        QStringList fileItems;
        for (QAction* action : window.menuBar()->actions().first()->menu()->actions())
            fileItems << (action->isSeparator() ? QStringLiteral("-")
                                                : action->text().remove(u'&'));
        QCOMPARE(fileItems, (QStringList{"Novo", "Abrir...", "Salvar", "Salvar como...", "-",
                                         "Exportar GIF...", "Salvar quadro PNG...", "-", "Sair"}));
        QCOMPARE(child<QAction>(window, "pasteAction")->text().remove(u'&'),
                 QStringLiteral("Colar Texto..."));
        QStringList helpItems;
        for (QAction* action : window.menuBar()->actions().last()->menu()->actions())
            helpItems << (action->isSeparator() ? QStringLiteral("-")
                                                : action->text().remove(u'&'));
        QCOMPARE(helpItems, (QStringList{"Teclas de atalho", "-", "Sobre"}));

        // Status bar: eight fields, the last one taking the rest of the bar.
        const std::pair<const char*, int> fields[] = {
            {"numLockStatus", 50}, {"capsLockStatus", 50}, {"scrollLockStatus", 50},
            {"pageStatus", 150},   {"lineStatus", 150},    {"totalStatus", 150},
            {"modeStatus", 150}};
        for (auto [name, width] : fields) QCOMPARE(child<QLabel>(window, name)->width(), width);
        QLabel* link = child<QLabel>(window, "linkStatus");
        QVERIFY(link->width() >= 50);
        QVERIFY(link->width() >= link->fontMetrics().horizontalAdvance(link->text()));
        QCOMPARE(link->text(), window.statusText(StatusField::Link));

        // Every control fits inside the window and is not cut off.
        for (QWidget* w : window.findChildren<QWidget*>()) {
            if (!w->isVisible() || w->isWindow()) continue;
            const QRect inWindow(w->mapTo(&window, QPoint(0, 0)), w->size());
            QVERIFY2(window.rect().contains(inWindow), qPrintable(w->objectName()));
            if (auto* button = qobject_cast<QPushButton*>(w)) {
                QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->text()));
                QVERIFY2(button->height() >= button->sizeHint().height(),
                         qPrintable(button->text()));
            }
        }
    }

    void defaultState() {
        WindowHarness h;
        MainWindow& window = h.start();
        PageStore& store = window.store();
        QCOMPARE(store.page(0).lines().size(), size_t(1));
        QCOMPARE(store.page(0).lines()[0], lineOf("ARDENCORE "));
        for (int p = 1; p < PageCount; ++p)
            QCOMPARE(store.page(p).lines(), std::vector<LineStream>{lineOf("")});
        QCOMPARE(int(store.currentPage()), 0);
        QCOMPARE(store.view().cursorByte, 2);
        QCOMPARE(store.view().windowStart, 2);
        QVERIFY(!store.isModified());
        QVERIFY(window.currentFileName().isEmpty());
        QCOMPARE(window.editorInput().drawingCycle(), -1);
        QVERIFY(window.editorInput().joinArmed());

        QCOMPARE(window.statusText(StatusField::Page), QStringLiteral("Pagina 1"));
        QCOMPARE(window.statusText(StatusField::Line), QStringLiteral("Linha 1 de 1"));
        QCOMPARE(window.statusText(StatusField::Total), QStringLiteral("Total: 13 caracteres"));
        QCOMPARE(window.statusText(StatusField::Mode), QStringLiteral("Editando"));
        QCOMPARE(window.statusText(StatusField::Link), QStringLiteral("[Serial] Porta COM"));

        QCOMPARE(child<QPlainTextEdit>(window, "editLineText")->toPlainText(), led("ARDENCORE "));
        QCOMPARE(child<QPlainTextEdit>(window, "editLineText")->textCursor().position(), 0);
        QCOMPARE(child<QGroupBox>(window, "editLineGroup")->title(), QStringLiteral("  Linha 1  "));
        for (QGroupBox* box : {child<QGroupBox>(window, "secondPreviousLineGroup"),
                               child<QGroupBox>(window, "previousLineGroup"),
                               child<QGroupBox>(window, "nextLineGroup"),
                               child<QGroupBox>(window, "secondNextLineGroup")})
            QVERIFY(box->isHidden());

        // Blinking, not closing; the edit box has the focus.
        QVERIFY(child<QTimer>(window, "cursorBlinkTimer")->isActive());
        QCOMPARE(child<QTimer>(window, "cursorBlinkTimer")->interval(), 500);
        QVERIFY(!child<QTimer>(window, "closeDelayTimer")->isActive());
        QTRY_VERIFY(child<QPlainTextEdit>(window, "editLineText")->hasFocus());
        QVERIFY(h.prompter.prompts.empty());
    }

    void defaultLists() {
        WindowHarness h;
        MainWindow& window = h.start();
        QCOMPARE(child<QComboBox>(window, "entryEffectCombo")->count(), 61);
        QCOMPARE(child<QComboBox>(window, "entryEffectCombo")->itemText(0),
                 QStringLiteral("Efeito   1 - Rola da direita"));
        QCOMPARE(child<QComboBox>(window, "exitEffectCombo")->itemText(60),
                 QStringLiteral("Efeito 61 - Martelo"));
        QCOMPARE(child<QComboBox>(window, "entryEffectCombo")->currentIndex(), 0);
        QCOMPARE(child<QComboBox>(window, "exitEffectCombo")->currentIndex(), 0);
        QCOMPARE(child<QListWidget>(window, "functionList")->count(), 14);
        QCOMPARE(child<QListWidget>(window, "functionList")->item(3)->text(),
                 QStringLiteral("25§C (int.)"));
        QCOMPARE(child<QListWidget>(window, "drawingList")->count(), 123);
        QVERIFY(child<QListWidget>(window, "drawingList")
                    ->findItems(QStringLiteral("9"), Qt::MatchExactly)
                    .isEmpty());
        QCOMPARE(child<QListWidget>(window, "drawingList")->item(9)->text(), QStringLiteral("10"));
        QCOMPARE(child<QListWidget>(window, "fontList")->count(), 4);
        for (QListWidget* list :
             {child<QListWidget>(window, "drawingList"), child<QListWidget>(window, "functionList"),
              child<QListWidget>(window, "fontList")})
            QCOMPARE(list->currentRow(), 0);

        // The font previews are drawn for the font list's width.
        QCOMPARE(window.fontPreviews()[0].width,
                 child<QListWidget>(window, "fontList")->width() - 10);
        QCOMPARE(window.fontPreviews()[0].height, 7);
    }

    // The title names the file in use and marks unsaved changes.
    void titleNamesTheFileAndMarksChanges() {
        WindowHarness h;
        MainWindow& window = h.start();
        QTest::keyClicks(child<QPlainTextEdit>(window, "editLineText"), "AB");
        QVERIFY(window.isWindowModified());
        h.dialogs.saves = {h.path("promo")};
        QVERIFY(window.save());
        QCOMPARE(window.windowTitle(), QStringLiteral("promo.vpg[*] — .:: Vorelux Editor 1.0 ::."));
        QVERIFY(!window.isWindowModified());
        QTest::keyClick(child<QPlainTextEdit>(window, "editLineText"), Qt::Key_C);
        QVERIFY(window.isWindowModified());
        QTest::keyClick(child<QPlainTextEdit>(window, "editLineText"), Qt::Key_Z,
                        Qt::ControlModifier);
        QVERIFY(!window.isWindowModified()); // undone back to what is saved
        writePageFile(h.path("outra.vpg"), {lineOf("X")});
        QVERIFY(window.openPageFile(h.path("outra.vpg")));
        QCOMPARE(window.windowTitle(), QStringLiteral("outra.vpg[*] — .:: Vorelux Editor 1.0 ::."));
        h.prompter.answers = {ButtonYes}; // clear all pages
        QVERIFY(window.newDocument());
        QVERIFY(window.windowTitle().startsWith(QStringLiteral("Sem título[*]")));
    }

    // A first start writes the defaults without a word; only settings that
    // are there and cannot be read are worth a question.
    void firstStartWritesDefaultsSilentlyDamagedSettingsAsk() {
        {
            WindowHarness h;
            QFile::remove(h.path("conn.cfg"));
            h.start();
            QVERIFY(h.prompter.prompts.empty());
            QVERIFY(h.prompter.messages.empty());
            QCOMPARE(QFileInfo(h.path("conn.cfg")).size(), 16);
        }
        {
            WindowHarness h;
            QFile damaged(h.path("conn.cfg"));
            QVERIFY(damaged.open(QIODevice::WriteOnly));
            damaged.write("\x00\x05", 2);
            damaged.close();
            h.start();
            QCOMPARE(h.prompter.prompts, std::vector<Prompt>{Prompt::SettingsUnreadable});
            QCOMPARE(QFileInfo(h.path("conn.cfg")).size(), 16);
        }
    }

    void ledFontIsTheLineBoxFont() {
        QVERIFY(QFile::exists(QString::fromLatin1(app::LedFontResource)));
        QVERIFY(QFontDatabase::families().contains(QStringLiteral("VoreluxF0")));
        WindowHarness h;
        MainWindow& window = h.start();
        QCOMPARE(QFontInfo(child<QPlainTextEdit>(window, "editLineText")->font()).family(),
                 QStringLiteral("VoreluxF0"));
        QCOMPARE(QFontInfo(child<QListWidget>(window, "functionList")->font()).family(),
                 QStringLiteral("VoreluxF0"));
    }

    void capsLock_data() {
        QTest::addColumn<bool>("onAtStart");
        QTest::addColumn<bool>("operatorPresses");
        QTest::addColumn<bool>("afterExit");
        QTest::newRow("off, left alone: switched off again") << false << false << false;
        QTest::newRow("on at start: stays on") << true << false << true;
        QTest::newRow("off, operator presses it: operator's choice") << false << true << true;
        QTest::newRow("on, operator switches it off") << true << true << false;
    }
    void capsLock() {
        QFETCH(bool, onAtStart);
        QFETCH(bool, operatorPresses);
        QFETCH(bool, afterExit);
        WindowHarness h;
        h.locks.caps = onAtStart;
        h.locks.num = true;
        MainWindow& window = h.start();
        QVERIFY(h.locks.caps);
        QCOMPARE(window.capsLockAtStart(), onAtStart);
        QCOMPARE(window.statusText(StatusField::NumLock), QStringLiteral("NUM"));
        QCOMPARE(window.statusText(StatusField::CapsLock), QStringLiteral("CAPS"));
        QCOMPARE(window.statusText(StatusField::ScrollLock), QString());
        if (operatorPresses) {
            // The operator's press toggles the key; the editor notices the press.
            h.locks.caps = !onAtStart ? true : false;
            QTest::keyClick(child<QPlainTextEdit>(window, "editLineText"), Qt::Key_CapsLock);
            QVERIFY(!window.restoresCapsLockAtExit());
            QCOMPARE(window.statusText(StatusField::CapsLock),
                     h.locks.caps ? QStringLiteral("CAPS") : QString());
        }
        QSignalSpy finished(&window, &MainWindow::closeFinished);
        window.close();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(h.locks.caps, afterExit);
    }

    void lastFileReopened() {
        WindowHarness h;
        const QString file = h.path("mensagens.vpg");
        writePageFile(file, {lineOf("BOM DIA", 196, 200), lineOf("OFERTA")});
        h.writeFile("ult_arq.txt", (file + "\r\n").toLocal8Bit());
        MainWindow& window = h.start();
        QCOMPARE(window.currentFileName(), file);
        QCOMPARE(window.store().page(0).lines(),
                 (std::vector<LineStream>{lineOf("BOM DIA", 196, 200), lineOf("OFERTA")}));
        QVERIFY(!window.store().isModified());
        QCOMPARE(child<QComboBox>(window, "entryEffectCombo")->currentIndex(), 4);
        QCOMPARE(child<QComboBox>(window, "exitEffectCombo")->currentIndex(), 8);
        QCOMPARE(window.statusText(StatusField::Line), QStringLiteral("Linha 1 de 2"));
        QVERIFY(child<QGroupBox>(window, "nextLineGroup")->isVisible());
        QVERIFY(h.prompter.messages.empty());
    }

    void lastFileNotReopened_data() {
        QTest::addColumn<QByteArray>("memory");
        QTest::addColumn<bool>("damagedFile");
        QTest::newRow("no memory") << QByteArray() << false;
        QTest::newRow("empty memory") << QByteArray("") << false;
        QTest::newRow("empty first line") << QByteArray("\r\nother.vpg\r\n") << false;
        QTest::newRow("file gone") << QByteArray("/nonexistent/gone.vpg\r\n") << false;
        QTest::newRow("damaged file") << QByteArray("DAMAGED") << true;
    }
    void lastFileNotReopened() {
        QFETCH(QByteArray, memory);
        QFETCH(bool, damagedFile);
        WindowHarness h;
        if (damagedFile) {
            h.writeFile("damaged.vpg", QByteArray(40, '\x07'));
            memory = (h.path("damaged.vpg") + "\n").toLocal8Bit();
        }
        if (!memory.isNull()) h.writeFile("ult_arq.txt", memory);
        MainWindow& window = h.start();
        QVERIFY(window.currentFileName().isEmpty());
        QCOMPARE(window.store().page(0).lines()[0], lineOf("ARDENCORE "));
        // A damaged file is reported; a missing one is not.
        QCOMPARE(h.prompter.messages.size(), size_t(damagedFile ? 1 : 0));
    }

    void neighbourBoxes() {
        WindowHarness h;
        MainWindow& window = h.start();
        window.store().setPageLines(
            0, {lineOf("UM"), lineOf("DOIS"), lineOf("TRES"), lineOf("QUATRO"), lineOf("CINCO")});
        const int editTop =
            child<QGroupBox>(window, "editLineGroup")->mapTo(&window, QPoint(0, 0)).y();
        window.store().setEditLine(2);
        window.redrawEditCanvas();
        QCOMPARE(child<QGroupBox>(window, "secondPreviousLineGroup")->title(),
                 QStringLiteral("  Linha 1  "));
        QCOMPARE(child<QGroupBox>(window, "previousLineGroup")->title(),
                 QStringLiteral("  Linha 2  "));
        QCOMPARE(child<QGroupBox>(window, "editLineGroup")->title(), QStringLiteral("  Linha 3  "));
        QCOMPARE(child<QGroupBox>(window, "nextLineGroup")->title(), QStringLiteral("  Linha 4  "));
        QCOMPARE(child<QGroupBox>(window, "secondNextLineGroup")->title(),
                 QStringLiteral("  Linha 5  "));
        QCOMPARE(child<QPlainTextEdit>(window, "secondPreviousLineText")->toPlainText(), led("UM"));
        QCOMPARE(child<QPlainTextEdit>(window, "secondNextLineText")->toPlainText(), led("CINCO"));
        for (QGroupBox* box : {child<QGroupBox>(window, "secondPreviousLineGroup"),
                               child<QGroupBox>(window, "previousLineGroup"),
                               child<QGroupBox>(window, "nextLineGroup"),
                               child<QGroupBox>(window, "secondNextLineGroup")})
            QVERIFY(box->isVisible());
        QCOMPARE(window.statusText(StatusField::Line), QStringLiteral("Linha 3 de 5"));
        QCOMPARE(window.statusText(StatusField::Total), QStringLiteral("Total: 36 caracteres"));

        // The last line: nothing below; the edited line keeps its place.
        window.store().setEditLine(4);
        window.redrawEditCanvas();
        QVERIFY(child<QGroupBox>(window, "secondPreviousLineGroup")->isVisible() &&
                child<QGroupBox>(window, "previousLineGroup")->isVisible());
        QVERIFY(child<QGroupBox>(window, "nextLineGroup")->isHidden() &&
                child<QGroupBox>(window, "secondNextLineGroup")->isHidden());
        QCOMPARE(child<QGroupBox>(window, "editLineGroup")->mapTo(&window, QPoint(0, 0)).y(),
                 editTop);
        QCOMPARE(window.statusText(StatusField::Total), QStringLiteral("Total: 36 caracteres"));
    }

    void enterThroughTheWindow() {
        WindowHarness h;
        MainWindow& window = h.start();
        window.store().view().cursorByte = 6; // after "ARDE"
        editor::enterKey(window.store());
        window.redrawEditCanvas();
        QCOMPARE(window.store().page().lines(),
                 (std::vector<LineStream>{lineOf("ARDE"), lineOf("NCORE ")}));
        QCOMPARE(window.statusText(StatusField::Line), QStringLiteral("Linha 2 de 2"));
        QCOMPARE(child<QGroupBox>(window, "previousLineGroup")->title(),
                 QStringLiteral("  Linha 1  "));
        QCOMPARE(child<QPlainTextEdit>(window, "editLineText")->toPlainText(), led("NCORE "));
        QCOMPARE(child<QPlainTextEdit>(window, "editLineText")->textCursor().position(), 0);
    }

    void cursorBlinks() {
        WindowHarness h;
        MainWindow& window = h.start();
        const int column = window.store().view().cursorColumn;
        QVERIFY(column >= 0 && column < 64);
        auto bandLit = [&] {
            return child<app::CanvasWidget>(window, "editCanvasView")
                       ->picture()
                       .pixel(column * 10 + 5, 35) == QRgb(ledShades(DefaultLedColour).cursor);
        };
        QVERIFY(bandLit());
        window.blinkCursor();
        QVERIFY(!bandLit());
        window.blinkCursor(); // within 300 ms of the last blink: nothing happens
        QVERIFY(!bandLit());
        QTest::qWait(320);
        window.blinkCursor();
        QVERIFY(bandLit());
        // Nothing is drawn while an effect number is being typed.
        window.editorInput().effectEntry().target = 1;
        QTest::qWait(320);
        window.blinkCursor();
        QVERIFY(bandLit());
    }

    void screenshot() {
        // Set VORELUX_SCREENSHOT_DIR to look at the window.
        const QString dir = qEnvironmentVariable("VORELUX_SCREENSHOT_DIR");
        if (dir.isEmpty()) QSKIP("VORELUX_SCREENSHOT_DIR not set");
        WindowHarness h;
        MainWindow& window = h.start();
        window.grab().save(dir + "/main_window.png");
        window.store().setPageLines(0, {lineOf("UM"), lineOf("DOIS"),
                                        lineOf("TRES \x01"
                                               "ABC",
                                               203, 210),
                                        lineOf("QUATRO"), lineOf("CINCO")});
        window.store().setEditLine(2);
        window.store().view().cursorByte = 8;
        window.redrawEditCanvas();
        window.grab().save(dir + "/main_window_lines.png");
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
