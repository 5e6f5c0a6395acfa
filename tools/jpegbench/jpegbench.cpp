// Times the JPEG library against libjpeg-turbo's TurboJPEG (with its SIMD)
// on the same pixels in the same run: quality 70, 4:2:0, bottom-up BGR rows
// read in place by both. Prints the median time per picture over many runs,
// then the file sizes against libjpeg-turbo's cjpeg, with its standard
// Huffman tables and with -optimize (tables built for the picture), at the
// qualities the program writes.
//
//   jpegbench [picture.ppm ...]   (without pictures: synthetic scenes of
//                                  163x123, 640x480 and 1920x1080)
//
// A flat-blocks test pane of 163x123 is always added.
#include <stdio.h>
#include <turbojpeg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "imaging/jpeg/jpeg_encoder.h"
#include "imaging/jpeg/jpeg_library.h"
#include "imaging/jpeg/jpeg_output_buffer.h"
#include "picture_source.h"

namespace {

using lumavex::jpegbench::DibPixels;
using Clock = std::chrono::steady_clock;

constexpr int kQuality = 70;

double medianOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

template <typename F>
double secondsFor(F&& run) {
  const auto start = Clock::now();
  run();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct TurboHandle {
  tjhandle handle = tjInitCompress();
  ~TurboHandle() {
    if (handle != nullptr) tjDestroy(handle);
  }
};

struct TurboBuffer {
  unsigned char* data = nullptr;
  ~TurboBuffer() { tjFree(data); }
};

struct Row {
  std::string name;
  double oursMs, standardMs, turboMs, oursFileMs;
  std::size_t oursBytes, turboBytes;
  double megapixels;
};

// The picture as the encoder takes it.
lumavex::jpeg::SourceImage sourceOf(const DibPixels& pixels) {
  lumavex::jpeg::SourceImage image;
  image.pixels = pixels.bytes.data();
  image.width = pixels.width;
  image.height = pixels.height;
  image.rowBytes = pixels.stride;
  image.bottomUp = true;
  return image;
}

bool benchmark(const DibPixels& pixels, const std::string& outputPath, Row& row) {
  // Ours, to memory, through the encoder the library uses.
  const lumavex::jpeg::SourceImage image = sourceOf(pixels);
  lumavex::jpeg::EncodeSettings settings;
  settings.quality = kQuality;
  lumavex::jpeg::JpegOutputBuffer buffer;
  const auto encodeOurs = [&] {
    buffer.Clear();
    return lumavex::jpeg::EncodeJpeg(image, settings, buffer) == lumavex::jpeg::EncodeResult::Ok;
  };
  // The same with the standard Huffman tables, in one pass: what tables
  // per frame cost in time.
  lumavex::jpeg::EncodeSettings standardSettings = settings;
  standardSettings.huffmanTables = lumavex::jpeg::HuffmanTables::Standard;
  lumavex::jpeg::JpegOutputBuffer standardBuffer;
  const auto encodeStandard = [&] {
    standardBuffer.Clear();
    return lumavex::jpeg::EncodeJpeg(image, standardSettings, standardBuffer) ==
           lumavex::jpeg::EncodeResult::Ok;
  };

  // TurboJPEG, to a preallocated buffer, reading the same bottom-up BGR rows.
  TurboHandle turbo;
  TurboBuffer turboBuffer;
  const unsigned long capacity = tjBufSize(pixels.width, pixels.height, TJSAMP_420);
  turboBuffer.data = tjAlloc(static_cast<int>(capacity));
  unsigned long turboSize = 0;
  const auto encodeTurbo = [&] {
    turboSize = capacity;
    return tjCompress2(turbo.handle, pixels.bytes.data(), pixels.width, pixels.stride, pixels.height,
                       TJPF_BGR, &turboBuffer.data, &turboSize, TJSAMP_420, kQuality,
                       TJFLAG_NOREALLOC | TJFLAG_BOTTOMUP) == 0;
  };

  // Ours through the library interface, file write and rename included.
  JpegCoreProperties props{};
  jpegInit(&props);
  props.DIBBytes = pixels.bytes.data();
  props.DIBWidth = props.JPGWidth = pixels.width;
  props.DIBHeight = -pixels.height;
  props.JPGHeight = pixels.height;
  props.DIBPadBytes = pixels.stride - 3 * pixels.width;
  props.JPGFile = outputPath.c_str();
  props.jquality = kQuality;
  const auto writeFile = [&] { return jpegWrite(&props, JPEG_JFILE_WRITEWHOLEIMAGE) == JPEG_OK; };

  if (turbo.handle == nullptr || turboBuffer.data == nullptr) {
    std::fprintf(stderr, "TurboJPEG could not be set up\n");
    return false;
  }
  for (int i = 0; i < 3; ++i) {
    if (!encodeOurs() || !encodeStandard() || !encodeTurbo() || !writeFile()) {
      std::fprintf(stderr, "an encoder failed on %s\n", pixels.origin.c_str());
      return false;
    }
  }

  // Enough runs for about a second per encoder, alternating the two so that
  // both see the same machine load.
  const double estimate = std::max(secondsFor(encodeTurbo), 1e-5);
  const int runs = std::clamp(static_cast<int>(1.0 / estimate), 15, 5000);
  std::vector<double> ours, standard, theirs, file;
  for (int i = 0; i < runs; ++i) {
    ours.push_back(secondsFor(encodeOurs));
    standard.push_back(secondsFor(encodeStandard));
    theirs.push_back(secondsFor(encodeTurbo));
    if (i % 4 == 0) file.push_back(secondsFor(writeFile));
  }
  jpegFree(&props);
  std::remove(outputPath.c_str());

  row.name = std::to_string(pixels.width) + "x" + std::to_string(pixels.height);
  row.oursMs = medianOf(ours) * 1e3;
  row.standardMs = medianOf(standard) * 1e3;
  row.turboMs = medianOf(theirs) * 1e3;
  row.oursFileMs = medianOf(file) * 1e3;
  row.oursBytes = buffer.size();
  row.turboBytes = turboSize;
  row.megapixels = static_cast<double>(pixels.width) * pixels.height / 1e6;
  return true;
}

// Bytes that cjpeg writes for a PPM file, or 0 when it cannot be run.
std::size_t cjpegBytes(const std::string& ppmPath, int quality, bool optimize) {
  const std::string command = "cjpeg -quality " + std::to_string(quality) + (optimize ? " -optimize" : "") +
                              " '" + ppmPath + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return 0;
  std::size_t total = 0;
  char chunk[4096];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) total += n;
  return pclose(pipe) == 0 ? total : 0;
}

std::size_t oursBytes(const DibPixels& pixels, int quality) {
  lumavex::jpeg::EncodeSettings settings;
  settings.quality = quality;
  lumavex::jpeg::JpegOutputBuffer buffer;
  return lumavex::jpeg::EncodeJpeg(sourceOf(pixels), settings, buffer) == lumavex::jpeg::EncodeResult::Ok
             ? buffer.size()
             : 0;
}

void printSizes(const std::vector<DibPixels>& pictures) {
  std::printf("\nFile size in bytes, 4:2:0: ours against cjpeg (standard tables) and cjpeg -optimize\n");
  std::printf("%-10s %4s %10s %10s %12s %10s   %s\n", "size", "q", "ours B", "cjpeg B", "-optimize B",
              "ours/opt", "picture");
  const std::string ppmPath = "jpegbench-picture.ppm";
  for (const DibPixels& pixels : pictures) {
    if (!lumavex::jpegbench::savePpm(pixels, ppmPath)) {
      std::fprintf(stderr, "cannot write %s\n", ppmPath.c_str());
      return;
    }
    for (int quality : {70, 90}) {  // frames, and frames Write Avi encodes again
      const std::size_t ours = oursBytes(pixels, quality);
      const std::size_t standard = cjpegBytes(ppmPath, quality, false);
      const std::size_t optimized = cjpegBytes(ppmPath, quality, true);
      const std::string size = std::to_string(pixels.width) + "x" + std::to_string(pixels.height);
      std::printf("%-10s %4d %10zu %10zu %12zu %10.3f   (%s)\n", size.c_str(), quality, ours, standard,
                  optimized, optimized > 0 ? static_cast<double>(ours) / optimized : 0.0,
                  pixels.origin.c_str());
    }
  }
  std::remove(ppmPath.c_str());
  std::printf("ours/opt = ours / cjpeg -optimize bytes (at most 1.01 is the aim at 163x123)\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<DibPixels> pictures;
  for (int i = 1; i < argc; ++i) {
    DibPixels pixels;
    std::string error;
    if (!lumavex::jpegbench::loadPpm(argv[i], pixels, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 2;
    }
    pictures.push_back(std::move(pixels));
  }
  if (pictures.empty()) {
    for (auto size : {std::pair{163, 123}, std::pair{640, 480}, std::pair{1920, 1080}}) {
      pictures.push_back(lumavex::jpegbench::syntheticScene(size.first, size.second));
    }
  }
  pictures.push_back(lumavex::jpegbench::flatBlocksPane(163, 123));

  std::printf("JPEG encode, quality %d, 4:2:0, bottom-up BGR input; median time per picture\n", kQuality);
  std::printf("%-10s %10s %9s %8s %6s %10s %9s %8s %10s %10s %12s\n", "size", "ours ms", "ours MP/s",
              "std ms", "x std", "turbo ms", "turbo MP/s", "ratio", "ours B", "turbo B", "ours+file ms");
  const std::string outputPath = "jpegbench-output.jpg";
  for (const DibPixels& pixels : pictures) {
    Row row;
    if (!benchmark(pixels, outputPath, row)) return 1;
    std::printf("%-10s %10.3f %9.1f %8.3f %6.2f %10.3f %9.1f %8.2f %10zu %10zu %12.3f   (%s)\n",
                row.name.c_str(), row.oursMs, row.megapixels / (row.oursMs / 1e3), row.standardMs,
                row.oursMs / row.standardMs, row.turboMs, row.megapixels / (row.turboMs / 1e3),
                row.oursMs / row.turboMs, row.oursBytes, row.turboBytes, row.oursFileMs,
                pixels.origin.c_str());
  }
  std::printf("std = ours with the standard Huffman tables (one pass, as before tables per frame);\n");
  std::printf("x std = ours / std time; ratio = ours / turbo time (lower is faster)\n");
  printSizes(pictures);
  return 0;
}
