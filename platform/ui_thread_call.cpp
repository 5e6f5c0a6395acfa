#include "platform/ui_thread_call.h"

#include <memory>

namespace lumavex {
namespace {

constexpr UINT kRun = WM_APP + 1;   // lparam: const std::function<void()>*, sent
constexpr UINT kPost = WM_APP + 2;  // lparam: std::function<void()>*, posted, owned by the message
constexpr wchar_t kClassName[] = L"LumavexUiThreadCall";

}  // namespace

UiThreadCall::UiThreadCall() : thread_(::GetCurrentThreadId()) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    return ::RegisterClassW(&wc) != 0;
  }();
  if (registered)
    window_.reset(::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr));
}

UiThreadCall::~UiThreadCall() {
  // Notices still queued own their work: take them out and drop them.
  MSG msg;
  while (window_ && ::PeekMessageW(&msg, window_.get(), kPost, kPost, PM_REMOVE))
    delete reinterpret_cast<std::function<void()>*>(msg.lParam);
}

LRESULT CALLBACK UiThreadCall::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRun) {
    (*reinterpret_cast<const std::function<void()>*>(lparam))();
    return 0;
  }
  if (message == kPost) {
    const std::unique_ptr<std::function<void()>> notice(reinterpret_cast<std::function<void()>*>(lparam));
    (*notice)();
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

void UiThreadCall::Run(const std::function<void()>& work) const {
  if (::GetCurrentThreadId() == thread_ || !window_) {
    work();
    return;
  }
  ::SendMessageW(window_.get(), kRun, 0, reinterpret_cast<LPARAM>(&work));
}

void UiThreadCall::Post(std::function<void()> notice) const {
  auto* owned = new std::function<void()>(std::move(notice));
  if (!window_ || !::PostMessageW(window_.get(), kPost, 0, reinterpret_cast<LPARAM>(owned))) delete owned;
}

void UiThreadCall::WaitFor(HANDLE handle) const {
  for (;;) {
    const DWORD woken = ::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE);
    if (woken != WAIT_OBJECT_0 + 1) return;
    // Runs the work sent to this thread; nothing else is taken off the queue.
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace lumavex
