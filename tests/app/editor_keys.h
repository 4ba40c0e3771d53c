#pragma once
// Real key events for the main window's line editor, and helpers that set
// up and read back the current page.
#include "app_fakes.h"

#include "model/line.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include <vector>

namespace vorelux::testing {

// Sends real key events to the focused line box, as the keyboard would:
// each event passes the window's key preview first.
struct Keys {
    app::MainWindow& window;

    void send(QEvent::Type type, int key, Qt::KeyboardModifiers mods = {}, const QString& text = {},
              bool autoRepeat = false, quint64 timestamp = 0) {
        QKeyEvent event(type, key, mods, text, autoRepeat);
        event.setTimestamp(timestamp);
        QApplication::sendEvent(child<QPlainTextEdit>(window, "editLineText"), &event);
    }
    void press(int key, Qt::KeyboardModifiers mods = {}, const QString& text = {}) {
        send(QEvent::KeyPress, key, mods, text);
    }
    void release(int key, Qt::KeyboardModifiers mods = {}, const QString& text = {}) {
        send(QEvent::KeyRelease, key, mods, text);
    }
    void tap(int key, Qt::KeyboardModifiers mods = {}, const QString& text = {}) {
        press(key, mods, text);
        release(key, mods, text);
    }
    // A key held down: the platform's repeats come as release/press pairs
    // flagged as repeats, then the real release.
    void hold(int key, int repeats, const QString& text = {}) {
        press(key, {}, text);
        for (int i = 0; i < repeats; ++i) {
            send(QEvent::KeyRelease, key, {}, text, true);
            send(QEvent::KeyPress, key, {}, text, true);
        }
        release(key, {}, text);
    }
    void type(const QString& text) {
        for (QChar ch : text) {
            const bool upper = ch.isUpper();
            int key = ch.toUpper().unicode();
            if (ch == u' ') key = Qt::Key_Space;
            tap(key, upper ? Qt::ShiftModifier : Qt::NoModifier, QString(ch));
        }
    }
    void ctrl(int key) {
        press(Qt::Key_Control, Qt::ControlModifier);
        tap(key, Qt::ControlModifier);
        release(Qt::Key_Control);
    }
    // Alt held while the digits are typed; `withCtrl` holds Ctrl for them too.
    void altDigits(const QString& digits, bool withCtrl = false) {
        press(Qt::Key_Alt, Qt::AltModifier);
        for (QChar d : digits) {
            const Qt::KeyboardModifiers mods =
                Qt::AltModifier | (withCtrl ? Qt::ControlModifier : Qt::NoModifier);
            tap(Qt::Key_0 + (d.unicode() - u'0'), mods, QString(d));
        }
        release(Qt::Key_Alt);
    }
};

// One line per string; each string is line content bytes after the header.
inline std::vector<uint8_t> content(const LineStream& line) {
    return {line.begin() + HeaderSize, line.end()};
}

inline LineStream lineBytes(std::vector<uint8_t> bytes) {
    LineStream line = newLine();
    line.insert(line.end(), bytes.begin(), bytes.end());
    return line;
}

inline std::vector<uint8_t> text(const char* s) {
    std::vector<uint8_t> out;
    for (; *s; ++s) out.push_back(uint8_t(*s));
    return out;
}

// Puts these lines on the current page, line `edit` current with the cursor
// at byte index `cursor`, and redraws.
inline void setPage(app::MainWindow& window, std::vector<std::vector<uint8_t>> lines, int edit,
                    int cursor) {
    PageStore& store = window.store();
    std::vector<LineStream> bytes;
    for (auto& line : lines) bytes.push_back(lineBytes(line));
    store.setPageLines(store.currentPage(), std::move(bytes));
    store.setEditLine(edit);
    store.view().cursorByte = cursor;
    window.redrawEditCanvas();
}

inline std::vector<std::vector<uint8_t>> pageContent(app::MainWindow& window) {
    std::vector<std::vector<uint8_t>> out;
    for (const LineStream& line : window.store().page().lines()) out.push_back(content(line));
    return out;
}

} // namespace vorelux::testing
