#include "app/edit_history.h"

#include <QUndoCommand>

#include <algorithm>

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

bool sameBytes(const PageShots& a, const PageShots& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].page != b[i].page || a[i].packed != b[i].packed) return false;
    return true;
}

// One step of the history: the affected pages before and after.
class PageEdit final : public QUndoCommand {
  public:
    PageEdit(EditHistory& history, EditKind kind, bool continuesCycle, int pageBefore,
             PageShots before, int pageAfter, PageShots after)
        : QUndoCommand(editKindName(kind)), history_(history), kind_(kind),
          continuesCycle_(continuesCycle), pageBefore_(pageBefore), pageAfter_(pageAfter),
          before_(std::move(before)), after_(std::move(after)) {}

    int id() const override { return mergeId(kind_); }

    // Only a step that goes on from exactly where this one ended joins it:
    // a cursor moved in between starts a new step.
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = dynamic_cast<const PageEdit*>(other);
        if (!next || next->kind_ != kind_) return false;
        if (kind_ == EditKind::Drawing && !next->continuesCycle_) return false;
        if (next->pageBefore_ != pageAfter_ || next->before_.size() != after_.size()) return false;
        for (size_t i = 0; i < after_.size(); ++i)
            if (!next->before_[i].sameState(after_[i])) return false;
        after_ = next->after_;
        pageAfter_ = next->pageAfter_;
        return true;
    }

    size_t bytesHeld() const {
        size_t bytes = 0;
        for (const PageShots* shots : {&before_, &after_})
            for (const PageShot& shot : *shots) bytes += shot.packed.size();
        return bytes;
    }

    void undo() override { history_.apply(before_, pageBefore_); }
    void redo() override {
        // The first redo comes from the push, when the change is already done.
        if (fresh_) {
            fresh_ = false;
            return;
        }
        history_.apply(after_, pageAfter_);
    }

  private:
    EditHistory& history_;
    EditKind kind_;
    bool continuesCycle_;
    bool fresh_ = true;
    int pageBefore_;
    int pageAfter_;
    PageShots before_;
    PageShots after_;
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

// ---------------------------------------------------------------- page shots

PageShot PageShot::take(const PageStore& store, int page) {
    const Page& source = store.pages()[size_t(page)];
    PageShot shot;
    shot.page = page;
    shot.lineIndex = source.lineIndex;
    shot.cursorByte = source.cursorByte;
    shot.windowStart = source.windowStart;
    size_t total = 0;
    for (const LineStream& line : source.lines) total += 4 + line.size();
    shot.packed.reserve(total);
    for (const LineStream& line : source.lines) {
        const auto size = uint32_t(line.size());
        for (int shift = 0; shift < 32; shift += 8) shot.packed.push_back(uint8_t(size >> shift));
        shot.packed.insert(shot.packed.end(), line.begin(), line.end());
    }
    return shot;
}

std::vector<LineStream> PageShot::lines() const {
    std::vector<LineStream> out;
    size_t at = 0;
    while (at + 4 <= packed.size()) {
        uint32_t size = 0;
        for (int i = 0; i < 4; ++i) size |= uint32_t(packed[at + size_t(i)]) << (8 * i);
        at += 4;
        const size_t end = std::min(packed.size(), at + size);
        out.emplace_back(packed.begin() + std::ptrdiff_t(at), packed.begin() + std::ptrdiff_t(end));
        at = end;
    }
    return out;
}

bool PageShot::sameState(const PageShot& other) const {
    return page == other.page && lineIndex == other.lineIndex && cursorByte == other.cursorByte &&
           packed == other.packed;
}

// ---------------------------------------------------------------- history

EditHistory::EditHistory(PageStore& store, QObject* parent) : QObject(parent), store_(store) {
    // About 1,000 steps of at most a few kilobytes each.
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
    pageBefore_ = history_->store_.currentPage();
    before_ = history_->take(kind);
}

EditHistory::Step::~Step() {
    if (history_) history_->finish(*this);
}

PageShots EditHistory::take(EditKind kind) const {
    PageShots shots;
    if (kind == EditKind::ClearAllPages) {
        for (int p = 0; p < PageCount; ++p) shots.push_back(PageShot::take(store_, p));
    } else {
        shots.push_back(PageShot::take(store_, store_.currentPage()));
    }
    return shots;
}

void EditHistory::finish(Step& step) {
    recording_ = false;
    PageShots after;
    after.reserve(step.before_.size());
    for (const PageShot& shot : step.before_) after.push_back(PageShot::take(store_, shot.page));
    // An operation that changed nothing (a refused insertion) is no step.
    if (sameBytes(step.before_, after)) return;
    stack_.push(new PageEdit(*this, step.kind_, step.continuesCycle_, step.pageBefore_,
                             std::move(step.before_), store_.currentPage(), std::move(after)));
    followClean();
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

void EditHistory::apply(const PageShots& shots, int current) {
    for (const PageShot& shot : shots)
        store_.restorePage(shot.page, shot.lines(), shot.lineIndex, shot.cursorByte);
    store_.setCurrentPage(current);
    Page& page = store_.page();
    const int32_t cursor = page.cursorByte;
    store_.setEditLine(page.lineIndex);
    page.cursorByte = cursor;
    // The line shows from where it showed; the redraw keeps the cursor in view.
    for (const PageShot& shot : shots)
        if (shot.page == current) page.windowStart = std::clamp(shot.windowStart, 2, cursor);
}

} // namespace vorelux::app
