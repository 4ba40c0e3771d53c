// The two-pass close: the save question in each pass, the delayed second
// pass, "ult_arq.txt", and Cancel returning to editing.
#include "app_fakes.h"

#include <QtTest>

using namespace vorelux;
using namespace vorelux::testing;
using vorelux::app::TForm1;

class CloseTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { app::LoadPrivateFont(); }

    void unchangedClosesWithoutAsking() {
        WindowHarness h;
        TForm1& form = h.start(1, 200);
        h.dialogs.saves = {h.path("atual.vpg")};
        QVERIFY(form.Salarcomo1Click());
        QSignalSpy finished(&form, &TForm1::closeFinished);

        form.close();
        QVERIFY(form.isHidden());
        QVERIFY(!form.Timer1.isActive());
        // First pass: hidden, and the delayed pass is waiting.
        QTRY_VERIFY(form.timerClose.isActive());
        QCOMPARE(finished.count(), 0);
        QVERIFY(!QFile::exists(h.path("ult_arq.txt")));
        // Second pass, through timerClose.
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(!form.timerClose.isActive());
        QVERIFY(h.prompter.prompts.empty());
        QCOMPARE(h.readFile("ult_arq.txt"), (h.path("atual.vpg") + "\r\n").toLocal8Bit());
    }

    void newDocumentWritesAnEmptyLine() {
        WindowHarness h;
        TForm1& form = h.start();
        QSignalSpy finished(&form, &TForm1::closeFinished);
        form.close();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(h.readFile("ult_arq.txt"), QByteArray("\r\n"));
    }

    void sairClosesTheSameWay() {
        WindowHarness h;
        TForm1& form = h.start();
        QSignalSpy finished(&form, &TForm1::closeFinished);
        form.Sair1->trigger();
        QVERIFY(form.isHidden());
        QTRY_COMPARE(finished.count(), 1);
    }

    void unsavedAnsweredNoIsAskedInBothPasses() {
        WindowHarness h;
        TForm1& form = h.start();
        form.store().setModified(true);
        h.prompter.answers = {ButtonNo, ButtonNo};
        QSignalSpy finished(&form, &TForm1::closeFinished);
        form.close();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(h.prompter.prompts, (std::vector<unsigned>{19, 19}));
        QVERIFY(h.dialogs.saveCalls == 0);
        QVERIFY(QFile::exists(h.path("ult_arq.txt")));
    }

    void yesSavesUnderANewNameThenCloses() {
        WindowHarness h;
        TForm1& form = h.start();
        h.dialogs.saves = {h.path("antes.vpg")};
        QVERIFY(form.Salarcomo1Click());
        form.store().setModified(true);
        h.prompter.answers = {ButtonYes};
        h.dialogs.saves = {h.path("depois")};
        QSignalSpy finished(&form, &TForm1::closeFinished);
        form.close();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(h.dialogs.saveCalls, 2); // the save dialog opens although a name was known
        QCOMPARE(h.prompter.prompts, std::vector<unsigned>{19}); // saved: not asked again
        QCOMPARE(h.readFile("ult_arq.txt"), (h.path("depois.vpg") + "\r\n").toLocal8Bit());
    }

    void cancelInTheFirstPassKeepsEditing() {
        WindowHarness h;
        TForm1& form = h.start();
        form.store().setModified(true);
        h.prompter.answers = {ButtonCancel};
        QSignalSpy finished(&form, &TForm1::closeFinished);
        form.close();
        QVERIFY(form.isVisible());
        QVERIFY(!form.isClosing());
        QVERIFY(form.Timer1.isActive()); // the cursor blinks again
        QTest::qWait(100);
        QVERIFY(!form.timerClose.isActive());
        QCOMPARE(finished.count(), 0);
        QVERIFY(!QFile::exists(h.path("ult_arq.txt")));
        QVERIFY(form.store().isModified());
    }

    void yesWithTheSaveCancelledKeepsEditing() {
        WindowHarness h;
        TForm1& form = h.start();
        form.store().setModified(true);
        h.prompter.answers = {ButtonYes};
        form.close();
        QCOMPARE(h.dialogs.saveCalls, 1);
        QVERIFY(form.isVisible());
        QVERIFY(!form.isClosing());
        QVERIFY(form.store().isModified());
    }

    void cancelInTheSecondPassReturnsToEditing() {
        WindowHarness h;
        TForm1& form = h.start(1, 50);
        form.store().setModified(true);
        h.prompter.answers = {ButtonNo, ButtonCancel};
        QSignalSpy finished(&form, &TForm1::closeFinished);
        form.close();
        QVERIFY(form.isHidden());
        QTRY_COMPARE(h.prompter.prompts.size(), size_t(2));
        // The window comes back and no further close pass is pending.
        QTRY_VERIFY(form.isVisible());
        QVERIFY(!form.timerClose.isActive());
        QVERIFY(form.Timer1.isActive());
        QTest::qWait(150);
        QCOMPARE(h.prompter.prompts.size(), size_t(2));
        QCOMPARE(finished.count(), 0);
        QVERIFY(!QFile::exists(h.path("ult_arq.txt")));

        // A later close runs both passes again.
        h.prompter.answers = {ButtonNo, ButtonNo};
        form.close();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(h.prompter.prompts.size(), size_t(4));
    }

    void closeRequestsWhileAPassPausesAreIgnored() {
        WindowHarness h;
        TForm1& form = h.start(100, 50);
        QSignalSpy finished(&form, &TForm1::closeFinished);
        form.close();
        form.close(); // during the first pause
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(h.prompter.prompts.size(), size_t(0));
    }

    void stopsAPreviewFirst() {
        WindowHarness h;
        TForm1& form = h.start();
        QList<bool> requests;
        form.stopview = [&](bool aguardar) { requests << aguardar; };
        QSignalSpy finished(&form, &TForm1::closeFinished);
        form.close();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(requests, (QList<bool>{true, true}));
    }
};

QTEST_MAIN(CloseTest)
#include "close_test.moc"
