#include "support/scripted_shell.h"

namespace testing_support {

ScriptedShell::ScriptedShell() {
    ui::SetCurrentShell(this);
}

ScriptedShell::~ScriptedShell() {
    ui::SetCurrentShell(nullptr);
}

ui::Answer ScriptedShell::MessageBox(const std::string& text, const std::string& caption,
                                     ui::Buttons buttons) {
    messages_.push_back({text, caption, buttons});
    if (!answers_.empty()) {
        const ui::Answer answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    return buttons == ui::Buttons::YesNo ? ui::Answer::Yes : ui::Answer::Ok;
}

void ScriptedShell::EndProcess(int code) {
    throw ProcessEnded{code};
}

void ScriptedShell::SetTimer(int id, int interval_ms, std::function<void()> tick) {
    timers_[id] = Timer{interval_ms, now_ms_ + interval_ms, std::move(tick)};
}

void ScriptedShell::KillTimer(int id) {
    timers_.erase(id);
}

void ScriptedShell::Post(std::function<void()> work) {
    std::lock_guard lock(posted_mutex_);
    posted_.push_back(std::move(work));
}

bool ScriptedShell::SetClipboardText(const std::string& text) {
    if (!clipboard_available) {
        return false;
    }
    clipboard = text;
    return true;
}

bool ScriptedShell::OpenAddress(const std::string& address) {
    opened_addresses.push_back(address);
    return true;
}

void ScriptedShell::PlaySound(const std::string& resource) {
    sounds.push_back(resource);
}

bool ScriptedShell::StartProgram(const std::string& program, const std::vector<std::string>&) {
    started_programs.push_back(program);
    return start_program_succeeds;
}

void ScriptedShell::AdvanceTime(long long ms) {
    const long long end = now_ms_ + ms;
    for (;;) {
        // The timer due first; a tick may set or kill timers, so look again after each.
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->second.due_ms <= end &&
                (next == timers_.end() || it->second.due_ms < next->second.due_ms)) {
                next = it;
            }
        }
        if (next == timers_.end()) {
            break;
        }
        now_ms_ = next->second.due_ms;
        next->second.due_ms += next->second.interval_ms > 0 ? next->second.interval_ms : 1;
        auto tick = next->second.tick;  // the tick may replace or kill its own timer
        tick();
    }
    now_ms_ = end;
}

int ScriptedShell::Pump() {
    int ran = 0;
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(posted_mutex_);
            if (posted_.empty()) {
                return ran;
            }
            work = std::move(posted_.front());
            posted_.pop_front();
        }
        work();
        ++ran;
    }
}

std::vector<std::string> ScriptedShell::texts() const {
    std::vector<std::string> out;
    for (const auto& m : messages_) {
        out.push_back(m.text);
    }
    return out;
}

}  // namespace testing_support
