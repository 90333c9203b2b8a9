#include "core/MetafileValidator.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "core/MetafileWalkers.h"
#include "core/PlaceableMetafile.h"

namespace core {
namespace {

std::string FaultText(MetafileFault fault) {
  switch (fault) {
    case MetafileFault::Header:
      return "メタファイルのヘッダが正しくありません";
    case MetafileFault::RecordSize:
      return "メタファイルのレコードの大きさが正しくありません";
    case MetafileFault::UnknownRecord:
      return "メタファイルに扱えないレコードがあります";
    case MetafileFault::ObjectIndex:
      return "メタファイルが存在しないオブジェクトを参照しています";
    case MetafileFault::ObjectTable:
      return "メタファイルのオブジェクトがオブジェクト表に収まりません";
    case MetafileFault::Count:
      return "メタファイルの点や文字の数がレコードと合いません";
    case MetafileFault::Bitmap:
      return "メタファイルの中のビットマップが正しくありません";
    case MetafileFault::Value:
      return "メタファイルに使えない値があります";
    case MetafileFault::Nesting:
      return "メタファイルの状態の保存が深すぎます";
    case MetafileFault::TooMuchWork:
      return "メタファイルの描画に時間がかかりすぎます";
  }
  return "メタファイルとして読み込めません";
}

std::string Message(MetafileFault fault, size_t record) {
  if (record == 0) return FaultText(fault) + "。";
  return FaultText(fault) + " (レコード " + std::to_string(record) + ")。";
}

}  // namespace

MetafileError::MetafileError(MetafileFault fault, size_t record)
    : Error(Message(fault, record)), fault_(fault), record_(record) {}

MetafileReport ValidateMetafile(std::span<const uint8_t> data, MetafileKind kind,
                                const MetafileLimits& limits) {
  using metafile::DeviceMapping;
  switch (kind) {
    case MetafileKind::Enhanced:
      return metafile::WalkEnhancedMetafile(data, limits);
    case MetafileKind::Placeable: {
      // The player maps the bounding box onto the rectangle.
      const std::optional<PlaceableHeader> box = ReadPlaceableHeader(data);
      if (!box) throw MetafileError(MetafileFault::Header, 0);
      DeviceMapping mapping(box->width, box->height, limits.width, limits.height);
      mapping.SetWindowOrg(box->left, box->top);
      return metafile::WalkWindowsMetafile(data, kPlaceableHeaderSize, mapping, limits);
    }
    case MetafileKind::Windows:
      // Until the metafile sets its window, a scalable mapping makes one unit the whole rectangle.
      return metafile::WalkWindowsMetafile(data, 0,
                                           limits.unitsArePixels
                                               ? DeviceMapping::Pixels()
                                               : DeviceMapping(1, 1, limits.width, limits.height),
                                           limits);
  }
  throw MetafileError(MetafileFault::Header, 0);
}

MetafileSize FitMetafileToBudget(std::span<const uint8_t> data, MetafileKind kind, int width,
                                 int height, double budget) {
  auto at = [&](double scale) {
    return MetafileSize{std::max(1, static_cast<int>(std::lround(width * scale))),
                        std::max(1, static_cast<int>(std::lround(height * scale)))};
  };
  auto fits = [&](const MetafileSize& size) {
    MetafileLimits limits;
    limits.width = size.width;
    limits.height = size.height;
    limits.maxWork = std::numeric_limits<double>::infinity();
    return ValidateMetafile(data, kind, limits).work <= budget;
  };
  if (fits(at(1))) return at(1);
  // The work grows with the size: halve the range of scales a few times.
  double low = 0;
  double high = 1;
  for (int step = 0; step < 8; ++step) {
    const double middle = (low + high) / 2;
    (fits(at(middle)) ? low : high) = middle;
  }
  return at(low);
}

}  // namespace core
