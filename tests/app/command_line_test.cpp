// The editor's process around its main window: the command line read before
// any window exists, the page file it names (opened as "Abrir" opens one),
// and Caps Lock, forced only while the editor has the keyboard focus.
#include "app/application_setup.h"
#include "app/caps_lock_keeper.h"
#include "app_fakes.h"

#include <QPlainTextEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <unistd.h>

using namespace vorelux;
using namespace vorelux::testing;
using vorelux::app::CapsLockKeeper;
using vorelux::app::CommandLine;
using vorelux::app::MainWindow;
using vorelux::app::StatusField;

Q_DECLARE_METATYPE(CommandLine::Action)

namespace {

// A main window started as main() starts it for a page file named on the
// command line: the last file is not reopened.
MainWindow& startForCommandLine(WindowHarness& h, int closeDelayMs = 30) {
    app::Services services;
    services.prompter = &h.prompter;
    services.lockKeys = &h.locks;
    services.fileDialogs = &h.dialogs;
    services.appDir = h.dir.path();
    services.closeWaitMs = 1;
    services.closeDelayMs = closeDelayMs;
    services.reopenLastFile = false;
    h.window = std::make_unique<MainWindow>(services);
    h.window->show();
    return *h.window;
}

// The window system telling that another application took the keyboard
// focus, or that the editor has it again.
void setApplicationState(Qt::ApplicationState state) {
    emit qApp->applicationStateChanged(state);
}

// The id of a process that has ended.
qint64 endedProcessId() {
    QProcess process;
    process.start(QStringLiteral("true"), {});
    process.waitForStarted();
    const qint64 pid = process.processId();
    process.waitForFinished();
    return pid;
}

void writeText(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { app::loadPrivateFont(); }

    void parse_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CommandLine::Action>("action");
        QTest::addColumn<QString>("pageFile");
        QTest::addColumn<QString>("errorNames");
        using A = CommandLine::Action;
        QTest::newRow("nothing") << QStringList{} << A::Run << ""
                                 << "";
        QTest::newRow("a page file") << QStringList{"a.vpg"} << A::Run << "a.vpg"
                                     << "";
        QTest::newRow("--help") << QStringList{"--help"} << A::Help << ""
                                << "";
        QTest::newRow("-h after a file") << QStringList{"a.vpg", "-h"} << A::Help << "a.vpg"
                                         << "";
        QTest::newRow("--version") << QStringList{"--version"} << A::Version << ""
                                   << "";
        QTest::newRow("Qt's options pass, with their values")
            << QStringList{"-platform", "xcb", "--style=fusion", "-reverse",
                           "-display",  ":1",  "b.vpg"}
            << A::Run << "b.vpg"
            << "";
        QTest::newRow("unknown long option")
            << QStringList{"a.vpg", "--frobnicate"} << A::Error << ""
            << "\"--frobnicate\"";
        QTest::newRow("unknown short option") << QStringList{"-x"} << A::Error << ""
                                              << "\"-x\"";
        QTest::newRow("Qt's option without its value") << QStringList{"-platform"} << A::Error << ""
                                                       << "\"-platform\" precisa de um valor";
        QTest::newRow("after --, a name that starts with a dash")
            << QStringList{"--", "-estranho.vpg"} << A::Run << "-estranho.vpg"
            << "";
        QTest::newRow("two files") << QStringList{"a.vpg", "b.vpg"} << A::Error << ""
                                   << "argumento a mais: \"b.vpg\"";
    }
    void parse() {
        QFETCH(QStringList, arguments);
        QFETCH(CommandLine::Action, action);
        QFETCH(QString, pageFile);
        QFETCH(QString, errorNames);
        std::vector<std::string> argv{"vorelux-editor"};
        for (const QString& argument : arguments) argv.push_back(argument.toStdString());
        const CommandLine line = app::parseCommandLine(argv);
        QCOMPARE(line.action, action);
        QCOMPARE(QString::fromStdString(line.pageFile), pageFile);
        if (action == CommandLine::Action::Error) {
            QVERIFY2(QString::fromStdString(line.error).contains(errorNames), line.error.c_str());
            QVERIFY(QString::fromStdString(line.error).startsWith("vorelux-editor: "));
        }
    }

    void helpNamesTheUsageAndOptions() {
        const QString help = QString::fromStdString(app::commandLineHelp());
        QVERIFY(help.startsWith("Uso: vorelux-editor [ARQUIVO.vpg]\n"));
        for (const char* option : {"--help", "--version", "-platform"})
            QVERIFY2(help.contains(QLatin1String(option)), option);
    }

    // The file named on the command line gets what "Abrir" gives the same
    // file: the same result, messages, current file and pages; the editor
    // starts in every case, and the file becomes the last-file memory.
    void commandLineFileOpensAsAbrir_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // empty: no such file
        QTest::addColumn<bool>("opens");
        WindowHarness saver;
        MainWindow& window = saver.start();
        saver.dialogs.saves = {saver.path("boa.vpg")};
        QVERIFY(window.save());
        const QByteArray good = saver.readFile("boa.vpg");
        QTest::newRow("a page file") << "boa.vpg" << good << true;
        QTest::newRow("another extension") << "boa.txt" << good << true;
        QTest::newRow("not a page file") << "texto.vpg" << QByteArray("bom dia\n") << false;
        QTest::newRow("damaged (cut short)") << "cortado.vpg" << good.left(100) << false;
        QTest::newRow("missing") << "nenhum.vpg" << QByteArray() << false;
    }
    void commandLineFileOpensAsAbrir() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, opens);
        WindowHarness byAbrir, byCommandLine;
        for (WindowHarness* h : {&byAbrir, &byCommandLine}) {
            if (!bytes.isEmpty()) h->writeFile(name, bytes);
            // A last file that is gone: reopening it would add a message.
            writeText(h->path("ult_arq.txt"), h->path("sumiu.vpg").toUtf8() + "\r\n");
        }
        byAbrir.dialogs.opens = {byAbrir.path(name)};
        MainWindow& abrirWindow = byAbrir.start();
        byAbrir.prompter.messages.clear(); // the vanished last file's message
        const bool abrirOpened = abrirWindow.open();

        MainWindow& window = startForCommandLine(byCommandLine);
        QCOMPARE(window.openCommandLineFile(byCommandLine.path(name)), opens);
        QCOMPARE(abrirOpened, opens);
        QCOMPARE(byCommandLine.prompter.messages.empty(), opens);
        QCOMPARE(byCommandLine.prompter.messages.size(), byAbrir.prompter.messages.size());
        for (size_t i = 0; i < byAbrir.prompter.messages.size(); ++i)
            QCOMPARE(QString::fromStdString(byCommandLine.prompter.messages[i])
                         .replace(byCommandLine.dir.path(), "DIR"),
                     QString::fromStdString(byAbrir.prompter.messages[i])
                         .replace(byAbrir.dir.path(), "DIR"));
        QCOMPARE(QFileInfo(window.currentFileName()).fileName(),
                 QFileInfo(abrirWindow.currentFileName()).fileName());
        QCOMPARE(window.store().page(0).lines(), abrirWindow.store().page(0).lines());
        QVERIFY(window.isVisible());

        QSignalSpy finished(&window, &MainWindow::closeFinished);
        window.close();
        QTRY_COMPARE(finished.count(), 1);
        const QByteArray memory = byCommandLine.readFile("ult_arq.txt");
        QCOMPARE(memory, opens ? window.currentFileName().toUtf8() + "\r\n" : QByteArray("\r\n"));
    }

    // Focus in, focus out, focus in again: Caps Lock follows, unless it was
    // already on or the operator pressed it.
    void capsLockFollowsTheFocus_data() {
        QTest::addColumn<bool>("onBefore");
        QTest::addColumn<bool>("operatorPresses");
        QTest::addColumn<bool>("whileAway");
        QTest::addColumn<bool>("whenBack");
        QTest::newRow("off: given back while away") << false << false << false << true;
        QTest::newRow("on: left on") << true << false << true << true;
        QTest::newRow("operator switched it off: theirs") << false << true << false << false;
    }
    void capsLockFollowsTheFocus() {
        QFETCH(bool, onBefore);
        QFETCH(bool, operatorPresses);
        QFETCH(bool, whileAway);
        QFETCH(bool, whenBack);
        WindowHarness h;
        h.locks.caps = onBefore;
        MainWindow& window = h.start();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(h.locks.caps);
        QCOMPARE(window.statusText(StatusField::CapsLock), QStringLiteral("CAPS"));
        if (operatorPresses) {
            h.locks.caps = false; // the key toggles; the editor sees the press
            QTest::keyClick(child<QPlainTextEdit>(window, "editLineText"), Qt::Key_CapsLock);
        }
        setApplicationState(Qt::ApplicationInactive);
        QCOMPARE(h.locks.caps, whileAway);
        QCOMPARE(window.statusText(StatusField::CapsLock),
                 whileAway ? QStringLiteral("CAPS") : QString());
        setApplicationState(Qt::ApplicationActive);
        QCOMPARE(h.locks.caps, whenBack);
        if (onBefore) QCOMPARE(h.locks.capsSets, 0);
    }

    // "Sair": Caps Lock is given back when the window hides, not at the end
    // of the delayed close.
    void quitGivesCapsLockBackAtOnce() {
        WindowHarness h;
        MainWindow& window = h.start(1, 60000);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(h.locks.caps);
        window.close();
        QVERIFY(window.isHidden());
        QVERIFY(!h.locks.caps);
        QCOMPARE(window.capsLock().forced(), false);
        // Still in the delayed close, the application active again (another
        // of its windows): the hidden editor does not force it.
        setApplicationState(Qt::ApplicationActive);
        QVERIFY(!h.locks.caps);
    }

    // While forced, a marker names this process and the state before; it
    // goes when Caps Lock is given back.
    void markerKeptWhileForced() {
        QTemporaryDir dir;
        const QString marker = dir.filePath("trava");
        FakeLockKeys locks;
        QWidget window;
        CapsLockKeeper keeper(locks, window, marker);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        setApplicationState(Qt::ApplicationActive);
        QVERIFY(locks.caps);
        QFile file(marker);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray::number(QCoreApplication::applicationPid()) + " 0\n");
        window.hide();
        QVERIFY(!locks.caps);
        QVERIFY(!QFile::exists(marker));
    }

    // A start after a run that was killed while it forced Caps Lock gives
    // the state back; a running editor's marker and a damaged one are not
    // obeyed.
    void markerOfAnEndedProcess_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("capsAfter");
        QTest::addColumn<bool>("markerKept");
        QTest::newRow("ended process, was off") << QByteArray::number(endedProcessId()) + " 0\n"
                                                << false << false;
        QTest::newRow("a running editor") << QByteArray::number(qint64(getppid())) + " 0\n"
                                          << true << true;
        QTest::newRow("damaged") << QByteArray("x\xff 7") << true << false;
    }
    void markerOfAnEndedProcess() {
        QFETCH(QByteArray, text);
        QFETCH(bool, capsAfter);
        QFETCH(bool, markerKept);
        QTemporaryDir dir;
        const QString marker = dir.filePath("trava");
        writeText(marker, text);
        FakeLockKeys locks;
        locks.caps = true;
        QWidget window; // never shown: only what the start does
        CapsLockKeeper keeper(locks, window, marker);
        QCOMPARE(locks.caps, capsAfter);
        QCOMPARE(QFile::exists(marker), markerKept);
    }
};

QTEST_MAIN(CommandLineTest)
#include "command_line_test.moc"
