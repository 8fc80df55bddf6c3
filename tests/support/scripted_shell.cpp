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

std::vector<std::string> ScriptedShell::texts() const {
    std::vector<std::string> out;
    for (const auto& m : messages_) {
        out.push_back(m.text);
    }
    return out;
}

}  // namespace testing_support
