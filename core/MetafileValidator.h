#pragma once
// Checks a Windows metafile or an enhanced metafile, record by record, before GDI plays it. GDI's
// players trust what they read: an object index past the handle table, a point count larger than
// its record or an embedded bitmap shorter than its header says makes them read or write outside
// the metafile, and a few small records can keep them busy for minutes (a polygon of random
// points, a pen or a font millions of pixels wide after the mapping). A metafile passes when every
// record lies within the file and holds what GDI reads from it, every object it names exists,
// only records whose effect is known appear, and the work GDI would do to draw it into a
// rectangle of the given size stays within a budget.

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/Error.h"

namespace core {

enum class MetafileKind {
  Windows,    // a standard Windows metafile, its METAHEADER first (as the clipboard holds one)
  Placeable,  // a ".wmf" file: the placeable header, then a standard Windows metafile
  Enhanced,   // an enhanced metafile (".emf")
};

// Why a metafile was refused.
enum class MetafileFault {
  Header,         // the header is not one GDI plays, or disagrees with the file
  RecordSize,     // a record runs past the file or is shorter than what GDI reads from it
  UnknownRecord,  // a record type whose effect is not known here, or one GDI plays unsafely
  ObjectIndex,    // a record names an object the handle table cannot hold or does not hold
  ObjectTable,    // an object would be created where the table has no room for it
  Count,          // a count of points, polygons, characters or rectangles disagrees with its record
  Bitmap,         // an embedded bitmap is malformed, shorter than its header says or too large
  Value,          // a parameter GDI cannot use safely: zero extents, NaN transforms, bad modes
  Nesting,        // the saved-state stack grows deeper than any drawing needs
  TooMuchWork,    // drawing it would take GDI longer than the budget
};

// A refused metafile: the text the user sees, with the fault and the number of the record where
// it was found (0 is the header) for whoever needs to know more.
class MetafileError : public Error {
 public:
  MetafileError(MetafileFault fault, size_t record);
  MetafileFault Fault() const { return fault_; }
  size_t Record() const { return record_; }

 private:
  MetafileFault fault_;
  size_t record_;
};

// The budget for one drawing, in the work estimate's units: nanoseconds of GDI's time as measured
// under Wine on a slow machine (bench/win/MetafileBench.cpp prints the estimate beside the time).
inline constexpr double kMetafileWorkBudget = 80e6;

struct MetafileLimits {
  // The rectangle the metafile is drawn into, in pixels; the work depends on it.
  int width = 200;
  int height = 200;
  // A standard Windows metafile without a placeable header: whether the player maps one unit to
  // one pixel (MM_TEXT, or a fixed mapping mode). Otherwise it maps the metafile's window onto the
  // rectangle, so one unit may become as large as the rectangle until the metafile sets its window.
  bool unitsArePixels = false;
  double maxWork = kMetafileWorkBudget;
};

struct MetafileReport {
  // The bytes GDI is to be given: for a placeable metafile the standard metafile after the
  // placeable header, through its end-of-file record; for an enhanced metafile its declared size.
  size_t offset = 0;
  size_t length = 0;
  size_t records = 0;
  // The work estimate for the rectangle of the limits, in the units of kMetafileWorkBudget.
  double work = 0;
};

// Checks every record of `data`; throws MetafileError when the metafile is refused.
MetafileReport ValidateMetafile(std::span<const uint8_t> data, MetafileKind kind,
                                const MetafileLimits& limits = {});

struct MetafileSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const MetafileSize&, const MetafileSize&) = default;
};

// The size to play a valid metafile at when it is to fill width x height pixels: that size when
// the work stays within `budget` there, otherwise the largest smaller one of the same proportions
// that keeps it (at least a pixel each way). A metafile too costly for its rectangle is drawn
// smaller and stretched rather than keep the window waiting.
MetafileSize FitMetafileToBudget(std::span<const uint8_t> data, MetafileKind kind, int width,
                                 int height, double budget = kMetafileWorkBudget);

}  // namespace core
