#include "platform/folder_marks.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "base/utf8.h"

namespace lumavex {
namespace {
constexpr const wchar_t* kConvertingKind = L"Converting";
}  // namespace

std::wstring FolderObjectName(const wchar_t* kind, const std::string& folder) {
  const std::wstring given = Widen(folder);
  std::wstring full(MAX_PATH, L'\0');
  DWORD length = ::GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length);
    length = ::GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  full.resize(length > 0 && length < full.size() ? length : 0);
  if (full.empty()) full = given;
  while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  ::CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
  // Object names cannot hold "\", hence a hash.
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const wchar_t c : full) {
    hash = (hash ^ (static_cast<std::uint16_t>(c) & 0xFF)) * 1099511628211ull;
    hash = (hash ^ (static_cast<std::uint16_t>(c) >> 8)) * 1099511628211ull;
  }
  wchar_t name[96];
  std::swprintf(name, 96, L"Local\\Lumavex.%ls.%016llx", kind, static_cast<unsigned long long>(hash));
  return name;
}

ConvertingFolderMark::ConvertingFolderMark(const std::string& folder)
    : name_(::CreateMutexW(nullptr, FALSE, FolderObjectName(kConvertingKind, folder).c_str())) {}

bool FolderBeingConverted(const std::string& folder) {
  const UniqueKernelObject mark(
      ::OpenMutexW(SYNCHRONIZE, FALSE, FolderObjectName(kConvertingKind, folder).c_str()));
  return static_cast<bool>(mark);
}

}  // namespace lumavex
