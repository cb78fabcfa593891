// Stopping a solve from another thread. A caller that may have to give up a reading
// (a sweep cancelled, the program closing) sets a stop flag for its own thread with
// StopScope; the equation's evaluations then throw SolveStopped once the flag is set,
// so that the solve ends within one evaluation. Without a scope nothing is checked.
// The flag is the caller's and is only read here; each thread sees its own scope.
#pragma once

#include <atomic>
#include <exception>

namespace ardenca::calc {

struct SolveStopped : std::exception {
    const char* what() const noexcept override { return "the solve was stopped"; }
};

namespace detail {
inline thread_local const std::atomic<bool>* solve_stop_flag = nullptr;
}

// Given the calling thread's stop flag (if any), throws SolveStopped once it is set.
inline void throw_if_stopped() {
    if (const auto* flag = detail::solve_stop_flag; flag && flag->load(std::memory_order_relaxed))
        [[unlikely]]
        throw SolveStopped();
}

// Makes flag the calling thread's stop flag while the scope lasts.
class StopScope {
  public:
    explicit StopScope(const std::atomic<bool>* flag) : outer_(detail::solve_stop_flag) {
        detail::solve_stop_flag = flag;
    }
    ~StopScope() { detail::solve_stop_flag = outer_; }
    StopScope(const StopScope&) = delete;
    StopScope& operator=(const StopScope&) = delete;

  private:
    const std::atomic<bool>* outer_;
};

} // namespace ardenca::calc
