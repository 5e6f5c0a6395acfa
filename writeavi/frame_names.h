#pragma once
// The frame files of a folder, held compactly: a folder of a million frames
// must not cost the conversion (and the list showing it) hundreds of bytes
// a frame. Nearly every frame name is a prefix, a zero-padded number and an
// extension ("Alice0001234.jpg"); such a name is held as its number and the
// index of its shape (prefix, digit count, suffix), 12 bytes with its size.
// Any other name (no digits, more than 9 of them, a file of 4 GB or more) is
// kept whole.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace lumavex {

class FrameNames {
 public:
  // Appends a file; the order is what Sort makes of it.
  void Add(const std::string& name, std::uint64_t size);
  // Orders the files as FileNameLess orders their names.
  void Sort();

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  std::string Name(std::size_t index) const;
  // Into `out`, whose memory is reused.
  void NameInto(std::size_t index, std::string& out) const;
  std::uint64_t Size(std::size_t index) const;
  // The sizes of every file added.
  std::uint64_t TotalSize() const { return totalSize_; }
  // What the list holds in memory, in bytes (without the allocator's overhead).
  std::size_t BytesHeld() const;

 private:
  struct Entry {
    std::uint32_t number;  // the name's number; for an odd name, its index in odd_
    std::uint32_t shape;   // index in shapes_, or kOdd
    std::uint32_t size;
  };
  struct Shape {
    std::string prefix;
    std::string suffix;
    int digits;
  };
  struct OddName {
    std::string name;
    std::uint64_t size;
  };
  static constexpr std::uint32_t kOdd = 0xFFFFFFFFu;

  void NameOf(const Entry& entry, std::string& out) const;
  std::uint32_t ShapeIndex(const std::string& name, std::size_t digitsAt, std::size_t digitsEnd);

  std::vector<Entry> entries_;
  std::vector<Shape> shapes_;
  std::unordered_map<std::string, std::uint32_t> shapeIndex_;
  std::uint32_t lastShape_ = kOdd;  // most names share the shape of the one before
  std::vector<OddName> odd_;
  std::uint64_t totalSize_ = 0;
};

}  // namespace lumavex
