// The JPEG reader: libjpeg decodes straight into the rows of a 24-bpp Dib.

#include <algorithm>
#include <climits>
#include <new>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/JpegCodec.h"
#include "core/JpegSession.h"

namespace core {

namespace {

using jpeg::Session;

// A progressive or multi-scan file may repeat scans without limit, and every scan walks the whole
// coefficient buffer: beyond this many we stop instead of spinning on a small hostile file.
constexpr int kMaxScans = 500;
// libjpeg's own working memory (the whole-image coefficient buffer of progressive and multi-scan
// files) may not exceed the pixel budget of the picture itself.
constexpr long kMaxLibjpegMemory = static_cast<long>(kMaxPixelBytes);
// Rows handed to libjpeg per call.
constexpr int kRowBatch = 16;

struct ScanLimit {
  jpeg_progress_mgr pub;  // first member: libjpeg hands back a pointer to it
  bool exceeded;
};

void CheckScanCount(j_common_ptr cinfo) {
  auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (dinfo->input_scan_number > kMaxScans) {
    reinterpret_cast<ScanLimit*>(cinfo->progress)->exceeded = true;
    ERREXIT(cinfo, JERR_NOT_COMPILED);  // the text is replaced by ours below
  }
}

std::string FailureText(const jpeg::ErrorState& errors, const ScanLimit& scans) {
  if (scans.exceeded) {
    return "スキャン数が多すぎるため JPEG を読み込めません (" + std::to_string(kMaxScans) +
           " を超えています)";
  }
  switch (errors.mgr.msg_code) {
    case JERR_BAD_PRECISION:
      return "この JPEG は " + std::to_string(errors.mgr.msg_parm.i[0]) +
             " ビット精度のため読み込めません (8 ビットのみ対応)";
    case JERR_OUT_OF_MEMORY:
    case JERR_NO_BACKING_STORE:
      return "JPEG の展開に必要なメモリが大きすぎます";
    default:
      return std::string("JPEG ファイルを読み込めません (") + errors.message + ")";
  }
}

// Adobe's inverted CMYK (255 = no ink) to B,G,R: each channel is (255 - ink) * (255 - black) / 255,
// rounded.
void CmykRowToBgr(const uint8_t* cmyk, uint8_t* bgr, JDIMENSION width) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const unsigned k = cmyk[3];
    bgr[0] = static_cast<uint8_t>((cmyk[2] * k + 127) / 255);
    bgr[1] = static_cast<uint8_t>((cmyk[1] * k + 127) / 255);
    bgr[2] = static_cast<uint8_t>((cmyk[0] * k + 127) / 255);
  }
}

#ifndef JCS_EXTENSIONS
void SwapRedBlue(uint8_t* row, JDIMENSION width) {
  for (JDIMENSION x = 0; x < width; ++x, row += 3) std::swap(row[0], row[2]);
}
#endif

}  // namespace

Dib DecodeJpeg(std::span<const uint8_t> data, std::string* warning) {
  if (data.empty()) throw Error("JPEG データが空です");
  if (data.size() > ULONG_MAX) throw Error("JPEG ファイルが大きすぎます");

  ScanLimit scans{};  // declared first: it outlives the libjpeg object that points at it
  scans.pub.progress_monitor = CheckScanCount;
  Session<jpeg_decompress_struct> session;
  j_decompress_ptr cinfo = session.Get();
  const auto fail = [&] { return Error(FailureText(session.Errors(), scans)); };

  if (!session.Run([&] {
        jpeg_create_decompress(cinfo);
        cinfo->progress = &scans.pub;
        jpeg_mem_src(cinfo, data.data(), static_cast<unsigned long>(data.size()));
        jpeg_read_header(cinfo, TRUE);
      })) {
    throw fail();
  }

  // Everything the header promises is checked before memory is committed to it.
  if (cinfo->data_precision != 8) {
    throw Error("この JPEG は " + std::to_string(cinfo->data_precision) +
                " ビット精度のため読み込めません (8 ビットのみ対応)");
  }
  const JDIMENSION width = cinfo->image_width;
  const JDIMENSION height = cinfo->image_height;
  if (DibImageSize(width, height, 24) < 0) {
    throw Error("画像が大きすぎるため JPEG を読み込めません (" + std::to_string(width) + " x " +
                std::to_string(height) + ")");
  }
  bool cmyk = false;
  switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      cmyk = true;
      break;
    default:
      throw Error("この JPEG の色空間には対応していません (成分数 " +
                  std::to_string(cinfo->num_components) + ")");
  }
#ifdef JCS_EXTENSIONS
  cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
#else
  cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
#endif
  cinfo->dct_method = JDCT_ISLOW;
  cinfo->scale_num = 1;
  cinfo->scale_denom = 1;
  cinfo->mem->max_memory_to_use = kMaxLibjpegMemory;

  Dib dib;
  std::vector<uint8_t> cmykRows;
  try {
    // Every row is written below, and its padding is cleared there.
    dib = Dib(static_cast<int>(width), static_cast<int>(height), 24, Dib::Fill::None);
    if (cmyk) cmykRows.resize(size_t{width} * 4 * kRowBatch);
  } catch (const std::bad_alloc&) {
    throw Error("メモリが足りないため JPEG を読み込めません");
  }

  if (!session.Run([&] { jpeg_start_decompress(cinfo); })) throw fail();
  if (cinfo->output_width != width || cinfo->output_height != height) {
    throw Error("JPEG の出力サイズが想定と異なります");
  }

  const bool ok = session.Run([&] {
    JSAMPROW rows[kRowBatch];
    while (cinfo->output_scanline < height) {
      const JDIMENSION first = cinfo->output_scanline;
      const JDIMENSION count = std::min<JDIMENSION>(kRowBatch, height - first);
      for (JDIMENSION i = 0; i < count; ++i) {
        rows[i] = cmyk ? cmykRows.data() + size_t{width} * 4 * i : dib.Row(int(first + i));
      }
      const JDIMENSION got = jpeg_read_scanlines(cinfo, rows, count);
      if (got == 0) break;  // cannot happen with a memory source; never loop forever
      for (JDIMENSION i = 0; i < got; ++i) {
        uint8_t* row = dib.Row(int(first + i));
        std::fill(row + size_t{width} * 3, row + dib.Stride(), uint8_t{0});
        if (cmyk) {
          CmykRowToBgr(rows[i], dib.Row(int(first + i)), width);
        } else {
#ifndef JCS_EXTENSIONS
          SwapRedBlue(rows[i], width);
#endif
        }
      }
    }
  });
  if (!ok) throw fail();
  for (JDIMENSION y = cinfo->output_scanline; y < height; ++y) {
    std::fill(dib.Row(int(y)), dib.Row(int(y)) + dib.Stride(), uint8_t{0});
  }
  // The rest of the file after the last row (normally just EOI) is not read: trailing damage there
  // costs the picture nothing.

  if (warning != nullptr) {
    warning->clear();
    if (session.Errors().mgr.num_warnings > 0) {
      *warning = std::string("JPEG データが壊れているか途中で切れています (") +
                 session.Errors().warning + ")";
    }
  }
  return dib;
}

}  // namespace core
