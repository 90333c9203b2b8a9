#include "app/PictureHistory.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "core/Convert24.h"
#include "core/Error.h"

namespace app {
namespace {

struct CompressorDeleter {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
struct DecompressorDeleter {
  void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

PictureHistory::Packed Pack(std::vector<uint8_t> raw) {
  PictureHistory::Packed packed;
  packed.rawSize = raw.size();
  if (raw.size() > PictureHistory::kCompressAbove) {
    std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
        libdeflate_alloc_compressor(1));
    if (compressor) {
      // Only a result smaller than the input is worth keeping, so that is all the room it gets.
      std::vector<uint8_t> deflated(raw.size() - 1);
      const size_t size = libdeflate_deflate_compress(compressor.get(), raw.data(), raw.size(),
                                                      deflated.data(), deflated.size());
      if (size != 0) {
        deflated.resize(size);
        deflated.shrink_to_fit();
        packed.bytes = std::move(deflated);
        packed.deflated = true;
        return packed;
      }
    }
  }
  packed.bytes = std::move(raw);
  return packed;
}

// Writes the packed bytes, which must unpack to exactly `size` bytes, to `out`.
void Unpack(const PictureHistory::Packed& packed, uint8_t* out, size_t size) {
  if (packed.rawSize != size) throw core::Error("元に戻す情報が壊れています。");
  if (!packed.deflated) {
    std::memcpy(out, packed.bytes.data(), size);
    return;
  }
  std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(
      libdeflate_alloc_decompressor());
  if (!decompressor) throw core::Error("メモリが不足しています。");
  size_t written = 0;
  if (libdeflate_deflate_decompress(decompressor.get(), packed.bytes.data(), packed.bytes.size(),
                                    out, size, &written) != LIBDEFLATE_SUCCESS ||
      written != size) {
    throw core::Error("元に戻す情報が壊れています。");
  }
}

core::DibFormat FormatOf(const core::Dib& picture) {
  core::DibFormat format;
  format.width = picture.Width();
  format.height = picture.Height();
  format.bitCount = picture.BitCount();
  format.palette = picture.Palette();
  format.masks = picture.Masks();
  format.xPelsPerMeter = picture.xPelsPerMeter;
  format.yPelsPerMeter = picture.yPelsPerMeter;
  return format;
}

PixelArea ClipTo(PixelArea area, int width, int height) {
  area.left = std::clamp(area.left, 0, width);
  area.right = std::clamp(area.right, area.left, width);
  area.top = std::clamp(area.top, 0, height);
  area.bottom = std::clamp(area.bottom, area.top, height);
  return area;
}

constexpr size_t kAreaPixelBytes = 3;

// The rows of `area` of a 24-bit picture, top row first, without padding.
std::vector<uint8_t> AreaRows(const core::Dib& picture24, PixelArea area) {
  const size_t rowBytes = static_cast<size_t>(area.right - area.left) * kAreaPixelBytes;
  std::vector<uint8_t> rows(rowBytes * static_cast<size_t>(area.bottom - area.top));
  uint8_t* out = rows.data();
  for (int y = area.top; y < area.bottom; ++y, out += rowBytes) {
    std::memcpy(out, picture24.Row(y) + static_cast<size_t>(area.left) * kAreaPixelBytes, rowBytes);
  }
  return rows;
}

}  // namespace

void PictureHistory::SetLimit(uint64_t bytes) {
  limit_ = bytes;
  if (limit_ == 0) {
    Clear(undo_);
    Clear(redo_);
  }
  KeepWithinLimit(undo_);
}

PictureHistory::Step PictureHistory::WholeStep(const core::Dib& picture) {
  Step step;
  step.whole = true;
  step.format = FormatOf(picture);
  step.pixels = Pack(std::vector<uint8_t>(picture.Bits(), picture.Bits() + picture.ImageSize()));
  return step;
}

PictureHistory::Step PictureHistory::AreaStep(const core::Dib& picture24, PixelArea area) {
  Step step;
  step.whole = false;
  step.format = FormatOf(picture24);
  step.area = ClipTo(area, picture24.Width(), picture24.Height());
  step.pixels = Pack(AreaRows(picture24, step.area));
  return step;
}

void PictureHistory::RecordPicture(const core::Dib& before) {
  if (limit_ == 0) return;
  Clear(redo_);
  Push(undo_, WholeStep(before));
}

void PictureHistory::RecordArea(const core::Dib& before, PixelArea area) {
  if (limit_ == 0) return;
  Clear(redo_);
  if (before.BitCount() == 24) {
    Push(undo_, AreaStep(before, area));
  } else {
    Push(undo_, AreaStep(core::ConvertTo24(before), area));
  }
}

std::optional<core::Dib> PictureHistory::Apply(const Step& step, core::Dib& current,
                                               Step& reverse) {
  if (step.whole) {
    reverse = WholeStep(current);
    core::Dib picture(step.format.width, step.format.height, step.format.bitCount,
                      core::Dib::Fill::None);
    picture.Palette() = step.format.palette;
    picture.Masks() = step.format.masks;
    picture.xPelsPerMeter = step.format.xPelsPerMeter;
    picture.yPelsPerMeter = step.format.yPelsPerMeter;
    Unpack(step.pixels, picture.Bits(), picture.ImageSize());
    return picture;
  }
  // Every change passes through the history, so the picture still has the size the rectangle was
  // taken from; anything else means the steps no longer describe this picture.
  if (current.Width() != step.format.width || current.Height() != step.format.height) {
    throw core::Error("元に戻す情報が今の画像と合いません。");
  }
  std::optional<core::Dib> converted;
  if (current.BitCount() != 24) converted = core::ConvertTo24(current);
  core::Dib& picture = converted ? *converted : current;
  reverse = AreaStep(picture, step.area);
  const PixelArea& a = step.area;
  const size_t rowBytes = static_cast<size_t>(a.right - a.left) * kAreaPixelBytes;
  std::vector<uint8_t> rows(rowBytes * static_cast<size_t>(a.bottom - a.top));
  Unpack(step.pixels, rows.data(), rows.size());
  const uint8_t* in = rows.data();
  for (int y = a.top; y < a.bottom; ++y, in += rowBytes) {
    std::memcpy(picture.Row(y) + static_cast<size_t>(a.left) * kAreaPixelBytes, in, rowBytes);
  }
  return converted;
}

std::optional<core::Dib> PictureHistory::Move(std::deque<Step>& from, std::deque<Step>& to,
                                              core::Dib& current) {
  Step reverse;
  std::optional<core::Dib> picture = Apply(from.back(), current, reverse);
  Drop(from, false);
  Push(to, std::move(reverse));
  return picture;
}

std::optional<core::Dib> PictureHistory::UndoInto(core::Dib& current) {
  if (undo_.empty()) throw core::Error("元に戻す操作がありません。");
  return Move(undo_, redo_, current);
}

std::optional<core::Dib> PictureHistory::RedoInto(core::Dib& current) {
  if (redo_.empty()) throw core::Error("やり直す操作がありません。");
  return Move(redo_, undo_, current);
}

core::Dib PictureHistory::Undo(const core::Dib& current) {
  core::Dib picture = current.Clone();
  std::optional<core::Dib> earlier = UndoInto(picture);
  return earlier ? std::move(*earlier) : std::move(picture);
}

core::Dib PictureHistory::Redo(const core::Dib& current) {
  core::Dib picture = current.Clone();
  std::optional<core::Dib> later = RedoInto(picture);
  return later ? std::move(*later) : std::move(picture);
}

void PictureHistory::Push(std::deque<Step>& stack, Step step) {
  stored_ += step.pixels.bytes.size();
  stack.push_back(std::move(step));
  KeepWithinLimit(stack);
}

void PictureHistory::Drop(std::deque<Step>& stack, bool oldest) {
  Step& step = oldest ? stack.front() : stack.back();
  stored_ -= step.pixels.bytes.size();
  if (oldest) {
    stack.pop_front();
  } else {
    stack.pop_back();
  }
}

void PictureHistory::KeepWithinLimit(const std::deque<Step>& newest) {
  // The oldest undo steps go first, then the redo steps furthest away; the newest step, at the
  // back of `newest`, stays.
  const auto droppable = [&](const std::deque<Step>& stack) {
    return stack.size() > (&stack == &newest ? 1u : 0u);
  };
  while (stored_ > limit_) {
    if (droppable(undo_)) {
      Drop(undo_, true);
    } else if (droppable(redo_)) {
      Drop(redo_, true);
    } else {
      break;
    }
  }
}

void PictureHistory::Clear(std::deque<Step>& stack) {
  while (!stack.empty()) Drop(stack, true);
}

}  // namespace app
