#pragma once
// Writes a file so that its target is either complete or as it was: the data
// goes to `<target>.part` beside it, and only after every write, the flush
// and the close have succeeded is it put in place (ReplaceWithFinished). A
// failure at any step, or an object dropped before Commit, removes the part.
//
// The part's name is fixed: while one writer has it open, a second writer of
// the same target cannot open it (on Windows); a part left by a killed
// program is simply overwritten next time.
#include <cstddef>
#include <cstdio>
#include <string>

#include "base/file.h"

namespace lumavex {

class PartFile {
 public:
  explicit PartFile(std::string targetPath);
  ~PartFile();
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  // Creates (or truncates) the part. False when it cannot be created, or
  // another writer has it open.
  bool Open();
  // Appends bytes; false, and the writer failed for good, on a short write.
  bool Write(const void* data, std::size_t size);
  // The open part, for writers that need the stream itself (seeks); null
  // before Open. Stays owned here.
  std::FILE* stream() const { return file_.get(); }
  // Flushes and closes the part and puts it in place. False on any failure
  // (`failed` from the writer of the stream included), after which the part
  // is gone and the target as it was.
  bool Commit(bool failed = false);

  const std::string& PartPath() const { return part_; }

 private:
  void Abandon();

  std::string target_;
  std::string part_;
  UniqueStdFile file_;
  bool failed_ = false;
  bool committed_ = false;
};

}  // namespace lumavex
