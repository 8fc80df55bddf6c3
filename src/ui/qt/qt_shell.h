// The shell of the running client on Qt: message boxes, timers, posting to the user-interface
// thread, the clipboard, the desktop's address handler, windows from the built-in templates,
// the tray icon, pop-up menus and the font dialog. A QApplication must exist before it.
#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/shell.h"
#include "ui/sound_output.h"
#include "ui/wave_file.h"

class QSystemTrayIcon;
class QTimer;

namespace ui::qt {

// The program's look: the style sheet from the resources, and a font that shows Chinese.
void InstallStyle();

class QtShell final : public QObject, public ui::Shell {
  public:
    QtShell();
    ~QtShell() override;
    QtShell(const QtShell&) = delete;
    QtShell& operator=(const QtShell&) = delete;

    Answer MessageBox(const std::string& text, const std::string& caption,
                      Buttons buttons) override;
    [[noreturn]] void EndProcess(int code) override;
    void SetTimer(int id, int interval_ms, std::function<void()> tick) override;
    void KillTimer(int id) override;
    void Post(std::function<void()> work) override;
    bool SetClipboardText(const std::string& text) override;
    bool OpenAddress(const std::string& address) override;
    void PlaySound(const std::string& resource) override;
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override;
    std::unique_ptr<Form> CreateForm(const std::string& template_name) override;
    int RunModal(Form& form) override;
    Form* FindWindow(const std::string& title) override;
    bool ClaimInstance(const std::string& name) override;
    bool AddTrayIcon(const std::string& icon, const std::string& tip,
                     std::function<void(TrayEvent)> handler) override;
    void SetTrayIcon(const std::string& icon) override;
    void RemoveTrayIcon() override;
    int PopupMenu(const std::vector<MenuItem>& items) override;
    bool ChooseFont(Font& font) override;

    // Where PlaySound sends its sounds.
    SoundOutput& Sounds();

  private:
    std::map<int, std::unique_ptr<QTimer>> timers_;
    std::map<std::string, std::optional<PcmSound>> sounds_;  // read once per resource
    SoundOutput sound_output_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::function<void(TrayEvent)> tray_handler_;
};

}  // namespace ui::qt
