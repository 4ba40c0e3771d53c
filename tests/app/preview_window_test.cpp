// The preview in the main window: starting and stopping by every trigger,
// the controls it locks, line skips, no frame after a stop, the blink kept
// off the canvas, edits reaching the play. Time is moved by hand through the
// host's pacing clock, so nothing here depends on the machine's speed.
#include "app/app_fakes.h"
#include "app/preview_host.h"
#include "app/preview_pacer.h"
#include "preview/recording_sink.h"
#include "support/page_edits.h"

#include <QAction>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

#include <chrono>
#include <functional>
#include <thread>

using namespace vorelux;
using namespace vorelux::testing;
using vorelux::app::MainWindow;
using vorelux::app::ManualPacingClock;
using vorelux::app::StatusField;

namespace {

// Effect bytes: 194 "Abre cortina" both ways.
constexpr uint8_t Curtain = 194;

// The frames the engine shows for `lines` in one round (reference traces).
std::vector<preview::Frame> trace(const std::vector<LineStream>& lines, const Clock& clock) {
    preview::VectorLineSource source(lines);
    GlyphRenderer glyphs;
    preview::RecordingSink sink;
    preview::runPage(source, glyphs, clock, sink, {.rounds = 1});
    return sink.frames;
}

// A window whose preview is paced by a clock moved by hand, with every
// frame painted recorded.
struct Preview {
    ManualPacingClock clock; // outlives the window's worker
    FixedClock liveClock;
    WindowHarness h;
    MainWindow* window = nullptr;
    std::vector<preview::Frame> painted;
    uint64_t sleepsSeen = 0;

    Preview() {
        makeLocalDateTime(2026, 3, 14, 9, 26, 53, at);
        liveClock.set(at);
        window = &h.start();
        app::PreviewHost& host = window->previewHost();
        host.setPacingClock(&clock);
        host.setClock(&liveClock);
        auto paint = host.onFrame;
        host.onFrame = [this, paint](const PanelImage& screen, uint8_t cycles) {
            painted.push_back({cycles, screen});
            paint(screen, cycles);
        };
    }
    ~Preview() { window->stopPreview(); }

    void setPage(std::vector<LineStream> lines) {
        PageStore& store = window->store();
        store.setPageLines(store.currentPage(), std::move(lines));
        store.view().lineIndex = 0;
        window->store().setEditLine(0);
        window->redrawEditCanvas();
    }

    // Waits, without running window events, until the worker sleeps on its
    // next frame; the wait is bounded only to fail instead of hanging.
    bool nextSleep() {
        ++sleepsSeen;
        for (int i = 0; i < 10000; ++i) {
            if (clock.sleeps() >= sleepsSeen && clock.sleeping()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
    void deliver() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    // The frame on show has had its time.
    void release() {
        if (auto deadline = clock.sleeping()) clock.advanceTo(*deadline);
    }
    // Plays on until a frame of `cycles` is on show and paints it.
    bool playUntilFrameOf(uint8_t cycles) {
        for (int guard = 0; guard < 2000; ++guard) {
            if (!nextSleep()) return false;
            deliver();
            if (!painted.empty() && painted.back().cycles == cycles) return true;
            release();
        }
        return false;
    }

    LocalDateTime at;
};

// A line's text as its box shows it, in the LED font's code points.
QString ledText(const char* text) {
    QString shown;
    for (const char* c = text; *c; ++c) shown += QChar(0x200 + uint8_t(*c));
    return shown;
}

bool sameScreen(const PanelImage& a, const PanelImage& b) {
    return std::equal(a.begin(), a.begin() + 64, b.begin());
}

// The controls the preview locks, and how the window shows each state.
void checkEditing(MainWindow& window) {
    QVERIFY(!window.previewRunning());
    for (QWidget* w : {static_cast<QWidget*>(child<QFrame>(window, "linesFrame")),
                       static_cast<QWidget*>(child<QListWidget>(window, "drawingList")),
                       static_cast<QWidget*>(child<QListWidget>(window, "functionList")),
                       static_cast<QWidget*>(child<QTabBar>(window, "pageTabs")),
                       static_cast<QWidget*>(child<QPushButton>(window, "clearPageButton")),
                       static_cast<QWidget*>(child<QPushButton>(window, "clearAllButton"))})
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    QVERIFY(!child<QPushButton>(window, "previewButton")->isHidden());
    QVERIFY(child<QPushButton>(window, "stopButton")->isHidden());
    QCOMPARE(child<QAction>(window, "previewAction")->text(), QStringLiteral("Visualiza&r"));
    QCOMPARE(window.statusText(StatusField::Mode), QStringLiteral("Editando"));
}

void checkPreviewing(MainWindow& window) {
    QVERIFY(window.previewRunning());
    for (QWidget* w : {static_cast<QWidget*>(child<QFrame>(window, "linesFrame")),
                       static_cast<QWidget*>(child<QListWidget>(window, "drawingList")),
                       static_cast<QWidget*>(child<QListWidget>(window, "functionList")),
                       static_cast<QWidget*>(child<QTabBar>(window, "pageTabs")),
                       static_cast<QWidget*>(child<QPushButton>(window, "clearPageButton")),
                       static_cast<QWidget*>(child<QPushButton>(window, "clearAllButton"))})
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    QVERIFY(child<QPushButton>(window, "previewButton")->isHidden());
    QVERIFY(!child<QPushButton>(window, "stopButton")->isHidden());
    QCOMPARE(child<QAction>(window, "previewAction")->text(), QStringLiteral("Para&r"));
    QCOMPARE(window.statusText(StatusField::Mode), QStringLiteral("Visualizando"));
}

} // namespace

class PreviewWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { app::loadPrivateFont(); }

    void pacingKeepsAbsoluteDeadlines() {
        // Each wait ends at start + all cycles so far x 8/700 s, however late
        // the sleeper was woken for the one before: no drift.
        ManualPacingClock clock;
        clock.advance(std::chrono::seconds(5));
        app::Pacer pacer(clock);
        pacer.begin();
        std::vector<bool> results;
        std::thread worker([&] {
            for (uint8_t cycles : {uint8_t(70), uint8_t(2), uint8_t(0), uint8_t(2)})
                results.push_back(pacer.wait(cycles));
        });
        const auto start = std::chrono::seconds(5);
        auto sleepNumber = [&](uint64_t n) {
            for (int i = 0; i < 10000; ++i) {
                if (clock.sleeps() >= n && clock.sleeping()) return *clock.sleeping();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            return app::PacingClock::Duration(-1);
        };
        QCOMPARE(sleepNumber(1), start + app::cyclesDuration(70));
        QCOMPARE(app::cyclesDuration(70).count(), int64_t(800'000'000));        // 70 x 8/700 s
        clock.advance(app::cyclesDuration(70) + std::chrono::milliseconds(15)); // woken late
        QCOMPARE(sleepNumber(2), start + app::cyclesDuration(72));
        clock.advanceTo(start + app::cyclesDuration(72));
        // The frame of 0 cycles does not wait; the next one counts on.
        QCOMPARE(sleepNumber(3), start + app::cyclesDuration(74));
        pacer.stop(); // wakes the sleeper at once, with the time standing still
        worker.join();
        QCOMPARE(results, (std::vector<bool>{true, true, true, false}));
        QVERIFY(!pacer.wait(2));

        // After a stall of more than a second (a suspended machine) the play
        // goes on from now instead of racing through the lost frames.
        pacer.begin();
        const auto resumed = clock.now() + std::chrono::seconds(10);
        clock.advanceTo(resumed);
        std::thread late([&] { pacer.wait(2); });
        QCOMPARE(sleepNumber(4), resumed + app::cyclesDuration(2));
        pacer.stop();
        late.join();
    }

    void emptyPageGetsNothingToPreview() {
        Preview p;
        p.setPage({newLine(), newLine(), newLine()});
        QTest::mouseClick(child<QPushButton>(*p.window, "previewButton"), Qt::LeftButton);
        QCOMPARE(p.h.prompter.prompts, std::vector<Prompt>{Prompt::NothingToPreview});
        checkEditing(*p.window);
        QCOMPARE(p.clock.sleeps(), uint64_t(0));
    }

    void everyTriggerStartsAndStops() {
        struct Trigger {
            const char* name;
            std::function<void(MainWindow&)> act;
            bool startsToo;
        };
        const std::vector<Trigger> triggers = {
            {.name = "Visualizar / Parar buttons",
             .act =
                 [](MainWindow& f) {
                     QTest::mouseClick(f.previewRunning() ? child<QPushButton>(f, "stopButton")
                                                          : child<QPushButton>(f, "previewButton"),
                                       Qt::LeftButton);
                 },
             .startsToo = true},
            {.name = "menu item",
             .act = [](MainWindow& f) { child<QAction>(f, "previewAction")->trigger(); },
             .startsToo = true},
            {.name = "Esc",
             .act =
                 [](MainWindow& f) {
                     QTest::keyClick(child<QPlainTextEdit>(f, "editLineText"), Qt::Key_Escape);
                 },
             .startsToo = true},
            {.name = "click in the edit box",
             .act =
                 [](MainWindow& f) {
                     QTest::mouseClick(child<QPlainTextEdit>(f, "editLineText")->viewport(),
                                       Qt::LeftButton);
                 },
             .startsToo = false},
            {.name = "stop request",
             .act = [](MainWindow& f) { f.stopPreview(); },
             .startsToo = false},
            {.name = "closing the window",
             .act = [](MainWindow& f) { f.close(); },
             .startsToo = false},
        };
        for (const Trigger& trigger : triggers) {
            Preview p;
            p.setPage({lineOf("ABC", Curtain, Curtain)});
            const QImage editPicture =
                child<app::CanvasWidget>(*p.window, "editCanvasView")->picture();
            if (trigger.startsToo)
                trigger.act(*p.window);
            else
                p.window->togglePreview();
            checkPreviewing(*p.window);
            QVERIFY(p.nextSleep());
            p.deliver();
            QCOMPARE(p.painted.size(), size_t(1));
            QVERIFY2(child<app::CanvasWidget>(*p.window, "editCanvasView")->picture() !=
                         editPicture,
                     trigger.name);

            trigger.act(*p.window);
            checkEditing(*p.window);
            // The blink comes back after a stop, except when the close stopped it.
            QCOMPARE(child<QTimer>(*p.window, "cursorBlinkTimer")->isActive(),
                     !p.window->isClosing());
            QVERIFY2(child<app::CanvasWidget>(*p.window, "editCanvasView")->picture() ==
                         editPicture,
                     trigger.name);
            QVERIFY(!p.clock.sleeping());
        }
    }

    void stopDuringAnEffectShowsNoFrameAfterIt() {
        Preview p;
        p.setPage({lineOf("ABC", Curtain, Curtain)});
        const QImage editPicture = child<app::CanvasWidget>(*p.window, "editCanvasView")->picture();
        p.window->togglePreview();
        // Two frames into the entry effect, with a third handed over but not
        // yet painted when "Parar" comes.
        for (int i = 0; i < 2; ++i) {
            QVERIFY(p.nextSleep());
            p.deliver();
            p.release();
        }
        QVERIFY(p.nextSleep());
        const size_t paintedAtStop = p.painted.size();
        QCOMPARE(paintedAtStop, size_t(2));
        QVERIFY(p.painted.back().cycles != 70);
        const uint64_t sleepsAtStop = p.clock.sleeps();

        QTest::mouseClick(child<QPushButton>(*p.window, "stopButton"), Qt::LeftButton);
        checkEditing(*p.window);
        p.clock.advance(std::chrono::seconds(60));
        p.deliver();
        QTest::qWait(20);
        p.deliver();
        QCOMPARE(p.painted.size(), paintedAtStop);
        QCOMPARE(p.clock.sleeps(), sleepsAtStop);
        QVERIFY(child<app::CanvasWidget>(*p.window, "editCanvasView")->picture() == editPicture);
    }

    void avancarDuringAHoldSkipsTheExitEffect() {
        Preview p;
        const LineStream a = lineOf("AB", Curtain, Curtain), b = lineOf("CD", Curtain, Curtain),
                         c = lineOf("EF", Curtain, Curtain);
        const auto whole = trace({a, b, c}, p.liveClock);
        const auto fromB = trace({b, c, a}, p.liveClock);
        size_t hold = 0;
        while (whole[hold].cycles != 70) ++hold;
        // Without the skip the exit effect would follow the hold.
        QVERIFY(!sameScreen(whole[hold + 1].screen, fromB[0].screen));

        p.setPage({a, b, c});
        p.window->togglePreview();
        QVERIFY(p.playUntilFrameOf(70));
        QCOMPARE(p.painted.size(), hold + 1);
        QTest::mouseClick(child<QPushButton>(*p.window, "nextLineButton"),
                          Qt::LeftButton); // "Avançar"
        // The hold is not cut short: the worker sleeps on until its deadline.
        QVERIFY(p.clock.sleeping());
        p.release();
        QVERIFY(p.nextSleep());
        p.deliver();
        QCOMPARE(p.painted.size(), hold + 2);
        QVERIFY(sameScreen(p.painted.back().screen, fromB[0].screen));
        QTRY_COMPARE(child<QPlainTextEdit>(*p.window, "editLineText")->toPlainText(),
                     ledText("CD"));
        checkPreviewing(*p.window);
    }

    void recuarOnTheFirstLineGoesToTheLast() {
        Preview p;
        const LineStream a = lineOf("AB", Curtain, Curtain), b = lineOf("CD", Curtain, Curtain),
                         c = lineOf("EF", Curtain, Curtain);
        const auto fromC = trace({c, a, b}, p.liveClock);
        p.setPage({a, b, c});
        p.window->togglePreview();
        QVERIFY(p.nextSleep()); // during the entry effect this time
        QTest::mouseClick(child<QPushButton>(*p.window, "previousLineButton"),
                          Qt::LeftButton); // "Recuar"
        p.release();
        QVERIFY(p.nextSleep());
        p.deliver();
        QCOMPARE(p.painted.size(), size_t(2));
        QVERIFY(sameScreen(p.painted.back().screen, fromC[0].screen));
        QTRY_COMPARE(child<QPlainTextEdit>(*p.window, "editLineText")->toPlainText(),
                     ledText("EF"));
        // The edited line is still the first one when the preview stops.
        p.window->stopPreview();
        QCOMPARE(p.window->store().editLineIndex(), 0);
        QCOMPARE(child<QPlainTextEdit>(*p.window, "editLineText")->toPlainText(), ledText("AB"));
    }

    void anEditDuringThePreviewReachesTheNextLine() {
        Preview p;
        const LineStream a = lineOf("AB", Curtain, Curtain), b = lineOf("CD", Curtain, Curtain);
        p.setPage({a, b});
        p.window->togglePreview();
        QVERIFY(p.nextSleep());
        // An effect number typed for line 2 while line 1 plays (the window
        // changes its own store; the engine reads snapshots).
        LineStream changed = b;
        changed[1] = 197; // "Aparece"
        p.window->store().replaceLine(p.window->store().currentPage(), 1, changed);
        p.window->redrawEditCanvas();
        const auto fromChanged = trace({changed, a}, p.liveClock);
        p.window->previewSkip(+1);
        p.release();
        QVERIFY(p.nextSleep());
        p.deliver();
        QVERIFY(sameScreen(p.painted.back().screen, fromChanged[0].screen));
    }

    void pageChangeRestartsOnTheNewPage() {
        Preview p;
        p.setPage({lineOf("AB", Curtain, Curtain)});
        const LineStream second = lineOf("XYZ", 197, 197);
        p.window->store().setPageLines(1, {second});
        p.window->togglePreview();
        QVERIFY(p.nextSleep());
        // F2: page 2, where the preview starts again.
        QTest::keyClick(child<QPlainTextEdit>(*p.window, "editLineText"), Qt::Key_F2);
        QCOMPARE(int(p.window->store().currentPage()), 1);
        checkPreviewing(*p.window);
        QVERIFY(p.nextSleep());
        p.deliver();
        const auto expected = trace({second}, p.liveClock);
        QVERIFY(sameScreen(p.painted.back().screen, expected[0].screen));
    }

    void replacingAllPagesEndsThePreview() {
        // "Abrir" and "Novo" stay usable while a page plays; the pages they
        // replace are no longer played.
        for (bool open : {true, false}) {
            Preview p;
            p.setPage({lineOf("ABC", Curtain, Curtain)});
            p.h.dialogs.saves = {p.h.path("paginas.vpg")};
            QVERIFY(p.window->saveAs());
            p.window->togglePreview();
            QVERIFY(p.nextSleep());
            p.deliver();
            if (open) {
                p.h.dialogs.opens = {p.h.path("paginas.vpg")};
                QVERIFY(p.window->open());
            } else {
                p.h.prompter.answers = {ButtonYes};
                QVERIFY(p.window->newDocument());
            }
            checkEditing(*p.window);
            const size_t painted = p.painted.size();
            p.clock.advance(std::chrono::seconds(60));
            p.deliver();
            QCOMPARE(p.painted.size(), painted);
        }
    }

    void liveFieldsShowTheClock() {
        Preview p;
        // Code 8: the time of day, redrawn while it shows.
        LineStream line{0xFF, 192 + 5, 192 + 5, 'A', ' ', 8};
        p.setPage({line});
        const auto expected = trace({line}, p.liveClock);
        size_t first = 0;
        while (first < expected.size() && expected[first].cycles != 5) ++first;
        QVERIFY(first < expected.size());
        p.window->togglePreview();
        QVERIFY(p.playUntilFrameOf(5));
        QCOMPARE(p.painted.size(), first + 1);
        QVERIFY(sameScreen(p.painted.back().screen, expected[first].screen));
    }

    void theBlinkDrawsNothingDuringThePreview() {
        Preview p;
        p.setPage({lineOf("ABC", Curtain, Curtain)});
        p.window->togglePreview();
        QVERIFY(p.playUntilFrameOf(70));
        const QImage frame = child<app::CanvasWidget>(*p.window, "editCanvasView")->picture();
        for (int i = 0; i < 2; ++i) {
            QTest::qWait(320); // the blink's own 300 ms guard
            p.window->blinkCursor();
            QVERIFY(child<app::CanvasWidget>(*p.window, "editCanvasView")->picture() == frame);
        }
        // Back to editing, the blink draws again.
        p.window->stopPreview();
        const QImage edit = child<app::CanvasWidget>(*p.window, "editCanvasView")->picture();
        QTest::qWait(320);
        p.window->blinkCursor();
        QVERIFY(child<app::CanvasWidget>(*p.window, "editCanvasView")->picture() != edit);
    }

    void screenshot() {
        // Set VORELUX_SCREENSHOT_DIR to look at the window during a preview.
        const QString dir = qEnvironmentVariable("VORELUX_SCREENSHOT_DIR");
        if (dir.isEmpty()) QSKIP("VORELUX_SCREENSHOT_DIR not set");
        Preview p;
        p.setPage({lineOf("BOM DIA", Curtain, Curtain), lineOf("VORELUX", 197, 197)});
        p.window->togglePreview();
        QVERIFY(p.playUntilFrameOf(70));
        p.window->grab().save(dir + "/preview_window.png");
        // Halfway through a sprite effect (effect 32, "Come-come").
        p.window->stopPreview();
        p.setPage({lineOf("BOM DIA", 223, 223)});
        p.window->togglePreview();
        for (int i = 0; i < 30; ++i) {
            QVERIFY(p.nextSleep());
            p.release();
        }
        QVERIFY(p.nextSleep());
        p.deliver();
        p.window->grab().save(dir + "/preview_window_effect.png");
    }
};

QTEST_MAIN(PreviewWindowTest)
#include "preview_window_test.moc"
