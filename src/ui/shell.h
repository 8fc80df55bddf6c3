// What the operating system gives the logic: message boxes, ending the process, and (as the
// windows need them) timers, posting to the user-interface thread, clipboard, sounds and the
// tray. The logic reaches it through CurrentShell(); main() installs the Qt shell, tests a
// scripted one.
#pragma once

#include <string>

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
};

// The shell in use. There is always one: before main() installs its own, a console shell
// that prints message boxes to standard error and answers them with their first button.
Shell& CurrentShell();
// Installs a shell (nullptr restores the console shell). The caller keeps ownership.
void SetCurrentShell(Shell* shell);
// CurrentShell().EndProcess(code): the process, or the test, does not come back.
[[noreturn]] void EndProcess(int code);

}  // namespace ui
