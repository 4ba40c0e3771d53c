#pragma once
// Test doubles for the main window's outside world, and a fixture that makes
// a real main window in a folder of its own.
#include "app/file_dialogs.h"
#include "app/led_font.h"
#include "app/lock_keys.h"
#include "app/main_window.h"
#include "support/recording_prompter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>
#include <memory>
#include <optional>

namespace vorelux::testing {

class FakeLockKeys final : public app::LockKeys {
  public:
    bool num = false, caps = false, scroll = false;
    int capsSets = 0;
    bool numLock() override { return num; }
    bool capsLock() override { return caps; }
    bool scrollLock() override { return scroll; }
    void setCapsLock(bool on) override {
        ++capsSets;
        caps = on;
    }
};

// Answers the file dialogs from a script; an empty script cancels.
class ScriptedDialogs final : public app::FileDialogs {
  public:
    std::deque<std::optional<QString>> opens, saves;
    int openCalls = 0, saveCalls = 0;
    std::optional<QString> openPageFile(QWidget*) override { return next(opens, openCalls); }
    std::optional<QString> savePageFile(QWidget*) override { return next(saves, saveCalls); }

  private:
// GCC 12 at -O2 reports a moved std::optional<QString> as maybe unset.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
    static std::optional<QString> next(std::deque<std::optional<QString>>& script, int& calls) {
        ++calls;
        if (script.empty()) return std::nullopt;
        std::optional<QString> answer = std::move(script.front());
        script.pop_front();
        return answer;
    }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
};

// A main window with recorded prompts, fake lock keys and scripted dialogs,
// keeping "conn.cfg" and "ult_arq.txt" in a temporary folder.
struct WindowHarness {
    QTemporaryDir dir;
    RecordingPrompter prompter;
    FakeLockKeys locks;
    ScriptedDialogs dialogs;
    std::unique_ptr<app::MainWindow> window;

    WindowHarness() {
        prompter.defaultAnswer = ButtonNo;
        // A connection settings file, so start-up asks nothing.
        writeFile("conn.cfg", QByteArray(16, '\0'));
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
    QByteArray readFile(const QString& name) const {
        QFile file(path(name));
        if (!file.open(QIODevice::ReadOnly)) return {};
        return file.readAll();
    }
    app::MainWindow& start(int closeWaitMs = 1, int closeDelayMs = 30) {
        app::Services services;
        services.prompter = &prompter;
        services.lockKeys = &locks;
        services.fileDialogs = &dialogs;
        services.appDir = dir.path();
        services.closeWaitMs = closeWaitMs;
        services.closeDelayMs = closeDelayMs;
        window = std::make_unique<app::MainWindow>(services);
        window->show();
        return *window;
    }
};

inline LineStream lineOf(const std::string& text, uint8_t in = 192, uint8_t out = 192) {
    LineStream line{0xFF, in, out};
    for (char c : text) line.push_back(uint8_t(c));
    return line;
}

// A control of the main window (or of any widget) by its object name; the
// test stops with the name when there is none.
template <class T> T* child(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control named \"%s\"", name);
    return found;
}

} // namespace vorelux::testing
