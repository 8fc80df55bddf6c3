// What the operating system gives the logic: message boxes, ending the process, timers, posting
// work to the user-interface thread, the clipboard, opening an address, sounds and starting a
// program. Windows (forms), modal runs, the tray icon and window lookup are added beside these
// by the view layer. The logic reaches the shell through CurrentShell(); main() installs the Qt
// shell, tests a scripted one.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ui {

enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

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

}  // namespace ui
