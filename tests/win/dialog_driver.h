#pragma once
// Drives the platform's modal dialogs (file save, video compression, folder
// browser, the overwrite question) from a helper thread while the test's
// thread sits in the modal call, as a person at the screen would: wait for
// the dialog to appear, fill in a field, press a button. Header-only; used
// by the AVI, file dialog and folder browser tests.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/utf8.h"

namespace lumavex::test {

// A window's caption (UTF-8) without sending it a message: the window's
// thread may be busy (or waiting for this one).
inline std::string WindowText(HWND hwnd) {
  wchar_t wide[1024] = {};
  const int n = ::InternalGetWindowText(hwnd, wide, 1024);
  return n > 0 ? Narrow(std::wstring(wide, static_cast<std::size_t>(n))) : std::string();
}

// Dialog windows (#32770) of this process that are visible and enabled (a
// dialog with its own modal box open is disabled), whose caption is `title`
// (any caption when empty).
inline std::vector<HWND> ProcessDialogs(const std::string& title = {}) {
  struct Search {
    DWORD pid;
    const std::string* title;
    std::vector<HWND> found;
  } search{::GetCurrentProcessId(), &title, {}};
  ::EnumWindows(
      [](HWND hwnd, LPARAM lparam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lparam);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        char cls[64] = {};
        ::GetClassNameA(hwnd, cls, sizeof cls);
        if (pid == s->pid && std::string(cls) == "#32770" && ::IsWindowVisible(hwnd) &&
            ::IsWindowEnabled(hwnd) && (s->title->empty() || *s->title == WindowText(hwnd)))
          s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The first descendant of `parent` of window class `cls` (and control id
// `id`, unless -1).
inline HWND FindDescendant(HWND parent, const std::string& cls, int id = -1) {
  struct Search {
    const std::string* cls;
    int id;
    HWND found;
  } search{&cls, id, nullptr};
  ::EnumChildWindows(
      parent,
      [](HWND hwnd, LPARAM lparam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lparam);
        char name[64] = {};
        ::GetClassNameA(hwnd, name, sizeof name);
        if (*s->cls == name && (s->id == -1 || ::GetDlgCtrlID(hwnd) == s->id)) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Runs `script` on a helper thread; the test thread then opens the modal
// dialogs and calls Finish() once the modal call has returned. Steps that
// fail are recorded, never thrown, and a dialog left open by a failed or
// unexpected step is cancelled so that the test thread never hangs.
class DialogDriver {
 public:
  static constexpr int kWaitMs = 20000;
  static constexpr int kStaysUpMs = 2000;

  explicit DialogDriver(std::function<void(DialogDriver&)> script) {
    thread_ = std::thread([this, script = std::move(script)] {
      if (script) script(*this);
      SweepUntilFinished();
      done_ = true;
    });
  }
  ~DialogDriver() { Finish(); }
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  // Called by the test thread when the modal call has returned. Keeps this
  // thread's windows answering while the helper finishes its step.
  void Finish() {
    finished_ = true;
    while (!done_ && thread_.joinable()) {
      MSG msg;
      while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    if (thread_.joinable()) thread_.join();
  }

  // What went wrong, in order; empty when every step worked.
  std::vector<std::string> failures() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_;
  }

  // --- Steps, for the script ---

  // Waits for a dialog with this caption (any when empty) that this driver
  // has not handled yet.
  HWND Wait(const std::string& title) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (std::chrono::steady_clock::now() < deadline && !finished_) {
      for (HWND dialog : ProcessDialogs(title)) {
        if (handled_.count(dialog)) continue;
        handled_.insert(dialog);
        return dialog;
      }
      ::Sleep(10);  // polling for a window to appear; no result depends on it
    }
    Fail("no dialog \"" + title + "\" appeared");
    return nullptr;
  }

  // Types `text` into the file name field of a file dialog.
  bool SetFileName(HWND dialog, const std::string& text) {
    // The name field (cmb13) is a combo box whose edit holds the text.
    HWND field = ::GetDlgItem(dialog, 0x47c);
    HWND edit = field ? FindDescendant(field, "Edit") : nullptr;
    if (!edit && field) {
      char cls[64] = {};
      ::GetClassNameA(field, cls, sizeof cls);
      if (std::string(cls) == "Edit") edit = field;
    }
    if (!edit) edit = ::GetDlgItem(dialog, 0x480);  // edt1 of older dialogs
    if (!edit) return Fail("no file name field");
    ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return true;
  }

  // Chooses the entry `text` in the combo box `id` of `dialog`, telling the
  // dialog as the combo box would.
  bool Choose(HWND dialog, int id, const std::string& text) {
    HWND combo = ::GetDlgItem(dialog, id);
    if (!combo) return Fail("no combo box " + std::to_string(id));
    const LRESULT index = ::SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(text.c_str()));
    if (index == CB_ERR) return Fail("no entry \"" + text + "\"");
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    // A pick with the mouse ends with this too; the file dialogs take the
    // chosen file type from it.
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
    return true;
  }

  // Presses a button, as a click would.
  bool Click(HWND dialog, int id) {
    HWND button = ::GetDlgItem(dialog, id);
    if (!button) return Fail("no button " + std::to_string(id));
    ::PostMessageA(button, BM_CLICK, 0, 0);
    return true;
  }

  // In a folder browser's tree, opens the items named `path` one after the
  // other from the root's children (as a person expands them) and selects the
  // last.
  bool SelectTreePath(HWND dialog, const std::vector<std::string>& path) {
    HWND tree = FindDescendant(dialog, "SysTreeView32");
    if (!tree) return Fail("no folder tree");
    auto next = [tree](HTREEITEM item, UINT how) {
      return reinterpret_cast<HTREEITEM>(
          ::SendMessageA(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    };
    HTREEITEM item = next(nullptr, TVGN_ROOT);
    for (const std::string& name : path) {
      HTREEITEM found = nullptr;
      for (HTREEITEM child = next(item, TVGN_CHILD); child && !found; child = next(child, TVGN_NEXT)) {
        wchar_t text[MAX_PATH] = {};
        TVITEMW data{};
        data.mask = TVIF_TEXT;
        data.hItem = child;
        data.pszText = text;
        data.cchTextMax = MAX_PATH;
        ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
        if (::lstrcmpiW(text, Widen(name).c_str()) == 0) found = child;
      }
      if (!found) return Fail("no folder \"" + name + "\" in the tree");
      ::SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(found));
      item = found;
    }
    ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    return true;
  }

  bool Fail(const std::string& what) {
    std::lock_guard<std::mutex> lock(mutex_);
    failures_.push_back(what);
    return false;
  }

 private:
  // After the script: a dialog it did not handle that stays up is
  // unexpected; cancel it so the modal call returns. (One that closes by
  // itself is not: the compression options dialog flashes up for a moment
  // around the compressor dialog.)
  void SweepUntilFinished() {
    std::map<HWND, std::chrono::steady_clock::time_point> seen;
    while (!finished_) {
      const auto now = std::chrono::steady_clock::now();
      std::map<HWND, std::chrono::steady_clock::time_point> still;
      for (HWND dialog : ProcessDialogs()) {
        if (handled_.count(dialog)) continue;
        const auto first = seen.count(dialog) ? seen[dialog] : now;
        if (now - first < std::chrono::milliseconds(kStaysUpMs)) {
          still[dialog] = first;
          continue;
        }
        handled_.insert(dialog);
        Fail("unexpected dialog \"" + WindowText(dialog) + "\"");
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      }
      seen.swap(still);
      ::Sleep(10);
    }
  }

  std::thread thread_;
  std::atomic<bool> finished_{false};
  std::atomic<bool> done_{false};
  std::set<HWND> handled_;  // touched by the helper thread only
  mutable std::mutex mutex_;
  std::vector<std::string> failures_;
};

}  // namespace lumavex::test
