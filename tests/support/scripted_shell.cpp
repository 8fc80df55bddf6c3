#include "support/scripted_shell.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/qt_app.h"
#include "ui/qt/qt_form.h"

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

std::unique_ptr<ui::Form> ScriptedShell::CreateForm(const std::string& template_name) {
    EnsureQtApplication();
    std::unique_ptr<ui::qt::QtForm> form = ui::qt::QtForm::Load(template_name);
    if (form == nullptr) {
        throw std::runtime_error("no window template \"" + template_name + "\"");
    }
    return form;
}

int ScriptedShell::RunModal(ui::Form& form) {
    modal_runs_.push_back(form.TemplateName());
    if (form.EndResult()) {
        return *form.EndResult();
    }
    const auto it = interactions_.find(form.TemplateName());
    if (it == interactions_.end()) {
        ADD_FAILURE() << "no scripted interaction for the window \"" << form.TemplateName() << "\"";
        return ui::kResultCancel;
    }
    // Hidden again however the interaction ends, a thrown ProcessEnded included.
    struct HideAfterRun {
        ui::Form& form;
        ~HideAfterRun() {
            if (form.IsWindowShown()) {
                form.ShowWindow(false);
            }
        }
    } hide{form};
    form.ShowWindow(true);
    const Interaction interaction = it->second;  // the interaction may register others
    interaction(form);
    if (!form.EndResult()) {
        ADD_FAILURE() << "the interaction left the window \"" << form.TemplateName() << "\" open";
        return ui::kResultCancel;
    }
    return *form.EndResult();
}

ui::Form* ScriptedShell::FindWindow(const std::string& title) {
    return ui::qt::QtForm::FindByTitle(title);
}

bool ScriptedShell::ClaimInstance(const std::string& name) {
    if (instances_elsewhere.count(name) != 0) {
        return false;
    }
    claimed_instances.insert(name);
    return true;
}

bool ScriptedShell::AddTrayIcon(const std::string& icon, const std::string& tip,
                                std::function<void(ui::TrayEvent)> handler) {
    if (!tray_available) {
        return false;
    }
    tray_shown = true;
    tray_icon = icon;
    tray_tip = tip;
    tray_handler_ = std::move(handler);
    return true;
}

void ScriptedShell::SetTrayIcon(const std::string& icon) {
    if (tray_shown) {
        tray_icon = icon;
    }
}

void ScriptedShell::RemoveTrayIcon() {
    tray_shown = false;
    tray_icon.clear();
    tray_tip.clear();
    tray_handler_ = nullptr;
}

void ScriptedShell::ClickTray(ui::TrayEvent event) {
    if (tray_shown && tray_handler_) {
        const auto handler = tray_handler_;
        handler(event);
    }
}

int ScriptedShell::PopupMenu(const std::vector<ui::MenuItem>& items) {
    menus.push_back(items);
    if (menu_choices.empty()) {
        return 0;
    }
    const int choice = menu_choices.front();
    menu_choices.pop_front();
    return choice;
}

bool ScriptedShell::ChooseFont(ui::Font& font) {
    if (!font_choice) {
        return false;
    }
    font = *font_choice;
    return true;
}

void ScriptedShell::OnModal(const std::string& template_name, Interaction interaction) {
    interactions_[template_name] = std::move(interaction);
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
