#pragma once
// The PNG decoder of the PNG plug-in, portable so that the native build tests and fuzzes it. It
// reads every colour type and bit depth, palettes, transparency and interlaced files through
// libpng, and gives a 24-bit picture: transparent parts are composited on white, 16-bit channels
// are reduced to 8, and colour management (gAMA, iCCP, sRGB, cHRM) is not applied.
//
// The input is hostile: the header is checked against the picture limits of core/Dib.h before
// anything is allocated (a small file may declare a large flat picture: only the declared size
// counts), libpng never produces more rows than the header declares, ancillary chunks are skipped
// or capped, and a file truncated or corrupt before its last row is decoded (a CRC error in a
// chunk read before then included) is refused. Nothing after the last row is read: not the rest of
// the compressed stream (which may inflate to any size), not the chunks that follow.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "core/Dib.h"
#include "core/Error.h"

namespace pngplugin {

// Why a file could not be decoded; the plug-in's interface reports each differently.
enum class PngFailure {
  kNotPng,    // no PNG signature
  kBroken,    // truncated, corrupt, or not a valid PNG
  kTooLarge,  // the declared size exceeds the picture limits
  kStopped,   // the progress callback asked to stop
};

class PngError : public core::Error {
 public:
  PngError(PngFailure failure, const std::string& utf8Message)
      : core::Error(utf8Message), failure_(failure) {}
  PngFailure Failure() const { return failure_; }

 private:
  PngFailure failure_;
};

// What the header declares.
struct PngHeader {
  int width = 0;
  int height = 0;
  int bitDepth = 0;    // of one sample: 1, 2, 4, 8 or 16
  int colourType = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGB and alpha
  bool interlaced = false;
  // Bits per pixel as stored in the file (e.g. 8 for a palette of 8 bits, 32 for 8-bit RGBA).
  int BitsPerPixel() const;
};

// True when `data` starts with the PNG signature.
bool HasPngSignature(std::span<const uint8_t> data);

// Called as rows are decoded with (steps done, steps in all); returns false to stop the decoder.
using PngProgress = std::function<bool(int done, int total)>;

// Where the decoder reads the file from, front to back: fills `to` with the next `size` bytes and
// returns true, or returns false when the file ends (or cannot be read) first. It must not throw.
using PngReader = std::function<bool(uint8_t* to, size_t size)>;

// One decode of one file. The constructor reads everything up to the pixel data and checks it;
// DecodeInto then writes the pixels into memory the caller allocated, so a plug-in can decode
// straight into the block it hands to its host. Every failure throws PngError.
class PngDecoder {
 public:
  // The file in memory, which must outlive the decoder.
  explicit PngDecoder(std::span<const uint8_t> file);
  // The file as `read` gives it, asked for no more than the decoder needs.
  explicit PngDecoder(PngReader read);
  ~PngDecoder();
  PngDecoder(const PngDecoder&) = delete;
  PngDecoder& operator=(const PngDecoder&) = delete;

  const PngHeader& Header() const { return header_; }

  // Decodes the pixels into `target`, a 24-bpp Dib of the header's size, and stops after the last
  // row. `progress` is called at most about a hundred times, and once more at the end. Call once.
  void DecodeInto(core::Dib& target, const PngProgress& progress = {});

 private:
  struct Libpng;  // libpng's two structures and the state its callbacks use
  std::unique_ptr<Libpng> png_;
  PngHeader header_;
};

// The whole file into a new 24-bpp Dib.
core::Dib DecodePng(std::span<const uint8_t> file);

}  // namespace pngplugin
