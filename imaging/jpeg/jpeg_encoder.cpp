#include "imaging/jpeg/jpeg_encoder.h"

#include <algorithm>
#include <memory>
#include <new>

#include "imaging/jpeg/jpeg_dct.h"
#include "imaging/jpeg/jpeg_huffman.h"
#include "imaging/jpeg/jpeg_markers.h"
#include "imaging/jpeg/jpeg_tables.h"

namespace lumavex::jpeg {

namespace {

constexpr int kMaxDimension = 65535;

struct HuffmanSet {
  HuffmanCodes dcLuminance, acLuminance, dcChrominance, acChrominance;
};

const HuffmanSet& StandardHuffmanSet() {
  static const HuffmanSet set = {BuildHuffmanCodes(kDcLuminanceSpec), BuildHuffmanCodes(kAcLuminanceSpec),
                                 BuildHuffmanCodes(kDcChrominanceSpec),
                                 BuildHuffmanCodes(kAcChrominanceSpec)};
  return set;
}

struct SamplePlane {
  std::unique_ptr<std::int16_t[]> samples;
  std::ptrdiff_t stride = 0;  // samples per row

  bool Allocate(int width, int rows) {
    stride = width;
    samples.reset(new (std::nothrow) std::int16_t[static_cast<std::size_t>(width) * rows]);
    return samples != nullptr;
  }
  std::int16_t* Row(int index) const { return samples.get() + index * stride; }
};

struct ScanComponent {
  const SamplePlane* plane;
  int horizontal;  // blocks per MCU across
  int vertical;    // blocks per MCU down
  QuantDivisors divisors;
  const HuffmanCodes* dc;
  const HuffmanCodes* ac;
  int previousDc;
};

// Everything one encode needs besides the output.
class StripEncoder {
 public:
  StripEncoder(const SourceImage& image, const EncodeSettings& settings)
      : image_(image), settings_(settings) {
    if (settings.grayscale) {
      h_ = v_ = 1;
    } else {
      h_ = settings.subsampling == Subsampling::Full444 ? 1 : 2;
      v_ = settings.subsampling == Subsampling::Both420 ? 2 : 1;
    }
    mcuWidth_ = 8 * h_;
    mcuHeight_ = 8 * v_;
    mcusAcross_ = (image.width + mcuWidth_ - 1) / mcuWidth_;
    mcusDown_ = (image.height + mcuHeight_ - 1) / mcuHeight_;
    paddedWidth_ = mcusAcross_ * mcuWidth_;
    chromaWidth_ = paddedWidth_ / h_;
  }

  bool Allocate() {
    if (!luma_.Allocate(paddedWidth_, mcuHeight_)) return false;
    if (settings_.grayscale) return true;
    if (!cb_.Allocate(chromaWidth_, 8) || !cr_.Allocate(chromaWidth_, 8)) return false;
    if (h_ == 2 && v_ == 1) {
      return fullCb_.Allocate(paddedWidth_, 1) && fullCr_.Allocate(paddedWidth_, 1);
    }
    return true;
  }

  EncodeResult Encode(JpegOutputBuffer& out) {
    std::uint8_t lumaQuant[64], chromaQuant[64];
    ScaleQuantTable(kLuminanceQuant, settings_.quality, lumaQuant);
    ScaleQuantTable(kChrominanceQuant, settings_.quality, chromaQuant);

    const HuffmanSet& codes = StandardHuffmanSet();
    FrameLayout frame{};
    frame.width = image_.width;
    frame.height = image_.height;
    frame.quantTables[0] = lumaQuant;
    frame.quantTables[1] = chromaQuant;
    ScanComponent components[3];
    int count = 0;
    // Luma samples are eighths; chroma samples are sums of h x v eighths.
    components[count++] = {
        &luma_, h_, v_, MakeQuantDivisors(lumaQuant, 8.0f), &codes.dcLuminance, &codes.acLuminance, 0};
    frame.components[0] = {1, static_cast<std::uint8_t>(h_), static_cast<std::uint8_t>(v_), 0};
    if (!settings_.grayscale) {
      const QuantDivisors chromaDivisors = MakeQuantDivisors(chromaQuant, 8.0f * h_ * v_);
      components[count++] = {&cb_, 1, 1, chromaDivisors, &codes.dcChrominance, &codes.acChrominance, 0};
      components[count++] = {&cr_, 1, 1, chromaDivisors, &codes.dcChrominance, &codes.acChrominance, 0};
      frame.components[1] = {2, 1, 1, 1};
      frame.components[2] = {3, 1, 1, 1};
    }
    frame.componentCount = count;
    if (!WriteFileHeaders(out, frame)) return FailureOf(out);

    const std::size_t mcuBytes = static_cast<std::size_t>(h_ * v_ + 2) * kMaxBlockBytes;
    BitWriterState bits;
    alignas(16) std::int16_t coefficients[64];
    for (int mcuRow = 0; mcuRow < mcusDown_; ++mcuRow) {
      FillStrip(mcuRow * mcuHeight_);
      for (int mcu = 0; mcu < mcusAcross_; ++mcu) {
        if (!out.Reserve(mcuBytes)) return FailureOf(out);
        unsigned char* cursor = out.cursor();
        for (int c = 0; c < count; ++c) {
          ScanComponent& component = components[c];
          const std::ptrdiff_t stride = component.plane->stride;
          for (int by = 0; by < component.vertical; ++by) {
            const std::int16_t* blockRow = component.plane->Row(by * 8);
            for (int bx = 0; bx < component.horizontal; ++bx) {
              const int column = (mcu * component.horizontal + bx) * 8;
              ForwardDctQuantize(blockRow + column, stride, component.divisors, coefficients);
              cursor =
                  EncodeBlock(coefficients, component.previousDc, *component.dc, *component.ac, bits, cursor);
            }
          }
        }
        out.SetCursor(cursor);
      }
    }

    if (!out.Reserve(16)) return FailureOf(out);
    BitPacker packer(bits, out.cursor());
    packer.FlushToByte();
    out.SetCursor(packer.out());
    if (!WriteEndOfImage(out)) return FailureOf(out);
    return EncodeResult::Ok;
  }

 private:
  static EncodeResult FailureOf(const JpegOutputBuffer& out) {
    return out.failure() == JpegOutputBuffer::Failure::OutOfMemory ? EncodeResult::OutOfMemory
                                                                   : EncodeResult::OutputFailed;
  }

  const std::uint8_t* SourceRow(int y) const {
    const int memoryRow = image_.bottomUp ? image_.height - 1 - y : y;
    return image_.pixels + memoryRow * image_.rowBytes;
  }

  // Converts the picture rows top..top + mcuHeight - 1 into the sample
  // planes; rows past the bottom repeat the last picture row, columns past
  // the right edge the last column.
  void FillStrip(int top) {
    const int width = image_.width;
    const auto rowAt = [&](int r) { return SourceRow(std::min(top + r, image_.height - 1)); };
    if (settings_.grayscale) {
      for (int r = 0; r < mcuHeight_; ++r) {
        ConvertRowToGray(rowAt(r), width, image_.order, luma_.Row(r));
        ReplicateRightEdge(luma_.Row(r), width, paddedWidth_);
      }
      return;
    }
    if (v_ == 2) {  // 4:2:0
      const int chromaCount = (width + 1) / 2;
      for (int r = 0; r < 8; ++r) {
        ConvertRowPairTo420(rowAt(2 * r), rowAt(2 * r + 1), width, image_.order, luma_.Row(2 * r),
                            luma_.Row(2 * r + 1), cb_.Row(r), cr_.Row(r));
        ReplicateRightEdge(luma_.Row(2 * r), width, paddedWidth_);
        ReplicateRightEdge(luma_.Row(2 * r + 1), width, paddedWidth_);
        ReplicateRightEdge(cb_.Row(r), chromaCount, chromaWidth_);
        ReplicateRightEdge(cr_.Row(r), chromaCount, chromaWidth_);
      }
      return;
    }
    for (int r = 0; r < 8; ++r) {  // 4:4:4, or 4:2:2 through full-resolution chroma rows
      const bool halve = h_ == 2;
      std::int16_t* y = luma_.Row(r);
      std::int16_t* cb = halve ? fullCb_.Row(0) : cb_.Row(r);
      std::int16_t* cr = halve ? fullCr_.Row(0) : cr_.Row(r);
      ConvertRowToYCbCr(rowAt(r), width, image_.order, y, cb, cr);
      ReplicateRightEdge(y, width, paddedWidth_);
      ReplicateRightEdge(cb, width, paddedWidth_);
      ReplicateRightEdge(cr, width, paddedWidth_);
      if (halve) {
        Downsample2x1(cb, chromaWidth_, cb_.Row(r));
        Downsample2x1(cr, chromaWidth_, cr_.Row(r));
      }
    }
  }

  const SourceImage& image_;
  const EncodeSettings& settings_;
  int h_ = 1, v_ = 1;  // luma blocks per MCU across and down
  int mcuWidth_ = 8, mcuHeight_ = 8;
  int mcusAcross_ = 0, mcusDown_ = 0;
  int paddedWidth_ = 0, chromaWidth_ = 0;
  SamplePlane luma_, cb_, cr_;
  SamplePlane fullCb_, fullCr_;  // 4:2:2: a full-resolution chroma row awaiting downsampling
};

bool ValidImage(const SourceImage& image) {
  return image.pixels != nullptr && image.width >= 1 && image.width <= kMaxDimension && image.height >= 1 &&
         image.height <= kMaxDimension && image.rowBytes >= 3 * static_cast<std::ptrdiff_t>(image.width);
}

}  // namespace

EncodeResult EncodeJpeg(const SourceImage& image, const EncodeSettings& settings, JpegOutputBuffer& out) {
  if (!ValidImage(image) || settings.quality < 1 || settings.quality > 100) {
    return EncodeResult::InvalidArgument;
  }
  StripEncoder encoder(image, settings);
  if (!encoder.Allocate()) return EncodeResult::OutOfMemory;
  return encoder.Encode(out);
}

}  // namespace lumavex::jpeg
