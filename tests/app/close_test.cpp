// The two-pass close: the save question in each pass, the delayed second
// pass, "ult_arq.txt", and Cancel returning to editing.
#include "app_fakes.h"

#include <QtTest>

using namespace vorelux;
using namespace vorelux::testing;
using vorelux::app::MainWindow;
using vorelux::app::StatusField;

class CloseTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { app::loadPrivateFont(); }

    void unchangedClosesWithoutAsking() {
        WindowHarness h;
        MainWindow& window = h.start(1, 200);
        h.dialogs.saves = {h.path("atual.vpg")};
        QVERIFY(window.saveAs());
        QSignalSpy finished(&window, &MainWindow::closeFinished);

        window.close();
        QVERIFY(window.isHidden());
        QVERIFY(!child<QTimer>(window, "cursorBlinkTimer")->isActive());
        // First pass: hidden, and the delayed pass is waiting.
        QTRY_VERIFY(child<QTimer>(window, "closeDelayTimer")->isActive());
        QCOMPARE(finished.count(), 0);
        QVERIFY(!QFile::exists(h.path("ult_arq.txt")));
        // Second pass, through closeDelayTimer.
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(!child<QTimer>(window, "closeDelayTimer")->isActive());
        QVERIFY(h.prompter.prompts.empty());
        QCOMPARE(h.readFile("ult_arq.txt"), (h.path("atual.vpg") + "\r\n").toLocal8Bit());
    }

    void newDocumentWritesAnEmptyLine() {
        WindowHarness h;
        MainWindow& window = h.start();
        QSignalSpy finished(&window, &MainWindow::closeFinished);
        window.close();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(h.readFile("ult_arq.txt"), QByteArray("\r\n"));
    }

    void unwritableLastFileIsReportedAndTheCloseFinishes() {
        WindowHarness h;
        MainWindow& window = h.start();
        QVERIFY(QDir(h.dir.path()).mkdir("ult_arq.txt")); // a folder cannot be written as a file
        QSignalSpy finished(&window, &MainWindow::closeFinished);
        window.close();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(h.prompter.messages,
                 (std::vector<std::string>{
                     "Não foi possível gravar \"ult_arq.txt\"; o arquivo de páginas não "
                     "será reaberto na próxima vez. Nenhuma página foi perdida."}));
    }

    void sairClosesTheSameWay() {
        WindowHarness h;
        MainWindow& window = h.start();
        QSignalSpy finished(&window, &MainWindow::closeFinished);
        child<QAction>(window, "exitAction")->trigger();
        QVERIFY(window.isHidden());
        QTRY_COMPARE(finished.count(), 1);
    }

    void unsavedAnsweredNoIsAskedInBothPasses() {
        WindowHarness h;
        MainWindow& window = h.start();
        window.store().setModified(true);
        h.prompter.answers = {ButtonNo, ButtonNo};
        QSignalSpy finished(&window, &MainWindow::closeFinished);
        window.close();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(h.prompter.prompts,
                 (std::vector<Prompt>{Prompt::SaveChanges, Prompt::SaveChanges}));
        QVERIFY(h.dialogs.saveCalls == 0);
        QVERIFY(QFile::exists(h.path("ult_arq.txt")));
    }

    void yesSavesUnderANewNameThenCloses() {
        WindowHarness h;
        MainWindow& window = h.start();
        h.dialogs.saves = {h.path("antes.vpg")};
        QVERIFY(window.saveAs());
        window.store().setModified(true);
        h.prompter.answers = {ButtonYes};
        h.dialogs.saves = {h.path("depois")};
        QSignalSpy finished(&window, &MainWindow::closeFinished);
        window.close();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(h.dialogs.saveCalls, 2); // the save dialog opens although a name was known
        QCOMPARE(h.prompter.prompts,
                 std::vector<Prompt>{Prompt::SaveChanges}); // saved: not asked again
        QCOMPARE(h.readFile("ult_arq.txt"), (h.path("depois.vpg") + "\r\n").toLocal8Bit());
    }

    void cancelInTheFirstPassKeepsEditing() {
        WindowHarness h;
        MainWindow& window = h.start();
        window.store().setModified(true);
        h.prompter.answers = {ButtonCancel};
        QSignalSpy finished(&window, &MainWindow::closeFinished);
        window.close();
        QVERIFY(window.isVisible());
        QVERIFY(!window.isClosing());
        QVERIFY(child<QTimer>(window, "cursorBlinkTimer")->isActive()); // the cursor blinks again
        QTest::qWait(100);
        QVERIFY(!child<QTimer>(window, "closeDelayTimer")->isActive());
        QCOMPARE(finished.count(), 0);
        QVERIFY(!QFile::exists(h.path("ult_arq.txt")));
        QVERIFY(window.store().isModified());
    }

    void yesWithTheSaveCancelledKeepsEditing() {
        WindowHarness h;
        MainWindow& window = h.start();
        window.store().setModified(true);
        h.prompter.answers = {ButtonYes};
        window.close();
        QCOMPARE(h.dialogs.saveCalls, 1);
        QVERIFY(window.isVisible());
        QVERIFY(!window.isClosing());
        QVERIFY(window.store().isModified());
    }

    void cancelInTheSecondPassReturnsToEditing() {
        WindowHarness h;
        MainWindow& window = h.start(1, 50);
        window.store().setModified(true);
        h.prompter.answers = {ButtonNo, ButtonCancel};
        QSignalSpy finished(&window, &MainWindow::closeFinished);
        window.close();
        QVERIFY(window.isHidden());
        QTRY_COMPARE(h.prompter.prompts.size(), size_t(2));
        // The window comes back and no further close pass is pending.
        QTRY_VERIFY(window.isVisible());
        QVERIFY(!child<QTimer>(window, "closeDelayTimer")->isActive());
        QVERIFY(child<QTimer>(window, "cursorBlinkTimer")->isActive());
        QTest::qWait(150);
        QCOMPARE(h.prompter.prompts.size(), size_t(2));
        QCOMPARE(finished.count(), 0);
        QVERIFY(!QFile::exists(h.path("ult_arq.txt")));

        // A later close runs both passes again.
        h.prompter.answers = {ButtonNo, ButtonNo};
        window.close();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(h.prompter.prompts.size(), size_t(4));
    }

    void closeRequestsWhileAPassPausesAreIgnored() {
        WindowHarness h;
        MainWindow& window = h.start(100, 50);
        QSignalSpy finished(&window, &MainWindow::closeFinished);
        window.close();
        window.close(); // during the first pause
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(h.prompter.prompts.size(), size_t(0));
    }

    void stopsAPreviewFirst() {
        WindowHarness h;
        MainWindow& window = h.start();
        window.togglePreview(); // the default first line plays
        QVERIFY(window.previewRunning());
        QSignalSpy finished(&window, &MainWindow::closeFinished);
        window.close();
        // The first pass stops the play before anything else.
        QVERIFY(!window.previewRunning());
        QCOMPARE(window.statusText(StatusField::Mode), QStringLiteral("Editando"));
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(!window.previewRunning());
    }
};

QTEST_MAIN(CloseTest)
#include "close_test.moc"
