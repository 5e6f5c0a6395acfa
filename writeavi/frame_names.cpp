#include "writeavi/frame_names.h"

#include <algorithm>

#include "writeavi/frame_list.h"

namespace lumavex {
namespace {

constexpr int kMaxDigits = 9;  // every 9-digit number fits 32 bits

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The shape's key: prefix, suffix and digit count, unambiguous since the
// prefix's length leads.
std::string ShapeKey(const std::string& name, std::size_t digitsAt, std::size_t digitsEnd) {
  std::string key = std::to_string(digitsAt) + ':' + std::to_string(digitsEnd - digitsAt) + ':';
  key.append(name, 0, digitsAt);
  key.append(name, digitsEnd, std::string::npos);
  return key;
}

}  // namespace

std::uint32_t FrameNames::ShapeIndex(const std::string& name, std::size_t digitsAt, std::size_t digitsEnd) {
  const int digits = static_cast<int>(digitsEnd - digitsAt);
  if (lastShape_ != kOdd) {
    const Shape& last = shapes_[lastShape_];
    if (last.digits == digits && last.prefix.size() == digitsAt &&
        name.compare(0, digitsAt, last.prefix) == 0 &&
        name.compare(digitsEnd, std::string::npos, last.suffix) == 0)
      return lastShape_;
  }
  const auto [it, added] = shapeIndex_.emplace(ShapeKey(name, digitsAt, digitsEnd), 0);
  if (added) {
    it->second = static_cast<std::uint32_t>(shapes_.size());
    shapes_.push_back({name.substr(0, digitsAt), name.substr(digitsEnd), digits});
  }
  lastShape_ = it->second;
  return lastShape_;
}

void FrameNames::Add(const std::string& name, std::uint64_t size) {
  totalSize_ += size;
  // The last run of digits is the frame counter.
  std::size_t end = name.size();
  while (end > 0 && !IsDigit(name[end - 1])) --end;
  std::size_t begin = end;
  while (begin > 0 && IsDigit(name[begin - 1])) --begin;
  const std::size_t digits = end - begin;
  if (digits == 0 || digits > kMaxDigits || size >= kOdd || shapes_.size() >= kOdd - 1) {
    entries_.push_back({static_cast<std::uint32_t>(odd_.size()), kOdd, 0});
    odd_.push_back({name, size});
    return;
  }
  std::uint32_t number = 0;
  for (std::size_t i = begin; i < end; ++i) number = number * 10 + static_cast<std::uint32_t>(name[i] - '0');
  entries_.push_back({number, ShapeIndex(name, begin, end), static_cast<std::uint32_t>(size)});
}

void FrameNames::NameOf(const Entry& entry, std::string& out) const {
  if (entry.shape == kOdd) {
    out = odd_[entry.number].name;
    return;
  }
  const Shape& shape = shapes_[entry.shape];
  out = shape.prefix;
  const std::size_t at = out.size();
  out.append(static_cast<std::size_t>(shape.digits), '0');
  for (std::uint32_t n = entry.number, i = 0; n > 0; n /= 10, ++i)
    out[at + static_cast<std::size_t>(shape.digits) - 1 - i] = static_cast<char>('0' + n % 10);
  out += shape.suffix;
}

void FrameNames::Sort() {
  std::string a, b;
  std::sort(entries_.begin(), entries_.end(), [&](const Entry& x, const Entry& y) {
    // One shape: the same prefix, suffix and width, so the numbers decide.
    if (x.shape == y.shape && x.shape != kOdd) return x.number < y.number;
    NameOf(x, a);
    NameOf(y, b);
    return FileNameLess(a, b);
  });
}

std::string FrameNames::Name(std::size_t index) const {
  std::string name;
  NameOf(entries_[index], name);
  return name;
}

void FrameNames::NameInto(std::size_t index, std::string& out) const { NameOf(entries_[index], out); }

std::uint64_t FrameNames::Size(std::size_t index) const {
  const Entry& entry = entries_[index];
  return entry.shape == kOdd ? odd_[entry.number].size : entry.size;
}

std::size_t FrameNames::BytesHeld() const {
  std::size_t bytes = entries_.capacity() * sizeof(Entry) + odd_.capacity() * sizeof(OddName);
  for (const OddName& odd : odd_) bytes += odd.name.capacity();
  for (const Shape& shape : shapes_)
    bytes += sizeof(Shape) + shape.prefix.capacity() + shape.suffix.capacity();
  return bytes;
}

}  // namespace lumavex
