#pragma once
// A Prompter for tests: records every prompt and message and answers from a
// script (the default answer when the script runs out).
#include "app/prompter.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace vorelux::testing {

class RecordingPrompter : public Prompter {
  public:
    std::vector<Prompt> prompts;           // in the order they were shown
    std::vector<std::string> messages;     // errors
    std::vector<std::string> informations; // what went well
    std::vector<std::string> questions;
    std::deque<int> answers;
    int defaultAnswer = ButtonOk;
    // Runs while a prompt or message is on show (as a window's events would).
    std::function<void()> whileShown;

    int showPrompt(unsigned msg) override {
        if (!promptEntry(msg)) return 0;
        prompts.push_back(Prompt(msg));
        if (whileShown) whileShown();
        if (answers.empty()) return defaultAnswer;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void message(const std::string& text) override {
        messages.push_back(text);
        if (whileShown) whileShown();
    }
    void inform(const std::string& text) override {
        informations.push_back(text);
        if (whileShown) whileShown();
    }
    // Answered from the same script as the prompts.
    int question(const std::string& text) override {
        questions.push_back(text);
        if (whileShown) whileShown();
        if (answers.empty()) return defaultAnswer;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace vorelux::testing
