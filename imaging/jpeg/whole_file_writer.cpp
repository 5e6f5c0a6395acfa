#include "imaging/jpeg/whole_file_writer.h"

#include <utility>

namespace lumavex::jpeg {

WholeFileWriter::WholeFileWriter(std::string targetPath)
    : target_(std::move(targetPath)), temporary_(target_ + kTemporarySuffix) {}

WholeFileWriter::~WholeFileWriter() {
  if (!committed_) abandon();
}

void WholeFileWriter::abandon() {
  const bool existed = file_ != nullptr;
  file_.reset();
  if (existed) RemoveFileUtf8(temporary_);
}

bool WholeFileWriter::open() {
  if (file_ != nullptr || committed_) return false;
  file_.reset(OpenFileUtf8(temporary_, "wb"));
  failed_ = file_ == nullptr;
  return !failed_;
}

bool WholeFileWriter::write(const void* data, std::size_t size) {
  if (failed_ || file_ == nullptr) return false;
  if (size > 0 && std::fwrite(data, 1, size, file_.get()) != size) failed_ = true;
  return !failed_;
}

bool WholeFileWriter::commit() {
  if (failed_ || file_ == nullptr) {
    abandon();
    return false;
  }
  // fclose flushes; its result and the stream's error flag catch a write
  // that only failed when the buffered bytes reached the disk.
  std::FILE* file = file_.release();
  const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0;
  const bool closed = std::fclose(file) == 0;
  if (!flushed || !closed) {
    failed_ = true;
    RemoveFileUtf8(temporary_);
    return false;
  }
  const bool moved = ReplaceFileUtf8(temporary_, target_);
  if (!moved) {
    failed_ = true;
    RemoveFileUtf8(temporary_);
    return false;
  }
  committed_ = true;
  return true;
}

}  // namespace lumavex::jpeg
