// Start-up of the main window: its controls, the default page, the lock keys,
// the last-file memory, the neighbour view and the cursor blink.
#include "app_fakes.h"

#include "editor/line_ops.h"
#include "files/page_file.h"

#include <QComboBox>
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
using vorelux::app::TForm1;

namespace {

QString led(const std::string& text) {
    QString out;
    for (unsigned char c : text) out += c == ' ' ? QChar(u' ') : QChar(char16_t(0x200 + c));
    return out;
}

// Writes a page file holding these lines on page 1 (other pages empty).
void writePageFile(const QString& path, std::vector<LineStream> page1) {
    RecordingPrompter prompter;
    PageStore store(prompter);
    store.pages()[0].lines = std::move(page1);
    store.pages()[0].lineCount = int(store.pages()[0].lines.size());
    std::string error;
    QVERIFY(savePageFile(store, path.toStdString(), 255, error));
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QVERIFY(app::LoadPrivateFont() >= 0); }

    void windowShell() {
        WindowHarness h;
        TForm1& form = h.start();
        QCOMPARE(form.windowTitle(), QStringLiteral(" .:: Vorelux Editor 1.0 ::."));
        QCOMPARE(form.size(), QSize(1024, 680));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));

        QCOMPARE(form.tsPaginas->count(), 8);
        QCOMPARE(form.tsPaginas->tabText(0), QStringLiteral("Página 1"));
        QCOMPARE(form.tsPaginas->tabText(7), QStringLiteral("Página 8"));
        QCOMPARE(form.tsPaginas->toolTip(), QStringLiteral("Páginas de edição"));
        QCOMPARE(form.imgEdit->toolTip(), QStringLiteral("Campo de edição da mensagem"));
        QCOMPARE(form.mmEdit->toolTip(),
                 QStringLiteral("Visualiza todo o texto da linha que está editando "));
        QCOMPARE(form.Label4->text(), QStringLiteral(" X "));
        QCOMPARE(form.Label11->toolTip(), QStringLiteral("Exclui a linha"));
        QCOMPARE(form.bbtnNovo->text(), QStringLiteral("Limpar\npágina"));
        QCOMPARE(form.BitBtn1->text(), QStringLiteral("Limpar\ntudo"));
        QCOMPARE(form.BitBtn2->toolTip(), QStringLiteral("Envia as páginas para o painel"));
        QCOMPARE(form.SpeedButton1->text(), QStringLiteral("Visualizar"));
        QVERIFY(form.SpeedButton2->isHidden());
        QCOMPARE(form.imgEdit->size(), QSize(643, 75));

        QStringList menus;
        for (QAction* action : form.menuBar()->actions()) menus << action->text();
        QCOMPARE(menus, (QStringList{"Arquivo", "Editar", "Visualizar", "Enviar"}));
        QStringList fileItems;
        for (QAction* action : form.menuBar()->actions().first()->menu()->actions())
            fileItems << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(fileItems, (QStringList{"Abrir...", "Salvar", "Salvar como...", "-", "Sair"}));
        QCOMPARE(form.Colar1->text(), QStringLiteral("Colar Texto..."));

        // Status bar: eight panels, the last one taking the rest of the bar.
        const int widths[] = {50, 50, 50, 150, 150, 150, 150};
        for (int i = 0; i < 7; ++i) QCOMPARE(form.stPanels[size_t(i)]->width(), widths[i]);
        QVERIFY(form.stPanels[7]->width() >= 50);
        QVERIFY(form.stPanels[7]->width() >=
                form.stPanels[7]->fontMetrics().horizontalAdvance(form.statusText(7)));

        // Every control fits inside the window and is not cut off.
        for (QWidget* w : form.findChildren<QWidget*>()) {
            if (!w->isVisible() || w->isWindow()) continue;
            const QRect inWindow(w->mapTo(&form, QPoint(0, 0)), w->size());
            QVERIFY2(form.rect().contains(inWindow), qPrintable(w->objectName()));
            if (auto* button = qobject_cast<QPushButton*>(w)) {
                QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->text()));
                QVERIFY2(button->height() >= button->sizeHint().height(),
                         qPrintable(button->text()));
            }
        }
    }

    void defaultState() {
        WindowHarness h;
        TForm1& form = h.start();
        PageStore& store = form.store();
        QCOMPARE(store.pages()[0].lines.size(), size_t(1));
        QCOMPARE(store.pages()[0].lines[0], lineOf("ARDENCORE "));
        for (int p = 1; p < PageCount; ++p)
            QCOMPARE(store.pages()[size_t(p)].lines, std::vector<LineStream>{lineOf("")});
        QCOMPARE(int(store.currentPage()), 0);
        QCOMPARE(store.page().cursorByte, 2);
        QCOMPARE(store.page().windowStart, 2);
        QVERIFY(!store.isModified());
        QVERIFY(form.CurrentFileName.isEmpty());
        QCOMPARE(form.drawingCycle, -1);
        QVERIFY(form.joinArmed);

        QCOMPARE(form.statusText(3), QStringLiteral("Pagina 1"));
        QCOMPARE(form.statusText(4), QStringLiteral("Linha 1 de 1"));
        QCOMPARE(form.statusText(5), QStringLiteral("Total: 13 caracteres"));
        QCOMPARE(form.statusText(6), QStringLiteral("Editando"));
        QCOMPARE(form.statusText(7), QStringLiteral("[Serial] Porta COM"));

        QCOMPARE(form.mmEdit->toPlainText(), led("ARDENCORE "));
        QCOMPARE(form.mmEdit->textCursor().position(), 0);
        QCOMPARE(form.GroupBox4->title(), QStringLiteral("  Linha 1  "));
        for (QGroupBox* box : {form.gbxPrior2, form.gbxPrior1, form.gbxNext1, form.gbxNext2})
            QVERIFY(box->isHidden());

        QCOMPARE(form.ComboBox1->count(), 61);
        QCOMPARE(form.ComboBox1->itemText(0), QStringLiteral("Efeito   1 - Rola da direita"));
        QCOMPARE(form.ComboBox2->itemText(60), QStringLiteral("Efeito 61 - Martelo"));
        QCOMPARE(form.ComboBox1->currentIndex(), 0);
        QCOMPARE(form.ComboBox2->currentIndex(), 0);
        QCOMPARE(form.ListBox2->count(), 14);
        QCOMPARE(form.ListBox2->item(3)->text(), QStringLiteral("25§C (int.)"));
        QCOMPARE(form.ListBox1->count(), 123);
        QVERIFY(form.ListBox1->findItems(QStringLiteral("9"), Qt::MatchExactly).isEmpty());
        QCOMPARE(form.ListBox1->item(9)->text(), QStringLiteral("10"));
        QCOMPARE(form.ListBox3->count(), 4);
        for (QListWidget* list : {form.ListBox1, form.ListBox2, form.ListBox3})
            QCOMPARE(list->currentRow(), 0);

        // The font previews are drawn for the font list's width.
        QCOMPARE(form.FontPreviews[0].width, form.ListBox3->width() - 10);
        QCOMPARE(form.FontPreviews[0].height, 7);

        // Blinking, not closing; the edit box has the focus.
        QVERIFY(form.Timer1.isActive());
        QCOMPARE(form.Timer1.interval(), 500);
        QVERIFY(!form.timerClose.isActive());
        QTRY_VERIFY(form.mmEdit->hasFocus());
        QVERIFY(h.prompter.prompts.empty());
    }

    void missingConnectionSettingsAsksOnce() {
        WindowHarness h;
        QFile::remove(h.path("conn.cfg"));
        h.start();
        QCOMPARE(h.prompter.prompts, std::vector<unsigned>{10});
        QVERIFY(QFile::exists(h.path("conn.cfg")));
    }

    void ledFontIsTheLineBoxFont() {
        QVERIFY(QFile::exists(QString::fromLatin1(app::LedFontResource)));
        QVERIFY(QFontDatabase::families().contains(QStringLiteral("VoreluxF0")));
        WindowHarness h;
        TForm1& form = h.start();
        QCOMPARE(QFontInfo(form.mmEdit->font()).family(), QStringLiteral("VoreluxF0"));
        QCOMPARE(QFontInfo(form.ListBox2->font()).family(), QStringLiteral("VoreluxF0"));
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
        TForm1& form = h.start();
        QVERIFY(h.locks.caps);
        QCOMPARE(form.SavedCapsLock, onAtStart);
        QCOMPARE(form.statusText(0), QStringLiteral("NUM"));
        QCOMPARE(form.statusText(1), QStringLiteral("CAPS"));
        QCOMPARE(form.statusText(2), QString());
        if (operatorPresses) {
            // The operator's press toggles the key; the editor notices the press.
            h.locks.caps = !onAtStart ? true : false;
            QTest::keyClick(form.mmEdit, Qt::Key_CapsLock);
            QVERIFY(!form.RestoreCapsLock);
            QCOMPARE(form.statusText(1), h.locks.caps ? QStringLiteral("CAPS") : QString());
        }
        QSignalSpy finished(&form, &TForm1::closeFinished);
        form.close();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(h.locks.caps, afterExit);
    }

    void lastFileReopened() {
        WindowHarness h;
        const QString file = h.path("mensagens.vpg");
        writePageFile(file, {lineOf("BOM DIA", 196, 200), lineOf("OFERTA")});
        h.writeFile("ult_arq.txt", (file + "\r\n").toLocal8Bit());
        TForm1& form = h.start();
        QCOMPARE(form.CurrentFileName, file);
        QCOMPARE(form.store().pages()[0].lines,
                 (std::vector<LineStream>{lineOf("BOM DIA", 196, 200), lineOf("OFERTA")}));
        QVERIFY(!form.store().isModified());
        QCOMPARE(form.ComboBox1->currentIndex(), 4);
        QCOMPARE(form.ComboBox2->currentIndex(), 8);
        QCOMPARE(form.statusText(4), QStringLiteral("Linha 1 de 2"));
        QVERIFY(form.gbxNext1->isVisible());
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
        TForm1& form = h.start();
        QVERIFY(form.CurrentFileName.isEmpty());
        QCOMPARE(form.store().pages()[0].lines[0], lineOf("ARDENCORE "));
        // A damaged file is reported; a missing one is not.
        QCOMPARE(h.prompter.messages.size(), size_t(damagedFile ? 1 : 0));
    }

    void neighbourBoxes() {
        WindowHarness h;
        TForm1& form = h.start();
        Page& page = form.store().page();
        page.lines = {lineOf("UM"), lineOf("DOIS"), lineOf("TRES"), lineOf("QUATRO"),
                       lineOf("CINCO")};
        page.lineCount = 5;
        const int editTop = form.GroupBox4->mapTo(&form, QPoint(0, 0)).y();
        form.store().setEditLine(2);
        form.geraTela();
        QCOMPARE(form.gbxPrior2->title(), QStringLiteral("  Linha 1  "));
        QCOMPARE(form.gbxPrior1->title(), QStringLiteral("  Linha 2  "));
        QCOMPARE(form.GroupBox4->title(), QStringLiteral("  Linha 3  "));
        QCOMPARE(form.gbxNext1->title(), QStringLiteral("  Linha 4  "));
        QCOMPARE(form.gbxNext2->title(), QStringLiteral("  Linha 5  "));
        QCOMPARE(form.mmPrior2->toPlainText(), led("UM"));
        QCOMPARE(form.mmNext2->toPlainText(), led("CINCO"));
        for (QGroupBox* box : {form.gbxPrior2, form.gbxPrior1, form.gbxNext1, form.gbxNext2})
            QVERIFY(box->isVisible());
        QCOMPARE(form.statusText(4), QStringLiteral("Linha 3 de 5"));
        QCOMPARE(form.statusText(5), QStringLiteral("Total: 36 caracteres"));

        // The last line: nothing below; the edited line keeps its place.
        form.store().setEditLine(4);
        form.geraTela();
        QVERIFY(form.gbxPrior2->isVisible() && form.gbxPrior1->isVisible());
        QVERIFY(form.gbxNext1->isHidden() && form.gbxNext2->isHidden());
        QCOMPARE(form.GroupBox4->mapTo(&form, QPoint(0, 0)).y(), editTop);
        QCOMPARE(form.statusText(5), QStringLiteral("Total: 36 caracteres"));
    }

    void enterThroughTheWindow() {
        WindowHarness h;
        TForm1& form = h.start();
        form.store().page().cursorByte = 6; // after "ARDE"
        editor::enterKey(form.store());
        form.geraTela();
        QCOMPARE(form.store().page().lines,
                 (std::vector<LineStream>{lineOf("ARDE"), lineOf("NCORE ")}));
        QCOMPARE(form.statusText(4), QStringLiteral("Linha 2 de 2"));
        QCOMPARE(form.gbxPrior1->title(), QStringLiteral("  Linha 1  "));
        QCOMPARE(form.mmEdit->toPlainText(), led("NCORE "));
        QCOMPARE(form.mmEdit->textCursor().position(), 0);
    }

    void cursorBlinks() {
        WindowHarness h;
        TForm1& form = h.start();
        Page& page = form.store().page();
        const int column = page.cursorColumn;
        QVERIFY(column >= 0 && column < 64);
        auto bandLit = [&] {
            return form.imgEdit->picture().pixel(column * 10 + 5, 35) == qRgb(255, 255, 255);
        };
        QVERIFY(bandLit());
        form.Timer1Timer();
        QVERIFY(!bandLit());
        form.Timer1Timer(); // within 300 ms of the last blink: nothing happens
        QVERIFY(!bandLit());
        QTest::qWait(320);
        form.Timer1Timer();
        QVERIFY(bandLit());
        // Nothing is drawn while an effect number is being typed.
        form.EffectDigits.target = 1;
        QTest::qWait(320);
        form.Timer1Timer();
        QVERIFY(bandLit());
    }

    void screenshot() {
        // Set VORELUX_SCREENSHOT_DIR to look at the window.
        const QString dir = qEnvironmentVariable("VORELUX_SCREENSHOT_DIR");
        if (dir.isEmpty()) QSKIP("VORELUX_SCREENSHOT_DIR not set");
        WindowHarness h;
        TForm1& form = h.start();
        form.grab().save(dir + "/main_window.png");
        Page& page = form.store().page();
        page.lines = {lineOf("UM"), lineOf("DOIS"),
                       lineOf("TRES \x01"
                              "ABC",
                              203, 210),
                       lineOf("QUATRO"), lineOf("CINCO")};
        page.lineCount = 5;
        form.store().setEditLine(2);
        page.cursorByte = 8;
        form.geraTela();
        form.grab().save(dir + "/main_window_lines.png");
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
