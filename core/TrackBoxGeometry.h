#pragma once
// The geometry of the track box (win/controls/TrackBox): where its eight handles lie, which handle
// a point hits, how a drag on a handle changes the box, and the inner rectangle the tags are
// placed in. Pure arithmetic on the box's bounds, so it is tested natively.

namespace core {

// A box as left, top, width and height (the track box's bounds in its parent's client
// coordinates, or a rectangle derived from them).
struct TrackBounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const TrackBounds&, const TrackBounds&) = default;
};

struct TrackPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const TrackPoint&, const TrackPoint&) = default;
};

// The handles, numbered as the zones of the box: 0 top-left, 1 top-middle, 2 top-right,
// 3 right-middle, 4 bottom-right, 5 bottom-middle, 6 bottom-left, 7 left-middle.
inline constexpr int kTrackZones = 8;
// The zone value "no handle".
inline constexpr int kNoTrackZone = 8;
// Drawn handles are squares of this size with exclusive right and bottom edges; their hit areas
// include both bounds, so they reach one pixel further right and down.
inline constexpr int kTrackHandleSize = 5;
// The frame line runs this far inside the box's edges; the inner rectangle lies inside it.
inline constexpr int kTrackLineInset = 2;

// The handles' size and the frame line's inset of a box on a screen of some resolution; the
// defaults are those of a 96-DPI screen. The box itself, like the tag it carries, is measured in
// picture pixels and keeps its size at every resolution; its handles grow so they stay easy to
// grab.
struct TrackMetrics {
  int handleSize = kTrackHandleSize;
  int lineInset = kTrackLineInset;
};

// The handles and the frame line at `dpi` dots per inch.
TrackMetrics TrackMetricsForDpi(int dpi);

enum class TrackCursor { Arrow, SizeNwse, SizeNs, SizeNesw, SizeWe };

// Top-left corner of `zone`'s drawn square in a box of `width` x `height`. The middle handles sit
// at (width - 5) / 2 and (height - 5) / 2, truncated toward zero (5 being the handle size).
TrackPoint HandleOrigin(int zone, int width, int height, const TrackMetrics& metrics = {});

// True when (x, y), in the box's own coordinates, lies in `zone`'s hit area.
bool InHitArea(int zone, int width, int height, int x, int y, const TrackMetrics& metrics = {});

// True when (x, y) lies in any hit area: a press there sizes the box, elsewhere it moves it.
bool InAnyHitArea(int width, int height, int x, int y, const TrackMetrics& metrics = {});

// The hover test: the hit areas are tried in zone order and a later match overrides an earlier
// one (in boxes smaller than about 11 pixels they overlap). kNoTrackZone when none matches.
int HoverZone(int width, int height, int x, int y, const TrackMetrics& metrics = {});

// The resize cursor shown over `zone`; the arrow for kNoTrackZone.
TrackCursor ZoneCursor(int zone);

// One step of a drag on `zone`'s handle with the pointer at (x, y) in the box's own coordinates.
// The left and top edges follow the pointer while the opposite edge stays; the right and bottom
// edges are placed at the pointer. No edge passes the opposite one: a step that would make the
// width or the height less than 1 changes nothing (for a corner handle, neither of its edges).
TrackBounds ResizeStep(int zone, const TrackBounds& box, int x, int y);

// One step of a move: the box follows the pointer, which keeps its place (press) relative to the
// box.
TrackBounds MoveStep(const TrackBounds& box, int x, int y, TrackPoint press);

// The area inside the frame line: 2 pixels in from every side (the line's inset).
TrackBounds InnerRect(const TrackBounds& box, const TrackMetrics& metrics = {});

}  // namespace core
