// Where the editor keeps "conn.cfg" and "ult_arq.txt" when no test folder is
// given: beside the executable for a portable copy, else in the user's
// configuration folder, the same folder Qt names for the editor, so an
// installed copy in a read-only folder still remembers its settings.
#include "app/application_setup.h"
#include "app_fakes.h"
#include "files/settings_folder.h"

#include <QStandardPaths>
#include <QtTest>

using namespace vorelux;
using namespace vorelux::testing;
using vorelux::app::MainWindow;

namespace {

// The variables the folder depends on, restored after each test.
struct SavedVariable {
    const char* name;
    bool set;
    QByteArray value;
    explicit SavedVariable(const char* variable)
        : name(variable), set(qEnvironmentVariableIsSet(variable)), value(qgetenv(variable)) {}
    void restore() const {
        if (set)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
};

} // namespace

class SettingsPlaceTest : public QObject {
    Q_OBJECT
    app::ApplicationSetup setup_;
    SavedVariable home_{"HOME"}, xdgConfigHome_{"XDG_CONFIG_HOME"};

    // A window as the editor makes it: no settings folder given.
    struct Start {
        RecordingPrompter prompter;
        FakeLockKeys locks;
        ScriptedDialogs dialogs;
        std::unique_ptr<MainWindow> window;
        Start() {
            app::Services services;
            services.prompter = &prompter;
            services.lockKeys = &locks;
            services.fileDialogs = &dialogs;
            services.closeWaitMs = 1;
            services.closeDelayMs = 10;
            window = std::make_unique<MainWindow>(services);
            window->show();
        }
        void close() {
            QSignalSpy finished(window.get(), &MainWindow::closeFinished);
            window->close();
            QTRY_COMPARE(finished.count(), 1);
        }
    };

  private slots:
    void initTestCase() { app::prepareApplication(setup_); }
    void cleanupTestCase() { app::finishApplication(setup_); }
    void cleanup() {
        home_.restore();
        xdgConfigHome_.restore();
    }

    void userFolderIsQtsConfigurationLocation_data() {
        QTest::addColumn<QByteArray>("home");
        QTest::addColumn<QByteArray>("xdgConfigHome");
        QTest::newRow("home") << QByteArray("/home/ana") << QByteArray();
        QTest::newRow("home with a trailing slash") << QByteArray("/home/ana/") << QByteArray();
        QTest::newRow("home to clean") << QByteArray("/home//x/../ana/.") << QByteArray();
        QTest::newRow("no home") << QByteArray() << QByteArray();
        QTest::newRow("XDG_CONFIG_HOME") << QByteArray("/home/ana") << QByteArray("/srv/cfg");
        QTest::newRow("XDG_CONFIG_HOME with a slash")
            << QByteArray("/home/ana") << QByteArray("/srv/cfg/");
        QTest::newRow("home with a space") << QByteArray("/home/ana maria") << QByteArray();
    }
    void userFolderIsQtsConfigurationLocation() {
        QFETCH(QByteArray, home);
        QFETCH(QByteArray, xdgConfigHome);
        qputenv("HOME", home);
        qputenv("XDG_CONFIG_HOME", xdgConfigHome);
        QCOMPARE(QString::fromStdString(userSettingsFolder(processSettingsEnvironment())),
                 QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    }

    void installedEditorKeepsItsSettingsInTheUsersFolder() {
        if (QFile::exists(QCoreApplication::applicationDirPath() + "/conn.cfg"))
            QSKIP("a conn.cfg beside the test makes it a portable copy");
        QTemporaryDir home;
        qputenv("HOME", home.path().toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QVERIFY(folder.startsWith(home.path()));

        {
            // First start: the folder is made and "conn.cfg" written in it,
            // without a question.
            Start first;
            QVERIFY(first.prompter.prompts.empty());
            QCOMPARE(first.window->connectionSettingsPath(), folder + "/conn.cfg");
            QVERIFY(QFile::exists(folder + "/conn.cfg"));
            QVERIFY(first.prompter.messages.empty());
            first.close();
            QVERIFY(QFile::exists(folder + "/ult_arq.txt"));
        }
        {
            Start second;
            QVERIFY(second.prompter.prompts.empty());
            QVERIFY(second.prompter.messages.empty());
        }
    }

    void aUserFolderThatCannotBeMadeIsReported() {
        QTemporaryDir home;
        QFile blocker(home.filePath("config"));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should go
        blocker.close();
        qputenv("XDG_CONFIG_HOME", blocker.fileName().toLocal8Bit());
        if (QFile::exists(QCoreApplication::applicationDirPath() + "/conn.cfg"))
            QSKIP("a conn.cfg beside the test makes it a portable copy");

        Start start;
        // The folder's reason first, then each failed write of "conn.cfg" (the
        // settings dialog reads it again at start-up).
        QVERIFY(start.prompter.prompts.empty()); // no file was there to be damaged
        QVERIFY(start.prompter.messages.size() >= 2);
        QVERIFY(QString::fromStdString(start.prompter.messages[0])
                    .startsWith("Não foi possível criar a pasta das configurações \"" +
                                blocker.fileName() + "/Vorelux/Vorelux Editor\""));
        for (size_t i = 1; i < start.prompter.messages.size(); ++i)
            QVERIFY(QString::fromStdString(start.prompter.messages[i])
                        .startsWith("Não foi possível gravar as configurações de conexão"));
        start.close(); // the editor goes on and closes as usual
    }
};

QTEST_MAIN(SettingsPlaceTest)
#include "settings_place_test.moc"
