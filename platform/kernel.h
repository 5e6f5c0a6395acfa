#pragma once
// Owners for kernel and shell handles: files, find handles, global memory and
// shell item lists.
#include <windows.h>
#include <shlobj.h>

#include "base/unique_handle.h"

namespace lumavex {

struct FileHandleTraits {
  using type = HANDLE;
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { ::CloseHandle(h); }
};
using UniqueFile = UniqueHandle<FileHandleTraits>;

// Kernel objects other than files (events, threads): null when there is none.
struct KernelObjectTraits {
  using type = HANDLE;
  static HANDLE invalid() { return nullptr; }
  static void close(HANDLE h) { ::CloseHandle(h); }
};
using UniqueKernelObject = UniqueHandle<KernelObjectTraits>;

struct FindHandleTraits {
  using type = HANDLE;
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { ::FindClose(h); }
};
using UniqueFind = UniqueHandle<FindHandleTraits>;

struct GlobalMemoryTraits {
  using type = HGLOBAL;
  static HGLOBAL invalid() { return nullptr; }
  static void close(HGLOBAL h) { ::GlobalFree(h); }
};
using UniqueGlobal = UniqueHandle<GlobalMemoryTraits>;

struct ItemListTraits {
  using type = LPITEMIDLIST;
  static LPITEMIDLIST invalid() { return nullptr; }
  static void close(LPITEMIDLIST p) { ::CoTaskMemFree(p); }
};
// An item identifier list that the shell allocated for us.
using UniqueItemList = UniqueHandle<ItemListTraits>;

struct WindowTraits {
  using type = HWND;
  static HWND invalid() { return nullptr; }
  static void close(HWND h) { ::DestroyWindow(h); }
};
using UniqueWindow = UniqueHandle<WindowTraits>;

struct ModuleTraits {
  using type = HMODULE;
  static HMODULE invalid() { return nullptr; }
  static void close(HMODULE h) { ::FreeLibrary(h); }
};
// A library loaded by LoadLibraryEx.
using UniqueModule = UniqueHandle<ModuleTraits>;

struct DesktopTraits {
  using type = HDESK;
  static HDESK invalid() { return nullptr; }
  static void close(HDESK h) { ::CloseDesktop(h); }
};
using UniqueDesktop = UniqueHandle<DesktopTraits>;

}  // namespace lumavex
