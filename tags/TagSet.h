#pragma once
// The tags that float over the picture until they are embedded into it: text, shape, icon, image
// and mosaic. Each is one control, shown or hidden, never created or destroyed, with its own track
// box through which the user moves and sizes it. At most one track box shows: the active tag's,
// held in the window's ActiveTag. This is what the four tags share: placing a tag in its track box,
// show, hide, embed and move to origin, activation by a press, the tag menu, Embed all and the
// reload through the clipboard that ends most embeddings; and each kind's own settings: the text
// tag's font and background, the shape, its colour and pen, the icon palette, the image page's
// file, the mosaic's way of hiding.

#include <windows.h>

#include <array>
#include <memory>
#include <optional>

#include "host/Roles.h"
#include "tags/GdiPlus.h"
#include "tags/IconPalette.h"
#include "tags/ImageTag.h"
#include "tags/MemoTag.h"
#include "tags/MosaicTag.h"
#include "tags/RandomSeed.h"
#include "win/controls/GraphicControl.h"
#include "win/controls/TrackBox.h"

namespace tags {

// The tags, each by the value the window's ActiveTag takes for it.
enum class TagKind {
  Icon = static_cast<int>(host::ActiveTag::Icon),
  Memo = static_cast<int>(host::ActiveTag::Memo),
  Shape = static_cast<int>(host::ActiveTag::Shape),
  Image = static_cast<int>(host::ActiveTag::Image),
  Mosaic = static_cast<int>(host::ActiveTag::Mosaic),
};
inline constexpr TagKind kTagKinds[] = {TagKind::Icon, TagKind::Memo, TagKind::Shape,
                                        TagKind::Image, TagKind::Mosaic};

constexpr host::ActiveTag AsActiveTag(TagKind kind) {
  return static_cast<host::ActiveTag>(static_cast<int>(kind));
}
// The active tag's kind; nothing while no tag is active.
std::optional<TagKind> ActiveKind(host::ActiveTag active);

// The controls of the image, shape and mosaic pages whose behaviour the tags own, which the
// window makes after it is shown.
struct LaterPageControls {
  HWND ImagePrev = nullptr;  // the image page's preview
  // The shape page's list: "四角", "楕円", "四角（角丸）", "", "矢印", "直線", "蛍光ﾍﾟﾝ"
  HWND ComboBox1 = nullptr;
  HWND UpDown4 = nullptr;    // the shape page's "太さ": the pen's width
  HWND ComboBox3 = nullptr;  // the shape page's "向き": the corner the arrow points to
  HWND ComboBox2 = nullptr;  // the mosaic page's way: "ﾓｻﾞｲｸ", "塗りつぶし"
  HWND UpDown3 = nullptr;    // the mosaic page's block size
  HWND Button26 = nullptr;   // the mosaic page's "色": the colour of "塗りつぶし"
};

class TagSet {
 public:
  // The mosaic takes a fresh seed from `seeds` each time it is shown; from the system's random
  // source when none is given.
  TagSet(host::PictureHost& picture, host::WindowServices& window, host::TagFrame& frame,
         SeedSource seeds = {});
  ~TagSet();
  TagSet(const TagSet&) = delete;
  TagSet& operator=(const TagSet&) = delete;

  // Builds the tags and their track boxes on the picture area's surface, all hidden, stacked
  // bottom to top as ShapeTag, IconTag, ImageTag, MosaicTag, TrackImage, TrackMemo, TrackIcon,
  // TrackShape, TrackMosaic, with MemoTag, a window of its own, above them all. The tag menu
  // belongs to every tag and track box but the shape tag. Takes over the palette on the icon page.
  void CreateControls(win::controls::GraphicSurface& surface, HMENU tagMenu,
                      const IconPageControls& iconPage);
  // Takes over the preview on the image page and the shape and mosaic pages' choices, once they
  // exist; those stored in the settings are shown.
  void AttachLaterPages(const LaterPageControls& pages);
  // The window's creation: each track box goes to the picture area's top-left corner and its tag
  // is placed on it, icon, text, shape, image, mosaic in turn.
  void PlaceOnTrackBoxes();
  // The window has moved to a screen of another resolution: the handles, the text tag's font and
  // margins, the shape's pen and the icons take the sizes of that resolution, and each tag is
  // placed on its track box again. The boxes keep their places and sizes (picture pixels), but
  // for the icon tag's, which fits its icon.
  void DpiChanged();

  // The operations of every tag page: "表示", "隠す", "埋込", "原点移動".
  void Show(TagKind kind);
  void Hide(TagKind kind);
  void Embed(TagKind kind);
  void MoveToOrigin(TagKind kind);
  // The tag menu's items act on the active tag, and do nothing while none is.
  void smnuHideClick();
  void smnuDrawClick();
  void smnuMoveClick();
  // "全埋込": embeds the shape, the text, the icon, the image and the mosaic tag in this order,
  // each if shown: the mosaic last, so it hides whatever the others put under it.
  void Button1Click();
  // Shows the active tag's track box and hides the others; the window calls it whenever its active
  // tag changes.
  void UpdateTrackBoxes();
  // The text tag's font ("ﾌｫﾝﾄ") and background colour ("背景").
  void Button5Click();
  void Button8Click();
  // The shape tag's colour ("色") and shape (the list ComboBox1).
  void Button3Click();
  void ComboBox1Change();
  // The arrow's and the line's pen: "太さ" (its arrows stepped) and "向き".
  void UpDown4Click();
  void ComboBox3Change();
  // The mosaic's way ("方式"), its block size (its arrows stepped) and its fill colour ("色").
  void ComboBox2Change();
  void UpDown3Click();
  void Button26Click();
  // The icon palette: the page for position n, UpDown2's new position, a click on slot 0..3 (which
  // also shows the icon tag while a picture is present), and a double-click, which registers an
  // icon file for the slot on page 6 or 12.
  void ShowIconPage(int n) { palette_.ShowIconPage(n); }
  int UpDown2Position() const { return palette_.Position(); }
  void UpDown2Click();
  void SelectIconSlot(int slot);
  void Image11DblClick(HWND sender);
  // The image page's "ﾌｧｲﾙ": loads a bitmap or metafile into the preview, then shows the image tag
  // afresh while a picture is present.
  void Button21Click();

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
  void PlaceMosaicTag();
  void Place(TagKind kind);
  // A length of the 96-DPI layout at the window's resolution.
  int Scaled(int designPixels) const;
  // The sizes that follow the window's resolution: the handles, the text tag's font, the shape's
  // pen and the icon tag's size.
  void ApplyDpi();
  void SetShown(TagKind kind, bool shown);
  win::controls::TTrackBox& Track(TagKind kind);
  // A press of any button on a tag makes it the active tag.
  void MemoTagMouseDown() { Activate(TagKind::Memo); }
  void ShapeTagMouseDown() { Activate(TagKind::Shape); }
  void IconTagMouseDown() { Activate(TagKind::Icon); }
  void ImageTagMouseDown() { Activate(TagKind::Image); }
  void MosaicTagMouseDown() { Activate(TagKind::Mosaic); }
  void Activate(TagKind kind);
  // Embeds a shown tag whose area the history has recorded already.
  void EmbedRecorded(TagKind kind);
  // Where the tag lies on the picture, in picture pixels, and what its embedding may change.
  RECT TargetOf(TagKind kind) const;
  RECT DrawnArea(TagKind kind);
  // Draws the tag into the picture at its picture coordinates.
  void DrawTag(TagKind kind);
  // The shape list's current entry; -1 when typed text leaves none chosen.
  int ShapeListIndex() const;
  // The pages' choices as the settings keep them, given to the tags.
  void ApplyStoredChoices();
  // The mosaic works on the picture's own pixels: a picture in another format is made 24-bit.
  void MakePictureEditable();
  // The picture pixel under a point of the picture area's client coordinates.
  POINT ToPicture(int left, int top) const;
  // Puts the picture on the clipboard and replaces it with the bitmap read back from there, so the
  // clipboard holds the picture with the tag in it.
  void ReloadViaClipboard();
  // Shows the colour dialog with solid colours only and no custom-colour part, opening with
  // `initial`; the chosen colour.
  std::optional<COLORREF> ChooseSolidColour(COLORREF initial);

  host::PictureHost& picture_;
  host::WindowServices& window_;
  host::TagFrame& frame_;
  SeedSource seeds_;
  GdiPlus gdiPlus_;  // outlives the shape tag, which draws through it
  std::unique_ptr<Controls> controls_;
  IconPalette palette_{picture_, window_};
  ImagePreview preview_;
  LaterPageControls pages_;
  // Whether the colour dialog chose the shape's colour yet, and whether the highlighter has been
  // chosen: the first time it is, an unchosen colour becomes yellow.
  bool shapeColourChosen_ = false;
  bool highlighterChosen_ = false;
  // The font dialog opens with its own last choice, not the tag's font.
  LOGFONTW fontDialogFont_{};
  COLORREF fontDialogColour_ = 0;
  // The colour dialog (shared by the text and shape tags) opens with its last chosen colour.
  COLORREF colourDialogColour_ = 0;
  std::array<COLORREF, 16> customColours_{};
};

}  // namespace tags
