#include "net/send_pacer.h"

#include "ui/shell.h"

namespace net {

SendPacer::~SendPacer() {
    if (pausing_) {
        ui::CurrentShell().KillTimer(kTimerId);
    }
}

void SendPacer::Add(Step step) {
    steps_.push_back(std::move(step));
    if (!pausing_) {
        Run();
    }
}

void SendPacer::Run() {
    if (running_) {
        return;  // a step queued more steps: the loop below takes them
    }
    running_ = true;
    while (!steps_.empty()) {
        Step step = std::move(steps_.front());
        steps_.pop_front();
        const int pause_ms = step();
        if (pause_ms > 0) {
            pausing_ = true;
            ui::CurrentShell().SetTimer(kTimerId, pause_ms, [this] { Tick(); });
            break;
        }
    }
    running_ = false;
}

void SendPacer::Tick() {
    ui::CurrentShell().KillTimer(kTimerId);
    pausing_ = false;
    Run();
}

void SendPacer::Flush() {
    if (pausing_) {
        ui::CurrentShell().KillTimer(kTimerId);
        pausing_ = false;
    }
    while (!steps_.empty()) {
        Step step = std::move(steps_.front());
        steps_.pop_front();
        step();
    }
}

void SendPacer::Clear() {
    if (pausing_) {
        ui::CurrentShell().KillTimer(kTimerId);
        pausing_ = false;
    }
    steps_.clear();
}

}  // namespace net
