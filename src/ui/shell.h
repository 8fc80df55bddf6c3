// What the operating system gives the logic: message boxes, ending the process, timers, posting
// work to the user-interface thread, the clipboard, opening an address, sounds, starting a
// program, windows (forms) and their modal runs, finding a window by its title, one running
// client per person, the tray icon, pop-up menus and the font dialog. The logic reaches the
// shell through CurrentShell(); main() installs the Qt shell, tests a scripted one.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/form.h"

namespace ui {

enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

// What the person did with the tray icon.
enum class TrayEvent { LeftClick, RightClick };

// An entry of a pop-up menu; command 0 is a separator.
struct MenuItem {
    int command = 0;
    std::string text;
};

class Shell {
  public:
    virtual ~Shell() = default;

    // A modal message box; returns the button the person chose.
    virtual Answer MessageBox(const std::string& text, const std::string& caption,
                              Buttons buttons = Buttons::Ok) = 0;
    // Ends the process at once with the given exit code: no logout, no clean-up.
    [[noreturn]] virtual void EndProcess(int code) = 0;

    // Calls `tick` on the user-interface thread every `interval_ms` until KillTimer(id).
    // Setting a timer with an id in use replaces it.
    virtual void SetTimer(int id, int interval_ms, std::function<void()> tick) = 0;
    virtual void KillTimer(int id) = 0;
    // Runs `work` on the user-interface thread, after what it is doing now. Safe from any
    // thread; work posted from one thread runs in the order it was posted.
    virtual void Post(std::function<void()> work) = 0;

    // Plain text on the system clipboard; false when the clipboard cannot be opened.
    virtual bool SetClipboardText(const std::string& text) = 0;
    // Opens a web address with the desktop's handler.
    virtual bool OpenAddress(const std::string& address) = 0;
    // Plays a sound resource ("IDR_MSG", "IDR_SYSTEM") without waiting; silent without audio.
    virtual void PlaySound(const std::string& resource) = 0;
    // Starts a program detached from this process; false when it cannot be started.
    virtual bool StartProgram(const std::string& program, const std::vector<std::string>& args) = 0;

    // A new, hidden window from a template ("login" is resources/ui/login.ui). A shell
    // without windows (the console one) says so and ends the process with -1.
    virtual std::unique_ptr<Form> CreateForm(const std::string& template_name) = 0;
    // Shows the window and runs it until it ends; returns its End result. A window that
    // ended before the run (in its set-up) returns at once.
    virtual int RunModal(Form& form) = 0;
    // An existing window of this process with exactly this title, shown or hidden; nullptr
    // when there is none.
    virtual Form* FindWindow(const std::string& title) = 0;
    // Claims `name` (a person's window title) for this process until it ends; false when a
    // running process of this machine holds it already.
    virtual bool ClaimInstance(const std::string& name) = 0;

    // The tray icon: false where the desktop has no tray. `icon` names an icon resource
    // ("128", "3244" ...); the handler gets the person's clicks on it.
    virtual bool AddTrayIcon(const std::string& icon, const std::string& tip,
                             std::function<void(TrayEvent)> handler) = 0;
    virtual void SetTrayIcon(const std::string& icon) = 0;
    virtual void RemoveTrayIcon() = 0;
    // A pop-up menu at the mouse pointer; returns the chosen command, 0 when none was chosen.
    virtual int PopupMenu(const std::vector<MenuItem>& items) = 0;
    // The font dialog, started at `font`; true with the choice in `font` when confirmed.
    virtual bool ChooseFont(Font& font) = 0;
};

// The shell in use. There is always one: before main() installs its own, a console shell
// that prints message boxes to standard error and answers them with their first button.
Shell& CurrentShell();
// Installs a shell (nullptr restores the console shell). The caller keeps ownership.
void SetCurrentShell(Shell* shell);
// CurrentShell().EndProcess(code): the process, or the test, does not come back.
[[noreturn]] void EndProcess(int code);
// Starts a program in a session of its own, so that it outlives this process (for shells).
bool StartDetached(const std::string& program, const std::vector<std::string>& args);
// Holds a lock on `name` in the data directory for the rest of the process (for shells);
// false when another process holds it. Claiming a name this process holds again is true.
bool HoldProcessLock(const std::string& name);

}  // namespace ui
