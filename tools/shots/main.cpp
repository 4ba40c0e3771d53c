// vorelux-shots OUTDIR [FILE.vpg]: saves pictures of the editor's windows
// (the main window with some lines, the send dialog's sheets, the panel
// chooser, the panel-number notice, the "Adicionar porta" dialog, every tab
// of the panel settings, the "Arquivo" menu, the GIF export's progress, the
// "Editar" menu, the key list, the about box and the edit canvas in each LED
// colour) so a person can look at
// them. Runs offscreen unless a platform is chosen.
#include "app/about_box.h"
#include "app/application_setup.h"
#include "app/editor_input.h"
#include "app/export_actions.h"
#include "app/link/add_port_dialog.h"
#include "app/main_window.h"
#include "app/prompter.h"
#include "app/send/chooser.h"
#include "app/send/id_display.h"
#include "app/send/send_dialog.h"
#include "app/send/send_features.h"
#include "app/settings/settings_dialog.h"
#include "app/shortcuts_window.h"
#include "editor/line_editor.h"
#include "editor/line_ops.h"
#include "files/conn_cfg.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QProgressDialog>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <string>

using namespace vorelux;
using namespace vorelux::app;

namespace {

class Shots {
  public:
    explicit Shots(QString folder) : folder_(std::move(folder)) {}
    void save(QWidget& widget, const QString& name) {
        QCoreApplication::processEvents();
        const QString path = QDir(folder_).filePath(name + ".png");
        if (widget.grab().save(path)) {
            std::printf("%s\n", qPrintable(path));
        } else {
            std::fprintf(stderr, "vorelux-shots: cannot write %s\n", qPrintable(path));
            ++failures_;
        }
    }
    int failures() const { return failures_; }

  private:
    QString folder_;
    int failures_ = 0;
};

// The export dialogs answer with a file in a scratch folder.
class ScratchExportDialogs final : public ExportDialogs {
  public:
    explicit ScratchExportDialogs(QString folder) : folder_(std::move(folder)) {}
    std::optional<QString> saveGifFile(QWidget*) override { return folder_ + "/shot.gif"; }
    std::optional<QString> savePngFile(QWidget*) override { return folder_ + "/shot.png"; }

  private:
    QString folder_;
};

// The "Arquivo" menu open, and the progress of a GIF export caught while it runs.
void shootExports(MainWindow& window, Shots& shots) {
    QMenu* menu = window.findChild<QMenu*>(QStringLiteral("fileMenu"));
    menu->popup(window.mapToGlobal(QPoint(0, 20)));
    shots.save(*menu, "file_menu");
    menu->hide();
    QTemporaryDir scratch;
    ScratchExportDialogs dialogs(scratch.path());
    window.exports().setDialogs(&dialogs);
    window.exports().setProgressDelay(0);
    PageStore& store = window.store();
    if (store.page().lineCount() < 2) {
        const std::string text = "EXPORTANDO";
        LineStream line;
        line.reserve(HeaderSize + text.size());
        line.assign({LineStart, effectByte(3), effectByte(22)});
        line.insert(line.end(), text.begin(), text.end());
        store.setPageLines(store.currentPage(), {line});
    }
    QTimer catchProgress;
    QObject::connect(&catchProgress, &QTimer::timeout, [&] {
        auto* progress = window.findChild<QProgressDialog*>(QStringLiteral("gifExportProgress"));
        if (!progress || !progress->isVisible() || progress->value() < 100) return;
        shots.save(*progress, "gif_progress");
        catchProgress.stop();
    });
    catchProgress.start(0);
    window.exports().exportGif();
    window.exports().setDialogs(nullptr);
}

void typeSampleLines(MainWindow& window) {
    PageStore& store = window.store();
    store.resetAllPages();
    store.setEditLine(0);
    const std::u16string lines[] = {u"BOM DIA!", u"PROMOÇÃO DE VERÃO", u"Ofertas até 30%"};
    bool first = true;
    for (const auto& text : lines) {
        if (!first) editor::enterKey(store);
        first = false;
        for (char16_t ch : text)
            if (auto code = editor::typedCharacter(ch, false))
                editor::insertAfterCursor(store, *code);
    }
    store.setEditLine(1);
    window.redrawEditCanvas();
    window.showNeighbourLines(store.view().lineIndex);
}

void shootSendWindows(SendFeatures& features, Shots& shots) {
    SendPagesDialog& send = features.sendDialog();
    send.show();
    shots.save(send, "send_main");
    send.showSheet(SendPagesDialog::Sheet::Progress);
    shots.save(send, "send_progress");
    send.showSheet(SendPagesDialog::Sheet::ErrorCode);
    shots.save(send, "send_code");
    send.showSheet(SendPagesDialog::Sheet::Main);
    send.hide();
    PanelChooserDialog& chooser = features.chooser();
    chooser.prepare(PanelChooserDialog::Mode::SwitchOn);
    chooser.show();
    shots.save(chooser, "chooser");
    chooser.hide();
    features.panelNumberDisplay().show();
    shots.save(features.panelNumberDisplay(), "panel_numbers");
    features.panelNumberDisplay().hide();
    AddPortDialog addPort;
    addPort.show();
    shots.save(addPort, "add_port");
}

// The dialog opens modally: its tabs are taken from inside its own loop.
void shootSettings(PanelSettingsDialog& settings, Shots& shots) {
    settings.revealTemperatures();
    QTimer::singleShot(0, &settings, [&] {
        auto* tabs = settings.findChild<QTabWidget*>(QStringLiteral("tabs"));
        for (int tab = 0; tabs && tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            shots.save(settings, QStringLiteral("settings_tab%1").arg(tab, 2, 10, QChar('0')));
        }
        settings.reject();
    });
    settings.openOnTab(PanelSettingsDialog::SpeedTab);
}

// The "Editar" menu after a change, and the two windows of "Ajuda".
void shootEditAndHelp(MainWindow& window, Shots& shots) {
    window.editorInput().paste(QStringLiteral("!"));
    if (auto* menu = window.findChild<QMenu*>(QStringLiteral("editMenu"))) {
        menu->popup(window.mapToGlobal(QPoint(60, 30)));
        shots.save(*menu, "edit_menu");
        menu->hide();
    }
    window.showShortcuts();
    if (auto* keys = window.findChild<ShortcutsWindow*>()) {
        shots.save(*keys, "shortcuts_top");
        if (auto* list = keys->findChild<QTreeWidget*>())
            list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
        shots.save(*keys, "shortcuts_bottom");
        keys->hide();
    }
    QTimer::singleShot(0, &window, [&] {
        if (auto* about = window.findChild<AboutBox*>()) {
            shots.save(*about, "about");
            about->reject();
        }
    });
    window.showAbout();
}

// The edit canvas in each LED colour ("Exibir" → "Cor dos LEDs"), the
// colour menu open, and the window back in red.
void shootLedColours(MainWindow& window, Shots& shots) {
    for (LedColour colour : AllLedColours) {
        auto* item = window.findChild<QAction*>(QStringLiteral("ledColour_") +
                                                QLatin1String(ledColourWord(colour)));
        if (!item) return;
        item->trigger();
        if (auto* canvas = window.findChild<QWidget*>(QStringLiteral("editCanvasView")))
            shots.save(*canvas, QStringLiteral("canvas_") + QLatin1String(ledColourWord(colour)));
    }
    if (auto* menu = window.findChild<QMenu*>(QStringLiteral("ledColourMenu"))) {
        menu->popup(window.mapToGlobal(QPoint(300, 30)));
        shots.save(*menu, "led_colour_menu");
        menu->hide();
    }
    if (auto* red = window.findChild<QAction*>(QStringLiteral("ledColour_red"))) red->trigger();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.size() > 2 || args[0].startsWith('-')) {
        std::fprintf(stderr, "usage: vorelux-shots OUTDIR [FILE.vpg]\n");
        return 2;
    }
    if (!QDir().mkpath(args[0])) {
        std::fprintf(stderr, "vorelux-shots: cannot create %s\n", qPrintable(args[0]));
        return 1;
    }
    ApplicationSetup setup;
    prepareApplication(setup);
    // Settings of a scratch folder, so that no question about them comes up.
    QTemporaryDir appDir;
    ConnectionSettings cfg;
    cfg.targetPanels = {3, 7};
    std::string error;
    writeConnCfg(QDir(appDir.path()).filePath("conn.cfg").toStdString(), cfg, ConnCfgAllFields,
                 error);
    UnattendedPrompter prompter(
        [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
    Services services;
    services.prompter = &prompter;
    services.appDir = appDir.path();
    int failures = 0;
    {
        MainWindow window(services);
        window.show();
        if (args.size() == 2 && !window.openPageFile(args[1])) return 1;
        if (args.size() == 1) typeSampleLines(window);
        Shots shots(args[0]);
        shots.save(window, "main_window");
        shootLedColours(window, shots);
        if (window.sendFeatures()) shootSendWindows(*window.sendFeatures(), shots);
        if (window.settingsDialog()) shootSettings(*window.settingsDialog(), shots);
        shootExports(window, shots);
        shootEditAndHelp(window, shots);
        failures = shots.failures();
    }
    finishApplication(setup);
    return failures == 0 ? 0 : 1;
}
