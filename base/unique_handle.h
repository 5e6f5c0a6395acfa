#pragma once
// A move-only owner for one Win32 handle. The traits type names the handle
// type, its "no handle" value and the call that releases it, so every kind of
// handle is released by the right function and exactly once.
#include <atomic>
#include <utility>

namespace lumavex {

// Live-object counters per handle kind, for the leak tests and for the
// no-growth checks of long recordings.
template <typename Traits>
struct LiveCount {
  static std::atomic<long>& value() {
    static std::atomic<long> count{0};
    return count;
  }
};

template <typename Traits>
class UniqueHandle {
 public:
  using handle_type = typename Traits::type;

  // What put() returns: the address of the owner's slot for the callee to
  // write into. The handle found there is counted when the call's full
  // expression ends, so pass it straight to the call.
  class Slot {
   public:
    explicit Slot(UniqueHandle& owner) noexcept : owner_(owner) {}
    ~Slot() {
      if (owner_.valid()) ++LiveCount<Traits>::value();
    }
    Slot(const Slot&) = delete;
    Slot& operator=(const Slot&) = delete;
    operator handle_type*() const noexcept { return &owner_.h_; }

   private:
    UniqueHandle& owner_;
  };

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(handle_type h) noexcept : h_(h) {
    if (valid()) ++LiveCount<Traits>::value();
  }
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {
    if (valid()) ++LiveCount<Traits>::value();
  }
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      handle_type h = other.release();
      reset();
      h_ = h;
      if (valid()) ++LiveCount<Traits>::value();
    }
    return *this;
  }

  handle_type get() const noexcept { return h_; }
  bool valid() const noexcept { return h_ != Traits::invalid(); }
  explicit operator bool() const noexcept { return valid(); }

  // Gives up ownership without releasing (for handing a handle to an owner
  // that the platform provides, such as a picture object or the clipboard).
  handle_type release() noexcept {
    handle_type h = h_;
    if (valid()) --LiveCount<Traits>::value();
    h_ = Traits::invalid();
    return h;
  }

  void reset(handle_type h = Traits::invalid()) noexcept {
    if (valid()) {
      --LiveCount<Traits>::value();
      Traits::close(h_);
    }
    h_ = h;
    if (valid()) ++LiveCount<Traits>::value();
  }

  // For out-parameters: releases what is held and hands out the raw slot,
  // e.g. Create(..., owner.put()).
  Slot put() noexcept {
    reset();
    return Slot(*this);
  }

  static long live() { return LiveCount<Traits>::value().load(); }

 private:
  handle_type h_ = Traits::invalid();
};

}  // namespace lumavex
