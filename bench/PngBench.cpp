#include "bench/PngBench.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/Pairs.h"
#include "core/PngCodec.h"
#include "pngplugin/PngDecoder.h"

namespace bench {

namespace {

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "capslate_bench: check failed: %s\n", what);
  std::exit(1);
}

void Append(png_structp png, png_bytep data, size_t size) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}
void NoFlush(png_structp) {}

// libpng writing 8-bit RGB at its defaults, rows handed over as they are (BGR, swapped by libpng).
std::vector<uint8_t> LibpngEncode(const core::Dib& dib) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)) != 0) std::abort();
  png_set_write_fn(png, &out, Append, NoFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(dib.Width()),
               static_cast<png_uint_32>(dib.Height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_bgr(png);
  png_write_info(png, info);
  for (int y = 0; y < dib.Height(); ++y) png_write_row(png, dib.Row(y));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

struct Reader {
  const std::vector<uint8_t>* file;
  size_t at;
};
void ReadFromMemory(png_structp png, png_bytep to, size_t size) {
  auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
  if (size > reader->file->size() - reader->at) png_error(png, "short");
  std::memcpy(to, reader->file->data() + reader->at, size);
  reader->at += size;
}

// libpng reading an 8-bit RGB file as BGR rows into `target`, allocated by the caller.
void LibpngDecode(const std::vector<uint8_t>& file, core::Dib& target) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)) != 0) std::abort();
  Reader reader{&file, 0};
  png_set_read_fn(png, &reader, ReadFromMemory);
  png_read_info(png, info);
  png_set_bgr(png);
  png_read_update_info(png, info);
  for (int y = 0; y < target.Height(); ++y) png_read_row(png, target.Row(y), nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
}

bool SamePixels(const core::Dib& a, const core::Dib& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y) {
    if (std::memcmp(a.Row(y), b.Row(y), size_t(a.Width()) * 3) != 0) return false;
  }
  return true;
}

}  // namespace

void AddPngPairs(const core::Dib& screenshot, const core::Dib& photo) {
  for (const auto& [name, picture] :
       {std::pair{"screenshot", &screenshot}, std::pair{"photo", &photo}}) {
    // Same pixels both ways, and the sizes the ratios are judged with.
    const auto ours = std::make_shared<std::vector<uint8_t>>(core::EncodePng(*picture));
    const auto libpng = std::make_shared<std::vector<uint8_t>>(LibpngEncode(*picture));
    Require(SamePixels(pngplugin::DecodePng(*ours), *picture), "EncodePng is lossless");
    const auto target = std::make_shared<core::Dib>(picture->Width(), picture->Height(), 24);
    LibpngDecode(*libpng, *target);
    Require(SamePixels(*target, *picture), "libpng reads its own file back");
    Require(SamePixels(pngplugin::DecodePng(*libpng), *picture),
            "the plug-in's decoder reads libpng's file");
    std::printf("PNG %s: ours %zu bytes, libpng %zu bytes, size ratio %.3f (target %s)\n", name,
                ours->size(), libpng->size(), double(ours->size()) / double(libpng->size()),
                picture == &screenshot ? "1.10" : "1.05");

    AddPair(
        std::string("png_write_") + name, 1.0 / 3.0,
        [picture] {
          std::vector<uint8_t> file = core::EncodePng(*picture);
          benchmark::DoNotOptimize(file.data());
        },
        [picture] {
          std::vector<uint8_t> file = LibpngEncode(*picture);
          benchmark::DoNotOptimize(file.data());
        },
        {}, Clock::kElapsed);  // EncodePng filters a large picture on two threads
    AddPair(
        std::string("png_read_") + name, 1.3,
        [libpng, target] {
          pngplugin::PngDecoder decoder(*libpng);
          decoder.DecodeInto(*target);
          benchmark::DoNotOptimize(target->Bits());
        },
        [libpng, target] {
          LibpngDecode(*libpng, *target);
          benchmark::DoNotOptimize(target->Bits());
        });
  }
}

}  // namespace bench
