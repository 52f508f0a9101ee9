#pragma once
// A scripted message interface for tests: records every box and answers
// questions and input boxes from queues set up by the test.

#include "util/Messages.h"

#include <deque>
#include <string>
#include <vector>

namespace pelmora::test {

struct ShownBox {
    enum Kind { Information, Plain, Question, Input } kind;
    std::string text;
    std::string title;
};

class RecordingMessage : public IMessage {
public:
    RecordingMessage() { setMessages(this); }
    ~RecordingMessage() override { setMessages(nullptr); }

    void information(const std::string& text, const std::string& title) override {
        boxes.push_back({ShownBox::Information, text, title});
    }
    void plain(const std::string& text, const std::string& title) override {
        boxes.push_back({ShownBox::Plain, text, title});
    }
    bool question(const std::string& text, const std::string& title) override {
        boxes.push_back({ShownBox::Question, text, title});
        if (answers.empty()) return false;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    std::string input(const std::string& prompt, const std::string& title,
                      const std::string& defaultValue) override {
        boxes.push_back({ShownBox::Input, prompt, title});
        if (inputs.empty()) return defaultValue;
        std::string a = inputs.front();
        inputs.pop_front();
        return a;
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& b : boxes) t.push_back(b.text);
        return t;
    }

    std::vector<ShownBox> boxes;
    std::deque<bool> answers;       // for question()
    std::deque<std::string> inputs; // for input()
};

} // namespace pelmora::test
