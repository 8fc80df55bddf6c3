// The shell for tests: message boxes are recorded and answered from a script, timers run on a
// virtual clock that the test advances, posted work runs when the test pumps, and ending the
// process throws ProcessEnded with the exit code, for the test to catch. Windows are the real
// Qt forms under the offscreen platform; a modal run calls the interaction the test registered
// for the window's template instead of waiting for a person.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
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
    // A real form (a QApplication is made on first use). A missing template throws.
    std::unique_ptr<ui::Form> CreateForm(const std::string& template_name) override;
    // Shows the form and calls the interaction registered for its template, which must end
    // it; returns the End result. A form that ended in its set-up returns at once. No
    // interaction, or a form left open, fails the test and returns kResultCancel.
    int RunModal(ui::Form& form) override;
    ui::Form* FindWindow(const std::string& title) override;
    // Names in instances_elsewhere are held by "another process"; the rest are granted.
    bool ClaimInstance(const std::string& name) override;
    bool AddTrayIcon(const std::string& icon, const std::string& tip,
                     std::function<void(ui::TrayEvent)> handler) override;
    void SetTrayIcon(const std::string& icon) override;
    void RemoveTrayIcon() override;
    // Recorded in menus; answered from menu_choices (0, nothing chosen, when it is empty).
    int PopupMenu(const std::vector<ui::MenuItem>& items) override;
    // Answered with font_choice when set; otherwise cancelled.
    bool ChooseFont(ui::Font& font) override;

    using Interaction = std::function<void(ui::Form&)>;
    // What the person does in every modal run of windows of this template.
    void OnModal(const std::string& template_name, Interaction interaction);
    // The templates of the modal runs so far, in order.
    const std::vector<std::string>& modal_runs() const { return modal_runs_; }
    // A click on the tray icon, when there is one.
    void ClickTray(ui::TrayEvent event);

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
    std::set<std::string> instances_elsewhere;
    std::set<std::string> claimed_instances;
    bool tray_available = true;
    bool tray_shown = false;
    std::string tray_icon;
    std::string tray_tip;
    std::vector<std::vector<ui::MenuItem>> menus;
    std::deque<int> menu_choices;
    std::optional<ui::Font> font_choice;

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
    std::map<std::string, Interaction> interactions_;
    std::vector<std::string> modal_runs_;
    std::function<void(ui::TrayEvent)> tray_handler_;
};

}  // namespace testing_support
