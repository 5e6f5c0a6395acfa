#include "imaging/jpeg/jpeg_encoder.h"

#include <algorithm>
#include <memory>
#include <new>

#include "imaging/jpeg/jpeg_dct.h"
#include "imaging/jpeg/jpeg_huffman.h"
#include "imaging/jpeg/jpeg_markers.h"
#include "imaging/jpeg/jpeg_optimal_huffman.h"
#include "imaging/jpeg/jpeg_tables.h"

namespace lumavex::jpeg {

namespace {

constexpr int kMaxDimension = 65535;

// Codes for the two tables of each class, indexed by FrameComponent::table.
struct HuffmanSet {
  HuffmanCodes dc[2], ac[2];
};

const HuffmanSet& StandardHuffmanSet() {
  static const HuffmanSet set = {{BuildHuffmanCodes(kDcLuminanceSpec), BuildHuffmanCodes(kDcChrominanceSpec)},
                                 {BuildHuffmanCodes(kAcLuminanceSpec),
                                  BuildHuffmanCodes(kAcChrominanceSpec)}};
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
  int table;  // 0 luma, 1 chroma
  int previousDc;
};

// Huffman-codes blocks into the output, reserving room an MCU at a time.
class CodingPass {
 public:
  // `codes` may be null when only CodeRecorded is used.
  CodingPass(JpegOutputBuffer& out, const HuffmanSet* codes, int blocksPerMcu)
      : out_(out), codes_(codes), mcuBytes_(static_cast<std::size_t>(blocksPerMcu) * kMaxBlockBytes) {}

  bool StartMcu() {
    if (!out_.Reserve(mcuBytes_)) return false;
    cursor_ = out_.cursor();
    return true;
  }
  void Block(ScanComponent& component, const std::int16_t* coefficients) {
    cursor_ = EncodeBlock(coefficients, component.previousDc, codes_->dc[component.table],
                          codes_->ac[component.table], bits_, cursor_);
  }
  void EndMcu() { out_.SetCursor(cursor_); }

  // Codes symbols that a RecordingPass kept, a bounded number at a time,
  // with the tables `specs` in table field order.
  bool CodeRecorded(const std::uint32_t* symbols, std::size_t count, const HuffmanSpec specs[4]) {
    std::uint32_t codeAndLength[1024];
    MakeRecordedSymbolCodes(specs, codeAndLength);
    constexpr std::size_t kChunk = 512;  // about what an MCU reserves, so a sink is fed as often
    for (std::size_t done = 0; done < count;) {
      const std::size_t chunk = std::min(count - done, kChunk);
      if (!out_.Reserve(chunk * kMaxSymbolBytes)) return false;
      out_.SetCursor(EncodeRecordedSymbols(symbols + done, chunk, codeAndLength, bits_, out_.cursor()));
      done += chunk;
    }
    return true;
  }

  // Pads the last byte with ones and writes it out.
  bool Finish() {
    if (!out_.Reserve(16)) return false;
    BitPacker packer(bits_, out_.cursor());
    packer.FlushToByte();
    out_.SetCursor(packer.out());
    return true;
  }

 private:
  JpegOutputBuffer& out_;
  const HuffmanSet* codes_;
  std::size_t mcuBytes_;
  unsigned char* cursor_ = nullptr;
  BitWriterState bits_;
};

// Counts the symbols the coding pass will code, per table, for pictures
// whose symbols are not kept.
class CountingPass {
 public:
  explicit CountingPass(SymbolCounts counts[4]) : counts_(counts) {}
  bool StartMcu() { return true; }
  void Block(ScanComponent& component, const std::int16_t* coefficients) {
    CountBlockSymbols(coefficients, component.previousDc, counts_[2 * component.table],
                      counts_[2 * component.table + 1]);
  }
  void EndMcu() {}

 private:
  SymbolCounts* counts_;
};

// Keeps the symbols in order for counting and for the coding pass: coding
// them from these takes far less than walking the blocks again.
class RecordingPass {
 public:
  RecordingPass(JpegOutputBuffer& store, int blocksPerMcu)
      : store_(store),
        mcuBytes_(static_cast<std::size_t>(blocksPerMcu) * kMaxBlockSymbols * sizeof(std::uint32_t)) {}

  bool StartMcu() {
    if (!store_.Reserve(mcuBytes_)) return false;
    cursor_ = reinterpret_cast<std::uint32_t*>(store_.cursor());  // malloc'd, and filled 4 bytes at a time
    return true;
  }
  void Block(ScanComponent& component, const std::int16_t* coefficients) {
    cursor_ = RecordBlockSymbols(coefficients, component.previousDc, component.table, histogram, cursor_);
  }
  void EndMcu() { store_.SetCursor(reinterpret_cast<unsigned char*>(cursor_)); }

  const std::uint32_t* symbols() const { return reinterpret_cast<const std::uint32_t*>(store_.data()); }
  std::size_t symbolCount() const { return store_.size() / sizeof(std::uint32_t); }

  // Counts by the table and symbol fields.
  std::uint32_t histogram[1024] = {};

 private:
  JpegOutputBuffer& store_;
  std::size_t mcuBytes_;
  std::uint32_t* cursor_ = nullptr;
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

    FrameLayout frame{};
    frame.width = image_.width;
    frame.height = image_.height;
    frame.quantTables[0] = lumaQuant;
    frame.quantTables[1] = chromaQuant;
    // Luma samples are eighths; chroma samples are sums of h x v eighths.
    components_[0] = {&luma_, h_, v_, MakeQuantDivisors(lumaQuant, 8.0f), 0, 0};
    frame.components[0] = {1, static_cast<std::uint8_t>(h_), static_cast<std::uint8_t>(v_), 0};
    componentCount_ = 1;
    if (!settings_.grayscale) {
      const QuantDivisors chromaDivisors = MakeQuantDivisors(chromaQuant, 8.0f * h_ * v_);
      components_[1] = {&cb_, 1, 1, chromaDivisors, 1, 0};
      components_[2] = {&cr_, 1, 1, chromaDivisors, 1, 0};
      frame.components[1] = {2, 1, 1, 1};
      frame.components[2] = {3, 1, 1, 1};
      componentCount_ = 3;
    }
    frame.componentCount = componentCount_;
    const int blocksPerMcu = settings_.grayscale ? 1 : h_ * v_ + 2;

    if (settings_.huffmanTables == HuffmanTables::Standard) {
      frame.dcTables[0] = kDcLuminanceSpec;
      frame.acTables[0] = kAcLuminanceSpec;
      frame.dcTables[1] = kDcChrominanceSpec;
      frame.acTables[1] = kAcChrominanceSpec;
      if (!WriteFileHeaders(out, frame)) return FailureOf(out);
      CodingPass coding(out, &StandardHuffmanSet(), blocksPerMcu);
      if (!TransformBlocks(coding) || !coding.Finish()) return FailureOf(out);
      return WriteEndOfImage(out) ? EncodeResult::Ok : FailureOf(out);
    }

    // First pass: the symbols of every block, counted and, when the most
    // they can take fits the limit, kept.
    const std::size_t blockCount = static_cast<std::size_t>(mcusAcross_) * mcusDown_ * blocksPerMcu;
    const std::size_t mostBytesPerBlock = kMaxBlockSymbols * sizeof(std::uint32_t);
    // (Fewer than 2^26 blocks also keep the 32-bit counts from overflowing.)
    const bool keep = blockCount <= settings_.keptSymbolsLimit / mostBytesPerBlock && blockCount < (1u << 26);
    JpegOutputBuffer store(keep ? std::min(blockCount * mostBytesPerBlock, blockCount * 64 + 4096) : 0);
    RecordingPass recording(store, blocksPerMcu);
    SymbolCounts counts[4] = {};  // [2 x table + (0 DC, 1 AC)]
    if (keep) {
      if (!TransformBlocks(recording)) return EncodeResult::OutOfMemory;
      for (int index = 0; index < 1024; ++index)
        counts[index >> 8].count[index & 0xFF] = recording.histogram[index];
    } else {
      CountingPass counting(counts);
      TransformBlocks(counting);
    }

    OptimalHuffmanTable tables[4];  // [2 x table + (0 DC, 1 AC)], like the counts
    HuffmanSpec specs[4] = {};
    for (int i = 0; i < (settings_.grayscale ? 2 : 4); ++i) {
      tables[i] = BuildOptimalHuffmanTable(counts[i]);
      specs[i] = tables[i].Spec();
    }
    for (int t = 0; t < 2; ++t) {
      frame.dcTables[t] = specs[2 * t];
      frame.acTables[t] = specs[2 * t + 1];
    }
    if (!WriteFileHeaders(out, frame)) return FailureOf(out);

    // Second pass: the same symbols, coded.
    if (keep) {
      CodingPass coding(out, nullptr, blocksPerMcu);
      if (!coding.CodeRecorded(recording.symbols(), recording.symbolCount(), specs) || !coding.Finish()) {
        return FailureOf(out);
      }
    } else {
      HuffmanSet codes;
      for (int t = 0; t < 2; ++t) {
        codes.dc[t] = BuildHuffmanCodes(specs[2 * t]);
        codes.ac[t] = BuildHuffmanCodes(specs[2 * t + 1]);
      }
      for (int c = 0; c < componentCount_; ++c) components_[c].previousDc = 0;
      CodingPass coding(out, &codes, blocksPerMcu);
      if (!TransformBlocks(coding) || !coding.Finish()) return FailureOf(out);
    }
    return WriteEndOfImage(out) ? EncodeResult::Ok : FailureOf(out);
  }

 private:
  // Converts the picture strip by strip and hands every quantised block to
  // `pass` in scan order: per MCU, each component's blocks left to right,
  // top to bottom. False when the pass could not start an MCU.
  template <typename Pass>
  bool TransformBlocks(Pass& pass) {
    alignas(16) std::int16_t coefficients[64];
    for (int mcuRow = 0; mcuRow < mcusDown_; ++mcuRow) {
      FillStrip(mcuRow * mcuHeight_);
      for (int mcu = 0; mcu < mcusAcross_; ++mcu) {
        if (!pass.StartMcu()) return false;
        for (int c = 0; c < componentCount_; ++c) {
          ScanComponent& component = components_[c];
          const std::ptrdiff_t stride = component.plane->stride;
          for (int by = 0; by < component.vertical; ++by) {
            const std::int16_t* blockRow = component.plane->Row(by * 8);
            for (int bx = 0; bx < component.horizontal; ++bx) {
              const int column = (mcu * component.horizontal + bx) * 8;
              ForwardDctQuantize(blockRow + column, stride, component.divisors, coefficients);
              pass.Block(component, coefficients);
            }
          }
        }
        pass.EndMcu();
      }
    }
    return true;
  }

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
  ScanComponent components_[3];
  int componentCount_ = 0;
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
