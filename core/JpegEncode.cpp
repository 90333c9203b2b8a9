// The JPEG writer: libjpeg reads the Dib's rows directly and writes into a growing std::vector.

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/JpegCodec.h"
#include "core/JpegSession.h"

namespace core {

namespace {

using jpeg::Session;

constexpr int kRowBatch = 16;  // rows handed to libjpeg per call
constexpr size_t kMinOutput = 16 * 1024;

// A destination manager that appends to a vector, doubling it whenever libjpeg fills it.
struct VectorDestination {
  jpeg_destination_mgr pub;  // first member: libjpeg hands back a pointer to it
  std::vector<uint8_t>* out;
  size_t initialSize;
};

VectorDestination& DestinationOf(j_compress_ptr cinfo) {
  return *reinterpret_cast<VectorDestination*>(cinfo->dest);
}

// Resizes without letting an exception escape into libjpeg; reports failure as its own error.
void Grow(j_compress_ptr cinfo, std::vector<uint8_t>& out, size_t size) {
  bool failed = false;
  try {
    out.resize(size);
  } catch (const std::exception&) {
    failed = true;
  }
  if (failed) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
}

void InitDestination(j_compress_ptr cinfo) {
  VectorDestination& dest = DestinationOf(cinfo);
  Grow(cinfo, *dest.out, dest.initialSize);
  dest.pub.next_output_byte = dest.out->data();
  dest.pub.free_in_buffer = dest.out->size();
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  // libjpeg calls this only when the whole buffer is full.
  VectorDestination& dest = DestinationOf(cinfo);
  const size_t used = dest.out->size();
  Grow(cinfo, *dest.out, used * 2);
  dest.pub.next_output_byte = dest.out->data() + used;
  dest.pub.free_in_buffer = dest.out->size() - used;
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  VectorDestination& dest = DestinationOf(cinfo);
  dest.out->resize(dest.out->size() - dest.pub.free_in_buffer);
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(const Dib& src24, int quality) {
  if (src24.Empty() || src24.BitCount() != 24) {
    throw Error("JPEG で保存できるのは 24 ビットカラーの画像だけです");
  }
  const auto width = static_cast<JDIMENSION>(src24.Width());
  const auto height = static_cast<JDIMENSION>(src24.Height());

  std::vector<uint8_t> out;
  VectorDestination dest{};
  dest.pub.init_destination = InitDestination;
  dest.pub.empty_output_buffer = EmptyOutputBuffer;
  dest.pub.term_destination = TermDestination;
  dest.out = &out;
  // Room for a typical photo at medium quality, so most pictures never grow the buffer.
  dest.initialSize = std::max(kMinOutput, src24.ImageSize() / 8);

#ifndef JCS_EXTENSIONS
  std::vector<uint8_t> rgbRows(size_t{width} * 3 * kRowBatch);
#endif

  Session<jpeg_compress_struct> session;
  j_compress_ptr cinfo = session.Get();
  const bool ok = session.Run([&] {
    jpeg_create_compress(cinfo);
    cinfo->dest = &dest.pub;
    cinfo->image_width = width;
    cinfo->image_height = height;
    cinfo->input_components = 3;
#ifdef JCS_EXTENSIONS
    cinfo->in_color_space = JCS_EXT_BGR;  // the Dib's own byte order: no conversion pass
#else
    cinfo->in_color_space = JCS_RGB;
#endif
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);

    JSAMPROW rows[kRowBatch];
    while (cinfo->next_scanline < height) {
      const JDIMENSION first = cinfo->next_scanline;
      const JDIMENSION count = std::min<JDIMENSION>(kRowBatch, height - first);
      for (JDIMENSION i = 0; i < count; ++i) {
        // libjpeg does not write through input rows; its API just lacks const.
        auto* row = const_cast<uint8_t*>(src24.Row(static_cast<int>(first + i)));
#ifdef JCS_EXTENSIONS
        rows[i] = row;
#else
        uint8_t* rgb = rgbRows.data() + size_t{width} * 3 * i;
        for (JDIMENSION x = 0; x < width * 3; x += 3) {
          rgb[x] = row[x + 2];
          rgb[x + 1] = row[x + 1];
          rgb[x + 2] = row[x];
        }
        rows[i] = rgb;
#endif
      }
      jpeg_write_scanlines(cinfo, rows, count);
    }
    jpeg_finish_compress(cinfo);
  });
  if (!ok) {
    if (session.Errors().mgr.msg_code == JERR_OUT_OF_MEMORY) {
      throw Error("メモリが足りないため JPEG を保存できません");
    }
    throw Error(std::string("JPEG を保存できません (") + session.Errors().message + ")");
  }
  return out;
}

int JpegQualityFromSetting(int32_t comp) {
  const int byte = static_cast<uint8_t>(comp);  // the encoder keeps only the low byte
  return std::clamp(byte, 1, 100);
}

}  // namespace core
