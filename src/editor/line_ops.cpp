#include "editor/line_ops.h"

namespace vorelux::editor {

void enterKey(PageStore& store) {
    CFG& cfg = store.page();
    const int32_t last = int32_t(store.EditLine().size()) - 1;
    if (cfg.index_caracter < last)
        divide_linhas(store, cfg.index_caracter + 1);
    else
        store.nova_linha(store.CurrentPage, cfg.index_linha + 1);
    // nova_linha has put the cursor at the start of the new line.
    cfg.index_linha += 1;
    store.SetMemoryEdit(cfg.index_linha);
}

void divide_linhas(PageStore& store, int32_t index_caracter) {
    CFG& cfg = store.page();
    const int32_t upper = cfg.index_linha;
    store.nova_linha(store.CurrentPage, upper + 1);
    LineStream& source = cfg.Memory.at(size_t(upper));
    LineStream& target = cfg.Memory.at(size_t(upper + 1));
    if (index_caracter < HeaderSize) index_caracter = HeaderSize;
    if (size_t(index_caracter) < source.size()) {
        target.insert(target.end(), source.begin() + index_caracter, source.end());
        source.resize(size_t(index_caracter));
    }
}

bool junta_linhas(PageStore& store, int32_t index_linha) {
    CFG& cfg = store.page();
    if (index_linha < 0 || index_linha + 1 >= cfg.num_linhas) return false;
    const LineStream& lower = cfg.Memory[size_t(index_linha + 1)];
    LineStream& upper = cfg.Memory[size_t(index_linha)];
    if (lower.size() > size_t(HeaderSize))
        upper.insert(upper.end(), lower.begin() + HeaderSize, lower.end());
    // excluir_linha keeps the edit line's number, so the upper line stays current.
    store.excluir_linha(index_linha + 1);
    if (store.redraw) store.redraw();
    return true;
}

} // namespace vorelux::editor
