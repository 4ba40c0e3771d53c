// The page file commands of the main window with scripted dialogs and
// prompt answers: "Salvar", "Salvar como...", "Abrir", the two clear buttons
// and "Novo".
#include "app_fakes.h"
#include "support/page_edits.h"

#include "files/page_file.h"

#include <QTabBar>
#include <QtTest>

using namespace vorelux;
using namespace vorelux::testing;
using vorelux::app::MainWindow;
using vorelux::app::StatusField;

namespace {

std::vector<LineStream> page0(MainWindow& window) {
    return window.store().page(0).lines();
}

// Makes the window hold unsaved changes.
void edit(MainWindow& window) {
    test::appendToEditLine(window.store(), '!');
    window.store().setModified(true);
}

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { app::loadPrivateFont(); }

    void saveFreshStartUpState() {
        WindowHarness h;
        MainWindow& window = h.start();
        h.dialogs.saves = {h.path("novo")};
        QVERIFY(window.save());
        QCOMPARE(window.currentFileName(), h.path("novo.vpg"));
        const QByteArray bytes = h.readFile("novo.vpg");
        QCOMPARE(bytes.size(), 272);
        QCOMPARE(bytes.mid(16 + 8, 2), QByteArray("\x00\x0D", 2));
        QVERIFY(!window.store().isModified());

        // Known name: saved again without asking.
        edit(window);
        QVERIFY(window.save());
        QCOMPARE(h.dialogs.saveCalls, 1);
        QCOMPARE(h.readFile("novo.vpg").size(), 272);
        QVERIFY(!window.store().isModified());
    }

    void saveCancelledAsksAgainNextTime() {
        WindowHarness h;
        MainWindow& window = h.start();
        edit(window);
        QVERIFY(!window.save());
        QVERIFY(window.currentFileName().isEmpty());
        QVERIFY(window.store().isModified());
        QVERIFY(QDir(h.dir.path()).entryList({"*.vpg"}).isEmpty());
        QVERIFY(!window.save());
        QCOMPARE(h.dialogs.saveCalls, 2);
    }

    void saveAsAlwaysAsksAndWritesTheNewName() {
        WindowHarness h;
        MainWindow& window = h.start();
        h.dialogs.saves = {h.path("a.vpg"), h.path("b.txt")};
        QVERIFY(window.saveAs());
        QVERIFY(window.saveAs());
        QCOMPARE(window.currentFileName(), h.path("b.vpg"));
        QVERIFY(QFile::exists(h.path("a.vpg")) && QFile::exists(h.path("b.vpg")));
        QVERIFY(!QFile::exists(h.path("b.txt")));
        QVERIFY(!window.saveAs()); // cancelled: nothing happens
        QCOMPARE(window.currentFileName(), h.path("b.vpg"));
    }

    void saveToAnUnwritablePlaceKeepsTheChanges() {
        WindowHarness h;
        MainWindow& window = h.start();
        edit(window);
        h.dialogs.saves = {h.path("no/such/folder/x.vpg")};
        QVERIFY(!window.saveAs());
        QCOMPARE(h.prompter.messages.size(), size_t(1));
        QVERIFY(window.store().isModified());
    }

    void openSaveRoundTripIsByteExact() {
        WindowHarness h;
        MainWindow& window = h.start();
        window.store().setPageLines(0, {lineOf("PRIMEIRA", 200, 210), lineOf("\x01SEGUNDA\x1f\x07"),
                                        lineOf(std::string(29, 'x'))});
        h.dialogs.saves = {h.path("ida.vpg"), h.path("volta.vpg")};
        QVERIFY(window.saveAs());
        h.dialogs.opens = {h.path("ida.vpg")};
        QVERIFY(window.open());
        QVERIFY(window.saveAs());
        QCOMPARE(h.readFile("volta.vpg"), h.readFile("ida.vpg"));
    }

    // Two editors on one file: the second "Salvar" asks before it replaces
    // what the first one saved; "Não" keeps the pages unsaved and the file as it is.
    void saveOverAFileAnotherEditorSavedAsks() {
        WindowHarness h, other;
        MainWindow& window = h.start();
        h.dialogs.saves = {h.path("comum.vpg")};
        QVERIFY(window.save());
        MainWindow& otherWindow = other.start();
        other.dialogs.opens = {h.path("comum.vpg")};
        QVERIFY(otherWindow.open());
        edit(otherWindow);
        test::appendToEditLine(otherWindow.store(), '2');
        QVERIFY(otherWindow.save());
        QVERIFY(other.prompter.questions.empty()); // unchanged since it was opened
        const QByteArray otherBytes = h.readFile("comum.vpg");

        edit(window);
        h.prompter.answers = {ButtonNo};
        QVERIFY(!window.save());
        const std::vector<std::string> asked{
            "O arquivo \"comum.vpg\" foi alterado por outro programa desde que foi aberto. "
            "Substituir mesmo assim?"};
        QCOMPARE(h.prompter.questions, asked);
        QVERIFY(h.prompter.messages.empty());
        QVERIFY(window.store().isModified());
        QCOMPARE(h.readFile("comum.vpg"), otherBytes);

        h.prompter.answers = {ButtonYes};
        QVERIFY(window.save());
        QCOMPARE(h.prompter.questions.size(), size_t(2));
        QVERIFY(!window.store().isModified());
        QVERIFY(h.readFile("comum.vpg") != otherBytes);
        QCOMPARE(page0(window).back().back(), uint8_t('!'));
    }

    void openResetsToPageOne() {
        WindowHarness h;
        MainWindow& window = h.start();
        h.dialogs.saves = {h.path("x.vpg")};
        QVERIFY(window.saveAs());
        window.store().setCurrentPage(2);
        child<QTabBar>(window, "pageTabs")->setCurrentIndex(2);
        window.store().setEditLine(0);
        h.dialogs.opens = {h.path("x.vpg")};
        QVERIFY(window.open());
        QCOMPARE(int(window.store().currentPage()), 0);
        QCOMPARE(child<QTabBar>(window, "pageTabs")->currentIndex(), 0);
        QCOMPARE(window.statusText(StatusField::Page), QStringLiteral("Pagina 1"));
        QCOMPARE(page0(window), std::vector<LineStream>{lineOf("ARDENCORE ")});
    }

    void openUnderAnotherExtensionSavesAsVpg() {
        WindowHarness h;
        MainWindow& window = h.start();
        h.dialogs.saves = {h.path("x.txt")};
        QVERIFY(window.saveAs()); // writes x.vpg
        QVERIFY(QFile::copy(h.path("x.vpg"), h.path("y.txt")));
        h.dialogs.opens = {h.path("y.txt")};
        QVERIFY(window.open());
        QCOMPARE(window.currentFileName(), h.path("y.vpg"));
        edit(window);
        QVERIFY(window.save());
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
        MainWindow& window = h.start();
        h.dialogs.saves = {h.path("other.vpg")};
        QVERIFY(window.saveAs());
        h.dialogs.saves.clear();
        edit(window);
        const auto edited = page0(window);
        h.prompter.answers = {answer};
        if (saveChosen) h.dialogs.saves = {h.path("kept.vpg")};
        h.dialogs.opens = {h.path("other.vpg")};

        QCOMPARE(window.open(), opened);
        QCOMPARE(h.prompter.prompts, std::vector<Prompt>{Prompt::SaveChanges});
        QCOMPARE(h.dialogs.openCalls, opened ? 1 : 0);
        QCOMPARE(page0(window), opened ? std::vector<LineStream>{lineOf("ARDENCORE ")} : edited);
        QCOMPARE(window.store().isModified(), !opened);
        QCOMPARE(QFile::exists(h.path("kept.vpg")), savedFirst);
    }

    void openDamagedFileChangesNothing() {
        WindowHarness h;
        MainWindow& window = h.start();
        h.dialogs.saves = {h.path("good.vpg")};
        QVERIFY(window.saveAs());
        edit(window);
        const auto edited = page0(window);
        QByteArray damaged = h.readFile("good.vpg");
        damaged.chop(20); // shorter than its blocks declare
        h.writeFile("bad.vpg", damaged);
        // A damaged file, and a device that never ends (it once exhausted memory).
        for (const QString& path : {h.path("bad.vpg"), QStringLiteral("/dev/zero")}) {
            h.prompter.messages.clear();
            h.prompter.answers = {ButtonNo};
            h.dialogs.opens = {path};
            QVERIFY(!window.open());
            QCOMPARE(h.prompter.messages.size(), size_t(1));
            QVERIFY(h.prompter.messages[0].find("Nada foi alterado") != std::string::npos);
            QCOMPARE(page0(window), edited);
            QCOMPARE(window.currentFileName(), h.path("good.vpg"));
            QVERIFY(window.store().isModified());
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
        MainWindow& window = h.start();
        const Page& page = window.store().page();
        window.store().setPageLines(0, {lineOf("A"), lineOf("B"), lineOf("C")});
        window.store().setEditLine(1);
        window.store().setModified(true);
        h.prompter.answers = {answer};
        QCOMPARE(window.clearPage(), answer == ButtonYes);
        QCOMPARE(h.prompter.prompts, std::vector<Prompt>{Prompt::ClearPage});
        if (answer == ButtonYes) {
            QCOMPARE(page.lines(), std::vector<LineStream>{lineOf("")});
            QCOMPARE(window.statusText(StatusField::Line), QStringLiteral("Linha 1 de 1"));
        } else {
            QCOMPARE(page.lineCount(), 3);
        }
        QVERIFY(window.store().isModified()); // clearing one page is not a save
    }

    void clearAllFromPageThree() {
        WindowHarness h;
        MainWindow& window = h.start();
        window.store().setCurrentPage(2);
        child<QTabBar>(window, "pageTabs")->setCurrentIndex(2);
        window.store().setEditLine(0);
        window.store().setPageLines(2, {lineOf("X"), lineOf("Y")});
        window.store().setEditLine(1);
        h.prompter.answers = {ButtonYes};
        QVERIFY(window.clearAllPages());
        QCOMPARE(h.prompter.prompts,
                 std::vector<Prompt>{Prompt::ClearAllPages}); // nothing unsaved: no 19
        QCOMPARE(int(window.store().currentPage()), 0);
        QCOMPARE(child<QTabBar>(window, "pageTabs")->currentIndex(), 0);
        for (const Page& page : window.store().pages())
            QCOMPARE(page.lines(), std::vector<LineStream>{lineOf("")});
        QCOMPARE(window.statusText(StatusField::Page), QStringLiteral("Pagina 1"));
        QCOMPARE(window.statusText(StatusField::Line), QStringLiteral("Linha 1 de 1"));
    }

    void newDocument_data() {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("No at 19, Yes at 5") << QList<int>{ButtonNo, ButtonYes} << true;
        QTest::newRow("No at 19, No at 5") << QList<int>{ButtonNo, ButtonNo} << false;
        QTest::newRow("Cancel at 19") << QList<int>{ButtonCancel} << false;
    }
    void newDocument() {
        QFETCH(QList<int>, answers);
        QFETCH(bool, cleared);
        WindowHarness h;
        MainWindow& window = h.start();
        h.dialogs.saves = {h.path("doc.vpg")};
        QVERIFY(window.saveAs());
        edit(window);
        const auto edited = page0(window);
        h.prompter.answers.assign(answers.begin(), answers.end());
        QCOMPARE(window.newDocument(), cleared);
        QCOMPARE(h.prompter.prompts.size(), size_t(answers.size()));
        QCOMPARE(window.currentFileName(), cleared ? QString() : h.path("doc.vpg"));
        QCOMPARE(page0(window), cleared ? std::vector<LineStream>{lineOf("")} : edited);
        QCOMPARE(window.store().isModified(), !cleared);
    }
};

QTEST_MAIN(FileCommandsTest)
#include "file_commands_test.moc"
