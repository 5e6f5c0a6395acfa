#pragma once
// Whether a window's program still reads its messages, asked without ever
// waiting for it: a question (WM_NULL) goes out with SendMessageCallback, and
// its answer comes back when this thread next reads its own messages. A
// program whose thread is stopped while it waits for messages is not "hung"
// to the system, but it leaves the question unanswered.
#include <windows.h>

#include <cstdint>
#include <optional>

namespace lumavex {

// After this long without an answer a program counts as not answering, as
// the system's own rule for hung programs has it.
inline constexpr std::uint64_t kNotAnsweringAfterMs = 5000;

class AnswerProbe {
 public:
  AnswerProbe() = default;
  ~AnswerProbe() { Forget(); }
  AnswerProbe(const AnswerProbe&) = delete;
  AnswerProbe& operator=(const AnswerProbe&) = delete;

  // Asks `window`, unless a question to it is still unanswered; a question
  // to another window is forgotten first.
  void Ask(HWND window);
  // How long the question to `window` has waited for its answer, in
  // milliseconds of the system's clock; nothing when none is out (answered,
  // never asked, or asked of another window).
  std::optional<std::uint64_t> UnansweredMs(HWND window) const;
  // True when `window` has left a question unanswered for
  // kNotAnsweringAfterMs or more.
  bool Silent(HWND window) const;
  // An answer that comes later is ignored.
  void Forget();

 private:
  static void CALLBACK Answered(HWND window, UINT message, ULONG_PTR token, LRESULT result);

  HWND window_ = nullptr;
  ULONG_PTR token_ = 0;
  ULONGLONG askedAt_ = 0;
};

}  // namespace lumavex
