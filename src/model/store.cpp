#include "model/store.h"

#include <algorithm>

namespace vorelux {

int pageByteTotal(const CFG& page) {
    int total = 0;
    for (const auto& line : page.Memory) total += int(line.size());
    return total;
}

PageStore::PageStore(Prompter& prompter) : prompter_(prompter) {
    // Every page always holds at least one line.
    resetAllPages();
    SetMemoryEdit(0);
}

LineStream& PageStore::EditLine() {
    return page().Memory.at(size_t(editLineIndex_));
}
const LineStream& PageStore::EditLine() const {
    return page().Memory.at(size_t(editLineIndex_));
}

uint8_t PageStore::readByte(int32_t Pos, const LineStream& Memory) {
    if (Memory.empty()) return 0;
    if (Pos < 0) Pos = 0;
    if (size_t(Pos) >= Memory.size()) return Memory.back();
    return Memory[size_t(Pos)];
}

int32_t PageStore::contaCaracter() const {
    const CFG& cfg = page();
    int32_t total = 0;
    for (int i = 0; i < int(cfg.Memory.size()); ++i)
        if (i != cfg.index_linha) total += int32_t(cfg.Memory[size_t(i)].size());
    return total;
}

bool PageStore::inserirByte(uint8_t c, int32_t position) {
    if (pumpMessages) pumpMessages();
    LineStream& line = EditLine();
    if (int32_t(line.size()) + contaCaracter() + 1 >= PageByteLimit) {
        prompter_.Mensagem(3, -1);
        return false;
    }
    if (position < 0) position = 0;
    if (size_t(position) < line.size()) {
        line.insert(line.begin() + position, c);
        page().length = int32_t(line.size());
    } else {
        line.push_back(c);
    }
    Modified = true;
    return true;
}

void PageStore::removerByte(int32_t position) {
    LineStream& line = EditLine();
    if (line.empty()) return;
    if (position < 0) return;
    if (size_t(position) >= line.size() - 1) {
        line.pop_back();
        return;
    }
    line.erase(line.begin() + position);
    page().length = int32_t(line.size());
}

bool PageStore::inserirDesenhos(int32_t position, int desenho, bool criar) {
    if (int32_t(EditLine().size()) + contaCaracter() + 2 >= PageByteLimit) {
        prompter_.Mensagem(3, -1);
        return false;
    }
    const uint8_t code = InsertCodeTable.at(size_t(desenho));
    bool result;
    if (criar) {
        result = inserirByte(DrawingEscape, position + 1);
        result = result && inserirByte(code, position + 2);
    } else {
        removerByte(position);
        result = inserirByte(code, position);
    }
    Modified = true;
    return result;
}

void PageStore::SetMemoryEdit(int32_t linha_index) {
    CFG& cfg = page();
    linha_index = std::clamp<int32_t>(linha_index, 0, int32_t(cfg.Memory.size()) - 1);
    cfg.index_linha = linha_index;
    editLineIndex_ = linha_index;
    if (pageTotalChanged) pageTotalChanged();
    int32_t last = int32_t(EditLine().size()) - 1;
    if (cfg.index_caracter > last) cfg.index_caracter = last;
    cfg.pos_ini = 2;
}

void PageStore::nova_linha(int pag, int32_t index) {
    CFG& cfg = control.at(size_t(pag));
    index = std::clamp<int32_t>(index, 0, int32_t(cfg.Memory.size()));
    cfg.Memory.insert(cfg.Memory.begin() + index, newLine());
    cfg.num_linhas = int32_t(cfg.Memory.size());
    // The edit line stays the same line object when a line goes in above it.
    if (pag == CurrentPage && index <= editLineIndex_ && cfg.Memory.size() > 1) ++editLineIndex_;
    cfg.length = 1;
    cfg.pos_cursor = 0;
    cfg.index_caracter = 2;
    cfg.pos_ini = 2;
}

void PageStore::excluir_linha(int32_t index_linha) {
    CFG& cfg = page();
    if (cfg.num_linhas < 2) {
        if (prompter_.Mensagem(2, -1) == ButtonYes) ClearPage();
        return;
    }
    if (index_linha < 0 || index_linha >= cfg.num_linhas) return;
    cfg.Memory.erase(cfg.Memory.begin() + index_linha);
    cfg.num_linhas = int32_t(cfg.Memory.size());
    if (cfg.index_linha >= cfg.num_linhas - 1) cfg.index_linha = cfg.num_linhas - 1;
    SetMemoryEdit(cfg.index_linha);
    notifyRedraw();
}

void PageStore::ClearPage() {
    CFG& cfg = page();
    cfg.Memory.clear();
    cfg.num_linhas = 0;
    editLineIndex_ = 0;
    nova_linha(CurrentPage, 0);
    SetMemoryEdit(0);
    notifyRedraw();
}

void PageStore::resetAllPages() {
    for (int p = 0; p < PageCount; ++p) {
        control[size_t(p)].Memory.clear();
        control[size_t(p)].num_linhas = 0;
    }
    editLineIndex_ = 0;
    for (int p = 0; p < PageCount; ++p) nova_linha(p, 0);
}

void PageStore::replaceAllPages(std::array<std::vector<LineStream>, PageCount> pages) {
    for (int p = 0; p < PageCount; ++p) {
        CFG& cfg = control[size_t(p)];
        cfg.Memory = std::move(pages[size_t(p)]);
        if (cfg.Memory.empty()) cfg.Memory.push_back(newLine());
        cfg.num_linhas = int32_t(cfg.Memory.size());
        cfg.index_linha = std::min(cfg.index_linha, cfg.num_linhas - 1);
        cfg.index_caracter = 2;
        cfg.pos_ini = 2;
        cfg.pos_cursor = 0;
    }
    Modified = false;
    CurrentPage = 0;
    editLineIndex_ = 0;
    SetMemoryEdit(0);
    control[0].index_caracter = 2;
    control[0].pos_ini = 2;
    notifyRedraw();
}

void PageStore::notifyRedraw() {
    if (redraw) redraw();
}

} // namespace vorelux
