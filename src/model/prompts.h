#pragma once
// The numbered prompts the editor puts to the operator: their table and
// texts. Only the front end shows them; the core names them in its results.
#include <optional>
#include <string>

namespace vorelux {

// Buttons, as the prompts return them.
enum PromptButton : int {
    ButtonNone = 0,
    ButtonOk = 1,
    ButtonCancel = 2,
    ButtonYes = 6,
    ButtonNo = 7
};

// Box styles: buttons and icon.
enum PromptStyle : int {
    StyleOkError = 16,
    StyleYesNoError = 20,
    StyleOkQuestion = 32,
    StyleYesNoCancelQuestion = 35,
    StyleYesNoQuestion = 36,
    StyleOkInformation = 64,
};

struct PromptEntry {
    int number;
    bool captionIsSuffix; // true: the main window's caption followed by `caption`
    const char* caption;
    int style;
    const char* text; // UTF-8; "\r\n" line breaks; "%n" stands for the page number
};

// The entry for prompt `number`, or nothing for numbers without one (0, 8, 24..).
std::optional<PromptEntry> promptEntry(unsigned number);

// The caption and text a prompt shows, with the page number filled in.
struct PromptContent {
    std::string caption;
    std::string text;
    int style = 0;
};
std::optional<PromptContent> promptContent(unsigned number, const std::string& windowCaption,
                                           int pageNumber);

// The questions and notices the editor puts to the operator, by their
// number in the prompt table.
enum class Prompt : unsigned {
    DeleteLine = 1,             // "Excluir linha"
    ClearPage = 2,              // "Limpar página"
    PageFull = 3,               // "Excesso de caracteres"
    DeleteLineWithCaption = 4,  // the window's caption + " - Excluir linha"
    ClearAllPages = 5,          // "Limpar páginas"
    DaylightSavingStarted = 6,  // "BEM VINDO AO HORÁRIO DE VERÃO!"
    DaylightSavingEnded = 7,    // "TERMINOU O HORÁRIO DE VERÃO!"
    NothingToPreview = 9,       // an empty page cannot be previewed
    SettingsUnreadable = 10,    // "conn.cfg" missing or damaged
    SettingsNotSaved = 11,      // "conn.cfg" could not be written
    PortNotFound = 12,          // the chosen port is not on this computer
    InvalidPanelId = 13,        // an ID outside 1..255
    ConfirmPanelIdChange = 14,  // the panel will answer to its new ID
    NoPageSelected = 15,        // "Exibir" without a page
    InvalidErrorCode = 16,      // the panel's error code is not valid
    PortBusy = 17,              // "Porta COM ocupada."
    PortNotSelected = 18,       // "Porta COM não selecionada."
    SaveChanges = 19,           // unsaved pages: save them?
    ConfigureTransmitter = 20,  // the transmitter is not configured yet
    PageByHourExcludesDay = 21, // turning on page by hour turns off page by weekday
    PageByDayExcludesHour = 22, // and the other way round
    NothingToReset = 23,        // factory reset without a choice
};

} // namespace vorelux
