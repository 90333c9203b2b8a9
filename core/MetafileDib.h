#pragma once
// The device-independent bitmaps inside metafile records (bitmap drawings and pattern brushes),
// checked as GDI reads them: a header it understands, the colour table its size implies, and the
// rows it will read.

#include <cstdint>

#include "core/MetafileRecord.h"

namespace core::metafile {

struct DibLayout {
  uint64_t headerBytes = 0;  // the header with its masks and colour table
  uint64_t bitsBytes = 0;    // the rows GDI reads
  double pixels = 0;
  int64_t height = 0;  // rows, whichever way they run
};

// The bitmap header at `at` in `record`, of which `available` bytes belong to it, for colours
// given as `usage` (DIB_RGB_COLORS or DIB_PAL_COLORS). Refuses the metafile with
// MetafileFault::Bitmap for a header GDI cannot use safely or a table beyond `available`.
DibLayout CheckDibHeader(const Record& record, uint64_t at, uint64_t available, uint32_t usage);

// A packed bitmap (header, table, then rows) filling the record from `at`.
DibLayout CheckPackedDib(const Record& record, uint64_t at, uint32_t usage);

}  // namespace core::metafile
