#pragma once
// Keeps the one-second tick out of commands. Every message box and dialog runs a nested event
// loop in which the timer still fires; while a command that changes data holds the guard, a tick
// only updates the clock line and leaves the file checks and rebuilds to the first free tick.

namespace qm {

class CommandGuard {
  public:
    // Held from construction to destruction. Counted, so commands may nest.
    class Scope {
      public:
        explicit Scope(CommandGuard& guard) : guard_(&guard) { ++guard_->holders_; }
        Scope(Scope&& other) noexcept : guard_(other.guard_) { other.guard_ = nullptr; }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        Scope& operator=(Scope&&) = delete;
        ~Scope() {
            if (guard_)
                --guard_->holders_;
        }

      private:
        CommandGuard* guard_;
    };

    CommandGuard() = default;
    CommandGuard(const CommandGuard&) = delete;
    CommandGuard& operator=(const CommandGuard&) = delete;

    [[nodiscard]] Scope hold() { return Scope(*this); }
    bool held() const { return holders_ > 0; }

  private:
    int holders_ = 0;
};

} // namespace qm
