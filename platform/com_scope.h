#pragma once
// Start-up and end of COM on the calling thread, paired by scope: the end
// call runs only when the start succeeded, and always on the same thread.
#include <windows.h>
#include <ole2.h>

namespace lumavex {

// OleInitialize: COM in a single-threaded apartment plus OLE's own services
// (pictures, the shell's dialogs, the clipboard).
class OleScope {
 public:
  OleScope() : result_(::OleInitialize(nullptr)) {}
  ~OleScope() {
    if (SUCCEEDED(result_)) ::OleUninitialize();
  }
  OleScope(const OleScope&) = delete;
  OleScope& operator=(const OleScope&) = delete;

  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
};

// CoInitializeEx with the given apartment model (COINIT_MULTITHREADED, ...).
class ComScope {
 public:
  explicit ComScope(DWORD model) : result_(::CoInitializeEx(nullptr, model)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
};

}  // namespace lumavex
