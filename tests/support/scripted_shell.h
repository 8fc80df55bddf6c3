// The shell for tests: message boxes are recorded and answered from a script, and ending the
// process throws ProcessEnded with the exit code, for the test to catch.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ui/shell.h"

namespace testing_support {

struct ProcessEnded {
    int code;
};

struct RecordedMessage {
    std::string text;
    std::string caption;
    ui::Buttons buttons;
};

class ScriptedShell : public ui::Shell {
  public:
    ScriptedShell();
    ~ScriptedShell() override;
    ScriptedShell(const ScriptedShell&) = delete;
    ScriptedShell& operator=(const ScriptedShell&) = delete;

    // The answers the next message boxes get, in order; without one, the first button.
    void Answer(ui::Answer answer) { answers_.push_back(answer); }

    ui::Answer MessageBox(const std::string& text, const std::string& caption,
                          ui::Buttons buttons) override;
    [[noreturn]] void EndProcess(int code) override;

    const std::vector<RecordedMessage>& messages() const { return messages_; }
    // The texts of the message boxes shown so far.
    std::vector<std::string> texts() const;
    void ClearMessages() { messages_.clear(); }

  private:
    std::deque<ui::Answer> answers_;
    std::vector<RecordedMessage> messages_;
};

}  // namespace testing_support
