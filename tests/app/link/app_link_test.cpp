// The link's widgets on the real Qt widgets: the progress window and its
// cancel button in a per-panel loop run by a transfer runner, and the " Enviar como: " group with
// the port selector and its added ports.
#include "app/link/add_port_dialog.h"
#include "app/link/progress_window.h"
#include "app/link/transfer_runner.h"
#include "app/link/transport_group.h"
#include "link/port_directory.h"
#include "link/simulated.h"
#include "support/operator_fakes.h"
#include "support/recording_prompter.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace vorelux {
namespace {

using testing::CountingConfigurator;
using testing::RecordingPrompter;
using testing::ReportingTransmitter;

struct LinkWidgets : ::testing::Test {
    ConnectionSettingsStore connection;
    const ConnectionSettings& cfg = connection.get();
    WireLog wire;
    StaticPortCatalog catalog;
    FakeSerialPort port{wire};
    RecordingSleeper sleeper{&wire};
    RecordingPrompter prompter;
    SimulatedHidBus bus;
    ReportingTransmitter transmitter{bus, connection, prompter};
    OperatorLink link{connection, catalog, port, transmitter, sleeper, prompter};
    QTemporaryDir dir;
    std::string cfgPath = (dir.path() + "/conn.cfg").toStdString();

    std::vector<uint8_t> savedCfg() {
        std::ifstream in(cfgPath, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

// The loop runs on a transfer runner's worker, as in the windows; the
// window's thread stays free, so a click on "Cancelar" is seen at the next
// panel without anything processing events by hand.
TEST_F(LinkWidgets, CancelButtonStopsTheLoopBeforeTheNextPanel) {
    ProgressWindowDialog progress("Vorelux Editor");
    EXPECT_EQ(progress.windowTitle(), "Vorelux Editor - Aguarde");
    EXPECT_EQ(
        progress.label()->text(),
        QString::fromUtf8("Por favor aguarde o envio das informações para o(s) painel(éis);"));

    app::TransferRunner runner;
    app::WorkerProgress onWorker(&progress, runner);
    auto runLoop = [&](const std::function<uint8_t()>& loop) {
        uint8_t result = 255;
        QSignalSpy finished(&runner, &app::TransferRunner::finished);
        EXPECT_TRUE(runner.start([&] { result = loop(); }));
        EXPECT_TRUE(finished.wait(10000));
        return result;
    };

    TargetChecks checks{};
    checks[2] = checks[5] = checks[9] = true;
    std::vector<int> sentTo;
    int barWhenSending = -1;
    bool visibleWhenSending = false;
    auto command = [&](PanelId panel) -> uint8_t {
        sentTo.push_back(panel);
        runner.call([&] {
            barWhenSending = progress.bar()->value();
            visibleWhenSending = progress.isVisible();
            // The operator clicks "Cancelar" while panel 2 is being served.
            if (panel == 2) QTest::mouseClick(progress.cancelButton(), Qt::LeftButton);
        });
        return SendOk;
    };
    EXPECT_EQ(runLoop([&] { return link.sendToCheckedPanels(checks, command, &onWorker); }),
              SendOk);
    EXPECT_EQ(sentTo, std::vector<int>{2});
    EXPECT_EQ(barWhenSending, 2);
    EXPECT_TRUE(visibleWhenSending);
    EXPECT_FALSE(progress.isVisible());
    EXPECT_EQ(sleeper.pauses, std::vector<int>{20});

    // A new loop starts uncancelled; Esc cancels as the button does.
    sentTo.clear();
    auto escape = [&](PanelId panel) -> uint8_t {
        sentTo.push_back(panel);
        runner.call([&] { QTest::keyClick(&progress, Qt::Key_Escape); });
        return SendOk;
    };
    runLoop([&] { return link.sendToPanelList({4, 6, 8}, escape, &onWorker); });
    EXPECT_EQ(sentTo, std::vector<int>{4});

    // Cancelling the runner stops the loop too.
    sentTo.clear();
    auto cancelRun = [&](PanelId panel) -> uint8_t {
        sentTo.push_back(panel);
        runner.cancel();
        return SendOk;
    };
    runLoop([&] { return link.sendToPanelList({4, 6, 8}, cancelRun, &onWorker); });
    EXPECT_EQ(sentTo, std::vector<int>{4});
}

TEST_F(LinkWidgets, RefreshListsPortsWithTheirDevicesAndTheChoiceIsSaved) {
    catalog.add(12, "/dev/ttyS11");
    catalog.add(33, "/dev/ttyUSB0");
    TransportGroup group(link, cfgPath);
    QTest::mouseClick(group.refreshButton(), Qt::LeftButton);
    QComboBox* combo = group.portSelector();
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "COM12  (/dev/ttyS11)");
    EXPECT_EQ(combo->itemText(1), "COM33  (/dev/ttyUSB0)");
    EXPECT_FALSE(group.showsTransmitter());

    connection.setTargetPanels({0, 3});
    emit combo->activated(0); // the operator picks COM12
    EXPECT_EQ(cfg.portNumber, 12);
    auto saved = savedCfg();
    ASSERT_EQ(saved.size(), 17u); // "every panel" is stored alone
    EXPECT_EQ(saved[16], 0);
    EXPECT_EQ(saved[1], 12);

    // A listing failure offers COM1..COM10.
    catalog.fails = true;
    group.refreshPorts();
    ASSERT_EQ(combo->count(), 10);
    EXPECT_TRUE(combo->itemText(9).startsWith("COM10"));
}

// "Adicionar porta..." in its dialog: a wrong address is told and the dialog
// comes back with it; a good one is kept in "portas.txt", listed and made the
// port; "Remover porta" takes it off again.
TEST_F(LinkWidgets, AddedPortsComeAndGoThroughTheirButtons) {
    catalog.add(1, "/dev/ttyS0");
    PortDirectory directory(catalog, {}, addedPortsPathBeside(cfgPath));
    OperatorLink withAdded{connection, directory, port, transmitter, sleeper, prompter};
    TransportGroup group(withAdded, cfgPath);
    group.refreshPorts();
    EXPECT_FALSE(group.removePortButton()->isEnabled()); // COM1 is the system's

    std::vector<QString> typed{"socket://loja", "  socket://127.0.0.1:4001 "};
    std::function<void()> answer = [&] {
        auto* dialog = qobject_cast<AddPortDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;                        // closed for good
        if (typed.empty()) return dialog->reject(); // came back once too often
        auto* confirm = dialog->findChild<QPushButton*>("addPortConfirmButton");
        auto* edit = dialog->findChild<QLineEdit*>("portAddressEdit");
        // The first time empty; after a refusal, with the address to correct.
        EXPECT_EQ(confirm->isEnabled(), !edit->text().isEmpty());
        edit->clear();
        QTest::keyClicks(edit, typed.front());
        typed.erase(typed.begin());
        QTimer::singleShot(0, answer); // in case the dialog comes back
        QTest::mouseClick(confirm, Qt::LeftButton);
    };
    QTimer::singleShot(0, answer);
    QTest::mouseClick(group.addPortButton(), Qt::LeftButton);
    EXPECT_TRUE(typed.empty());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages[0].find("HOST:PORTA"), std::string::npos) << prompter.messages[0];

    QComboBox* combo = group.portSelector();
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentText(), "COM255  (socket://127.0.0.1:4001)");
    EXPECT_EQ(cfg.portNumber, 255);
    EXPECT_EQ(savedCfg().at(1), 255);
    std::ifstream added(addedPortsPathBeside(cfgPath));
    std::string text{std::istreambuf_iterator<char>(added), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("\nCOM255 socket://127.0.0.1:4001\n"), std::string::npos) << text;
    EXPECT_TRUE(group.removePortButton()->isEnabled());

    QTest::mouseClick(group.removePortButton(), Qt::LeftButton);
    ASSERT_EQ(combo->count(), 1);
    EXPECT_EQ(combo->itemText(0), "COM1  (/dev/ttyS0)");
    EXPECT_FALSE(group.removePortButton()->isEnabled());
    AddedPortsFile left;
    std::string error;
    ASSERT_TRUE(readAddedPorts(addedPortsPathBeside(cfgPath), left, error));
    EXPECT_TRUE(left.ports().empty());
}

TEST_F(LinkWidgets, OpeningSelectsTheConfiguredPortOrShowsPortNotFound) {
    catalog.add(10, "/dev/ttyS9");
    TransportGroup group(link, cfgPath);
    connection.setPortNumber(10);
    group.prepareOnOpen();
    EXPECT_EQ(group.portSelector()->currentIndex(), 0);
    EXPECT_TRUE(prompter.prompts.empty());
    EXPECT_TRUE(savedCfg().empty()); // selecting on opening saves nothing

    connection.setPortNumber(4);
    group.prepareOnOpen();
    EXPECT_EQ(group.portSelector()->currentIndex(), -1);
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::PortNotFound});
}

TEST_F(LinkWidgets, TransmitterBoxCoversThePortSelectorWhileAttached) {
    TransportGroup group(link, cfgPath);
    bus.plug("/dev/hidraw0", KqProductString);
    transmitter.scanDevices();
    EXPECT_TRUE(group.showsTransmitter());
    EXPECT_EQ(group.transmitterBox()->title(), " Enviar como: ");
    connection.setTransport(Transport::Serial);
    group.refreshPorts(); // a refresh with the transmitter attached
    EXPECT_EQ(cfg.transport, Transport::Transmitter);
    EXPECT_TRUE(group.showsTransmitter());

    // A dialog created while the transmitter is attached shows its box at once.
    TransportGroup later(link, cfgPath);
    EXPECT_TRUE(later.showsTransmitter());

    bus.unplug("/dev/hidraw0");
    transmitter.scanDevices();
    EXPECT_FALSE(group.showsTransmitter());
    EXPECT_FALSE(later.showsTransmitter());
    group.refreshPorts();
    EXPECT_EQ(cfg.transport, Transport::Serial);
}

// The port list tells the operator what it left out and why, next to the
// selector: here a line that would have taken the system's COM1.
TEST_F(LinkWidgets, PortListShowsWhatItLeftOut) {
    catalog.add(1, "/dev/ttyS0");
    const std::string added = addedPortsPathBeside(cfgPath);
    const std::string text = "COM1 socket://127.0.0.1:4001\n";
    {
        std::ofstream out(added, std::ios::binary);
        out << text;
    }
    PortDirectory directory(catalog, {}, added);
    OperatorLink withAdded{connection, directory, port, transmitter, sleeper, prompter};
    TransportGroup group(withAdded, cfgPath);
    group.refreshPorts();
    ASSERT_EQ(group.portSelector()->count(), 1);
    EXPECT_EQ(group.portSelector()->itemText(0), "COM1  (/dev/ttyS0)");
    EXPECT_FALSE(group.portNotes()->isHidden());
    EXPECT_TRUE(group.portNotes()->text().contains(QString::fromStdString(added) +
                                                   ", linha 1: COM1 já é o número"))
        << group.portNotes()->text().toStdString();
    std::remove(added.c_str());
    group.refreshPorts();
    EXPECT_TRUE(group.portNotes()->isHidden());
}

} // namespace
} // namespace vorelux
