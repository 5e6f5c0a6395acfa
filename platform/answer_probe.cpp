#include "platform/answer_probe.h"

#include <set>

namespace lumavex {
namespace {

// The questions still out, by token. Answers arrive on the asking thread
// (the window's), and an answer whose probe is gone finds no token here.
std::set<ULONG_PTR>& Unanswered() {
  static std::set<ULONG_PTR> tokens;
  return tokens;
}

ULONG_PTR NextToken() {
  static ULONG_PTR last = 0;
  return ++last;
}

}  // namespace

void CALLBACK AnswerProbe::Answered(HWND, UINT, ULONG_PTR token, LRESULT) { Unanswered().erase(token); }

void AnswerProbe::Ask(HWND window) {
  if (window != window_) Forget();
  if (UnansweredMs(window)) return;
  window_ = window;
  token_ = NextToken();
  Unanswered().insert(token_);
  askedAt_ = ::GetTickCount64();
  // A window of this thread answers within the call.
  if (!::SendMessageCallbackW(window, WM_NULL, 0, 0, Answered, token_)) Forget();
}

std::optional<std::uint64_t> AnswerProbe::UnansweredMs(HWND window) const {
  if (!token_ || window != window_ || !Unanswered().count(token_)) return std::nullopt;
  return ::GetTickCount64() - askedAt_;
}

bool AnswerProbe::Silent(HWND window) const {
  const std::optional<std::uint64_t> waited = UnansweredMs(window);
  return waited && *waited >= kNotAnsweringAfterMs;
}

void AnswerProbe::Forget() {
  if (token_) Unanswered().erase(token_);
  token_ = 0;
  window_ = nullptr;
}

}  // namespace lumavex
