#pragma once
// An interval timer on the user-interface thread, as the form's timers work:
// it ticks every `interval` ms while enabled, never while the interval is 0.
// Ticks arrive as WM_TIMER on the owner window, which calls Fire().
#include <windows.h>

#include <functional>

namespace lumavex {

class UiTimer {
 public:
  UiTimer() = default;
  UiTimer(const UiTimer&) = delete;
  UiTimer& operator=(const UiTimer&) = delete;
  ~UiTimer() { Stop(); }

  void Attach(HWND owner, UINT_PTR id, std::function<void()> onTick) {
    owner_ = owner;
    id_ = id;
    onTick_ = std::move(onTick);
  }

  void SetInterval(UINT ms) {
    interval_ = ms;
    Apply();
  }
  UINT Interval() const { return interval_; }

  void SetEnabled(bool on) {
    enabled_ = on;
    Apply();
  }
  bool Enabled() const { return enabled_; }
  // True when ticks are being delivered.
  bool Running() const { return running_; }
  UINT_PTR Id() const { return id_; }

  void Fire() {
    if (running_ && onTick_) onTick_();
  }

 private:
  void Apply() {
    // SetTimer with the same identifier replaces a running timer and starts
    // its period afresh: one call where stopping first would take two.
    if (enabled_ && interval_ > 0 && owner_) {
      running_ = ::SetTimer(owner_, id_, interval_, nullptr) != 0;
    } else {
      Stop();
    }
  }
  void Stop() {
    if (running_ && owner_) ::KillTimer(owner_, id_);
    running_ = false;
  }

  HWND owner_ = nullptr;
  UINT_PTR id_ = 0;
  UINT interval_ = 0;
  bool enabled_ = true;
  bool running_ = false;
  std::function<void()> onTick_;
};

}  // namespace lumavex
