// Times the Motion JPEG AVI writer alone, natively: list the *.jpg files of
// a folder in frame order, read each whole, check it and copy it into an
// AVI. bench-avi.sh sets the figures beside ffmpeg's "-c copy".
//
//   mjpegbench <folder> <target.avi> [frames per second, default 1]
//
// Prints one line: frames=N seconds=S fps=F peak_kb=K (peak resident memory
// of the whole run). A frame that cannot be read, or whose size differs from
// the first readable one, is replaced by the frame before it (said on
// stderr); frames before the first readable one by that one.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "writeavi/frame_list.h"
#include "imaging/jpeg_frame_check.h"
#include "avi/mjpeg_avi_writer.h"
#include "base/file.h"
#include "base/part_file.h"

namespace {

using Clock = std::chrono::steady_clock;

// Reads a whole file into `buffer` (grown as needed, never shrunk, so one
// allocation serves every frame of a folder). False when it cannot be read.
bool ReadWhole(const std::string& path, std::vector<std::uint8_t>& buffer, std::size_t& size) {
  lumavex::UniqueStdFile file(lumavex::OpenFileUtf8(path, "rb"));
  if (file == nullptr) return false;
  std::setvbuf(file.get(), nullptr, _IONBF, 0);  // straight into our buffer
  if (buffer.size() < 64 * 1024) buffer.resize(64 * 1024);
  size = 0;
  for (;;) {
    size += std::fread(buffer.data() + size, 1, buffer.size() - size, file.get());
    if (size < buffer.size()) break;
    buffer.resize(buffer.size() * 2);
  }
  return std::ferror(file.get()) == 0;
}

long PeakResidentKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;  // kilobytes on Linux
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "mjpegbench: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) return Fail("usage: mjpegbench <folder> <target.avi> [frames per second]");
  const std::filesystem::path folder(argv[1]);
  const std::string target = argv[2];
  const unsigned fps = argc == 4 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 1;

  const Clock::time_point start = Clock::now();
  // Filtered and ordered in place (as the conversion lists them), so the names
  // are held once.
  std::vector<std::string> frames;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (lumavex::MatchesFilePattern(name, "*.jpg")) frames.push_back(std::move(name));
  }
  if (error) return Fail("cannot list " + folder.string() + ": " + error.message());
  std::sort(frames.begin(), frames.end(), lumavex::FileNameLess);
  if (frames.empty()) return Fail("no *.jpg files in " + folder.string());

  // The current file and the last good frame, swapped rather than copied.
  std::vector<std::uint8_t> current, previous;
  std::size_t currentSize = 0, previousSize = 0;
  // The writer goes into a part file that is put in place when finished.
  lumavex::PartFile part(target);
  std::unique_ptr<lumavex::OutputFile> out;
  std::unique_ptr<lumavex::MjpegAviWriter> writer;
  std::size_t waiting = 0;  // unreadable frames before the first readable one
  std::size_t replaced = 0;
  lumavex::JpegFrameInfo first;
  for (const std::string& name : frames) {
    const bool read = ReadWhole((folder / name).string(), current, currentSize);
    const lumavex::JpegFrameInfo info =
        read ? lumavex::CheckJpegFrame(current.data(), currentSize) : lumavex::JpegFrameInfo{};
    const bool usable =
        info.readable && (!first.readable || (info.width == first.width && info.height == first.height));
    if (usable) {
      current.swap(previous);
      previousSize = currentSize;
    } else {
      ++replaced;
    }
    if (writer == nullptr) {
      if (!usable) {
        ++waiting;
        continue;
      }
      first = info;
      lumavex::MjpegAviSettings settings;
      settings.width = static_cast<std::uint32_t>(info.width);
      settings.height = static_cast<std::uint32_t>(info.height);
      settings.framesPerSecond = fps;
      if (!part.Open()) return Fail("cannot create " + part.PartPath());
      out = std::make_unique<lumavex::OutputFile>(part.stream());
      writer = std::make_unique<lumavex::MjpegAviWriter>(*out, settings);
      if (!writer->Start()) return Fail("writing " + target + " failed");
      for (; waiting > 0; --waiting) writer->AddFrame(previous.data(), previousSize);
    }
    if (!writer->AddFrame(previous.data(), previousSize)) return Fail("writing " + target + " failed");
  }
  if (writer == nullptr) return Fail("no readable frame in " + folder.string());
  if (!part.Commit(!writer->Finish())) return Fail("writing " + target + " failed");
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

  if (replaced > 0) std::fprintf(stderr, "mjpegbench: %zu frames replaced by the one before\n", replaced);
  std::printf("frames=%u seconds=%.3f fps=%.0f peak_kb=%ld\n", writer->FrameCount(), seconds,
              writer->FrameCount() / seconds, PeakResidentKb());
  return 0;
}
