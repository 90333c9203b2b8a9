#pragma once
// The four tags that float over the picture until they are embedded into it: text, shape, icon
// and image. Each is one control, shown or hidden, never created or destroyed, with its own track
// box through which the user moves and sizes it. At most one track box shows: the active tag's,
// held in the window's ActiveTag. This is what the four tags share: placing a tag in its track box,
// show, hide, embed and move to origin, activation by a press, the tag menu, Embed all and the
// reload through the clipboard that ends most embeddings; and the text tag's own settings.

#include <windows.h>

#include <array>
#include <memory>

#include "host/FormHost.h"
#include "tags/MemoTag.h"
#include "win/controls/GraphicControl.h"
#include "win/controls/TrackBox.h"

namespace tags {

// The tags by the values ActiveTag takes for them; any other value means none.
enum class TagKind { Icon = 1, Memo = 2, Shape = 3, Image = 4 };
inline constexpr int kNoActiveTag = 5;

class TagSet {
 public:
  explicit TagSet(host::FormHost& host);
  ~TagSet();
  TagSet(const TagSet&) = delete;
  TagSet& operator=(const TagSet&) = delete;

  // Builds the tags and their track boxes on the picture area's surface, all hidden, stacked
  // bottom to top as ShapeTag, IconTag, ImageTag, TrackImage, TrackMemo, TrackIcon, TrackShape,
  // with MemoTag, a window of its own, above them all. The tag menu belongs to every tag and track
  // box but the shape tag.
  void CreateControls(win::controls::GraphicSurface& surface, HMENU tagMenu);
  // The window's creation: each track box goes to the picture area's top-left corner and its tag
  // is placed on it, icon, text, shape, image in turn.
  void PlaceOnTrackBoxes();

  // The operations of every tag page: "表示", "隠す", "埋込", "原点移動".
  void Show(TagKind kind);
  void Hide(TagKind kind);
  void Embed(TagKind kind);
  void MoveToOrigin(TagKind kind);
  // The tag menu's items act on the active tag, and do nothing while none is.
  void smnuHideClick();
  void smnuDrawClick();
  void smnuMoveClick();
  // "全埋込": embeds the shape, the text, the icon and the image tag in this order, each if shown.
  void Button1Click();
  // Shows the active tag's track box and hides the others.
  void UpdateTrackBoxes();
  // The text tag's font ("ﾌｫﾝﾄ") and background colour ("背景").
  void Button5Click();
  void Button8Click();

  // What the user sees of the tags.
  const TMemoTag& MemoTag() const;
  const win::controls::TTrackBox& TrackBox(TagKind kind) const;
  bool IsShown(TagKind kind) const;
  RECT TagBounds(TagKind kind) const;  // in the picture area's client coordinates

 private:
  struct Controls;

  void PlaceMemoTag();
  void PlaceShapeTag();
  void PlaceIconTag();
  void PlaceImageTag();
  void Place(TagKind kind);
  void SetShown(TagKind kind, bool shown);
  win::controls::TTrackBox& Track(TagKind kind);
  // A press of any button on a tag makes it the active tag.
  void MemoTagMouseDown() { Activate(TagKind::Memo); }
  void ShapeTagMouseDown() { Activate(TagKind::Shape); }
  void IconTagMouseDown() { Activate(TagKind::Icon); }
  void ImageTagMouseDown() { Activate(TagKind::Image); }
  void Activate(TagKind kind);
  // Draws the tag into the picture at its picture coordinates.
  void DrawTag(TagKind kind);
  // The picture pixel under a point of the picture area's client coordinates.
  POINT ToPicture(int left, int top) const;
  // Puts the picture on the clipboard and replaces it with the bitmap read back from there, so the
  // clipboard holds the picture with the tag in it.
  void ReloadViaClipboard();

  host::FormHost& host_;
  std::unique_ptr<Controls> controls_;
  // The font dialog opens with its own last choice, not the tag's font.
  LOGFONTW fontDialogFont_{};
  COLORREF fontDialogColour_ = 0;
  // The colour dialog (shared by the text and shape tags) opens with its last chosen colour.
  COLORREF colourDialogColour_ = 0;
  std::array<COLORREF, 16> customColours_{};
};

}  // namespace tags
