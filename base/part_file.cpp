#include "base/part_file.h"

#include <utility>

namespace lumavex {

PartFile::PartFile(std::string targetPath) : target_(std::move(targetPath)), part_(PartPathOf(target_)) {}

PartFile::~PartFile() {
  if (!committed_) Abandon();
}

void PartFile::Abandon() {
  const bool existed = file_ != nullptr;
  file_.reset();
  if (existed) RemoveFileUtf8(part_);
}

bool PartFile::Open() {
  if (file_ != nullptr || committed_) return false;
  // Two writers of one target (two instances, say) would write one part file
  // between them: the second is refused instead.
  file_.reset(OpenSoleWriterUtf8(part_));
  failed_ = file_ == nullptr;
  return !failed_;
}

bool PartFile::Write(const void* data, std::size_t size) {
  if (failed_ || file_ == nullptr) return false;
  if (size > 0 && std::fwrite(data, 1, size, file_.get()) != size) failed_ = true;
  return !failed_;
}

bool PartFile::Commit(bool failed) {
  if (failed || failed_ || file_ == nullptr || committed_) {
    failed_ = true;
    Abandon();
    return false;
  }
  // The close flushes; its result and the stream's error flag catch a write
  // that failed only when the buffered bytes reached the disk.
  std::FILE* file = file_.release();
  const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0;
  const bool closed = std::fclose(file) == 0;
  if (!flushed || !closed || !ReplaceWithFinished(part_, target_)) {
    failed_ = true;
    RemoveFileUtf8(part_);
    return false;
  }
  committed_ = true;
  return true;
}

}  // namespace lumavex
