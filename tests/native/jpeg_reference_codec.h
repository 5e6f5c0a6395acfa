#pragma once
// libjpeg-turbo's TurboJPEG API, loaded at run time with dlopen so that the
// JPEG tests need no link change: the decoder checks what our encoder writes,
// and its encoder is the yardstick for quality and size.
#include <dlfcn.h>
#include <turbojpeg.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lumavex::testing {

struct DecodedPicture {
  int width = 0;
  int height = 0;
  int subsampling = -1;           // TJSAMP_*
  std::vector<std::uint8_t> rgb;  // top-down rows of red, green, blue
};

class ReferenceCodec {
 public:
  static ReferenceCodec& instance() {
    static ReferenceCodec codec;
    return codec;
  }

  bool available() const { return library_ != nullptr; }
  const std::string& loadError() const { return loadError_; }

  // Decodes a JFIF file to RGB. False (with `error`) when it is not valid.
  bool decode(const std::uint8_t* data, std::size_t size, DecodedPicture& out,
              std::string* error = nullptr) const {
    if (!available()) return fail(error, loadError_);
    tjhandle handle = initDecompress_();
    if (handle == nullptr) return fail(error, "tjInitDecompress failed");
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    bool ok = decompressHeader_(handle, const_cast<std::uint8_t*>(data), static_cast<unsigned long>(size),
                                &width, &height, &subsampling, &colorspace) == 0;
    if (ok) {
      out.width = width;
      out.height = height;
      out.subsampling = subsampling;
      out.rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
      ok = decompress_(handle, const_cast<std::uint8_t*>(data), static_cast<unsigned long>(size),
                       out.rgb.data(), width, 0, height, TJPF_RGB, 0) == 0;
    }
    if (!ok) fail(error, getErrorStr_(handle));
    destroy_(handle);
    return ok;
  }

  // Compresses top-down RGB rows at `quality` with 4:2:0 chroma and the
  // library's default (accurate integer) DCT.
  bool encode(const std::uint8_t* rgb, int width, int height, int quality,
              std::vector<std::uint8_t>& jpeg) const {
    if (!available()) return false;
    tjhandle handle = initCompress_();
    if (handle == nullptr) return false;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool ok =
        compress_(handle, rgb, width, 0, height, TJPF_RGB, &buffer, &size, TJSAMP_420, quality, 0) == 0;
    if (ok) jpeg.assign(buffer, buffer + size);
    free_(buffer);
    destroy_(handle);
    return ok;
  }

 private:
  ReferenceCodec() {
    library_ = dlopen("libturbojpeg.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr) {
      loadError_ = std::string("cannot load libturbojpeg.so.0: ") + dlerror();
      return;
    }
    const bool resolved = resolve(initDecompress_, "tjInitDecompress") &&
                          resolve(decompressHeader_, "tjDecompressHeader3") &&
                          resolve(decompress_, "tjDecompress2") && resolve(initCompress_, "tjInitCompress") &&
                          resolve(compress_, "tjCompress2") && resolve(destroy_, "tjDestroy") &&
                          resolve(free_, "tjFree") && resolve(getErrorStr_, "tjGetErrorStr2");
    if (!resolved) {
      loadError_ = "libturbojpeg.so.0 lacks a TurboJPEG function";
      dlclose(library_);
      library_ = nullptr;
    }
  }
  ~ReferenceCodec() {
    if (library_ != nullptr) dlclose(library_);
  }
  ReferenceCodec(const ReferenceCodec&) = delete;
  ReferenceCodec& operator=(const ReferenceCodec&) = delete;

  template <typename F>
  bool resolve(F& function, const char* name) {
    function = reinterpret_cast<F>(dlsym(library_, name));
    return function != nullptr;
  }

  static bool fail(std::string* error, const std::string& text) {
    if (error != nullptr) *error = text;
    return false;
  }

  void* library_ = nullptr;
  std::string loadError_;
  decltype(&tjInitDecompress) initDecompress_ = nullptr;
  decltype(&tjDecompressHeader3) decompressHeader_ = nullptr;
  decltype(&tjDecompress2) decompress_ = nullptr;
  decltype(&tjInitCompress) initCompress_ = nullptr;
  decltype(&tjCompress2) compress_ = nullptr;
  decltype(&tjDestroy) destroy_ = nullptr;
  decltype(&tjFree) free_ = nullptr;
  decltype(&tjGetErrorStr2) getErrorStr_ = nullptr;
};

}  // namespace lumavex::testing
