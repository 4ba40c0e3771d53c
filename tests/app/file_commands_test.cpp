// The page file commands of the main window with scripted dialogs and
// prompt answers: "Salvar", "Salvar como...", "Abrir", the two clear buttons
// and "Novo".
#include "app_fakes.h"

#include "files/page_file.h"

#include <QTabBar>
#include <QtTest>

using namespace vorelux;
using namespace vorelux::testing;
using vorelux::app::TForm1;

namespace {

std::vector<LineStream> page0(TForm1& form) {
    return form.store().pages()[0].lines;
}

// Makes the window hold unsaved changes.
void edit(TForm1& form) {
    form.store().editLine().push_back('!');
    form.store().setModified(true);
}

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { app::LoadPrivateFont(); }

    void saveFreshStartUpState() {
        WindowHarness h;
        TForm1& form = h.start();
        h.dialogs.saves = {h.path("novo")};
        QVERIFY(form.bbtnSalvarClick());
        QCOMPARE(form.CurrentFileName, h.path("novo.vpg"));
        const QByteArray bytes = h.readFile("novo.vpg");
        QCOMPARE(bytes.size(), 272);
        QCOMPARE(bytes.mid(16 + 8, 2), QByteArray("\x00\x0D", 2));
        QVERIFY(!form.store().isModified());

        // Known name: saved again without asking.
        edit(form);
        QVERIFY(form.bbtnSalvarClick());
        QCOMPARE(h.dialogs.saveCalls, 1);
        QCOMPARE(h.readFile("novo.vpg").size(), 272);
        QVERIFY(!form.store().isModified());
    }

    void saveCancelledAsksAgainNextTime() {
        WindowHarness h;
        TForm1& form = h.start();
        edit(form);
        QVERIFY(!form.bbtnSalvarClick());
        QVERIFY(form.CurrentFileName.isEmpty());
        QVERIFY(form.store().isModified());
        QVERIFY(QDir(h.dir.path()).entryList({"*.vpg"}).isEmpty());
        QVERIFY(!form.bbtnSalvarClick());
        QCOMPARE(h.dialogs.saveCalls, 2);
    }

    void saveAsAlwaysAsksAndWritesTheNewName() {
        WindowHarness h;
        TForm1& form = h.start();
        h.dialogs.saves = {h.path("a.vpg"), h.path("b.txt")};
        QVERIFY(form.Salarcomo1Click());
        QVERIFY(form.Salarcomo1Click());
        QCOMPARE(form.CurrentFileName, h.path("b.vpg"));
        QVERIFY(QFile::exists(h.path("a.vpg")) && QFile::exists(h.path("b.vpg")));
        QVERIFY(!QFile::exists(h.path("b.txt")));
        QVERIFY(!form.Salarcomo1Click()); // cancelled: nothing happens
        QCOMPARE(form.CurrentFileName, h.path("b.vpg"));
    }

    void saveToAnUnwritablePlaceKeepsTheChanges() {
        WindowHarness h;
        TForm1& form = h.start();
        edit(form);
        h.dialogs.saves = {h.path("no/such/folder/x.vpg")};
        QVERIFY(!form.Salarcomo1Click());
        QCOMPARE(h.prompter.messages.size(), size_t(1));
        QVERIFY(form.store().isModified());
    }

    void openSaveRoundTripIsByteExact() {
        WindowHarness h;
        TForm1& form = h.start();
        Page& page = form.store().page();
        page.lines = {lineOf("PRIMEIRA", 200, 210), lineOf("\x01SEGUNDA\x1f\x07"),
                       lineOf(std::string(29, 'x'))};
        page.lineCount = 3;
        h.dialogs.saves = {h.path("ida.vpg"), h.path("volta.vpg")};
        QVERIFY(form.Salarcomo1Click());
        h.dialogs.opens = {h.path("ida.vpg")};
        QVERIFY(form.bbtnAbrirClick());
        QVERIFY(form.Salarcomo1Click());
        QCOMPARE(h.readFile("volta.vpg"), h.readFile("ida.vpg"));
    }

    void openResetsToPageOne() {
        WindowHarness h;
        TForm1& form = h.start();
        h.dialogs.saves = {h.path("x.vpg")};
        QVERIFY(form.Salarcomo1Click());
        form.store().setCurrentPage(2);
        form.tsPaginas->setCurrentIndex(2);
        form.store().setEditLine(0);
        h.dialogs.opens = {h.path("x.vpg")};
        QVERIFY(form.bbtnAbrirClick());
        QCOMPARE(int(form.store().currentPage()), 0);
        QCOMPARE(form.tsPaginas->currentIndex(), 0);
        QCOMPARE(form.statusText(3), QStringLiteral("Pagina 1"));
        QCOMPARE(page0(form), std::vector<LineStream>{lineOf("ARDENCORE ")});
    }

    void openUnderAnotherExtensionSavesAsVpg() {
        WindowHarness h;
        TForm1& form = h.start();
        h.dialogs.saves = {h.path("x.txt")};
        QVERIFY(form.Salarcomo1Click()); // writes x.vpg
        QVERIFY(QFile::copy(h.path("x.vpg"), h.path("y.txt")));
        h.dialogs.opens = {h.path("y.txt")};
        QVERIFY(form.bbtnAbrirClick());
        QCOMPARE(form.CurrentFileName, h.path("y.vpg"));
        edit(form);
        QVERIFY(form.bbtnSalvarClick());
        QVERIFY(QFile::exists(h.path("y.vpg")));
    }

    void openWithUnsavedChanges_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveChosen");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<bool>("savedFirst");
        QTest::newRow("No: opens, changes dropped") << int(ButtonNo) << false << true << false;
        QTest::newRow("Yes: saves, then opens") << int(ButtonYes) << true << true << true;
        QTest::newRow("Cancel: nothing happens") << int(ButtonCancel) << false << false << false;
        QTest::newRow("Yes, save cancelled: nothing happens")
            << int(ButtonYes) << false << false << false;
    }
    void openWithUnsavedChanges() {
        QFETCH(int, answer);
        QFETCH(bool, saveChosen);
        QFETCH(bool, opened);
        QFETCH(bool, savedFirst);
        WindowHarness h;
        TForm1& form = h.start();
        h.dialogs.saves = {h.path("other.vpg")};
        QVERIFY(form.Salarcomo1Click());
        h.dialogs.saves.clear();
        edit(form);
        const auto edited = page0(form);
        h.prompter.answers = {answer};
        if (saveChosen) h.dialogs.saves = {h.path("kept.vpg")};
        h.dialogs.opens = {h.path("other.vpg")};

        QCOMPARE(form.bbtnAbrirClick(), opened);
        QCOMPARE(h.prompter.prompts, std::vector<unsigned>{19});
        QCOMPARE(h.dialogs.openCalls, opened ? 1 : 0);
        QCOMPARE(page0(form), opened ? std::vector<LineStream>{lineOf("ARDENCORE ")} : edited);
        QCOMPARE(form.store().isModified(), !opened);
        QCOMPARE(QFile::exists(h.path("kept.vpg")), savedFirst);
    }

    void openDamagedFileChangesNothing() {
        WindowHarness h;
        TForm1& form = h.start();
        h.dialogs.saves = {h.path("good.vpg")};
        QVERIFY(form.Salarcomo1Click());
        edit(form);
        const auto edited = page0(form);
        QByteArray damaged = h.readFile("good.vpg");
        damaged.chop(20); // shorter than its blocks declare
        h.writeFile("bad.vpg", damaged);
        // A damaged file, and a device that never ends (it once exhausted memory).
        for (const QString& path : {h.path("bad.vpg"), QStringLiteral("/dev/zero")}) {
            h.prompter.messages.clear();
            h.prompter.answers = {ButtonNo};
            h.dialogs.opens = {path};
            QVERIFY(!form.bbtnAbrirClick());
            QCOMPARE(h.prompter.messages.size(), size_t(1));
            QVERIFY(h.prompter.messages[0].find("Nada foi alterado") != std::string::npos);
            QCOMPARE(page0(form), edited);
            QCOMPARE(form.CurrentFileName, h.path("good.vpg"));
            QVERIFY(form.store().isModified());
        }
    }

    void clearPage_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(ButtonYes);
        QTest::newRow("No") << int(ButtonNo);
    }
    void clearPage() {
        QFETCH(int, answer);
        WindowHarness h;
        TForm1& form = h.start();
        Page& page = form.store().page();
        page.lines = {lineOf("A"), lineOf("B"), lineOf("C")};
        page.lineCount = 3;
        form.store().setEditLine(1);
        form.store().setModified(true);
        h.prompter.answers = {answer};
        QCOMPARE(form.bbtnNovoClick(), answer == ButtonYes);
        QCOMPARE(h.prompter.prompts, std::vector<unsigned>{2});
        if (answer == ButtonYes) {
            QCOMPARE(page.lines, std::vector<LineStream>{lineOf("")});
            QCOMPARE(form.statusText(4), QStringLiteral("Linha 1 de 1"));
        } else {
            QCOMPARE(page.lineCount, 3);
        }
        QVERIFY(form.store().isModified()); // clearing one page is not a save
    }

    void clearAllFromPageThree() {
        WindowHarness h;
        TForm1& form = h.start();
        form.store().setCurrentPage(2);
        form.tsPaginas->setCurrentIndex(2);
        form.store().setEditLine(0);
        form.store().pages()[2].lines = {lineOf("X"), lineOf("Y")};
        form.store().pages()[2].lineCount = 2;
        form.store().setEditLine(1);
        h.prompter.answers = {ButtonYes};
        QVERIFY(form.BitBtn1Click());
        QCOMPARE(h.prompter.prompts, std::vector<unsigned>{5}); // nothing unsaved: no 19
        QCOMPARE(int(form.store().currentPage()), 0);
        QCOMPARE(form.tsPaginas->currentIndex(), 0);
        for (const Page& page : form.store().pages())
            QCOMPARE(page.lines, std::vector<LineStream>{lineOf("")});
        QCOMPARE(form.statusText(3), QStringLiteral("Pagina 1"));
        QCOMPARE(form.statusText(4), QStringLiteral("Linha 1 de 1"));
    }

    void novo_data() {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("No at 19, Yes at 5") << QList<int>{ButtonNo, ButtonYes} << true;
        QTest::newRow("No at 19, No at 5") << QList<int>{ButtonNo, ButtonNo} << false;
        QTest::newRow("Cancel at 19") << QList<int>{ButtonCancel} << false;
    }
    void novo() {
        QFETCH(QList<int>, answers);
        QFETCH(bool, cleared);
        WindowHarness h;
        TForm1& form = h.start();
        h.dialogs.saves = {h.path("doc.vpg")};
        QVERIFY(form.Salarcomo1Click());
        edit(form);
        const auto edited = page0(form);
        h.prompter.answers.assign(answers.begin(), answers.end());
        QCOMPARE(form.BitBtn6Click(), cleared);
        QCOMPARE(h.prompter.prompts.size(), size_t(answers.size()));
        QCOMPARE(form.CurrentFileName, cleared ? QString() : h.path("doc.vpg"));
        QCOMPARE(page0(form), cleared ? std::vector<LineStream>{lineOf("")} : edited);
        QCOMPARE(form.store().isModified(), !cleared);
    }
};

QTEST_MAIN(FileCommandsTest)
#include "file_commands_test.moc"
