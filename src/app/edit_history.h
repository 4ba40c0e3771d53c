#pragma once
// EditHistory: undo and redo of every change to the pages, on Qt's undo
// stack. The window records each operation that may change the pages
// (record() around it); a step keeps, of each page it changed, only the lines
// that differ before and after (the page is compared with a copy taken when
// the operation began), with the edited line and the cursor, so a step costs
// about its edit, undo puts back exactly the bytes and the view moves to where
// the change was.
#include "model/line_splice.h"
#include "model/store.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <cstdint>
#include <vector>

namespace vorelux::app {

// What an operation does, for the "Desfazer ..." / "Refazer ..." texts and
// for merging: consecutive typing is one step, as are consecutive deletions
// with one key and the drawings of one Ctrl+Up/Down cycle.
enum class EditKind {
    Typing,
    DeleteBack,    // Backspace over characters
    DeleteForward, // Delete over characters
    SplitLine,
    NewLine,
    JoinLines,
    DeleteLine,
    EntryEffect,
    ExitEffect,
    Font,
    Drawing,
    LiveField,
    Paste,
    ClearPage,
    ClearAllPages,
};

// The operator's name of an operation ("digitação", "colagem", ...).
QString editKindName(EditKind kind);

// Where the operator stood on one page: the edited line and the cursor.
struct PageCursor {
    int page = 0;
    int32_t lineIndex = 0;
    int32_t cursorByte = 2;
    int32_t windowStart = 2;

    static PageCursor of(const PageStore& store, int page);
    // Same page, same edited line, same cursor (the visible window aside,
    // which every redraw may move).
    bool samePlace(const PageCursor& other) const;
};

// What one step did to one page: the lines that changed, old and new, and
// where the operator stood before and after.
struct PageChange {
    PageCursor before;
    PageCursor after;
    LineSplice splice;
};
using PageChanges = std::vector<PageChange>;

class EditHistory final : public QObject {
    Q_OBJECT
  public:
    static constexpr int StepLimit = 1000;

    explicit EditHistory(PageStore& store, QObject* parent = nullptr);
    ~EditHistory() override;

    // Records one operation: the page(s) it may change are copied now and
    // compared when the Step goes; a change becomes one step of the history.
    // A Step opened while another is open records nothing (the outer one
    // holds the whole operation).
    class Step {
      public:
        // Made by record(); a null history records nothing.
        Step(EditHistory* history, EditKind kind, bool continuesCycle);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

      private:
        // Compares the pages with their copies and pushes the change, if any.
        void finish();
        EditHistory* history_ = nullptr; // null when another step records
        EditKind kind_;
        bool continuesCycle_;
        struct PageBefore {
            PageCursor cursor;
            LineSnapshot lines;
        };
        int pageBefore_ = 0;
        std::vector<PageBefore> before_;
    };
    // `continuesCycle`: a Ctrl+Up/Down step after the first of a cycle (it
    // joins the drawing step before it).
    [[nodiscard]] Step record(EditKind kind, bool continuesCycle = false) {
        return Step(recording_ ? nullptr : this, kind, continuesCycle);
    }

    bool canUndo() const { return stack_.canUndo(); }
    bool canRedo() const { return stack_.canRedo(); }
    QString undoText() const { return stack_.undoText(); }
    QString redoText() const { return stack_.redoText(); }
    // Puts the pages back one step; the page and line of the change become
    // current with the cursor where it stood. False when there is no step
    // (or an operation is being recorded).
    bool undo();
    bool redo();
    // A page file was opened, or "Novo": a fresh history.
    void clear();
    // The pages are now what the file holds (saved): undoing back to here
    // clears "Modified", leaving here sets it.
    void markSaved();
    bool isClean() const { return stack_.isClean(); }
    int stepCount() const { return stack_.count(); }
    int stepIndex() const { return stack_.index(); }
    // The bytes the steps keep of the pages (what the history costs).
    size_t bytesHeld() const;

    // Takes these changes back (undo) or does them again (redo) and makes
    // `current` the current page.
    void apply(const PageChanges& changes, bool forward, int current);

  signals:
    // What "Desfazer"/"Refazer" can do, or their texts, may have changed.
    void changed();

  private:
    void followClean();

    PageStore& store_;
    QUndoStack stack_;
    bool recording_ = false;
};

} // namespace vorelux::app
