// Huffman tables built per frame change the entropy coding only: every
// picture decodes to exactly the pixels the standard tables give, at every
// quality and layout, whether the first pass keeps its symbols or not; and
// djpeg and PIL read the files as they read the standard ones.
#include <gtest/gtest.h>
#include <stdio.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "imaging/jpeg/jpeg_encoder.h"
#include "imaging/jpeg/jpeg_output_buffer.h"
#include "native/jpeg_photo_source.h"
#include "native/jpeg_test_support.h"

namespace lumavex::testing {
namespace {

using jpeg::HuffmanTables;
using jpeg::Subsampling;
using Bytes = std::vector<std::uint8_t>;

struct Picture {
  std::string name;
  RgbPicture pixels;
};

RgbPicture Generated(int width, int height, const std::function<Rgb(int, int)>& colourAt) {
  RgbPicture picture{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = colourAt(x, y);
      std::uint8_t* p = &picture.rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      p[0] = static_cast<std::uint8_t>(c.r);
      p[1] = static_cast<std::uint8_t>(c.g);
      p[2] = static_cast<std::uint8_t>(c.b);
    }
  }
  return picture;
}

// Photographs, flat colour, noise, and tiny and odd sizes: the histograms
// from rich to degenerate (one DC category and nothing but end-of-block).
std::vector<Picture> TestPictures() {
  std::vector<Picture> pictures;
  for (const auto& [name, width, height] :
       {std::tuple{"astronaut.png", 163, 123}, std::tuple{"chelsea.png", 37, 29}}) {
    Picture photo{name, {}};
    EXPECT_TRUE(scaledPhoto(name, width, height, photo.pixels))
        << "cannot read " << kPhotoFolder << name << " through /usr/bin/convert";
    pictures.push_back(std::move(photo));
  }
  pictures.push_back(
      {"flat blocks", Generated(163, 123, [](int x, int y) {
         const Rgb bands[4] = {{30, 150, 90}, {40, 120, 170}, {170, 120, 40}, {120, 40, 150}};
         return ((x / 27 + y / 19) % 2 == 1 && x % 27 >= 5) ? Rgb{240, 230, 80} : bands[y * 4 / 123];
       })});
  pictures.push_back({"one colour", Generated(40, 24, [](int, int) { return Rgb{90, 90, 200}; })});
  std::mt19937 random(41);
  const auto noise = [&random](int, int) {
    return Rgb{static_cast<int>(random() % 256), static_cast<int>(random() % 256),
               static_cast<int>(random() % 256)};
  };
  pictures.push_back({"noise", Generated(61, 45, noise)});
  pictures.push_back({"1x1", Generated(1, 1, noise)});
  pictures.push_back({"2x3", Generated(2, 3, noise)});
  pictures.push_back({"17x9", Generated(17, 9, smoothColour)});
  return pictures;
}

Bytes Encode(const RgbPicture& picture, int quality, int layout, HuffmanTables tables,
             std::size_t keptSymbolsLimit = jpeg::EncodeSettings{}.keptSymbolsLimit) {
  jpeg::SourceImage image;
  image.pixels = picture.rgb.data();
  image.width = picture.width;
  image.height = picture.height;
  image.rowBytes = 3 * static_cast<std::ptrdiff_t>(picture.width);
  image.order = jpeg::PixelOrder::Rgb;
  jpeg::EncodeSettings settings;
  settings.quality = quality;
  settings.grayscale = layout == 3;
  settings.subsampling = layout == 0   ? Subsampling::Full444
                         : layout == 1 ? Subsampling::Horizontal422
                                       : Subsampling::Both420;
  settings.huffmanTables = tables;
  settings.keptSymbolsLimit = keptSymbolsLimit;
  jpeg::JpegOutputBuffer out;
  EXPECT_EQ(jpeg::EncodeJpeg(image, settings, out), jpeg::EncodeResult::Ok);
  return Bytes(out.data(), out.data() + out.size());
}

DecodedPicture Decode(const Bytes& file, const std::string& what) {
  DecodedPicture decoded;
  std::string error;
  EXPECT_TRUE(ReferenceCodec::instance().decode(file.data(), file.size(), decoded, &error))
      << what << ": " << error;
  return decoded;
}

TEST(PerFrameTables, DecodeToTheStandardTablesPixelsAtEveryQualityAndLayout) {
  ASSERT_TRUE(ReferenceCodec::instance().available()) << ReferenceCodec::instance().loadError();
  // The frames' 70, Write Avi's 90, the library's default 75, and the ends.
  for (const Picture& picture : TestPictures()) {
    for (int quality : {70, 90, 75, 1, 100}) {
      for (int layout = 0; layout < 4; ++layout) {
        const std::string what =
            picture.name + " q" + std::to_string(quality) + " layout " + std::to_string(layout);
        const Bytes standard = Encode(picture.pixels, quality, layout, HuffmanTables::Standard);
        const Bytes perFrame = Encode(picture.pixels, quality, layout, HuffmanTables::PerFrame);
        EXPECT_EQ(Encode(picture.pixels, quality, layout, HuffmanTables::PerFrame, 0), perFrame)
            << what << ": symbols computed again code differently from kept ones";
        EXPECT_LE(perFrame.size(), standard.size()) << what;
        const DecodedPicture a = Decode(standard, what), b = Decode(perFrame, what);
        EXPECT_EQ(a.width, b.width) << what;
        EXPECT_TRUE(a.rgb == b.rgb) << what << ": the pixels differ";
      }
    }
  }
}

// Runs a command and returns what it writes on standard output.
Bytes Output(const std::string& command) {
  std::unique_ptr<FILE, PipeCloser> pipe(popen(command.c_str(), "r"));
  Bytes bytes;
  if (!pipe) return bytes;
  std::uint8_t chunk[4096];
  for (std::size_t n; (n = fread(chunk, 1, sizeof chunk, pipe.get())) > 0;)
    bytes.insert(bytes.end(), chunk, chunk + n);
  return bytes;
}

TEST(PerFrameTables, DjpegAndPilReadThemAsTheStandardOnes) {
  ScratchFolder folder;
  std::vector<std::string> files;  // pairs: standard tables, then per frame
  std::vector<std::string> names;
  for (const Picture& picture : TestPictures()) {
    for (int quality : {70, 90}) {
      const std::string what = picture.name + " q" + std::to_string(quality);
      const std::string stem = folder.file(std::to_string(files.size() / 2));
      for (const auto& [path, tables] : {std::pair{stem + "-standard.jpg", HuffmanTables::Standard},
                                         std::pair{stem + "-per-frame.jpg", HuffmanTables::PerFrame}}) {
        const Bytes file = Encode(picture.pixels, quality, 2, tables);
        FILE* f = fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(fwrite(file.data(), 1, file.size(), f), file.size());
        fclose(f);
        files.push_back(path);
      }
      names.push_back(what);
      // djpeg writes a warning for data it had to guess at, and still succeeds.
      const std::string warnings = folder.file("djpeg.txt");
      const Bytes standard = Output("djpeg -ppm '" + files[files.size() - 2] + "' 2>'" + warnings + "'");
      const Bytes perFrame = Output("djpeg -ppm '" + files.back() + "' 2>>'" + warnings + "'");
      EXPECT_FALSE(standard.empty()) << what;
      EXPECT_TRUE(perFrame == standard) << what << ": djpeg decodes them differently";
      EXPECT_TRUE(readFile(warnings).empty()) << what << ": djpeg warns";
    }
  }
  // One line per file: that PIL sees a baseline JPEG, and a digest of its pixels.
  std::string command =
      "/usr/bin/python3 -c \"import sys, hashlib; from PIL import Image\n"
      "for p in sys.argv[1:]:\n"
      "  i = Image.open(p)\n"
      "  print(i.format, 'progressive' in i.info, hashlib.sha256(i.convert('RGB').tobytes()).hexdigest())\"";
  for (const std::string& file : files) command += " '" + file + "'";
  const Bytes output = Output(command);
  std::vector<std::string> lines;
  std::string line;
  for (std::uint8_t c : output) {
    if (c != '\n') {
      line += static_cast<char>(c);
    } else {
      lines.push_back(line);
      line.clear();
    }
  }
  ASSERT_EQ(lines.size(), files.size()) << "PIL could not read every file";
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(lines[2 * i].substr(0, 11), "JPEG False ") << names[i];
    EXPECT_EQ(lines[2 * i + 1], lines[2 * i]) << names[i] << ": PIL decodes them differently";
  }
}

}  // namespace
}  // namespace lumavex::testing
