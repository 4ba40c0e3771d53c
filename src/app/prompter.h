#pragma once
// The seam through which the front end asks the operator: the message boxes
// of the editor, a recording stand-in in tests. The core never holds one; it
// returns what it needs decided and the front end asks here.
#include "model/prompts.h"

#include <functional>
#include <string>
#include <utility>

namespace vorelux {

// Shows prompts and plain messages. The window implements it with message
// boxes; tests record the calls and answer from a script.
class Prompter {
  public:
    virtual ~Prompter() = default;
    // Shows `prompt` and returns the button pressed.
    int ask(Prompt prompt) { return showPrompt(unsigned(prompt)); }
    // Shows the prompt numbered `number` and returns the button pressed; 0
    // for a number without an entry (nothing is shown then).
    virtual int showPrompt(unsigned number) = 0;
    // A plain message with an OK button: an error of a file or a device.
    virtual void message(const std::string& text) = 0;
    // A plain message telling that something went well ("GIF gravado em ...").
    virtual void inform(const std::string& text) { message(text); }
    // A Yes/No question outside the prompt table; ButtonYes or ButtonNo. A
    // prompter that cannot ask answers No, so nothing is done that the
    // operator did not agree to.
    virtual int question(const std::string& /*text*/) { return ButtonNo; }
};

// The prompter of a run with nobody at the screen (the screenshot tool):
// every prompt gets No, so nothing is done that nobody agreed to, and
// messages go to `log`.
class UnattendedPrompter final : public Prompter {
  public:
    explicit UnattendedPrompter(std::function<void(const std::string&)> log = {})
        : log_(std::move(log)) {}
    int showPrompt(unsigned number) override { return promptEntry(number) ? ButtonNo : 0; }
    void message(const std::string& text) override {
        if (log_) log_(text);
    }

  private:
    std::function<void(const std::string&)> log_;
};

} // namespace vorelux
