#include "writeavi/win32/frame_folder_claim.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/utf8.h"

namespace lumavex {
namespace {

// One name for every spelling of the folder: its full path, upper case,
// without a trailing separator. Object names cannot hold "\", hence a hash.
std::wstring ClaimName(const std::string& folder) {
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
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const wchar_t c : full) {
    hash = (hash ^ (static_cast<std::uint16_t>(c) & 0xFF)) * 1099511628211ull;
    hash = (hash ^ (static_cast<std::uint16_t>(c) >> 8)) * 1099511628211ull;
  }
  wchar_t name[64];
  std::swprintf(name, 64, L"Local\\Lumavex.FrameFolder.%016llx", static_cast<unsigned long long>(hash));
  return name;
}

}  // namespace

FrameFolderClaim::FrameFolderClaim(const std::string& folder) {
  const std::wstring name = ClaimName(folder);
  // Made by this call: nobody else holds it. Opened: another conversion does.
  ::SetLastError(ERROR_SUCCESS);
  name_.reset(::CreateMutexW(nullptr, FALSE, name.c_str()));
  held_ = !name_ || ::GetLastError() != ERROR_ALREADY_EXISTS;
}

std::string FolderHeldText(const std::string& folder) {
  return "Another Lumavex is writing a video of the frames in this folder:\r\n" + folder +
         "\r\nTry again when it has finished.";
}

}  // namespace lumavex
