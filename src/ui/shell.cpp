#include "ui/shell.h"

#include <cstdio>
#include <cstdlib>

namespace ui {

namespace {

// Used by the command-line tools, where nobody answers a message box.
class ConsoleShell final : public Shell {
  public:
    Answer MessageBox(const std::string& text, const std::string& caption,
                      Buttons buttons) override {
        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    [[noreturn]] void EndProcess(int code) override {
        std::fflush(nullptr);
        std::_Exit(code & 0xff);
    }
};

ConsoleShell console_shell;
Shell* current_shell = nullptr;

}  // namespace

Shell& CurrentShell() {
    return current_shell != nullptr ? *current_shell : console_shell;
}

void SetCurrentShell(Shell* shell) {
    current_shell = shell;
}

void EndProcess(int code) {
    CurrentShell().EndProcess(code);
    std::abort();  // a shell's EndProcess never returns
}

}  // namespace ui
