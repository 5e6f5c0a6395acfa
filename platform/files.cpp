#include "platform/files.h"

#include <windows.h>
#include <shlobj.h>

#include "base/path.h"
#include "platform/file_write.h"
#include "platform/kernel.h"
#include "base/utf8.h"

namespace lumavex {

namespace {

std::int64_t UtcMsOf(const FILETIME& time) {
  const std::uint64_t ticks = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  constexpr std::uint64_t kTicksTo1970 = 116'444'736'000'000'000ull;  // 100 ns ticks since 1601
  return ticks < kTicksTo1970 ? 0 : static_cast<std::int64_t>((ticks - kTicksTo1970) / 10'000);
}

}  // namespace

std::vector<FolderEntry> ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAW data;
  const UniqueFind find(::FindFirstFileExW(Widen(JoinPath(folder, "*")).c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return entries;
  do {
    const std::wstring_view name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    entries.push_back(FolderEntry{Narrow(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                                  (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                                  UtcMsOf(data.ftLastWriteTime)});
  } while (::FindNextFileW(find.get(), &data));
  return entries;
}

bool PathExists(const std::string& path) {
  return ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool DirectoryExists(const std::string& path) {
  const DWORD a = ::GetFileAttributesW(Widen(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string SystemErrorText(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::string text = n && buffer ? Narrow(std::wstring(buffer, n)) : std::string("Unknown error");
  if (buffer) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

bool MakeDirectory(const std::string& path) {
  if (::CreateDirectoryW(Widen(path).c_str(), nullptr)) return true;
  return DirectoryExists(path);
}

bool WriteWholeFile(const std::string& path, const std::vector<std::pair<const void*, std::size_t>>& parts) {
  const std::wstring wide = Widen(path);
  bool ok = true;
  {
    UniqueFile file(::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::uint64_t offset = 0;
    for (const auto& [data, size] : parts) {
      ok = ok && WriteFileAt(file.get(), offset, data, size);
      offset += size;
    }
    if (ok) ok = ::CloseHandle(file.release()) != 0;
  }
  // A partly written file would pass for a frame: take it away.
  if (!ok) ::DeleteFileW(wide.c_str());
  return ok;
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::uint64_t maxBytes) {
  // Frames are read while a recording may still be writing others beside them.
  UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > 0x7FFFFFFF ||
      static_cast<std::uint64_t>(size.QuadPart) > maxBytes)
    return false;
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() &&
      (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
       read != bytes.size()))
    return false;
  return true;
}

std::string ExecutableFolder() {
  std::wstring wide(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(wide.size()));
    if (n == 0) return {};
    if (n < wide.size()) {
      wide.resize(n);
      break;
    }
    wide.resize(wide.size() * 2);
  }
  const std::string path = Narrow(wide);
  if (path.find_last_of("\\/") == std::string::npos) return {};
  return ParentFolder(path);
}

std::string VolumeOf(const std::string& path) {
  wchar_t root[MAX_PATH + 1] = {};
  if (!::GetVolumePathNameW(Widen(path).c_str(), root, MAX_PATH + 1) || root[0] == L'\0') return path;
  return Narrow(root);
}

std::string RoamingAppDataFolder() {
  const DWORD n = ::GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
  if (n > 1) {
    std::wstring value(n, L'\0');
    const DWORD got = ::GetEnvironmentVariableW(L"APPDATA", value.data(), n);
    if (got > 0 && got < n) {
      value.resize(got);
      return Narrow(value);
    }
  }
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &path)) && path)
    folder = Narrow(path);
  ::CoTaskMemFree(path);
  return folder;
}

std::optional<std::uint64_t> FreeSpaceOfVolume(const std::string& folder) {
  ULARGE_INTEGER available;
  if (!::GetDiskFreeSpaceExW(Widen(folder).c_str(), &available, nullptr, nullptr)) return std::nullopt;
  return available.QuadPart;
}

}  // namespace lumavex
