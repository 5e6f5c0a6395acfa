// The floor for copying a folder of JPG frames under Wine: list the same
// "*.jpg" files and read every one whole, nothing else. Prints the best of
// its runs as one line, as avibench does:
//   frames=N seconds=S fps=F peak_kb=K
//
//   readfloor.exe <frame folder> [runs]
//
// With --list-only, it only counts what the system lists for "*.jpg" (or,
// with --by-last-digit, for "*0.jpg" ... "*9.jpg" in turn, which is not
// every JPG name): what a listing alone costs in time and memory.
//
//   readfloor.exe --list-only [--by-last-digit] <frame folder>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/kernel.h"

namespace {

// Returns the number of files read, or -1 when one could not be read.
int ReadAll(const std::wstring& folder, std::vector<char>& buffer) {
  WIN32_FIND_DATAW data;
  lumavex::UniqueFind find(::FindFirstFileExW((folder + L"\\*.jpg").c_str(), FindExInfoBasic, &data,
                                              FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return 0;
  std::vector<std::wstring> names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
  } while (::FindNextFileW(find.get(), &data));
  std::sort(names.begin(), names.end());
  for (const std::wstring& name : names) {
    lumavex::UniqueFile file(::CreateFileW((folder + L"\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                           nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size;
    if (!file || !::GetFileSizeEx(file.get(), &size)) return -1;
    buffer.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!buffer.empty() &&
        (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) ||
         read != buffer.size()))
      return -1;
  }
  return static_cast<int>(names.size());
}

// Counts the files that `pattern` lists, keeping nothing.
int CountListed(const std::wstring& folder, const std::wstring& pattern) {
  WIN32_FIND_DATAW data;
  lumavex::UniqueFind find(::FindFirstFileExW((folder + L"\\" + pattern).c_str(), FindExInfoBasic, &data,
                                              FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return 0;
  int count = 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
  } while (::FindNextFileW(find.get(), &data));
  return count;
}

void PrintFigures(int frames, double seconds) {
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
  std::printf("frames=%d seconds=%.3f fps=%.1f peak_kb=%llu\n", frames, seconds,
              seconds > 0 ? frames / seconds : 0,
              static_cast<unsigned long long>(memory.PeakWorkingSetSize / 1024));
}

double SecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
}

int ListOnly(int argc, char** argv) {
  const bool byDigit = argc > 3 && std::string(argv[2]) == "--by-last-digit";
  const std::string narrow = argv[argc - 1];
  const std::wstring folder(narrow.begin(), narrow.end());
  LARGE_INTEGER start;
  ::QueryPerformanceCounter(&start);
  int frames = 0;
  if (byDigit) {
    for (wchar_t digit = L'0'; digit <= L'9'; ++digit)
      frames += CountListed(folder, std::wstring(L"*") + digit + L".jpg");
  } else {
    frames = CountListed(folder, L"*.jpg");
  }
  PrintFigures(frames, SecondsSince(start));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--list-only") return ListOnly(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: readfloor <frame folder> [runs]\n");
    return 2;
  }
  const std::string narrow = argv[1];
  const std::wstring folder(narrow.begin(), narrow.end());  // the benchmark's folders are ASCII
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  std::vector<char> buffer;
  double best = 0;
  int frames = 0;
  for (int run = 1; run <= runs; ++run) {
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    frames = ReadAll(folder, buffer);
    ::QueryPerformanceCounter(&end);
    if (frames < 0) {
      std::fprintf(stderr, "a file could not be read\n");
      return 1;
    }
    const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
    if (run == 1 || seconds < best) best = seconds;
  }
  PrintFigures(frames, best);
  return 0;
}
