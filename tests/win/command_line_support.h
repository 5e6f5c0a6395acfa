#pragma once
// Running Lumavex.exe with arguments from a test, as a script runs it: its
// standard output and error through pipes, and its exit code.
#include <windows.h>

#include <string>
#include <thread>

#include "base/utf8.h"
#include "platform/kernel.h"
#include "support/win_test_support.h"

namespace lumavex::test {

struct LumavexRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string out, err;
};

inline std::string Drain(HANDLE pipe) {
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  return text;
}

// Runs Lumavex.exe with `args` (a command-line tail, UTF-8) and waits for it.
inline LumavexRun RunLumavex(const std::string& args, DWORD timeoutMs = 120000) {
  LumavexRun run;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
  if (!::CreatePipe(&outRead, &outWrite, &inherit, 0) || !::CreatePipe(&errRead, &errWrite, &inherit, 0))
    return run;
  UniqueKernelObject outR(outRead), outW(outWrite), errR(errRead), errW(errWrite);
  ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  std::wstring command = Widen("\"" + test::TestBinFolder() + "\\Lumavex.exe\" " + args);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
    return run;
  UniqueKernelObject processHandle(process.hProcess), thread(process.hThread);
  outW.reset();
  errW.reset();
  // Both pipes are read as the program writes, so a long text never blocks it.
  std::thread errReader([&] { run.err = Drain(errRead); });
  run.out = Drain(outRead);
  errReader.join();
  if (::WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(process.hProcess, &run.exitCode);
  return run;
}

inline std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

}  // namespace lumavex::test
