// Paced sending without blocking the user-interface thread. A round of sends to every contact
// keeps its pauses on the wire (50 ms after each presence text, 100 ms after each link probe)
// but waits between the sends on a shell timer instead of sleeping, so the window stays
// responsive: each tick sends one text and returns at once.
//
// A step is decided when its turn comes, not when it is queued: it reads the contact table
// then, and returns the pause to keep after it (0 when it sent nothing, so the next step
// follows at once).
#pragma once

#include <deque>
#include <functional>

namespace net {

class SendPacer {
  public:
    using Step = std::function<int()>;  // sends (or not); returns the pause in ms after it

    // Shell timer id of the pacer (beside the main window's 1001, 1002, 22, 999, 33, 11, 55, 66).
    static constexpr int kTimerId = 3402;

    SendPacer() = default;
    ~SendPacer();
    SendPacer(const SendPacer&) = delete;
    SendPacer& operator=(const SendPacer&) = delete;

    // Queues a step; when nothing is waiting it runs at once.
    void Add(Step step);
    // Runs every queued step now, without the pauses (before the logout's texts go out).
    void Flush();
    // Drops every queued step.
    void Clear();
    bool Idle() const { return steps_.empty() && !pausing_; }
    std::size_t Queued() const { return steps_.size(); }

  private:
    void Run();
    void Tick();

    std::deque<Step> steps_;
    bool pausing_ = false;
    bool running_ = false;
};

}  // namespace net
