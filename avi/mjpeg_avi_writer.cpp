// A minimal single-part writer (header, 'movi', idx1) so that the converter
// can be built and tested; the complete OpenDML writer replaces this file.
#include "avi/mjpeg_avi_writer.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "platform/utf8_file.h"

namespace lumavex {
namespace {

struct WriterState {
  UniqueStdFile file;
  std::vector<std::uint8_t> index;
  std::uint64_t moviStart = 0;  // offset of the 'movi' fourcc
  std::uint32_t largest = 0;
  bool failed = false;
};

std::map<const MjpegAviWriter*, WriterState>& States() {
  static std::map<const MjpegAviWriter*, WriterState> states;
  return states;
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutCc(std::vector<std::uint8_t>& out, const char* cc) { out.insert(out.end(), cc, cc + 4); }

constexpr std::size_t kHeaderBytes = 12 + 12 + 64 + 12 + 64 + 48 + 12;  // up to and with 'movi'

std::vector<std::uint8_t> Headers(const MjpegAviLayout& layout, std::uint32_t frames, std::uint32_t largest,
                                  std::uint64_t fileSize, std::uint64_t moviSize) {
  std::vector<std::uint8_t> h;
  PutCc(h, "RIFF");
  Put32(h, static_cast<std::uint32_t>(fileSize - 8));
  PutCc(h, "AVI ");
  PutCc(h, "LIST");
  Put32(h, 4 + 64 + 12 + 64 + 48);
  PutCc(h, "hdrl");
  PutCc(h, "avih");
  Put32(h, 56);
  Put32(h, 1000000 / (layout.framesPerSecond ? layout.framesPerSecond : 1));
  Put32(h, 0);
  Put32(h, 0);
  Put32(h, 0x10);  // has an index
  Put32(h, frames);
  Put32(h, 0);
  Put32(h, 1);
  Put32(h, largest);
  Put32(h, layout.width);
  Put32(h, layout.height);
  for (int i = 0; i < 4; ++i) Put32(h, 0);
  PutCc(h, "LIST");
  Put32(h, 4 + 64 + 48);
  PutCc(h, "strl");
  PutCc(h, "strh");
  Put32(h, 56);
  PutCc(h, "vids");
  PutCc(h, "MJPG");
  Put32(h, 0);
  Put16(h, 0);
  Put16(h, 0);
  Put32(h, 0);
  Put32(h, 1);
  Put32(h, layout.framesPerSecond);
  Put32(h, 0);
  Put32(h, frames);
  Put32(h, largest);
  Put32(h, 0xFFFFFFFFu);
  Put32(h, 0);
  Put16(h, 0);
  Put16(h, 0);
  Put16(h, static_cast<std::uint16_t>(layout.width));
  Put16(h, static_cast<std::uint16_t>(layout.height));
  PutCc(h, "strf");
  Put32(h, 40);
  Put32(h, 40);
  Put32(h, layout.width);
  Put32(h, layout.height);
  Put16(h, 1);
  Put16(h, 24);
  PutCc(h, "MJPG");
  Put32(h, layout.width * layout.height * 3);
  for (int i = 0; i < 4; ++i) Put32(h, 0);
  PutCc(h, "LIST");
  Put32(h, static_cast<std::uint32_t>(moviSize));
  PutCc(h, "movi");
  return h;
}

}  // namespace

MjpegAviWriter::MjpegAviWriter(std::string targetPath, MjpegAviLayout layout)
    : target_(std::move(targetPath)), layout_(layout) {
  States()[this];
}

MjpegAviWriter::~MjpegAviWriter() {
  WriterState& s = States()[this];
  if (s.file) {
    s.file.reset();
    RemoveFileUtf8(target_ + kTemporarySuffix);
  }
  States().erase(this);
}

bool MjpegAviWriter::Open() {
  WriterState& s = States()[this];
  s.file.reset(OpenFileUtf8(target_ + kTemporarySuffix, "wb"));
  if (!s.file) return false;
  const std::vector<std::uint8_t> h = Headers(layout_, 0, 0, kHeaderBytes, 4);
  s.moviStart = h.size() - 4;
  if (std::fwrite(h.data(), 1, h.size(), s.file.get()) != h.size()) s.failed = true;
  return !s.failed;
}

bool MjpegAviWriter::AddFrame(const std::uint8_t* data, std::size_t size) {
  WriterState& s = States()[this];
  if (!s.file || s.failed || size > 0x7FFFFFF0u) return false;
  const std::uint64_t offset = static_cast<std::uint64_t>(std::ftell(s.file.get()));
  std::vector<std::uint8_t> head;
  PutCc(head, "00dc");
  Put32(head, static_cast<std::uint32_t>(size));
  const std::uint8_t pad = 0;
  if (std::fwrite(head.data(), 1, 8, s.file.get()) != 8 || std::fwrite(data, 1, size, s.file.get()) != size ||
      ((size & 1) && std::fwrite(&pad, 1, 1, s.file.get()) != 1)) {
    s.failed = true;
    return false;
  }
  PutCc(s.index, "00dc");
  Put32(s.index, 0x10);
  Put32(s.index, static_cast<std::uint32_t>(offset - s.moviStart));
  Put32(s.index, static_cast<std::uint32_t>(size));
  if (size > s.largest) s.largest = static_cast<std::uint32_t>(size);
  ++frames_;
  return true;
}

bool MjpegAviWriter::Finish() {
  WriterState& s = States()[this];
  if (!s.file) return false;
  bool ok = !s.failed;
  const std::uint64_t moviEnd = static_cast<std::uint64_t>(std::ftell(s.file.get()));
  if (ok) {
    std::vector<std::uint8_t> idx;
    PutCc(idx, "idx1");
    Put32(idx, static_cast<std::uint32_t>(s.index.size()));
    ok = std::fwrite(idx.data(), 1, 8, s.file.get()) == 8 &&
         std::fwrite(s.index.data(), 1, s.index.size(), s.file.get()) == s.index.size();
  }
  if (ok) {
    const std::uint64_t fileSize = moviEnd + 8 + s.index.size();
    const std::vector<std::uint8_t> h = Headers(layout_, frames_, s.largest, fileSize, moviEnd - s.moviStart);
    ok = std::fseek(s.file.get(), 0, SEEK_SET) == 0 && std::fwrite(h.data(), 1, h.size(), s.file.get()) == h.size();
  }
  ok = std::fclose(s.file.release()) == 0 && ok;
  const std::string part = target_ + kTemporarySuffix;
  if (ok) {
    RemoveFileUtf8(target_);
    ok = RenameFileUtf8(part, target_) == 0;
  }
  if (!ok) RemoveFileUtf8(part);
  return ok;
}

std::uint64_t MjpegAviWriter::ExpectedFileSize(std::uint64_t frameBytes, std::uint32_t frameCount,
                                              std::uint64_t /*partSize*/) {
  return kHeaderBytes + frameBytes + std::uint64_t{frameCount} * (8 + 1 + 16) + 8;
}

}  // namespace lumavex
