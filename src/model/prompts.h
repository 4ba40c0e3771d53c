#pragma once
// The numbered prompts through which every part of the editor talks to the
// operator, and the seam that shows them.
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

// Shows prompts and plain messages. The window implements it with message
// boxes; tests record the calls and answer from a script.
class Prompter {
  public:
    virtual ~Prompter() = default;
    // Shows numbered prompt `msg` and returns the button pressed; 0 for a
    // number without an entry (nothing is shown then).
    virtual int Mensagem(unsigned msg, int num_exibicoes = -1) = 0;
    // A plain message with an OK button (errors of files and devices).
    virtual void message(const std::string& text) = 0;
};

} // namespace vorelux
