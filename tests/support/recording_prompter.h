#pragma once
// A Prompter for tests: records every prompt and message and answers from a
// script (the default answer when the script runs out).
#include "model/prompts.h"

#include <deque>
#include <string>
#include <vector>

namespace vorelux::testing {

class RecordingPrompter : public Prompter {
  public:
    std::vector<unsigned> prompts;
    std::vector<std::string> messages;
    std::deque<int> answers;
    int defaultAnswer = ButtonOk;

    int showPrompt(unsigned msg) override {
        if (!promptEntry(msg)) return 0;
        prompts.push_back(msg);
        if (answers.empty()) return defaultAnswer;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void message(const std::string& text) override { messages.push_back(text); }
};

} // namespace vorelux::testing
