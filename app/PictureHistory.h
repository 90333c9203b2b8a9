#pragma once
// The main window's undo and redo: the states the picture went through, held in memory until the
// program ends. Each change records one step before it happens. A change that replaces the
// picture (a load, a capture, a crop, a resize) stores the picture it replaces; a change that
// draws into a rectangle (a tag's embedding) stores only that rectangle's pixels. Stored pixels of
// more than 4 MB are deflated when that makes them smaller. The steps together stay within a
// memory limit, the oldest dropped first; the newest step is always kept.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "core/Dib.h"

namespace app {

// A rectangle of the picture in pixels, right and bottom exclusive.
struct PixelArea {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

class PictureHistory {
 public:
  static constexpr uint64_t kDefaultLimitMb = 512;

  explicit PictureHistory(uint64_t limitBytes = kDefaultLimitMb << 20) : limit_(limitBytes) {}

  // The memory the steps may take; 0 turns the history off and forgets every step.
  void SetLimit(uint64_t bytes);
  uint64_t Limit() const { return limit_; }

  // Before a change that replaces the picture: stores `before` whole. Forgets what could be redone.
  void RecordPicture(const core::Dib& before);
  // Before drawing into `area` of the picture `before`: stores that rectangle (clipped to the
  // picture). Forgets what could be redone.
  void RecordArea(const core::Dib& before, PixelArea area);

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // The picture one step back from `current`, which becomes the step to redo. A rectangle step
  // gives a 24-bit picture: `current` converted, with the rectangle's earlier pixels in it.
  // Throws core::Error when there is nothing to undo.
  core::Dib Undo(const core::Dib& current);
  // The picture one step forward again; `current` becomes the step to undo.
  core::Dib Redo(const core::Dib& current);
  // As Undo and Redo, but a rectangle step on a 24-bit `current` is written into it, with no copy
  // of the whole picture: nothing is returned then. Otherwise the picture of that step.
  std::optional<core::Dib> UndoInto(core::Dib& current);
  std::optional<core::Dib> RedoInto(core::Dib& current);

  // The bytes the steps hold, compressed where they are.
  uint64_t StoredBytes() const { return stored_; }
  size_t UndoSteps() const { return undo_.size(); }
  size_t RedoSteps() const { return redo_.size(); }

  // Pixels of more than this many bytes are deflated (level 1) when that makes them smaller.
  static constexpr size_t kCompressAbove = size_t{4} << 20;

  // Pixel bytes, deflated or as they are.
  struct Packed {
    std::vector<uint8_t> bytes;
    size_t rawSize = 0;
    bool deflated = false;
  };

 private:
  struct Step {
    bool whole = true;
    core::DibFormat format;  // of the stored picture, or of the picture the area belongs to
    PixelArea area;          // a rectangle step's rectangle; its rows are 24-bit
    Packed pixels;
  };

  static Step WholeStep(const core::Dib& picture);
  static Step AreaStep(const core::Dib& picture24, PixelArea area);
  // Steps back (or forward): the picture the step gives, or nothing when it was written into
  // `current` itself; `reverse` is what `current` was.
  static std::optional<core::Dib> Apply(const Step& step, core::Dib& current, Step& reverse);
  // Applies the newest step of `from` and pushes its reverse onto `to`.
  std::optional<core::Dib> Move(std::deque<Step>& from, std::deque<Step>& to, core::Dib& current);
  void Push(std::deque<Step>& stack, Step step);
  void Drop(std::deque<Step>& stack, bool oldest);
  // Drops steps until the limit holds, keeping the newest one, at the back of `newest`.
  void KeepWithinLimit(const std::deque<Step>& newest);
  void Clear(std::deque<Step>& stack);

  uint64_t limit_;
  uint64_t stored_ = 0;
  std::deque<Step> undo_;  // newest at the back
  std::deque<Step> redo_;  // next to redo at the back
};

}  // namespace app
