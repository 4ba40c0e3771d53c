#pragma once
// The page store: eight pages of lines, the editing state, and the byte
// operations that keep every page under its byte budget.
#include "model/line.h"
#include "model/prompts.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace vorelux {

// The editing record of one page.
struct CFG {
    std::vector<int32_t> array_pos_cursor; // column map, rebuilt by every canvas redraw
    int32_t pos_cursor = 0;                // LED column of the cursor
    int32_t index_caracter = 2;            // last byte before the cursor; 2 = content start
    int32_t index_linha = 0;               // edited line
    int32_t pos_ini = 2;                   // first byte of the visible window
    int32_t pos_fim = 0;                   // end of the visible window (informational)
    int32_t length = 1;                    // edit line size after the last mid-line edit
    std::vector<LineStream> Memory;        // the lines, in display order
    int32_t num_linhas = 0;                // number of lines, at least 1 once created
};

// Byte total of one page, headers included.
int pageByteTotal(const CFG& page);

class PageStore {
  public:
    explicit PageStore(Prompter& prompter);

    std::array<CFG, PageCount> control;
    uint8_t CurrentPage = 0;
    bool Modified = false;

    // Hooks the window fills in. pumpMessages lets pending window events run
    // (a long paste keeps the window alive); redraw asks for the edit canvas
    // (geraTela); pageTotalChanged refreshes the page total in the status bar.
    std::function<void()> pumpMessages;
    std::function<void()> redraw;
    std::function<void()> pageTotalChanged;

    CFG& page() { return control[CurrentPage]; }
    const CFG& page() const { return control[CurrentPage]; }
    // The line being edited: the line at EditLineIndex of the current page.
    LineStream& EditLine();
    const LineStream& EditLine() const;
    int EditLineIndex() const { return editLineIndex_; }

    // Byte at Pos of Memory, or its last byte when Pos is past the end.
    static uint8_t readByte(int32_t Pos, const LineStream& Memory);
    // Inserts c so that it becomes byte `position` of the edit line. Refused
    // (prompt 3, false) when the page would reach the byte limit.
    bool inserirByte(uint8_t c, int32_t position);
    // Removes byte `position` of the edit line (the last byte when past the end).
    void removerByte(int32_t position);
    // Inserts (criar) or replaces the drawing pair whose code byte is at position.
    bool inserirDesenhos(int32_t position, int desenho, bool criar);
    // Size of all lines of the current page except line index_linha.
    int32_t contaCaracter() const;
    void SetMemoryEdit(int32_t linha_index);
    void nova_linha(int pag, int32_t index);
    void excluir_linha(int32_t index_linha);
    void ClearPage();

    // Puts every page back to one new line (start-up and "clear all").
    void resetAllPages();
    // Replaces all eight pages (a page file was read); page 0 becomes current.
    void replaceAllPages(std::array<std::vector<LineStream>, PageCount> pages);

    Prompter& prompter() { return prompter_; }

  private:
    void notifyRedraw();
    Prompter& prompter_;
    int editLineIndex_ = 0;
};

} // namespace vorelux
