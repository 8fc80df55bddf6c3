// The shell for tests: message boxes are recorded and answered from a script, timers run on a
// virtual clock that the test advances, posted work runs when the test pumps, and ending the
// process throws ProcessEnded with the exit code, for the test to catch.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <mutex>
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
    void SetTimer(int id, int interval_ms, std::function<void()> tick) override;
    void KillTimer(int id) override;
    void Post(std::function<void()> work) override;
    bool SetClipboardText(const std::string& text) override;
    bool OpenAddress(const std::string& address) override;
    void PlaySound(const std::string& resource) override;
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override;

    // Moves the virtual clock on, firing every timer that falls due, in time order.
    void AdvanceTime(long long ms);
    long long now_ms() const { return now_ms_; }
    bool HasTimer(int id) const { return timers_.count(id) != 0; }
    // Runs the posted work until none is left; returns how many items ran.
    int Pump();

    const std::vector<RecordedMessage>& messages() const { return messages_; }
    std::vector<std::string> texts() const;
    void ClearMessages() { messages_.clear(); }

    // What the other services were asked to do.
    bool clipboard_available = true;
    std::string clipboard;
    std::vector<std::string> opened_addresses;
    std::vector<std::string> sounds;
    std::vector<std::string> started_programs;
    bool start_program_succeeds = true;

  private:
    struct Timer {
        int interval_ms;
        long long due_ms;
        std::function<void()> tick;
    };

    std::deque<ui::Answer> answers_;
    std::vector<RecordedMessage> messages_;
    std::map<int, Timer> timers_;
    long long now_ms_ = 0;
    std::mutex posted_mutex_;
    std::deque<std::function<void()>> posted_;
};

}  // namespace testing_support
