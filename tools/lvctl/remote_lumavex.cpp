#include "tools/lvctl/remote_lumavex.h"

#include "app/form1.h"
#include "base/utf8.h"
#include "platform/controls.h"
#include "platform/files.h"

namespace lumavex {
namespace {

struct FindForm {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindFormProc(HWND hwnd, LPARAM lparam) {
  auto* f = reinterpret_cast<FindForm*>(lparam);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  // Shown only once start-up (and its first refresh of the list) is done.
  if (pid == f->pid && ::IsWindowVisible(hwnd) && std::wstring(name) == kForm1ClassName) {
    f->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// This process's environment with APPDATA replaced, as a block for
// CreateProcessW; the variables are inherited as they are otherwise.
std::wstring EnvironmentWith(const std::string& appData) {
  std::wstring block;
  wchar_t* env = ::GetEnvironmentStringsW();
  for (const wchar_t* p = env; p && *p; p += wcslen(p) + 1) {
    if (_wcsnicmp(p, L"APPDATA=", 8) != 0) block.append(p).push_back(L'\0');
  }
  if (env) ::FreeEnvironmentStringsW(env);
  block.append(L"APPDATA=" + Widen(appData)).push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

}  // namespace

RemoteLumavex::RemoteLumavex(const std::string& appData) {
  std::wstring command = Widen("\"" + ExecutableFolder() + "\\Lumavex.exe\"");
  std::wstring environment = appData.empty() ? std::wstring() : EnvironmentWith(appData);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        environment.empty() ? nullptr : environment.data(), nullptr, &si, &started))
    return;
  process_.reset(started.hProcess);
  UniqueHandle<ProcessHandleTraits> thread(started.hThread);
  ::WaitForInputIdle(process_.get(), 10000);
  FindForm f{started.dwProcessId, nullptr};
  PumpUntil([&] {
    ::EnumWindows(FindFormProc, reinterpret_cast<LPARAM>(&f));
    return f.found != nullptr;
  });
  form_ = f.found;
}

RemoteLumavex::~RemoteLumavex() { Kill(); }

void RemoteLumavex::MoveTo(int x, int y) const {
  ::SetWindowPos(form_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RemoteLumavex::SetSavePath(const std::string& path) const {
  // WM_SETTEXT's text is carried across to the other process.
  ::SendMessageW(Control(kIdTxtPath), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Widen(path).c_str()));
}

bool RemoteLumavex::SelectRow(const std::string& title) const {
  Click(kIdCommand1);
  const HWND list = Control(kIdList1);
  for (int i = 0; i < ListCount(list); ++i) {
    if (ListText(list, i) == title) {
      ::SendMessageW(list, LB_SETCURSEL, i, 0);
      return true;
    }
  }
  return false;
}

void RemoteLumavex::Click(int id) const { ::SendMessageW(Control(id), BM_CLICK, 0, 0); }

void RemoteLumavex::Menu(int id) const { ::SendMessageW(form_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void RemoteLumavex::Kill() {
  if (!process_) return;
  ::TerminateProcess(process_.get(), 9);
  ::WaitForSingleObject(process_.get(), 10000);
  process_.reset();
  form_ = nullptr;
}

void RemoteLumavex::Close() {
  if (!process_) return;
  ::PostMessageW(form_, WM_CLOSE, 0, 0);
  ::WaitForSingleObject(process_.get(), 10000);
  Kill();
}

}  // namespace lumavex
