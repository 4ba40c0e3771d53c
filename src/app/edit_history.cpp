#include "app/edit_history.h"

#include <QUndoCommand>

#include <algorithm>
#include <optional>

namespace vorelux::app {

namespace {

// Merge ids of the kinds whose consecutive steps become one.
int mergeId(EditKind kind) {
    switch (kind) {
    case EditKind::Typing:
        return 1;
    case EditKind::DeleteBack:
        return 2;
    case EditKind::DeleteForward:
        return 3;
    case EditKind::Drawing:
        return 4;
    default:
        return -1;
    }
}

// One step of the history: what it changed on each page it touched.
class PageEdit final : public QUndoCommand {
  public:
    PageEdit(EditHistory& history, EditKind kind, bool continuesCycle, int pageBefore,
             int pageAfter, PageChanges changes)
        : QUndoCommand(editKindName(kind)), history_(history), kind_(kind),
          continuesCycle_(continuesCycle), pageBefore_(pageBefore), pageAfter_(pageAfter),
          changes_(std::move(changes)) {}

    int id() const override { return mergeId(kind_); }

    // Only a step that goes on from exactly where this one ended joins it:
    // a cursor moved in between starts a new step, as does a change away
    // from the lines this step changed.
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = dynamic_cast<const PageEdit*>(other);
        if (!next || next->kind_ != kind_) return false;
        if (kind_ == EditKind::Drawing && !next->continuesCycle_) return false;
        if (next->pageBefore_ != pageAfter_ || next->changes_.size() != changes_.size())
            return false;
        std::vector<LineSplice> fused;
        for (size_t i = 0; i < changes_.size(); ++i) {
            const PageChange& later = next->changes_[i];
            if (!later.before.samePlace(changes_[i].after)) return false;
            std::optional<LineSplice> both = fuseSplices(changes_[i].splice, later.splice);
            if (!both) return false;
            fused.push_back(std::move(*both));
        }
        for (size_t i = 0; i < changes_.size(); ++i) {
            changes_[i].splice = std::move(fused[i]);
            changes_[i].after = next->changes_[i].after;
        }
        pageAfter_ = next->pageAfter_;
        return true;
    }

    size_t bytesHeld() const {
        size_t bytes = 0;
        for (const PageChange& change : changes_) bytes += change.splice.byteSize();
        return bytes;
    }

    void undo() override { history_.apply(changes_, false, pageBefore_); }
    void redo() override {
        // The first redo comes from the push, when the change is already done.
        if (fresh_) {
            fresh_ = false;
            return;
        }
        history_.apply(changes_, true, pageAfter_);
    }

  private:
    EditHistory& history_;
    EditKind kind_;
    bool continuesCycle_;
    bool fresh_ = true;
    int pageBefore_;
    int pageAfter_;
    PageChanges changes_;
};

} // namespace

QString editKindName(EditKind kind) {
    switch (kind) {
    case EditKind::Typing:
        return QStringLiteral("digitação");
    case EditKind::DeleteBack:
    case EditKind::DeleteForward:
        return QStringLiteral("exclusão de texto");
    case EditKind::SplitLine:
        return QStringLiteral("quebra de linha");
    case EditKind::NewLine:
        return QStringLiteral("nova linha");
    case EditKind::JoinLines:
        return QStringLiteral("junção de linhas");
    case EditKind::DeleteLine:
        return QStringLiteral("exclusão de linha");
    case EditKind::EntryEffect:
        return QStringLiteral("efeito de entrada");
    case EditKind::ExitEffect:
        return QStringLiteral("efeito de saída");
    case EditKind::Font:
        return QStringLiteral("inserção de fonte");
    case EditKind::Drawing:
        return QStringLiteral("inserção de desenho");
    case EditKind::LiveField:
        return QStringLiteral("inserção de função");
    case EditKind::Paste:
        return QStringLiteral("colagem");
    case EditKind::ClearPage:
        return QStringLiteral("limpeza da página");
    case EditKind::ClearAllPages:
        return QStringLiteral("limpeza de todas as páginas");
    }
    return {};
}

// ---------------------------------------------------------------- cursors

PageCursor PageCursor::of(const PageStore& store, int page) {
    const EditView& source = store.view(page);
    return {page, source.lineIndex, source.cursorByte, source.windowStart};
}

bool PageCursor::samePlace(const PageCursor& other) const {
    return page == other.page && lineIndex == other.lineIndex && cursorByte == other.cursorByte;
}

// ---------------------------------------------------------------- history

EditHistory::EditHistory(PageStore& store, QObject* parent) : QObject(parent), store_(store) {
    // 1,000 steps. A step keeps the lines it changed: a few dozen bytes for a
    // key press, the lines added for a paste. Only clearing keeps whole
    // pages, and lines to clear again are made one operation at a time (an
    // opened file starts a fresh history), so the count bounds the memory.
    stack_.setUndoLimit(StepLimit);
    for (auto signal : {&QUndoStack::canUndoChanged, &QUndoStack::canRedoChanged})
        connect(&stack_, signal, this, &EditHistory::changed);
    for (auto signal : {&QUndoStack::undoTextChanged, &QUndoStack::redoTextChanged})
        connect(&stack_, signal, this, &EditHistory::changed);
    connect(&stack_, &QUndoStack::cleanChanged, this, [this] { followClean(); });
}

EditHistory::~EditHistory() = default;

EditHistory::Step::Step(EditHistory* history, EditKind kind, bool continuesCycle)
    : history_(history), kind_(kind), continuesCycle_(continuesCycle) {
    if (!history_) return;
    history_->recording_ = true;
    const PageStore& store = history_->store_;
    pageBefore_ = store.currentPage();
    auto keep = [&](int page) {
        before_.push_back({PageCursor::of(store, page), LineSnapshot(store.page(page).lines())});
    };
    if (kind == EditKind::ClearAllPages) {
        for (int p = 0; p < PageCount; ++p) keep(p);
    } else {
        keep(pageBefore_);
    }
}

EditHistory::Step::~Step() {
    if (history_) finish();
}

void EditHistory::Step::finish() {
    history_->recording_ = false;
    const PageStore& store = history_->store_;
    PageChanges changes;
    changes.reserve(before_.size());
    bool changed = false;
    for (const PageBefore& before : before_) {
        const int page = before.cursor.page;
        changes.push_back({before.cursor, PageCursor::of(store, page),
                           diffLines(before.lines, store.page(page).lines())});
        changed = changed || !changes.back().splice.changesNothing();
    }
    // An operation that changed nothing (a refused insertion) is no step.
    if (!changed) return;
    history_->stack_.push(new PageEdit(*history_, kind_, continuesCycle_, pageBefore_,
                                       store.currentPage(), std::move(changes)));
    history_->followClean();
}

bool EditHistory::undo() {
    if (recording_ || !stack_.canUndo()) return false;
    stack_.undo();
    followClean();
    return true;
}

bool EditHistory::redo() {
    if (recording_ || !stack_.canRedo()) return false;
    stack_.redo();
    followClean();
    return true;
}

size_t EditHistory::bytesHeld() const {
    size_t bytes = 0;
    for (int i = 0; i < stack_.count(); ++i)
        if (const auto* edit = dynamic_cast<const PageEdit*>(stack_.command(i)))
            bytes += edit->bytesHeld();
    return bytes;
}

void EditHistory::clear() {
    stack_.clear();
    followClean();
}

void EditHistory::markSaved() {
    stack_.setClean();
    followClean();
}

void EditHistory::followClean() {
    store_.setModified(!stack_.isClean());
}

void EditHistory::apply(const PageChanges& changes, bool forward, int current) {
    for (const PageChange& change : changes) {
        const PageCursor& cursor = forward ? change.after : change.before;
        store_.restorePage(cursor.page, change.splice, forward, cursor.lineIndex,
                           cursor.cursorByte);
    }
    store_.setCurrentPage(current);
    EditView& view = store_.view();
    const int32_t cursor = view.cursorByte;
    store_.setEditLine(view.lineIndex);
    view.cursorByte = cursor;
    // The line shows from where it showed; the redraw keeps the cursor in view.
    for (const PageChange& change : changes) {
        const PageCursor& shown = forward ? change.after : change.before;
        if (shown.page == current) view.windowStart = std::clamp(shown.windowStart, 2, cursor);
    }
}

} // namespace vorelux::app
