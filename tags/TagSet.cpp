#include "tags/TagSet.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "core/DpiScale.h"
#include "core/Error.h"
#include "tags/IconTag.h"
#include "tags/Mosaic.h"
#include "tags/ShapeTag.h"
#include "tags/TagCanvas.h"
#include "tags/TagPicture.h"
#include "win/BitmapDc.h"
#include "win/Clipboard.h"
#include "win/Dpi.h"
#include "win/FileDialogs.h"

namespace tags {
namespace {

// The text tag lies this far inside its track box's inner rectangle, leaving the frame line and
// the handles uncovered (at 96 DPI).
constexpr int kMemoInset = 10;
// The highlighter's colour when it is first chosen and no colour has been chosen yet.
constexpr COLORREF kHighlighterYellow = RGB(255, 255, 0);

// The up-down's position, or `fallback` when it has none within its range.
int UpDownValue(HWND upDown, int fallback) {
  BOOL invalid = FALSE;
  const int value =
      static_cast<int>(SendMessageW(upDown, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&invalid)));
  return invalid ? fallback : value;
}
// The font the font dialog opens with at first, in pixels at 96 DPI.
constexpr int kFontDialogHeight = 12;

}  // namespace

struct TagSet::Controls {
  Controls(win::controls::GraphicSurface& surface, host::PictureHost& picture, GdiPlus& gdiPlus)
      : ShapeTag(surface, picture, gdiPlus),
        IconTag(surface),
        ImageTag(surface),
        MosaicTag(surface, picture),
        TrackImage(surface),
        TrackMemo(surface),
        TrackIcon(surface),
        TrackShape(surface),
        TrackMosaic(surface) {}

  // Declared in stacking order, bottom to top.
  TShapeTag ShapeTag;
  TIconTag IconTag;
  TImageTag ImageTag;
  TMosaicTag MosaicTag;
  win::controls::TTrackBox TrackImage;
  win::controls::TTrackBox TrackMemo;
  win::controls::TTrackBox TrackIcon;
  win::controls::TTrackBox TrackShape;
  win::controls::TTrackBox TrackMosaic;
  TMemoTag MemoTag;
};

std::optional<TagKind> ActiveKind(host::ActiveTag active) {
  for (TagKind kind : kTagKinds) {
    if (AsActiveTag(kind) == active) return kind;
  }
  return std::nullopt;
}

TagSet::TagSet(host::PictureHost& picture, host::WindowServices& window, host::TagFrame& frame,
               SeedSource seeds)
    : picture_(picture),
      window_(window),
      frame_(frame),
      seeds_(seeds ? std::move(seeds) : SeedSource(SystemRandomSeed)) {
  fontDialogFont_.lfHeight = -kFontDialogHeight;
  fontDialogFont_.lfWeight = FW_NORMAL;
  fontDialogFont_.lfCharSet = SHIFTJIS_CHARSET;
  wcscpy(fontDialogFont_.lfFaceName, L"ＭＳ Ｐゴシック");
  fontDialogColour_ = GetSysColor(COLOR_WINDOWTEXT);
}

TagSet::~TagSet() = default;

void TagSet::CreateControls(win::controls::GraphicSurface& surface, HMENU tagMenu,
                            const IconPageControls& iconPage) {
  controls_ = std::make_unique<Controls>(surface, picture_, gdiPlus_);
  Controls& c = *controls_;
  // The boxes' first sizes are those of a 96-DPI screen scaled to the window's; from then on they
  // are the user's, in picture pixels. The icon tag's box fits the icon (ApplyDpi).
  struct TrackDesign {
    win::controls::TTrackBox& box;
    int width;
    int height;
    bool sizeEnable;
    void (TagSet::*onChange)();
  };
  const TrackDesign designs[] = {
      {c.TrackMemo, 73, 49, true, &TagSet::PlaceMemoTag},
      {c.TrackShape, 73, 49, true, &TagSet::PlaceShapeTag},
      {c.TrackIcon, 36, 36, false, &TagSet::PlaceIconTag},
      {c.TrackImage, 41, 41, true, &TagSet::PlaceImageTag},
      {c.TrackMosaic, 73, 49, true, &TagSet::PlaceMosaicTag},
  };
  for (const TrackDesign& d : designs) {
    d.box.SetBounds(0, 0, Scaled(d.width), Scaled(d.height));
    d.box.SetTrackSizeEnable(d.sizeEnable);
    d.box.PopupMenu = tagMenu;
    // TrackMemoTrackChange ... TrackImageTrackChange: the tag follows its box.
    d.box.OnTrackChange = [this, onChange = d.onChange](win::controls::TTrackBox&, bool) {
      (this->*onChange)();
    };
  }
  c.IconTag.PopupMenu = tagMenu;
  c.ImageTag.PopupMenu = tagMenu;
  c.MosaicTag.PopupMenu = tagMenu;
  c.ShapeTag.OnMouseDown = [this](auto&, auto, POINT) { ShapeTagMouseDown(); };
  c.IconTag.OnMouseDown = [this](auto&, auto, POINT) { IconTagMouseDown(); };
  c.ImageTag.OnMouseDown = [this](auto&, auto, POINT) { ImageTagMouseDown(); };
  c.MosaicTag.OnMouseDown = [this](auto&, auto, POINT) { MosaicTagMouseDown(); };
  c.MemoTag.Create(surface.Container(), tagMenu, window_.Prompts(), [this] { MemoTagMouseDown(); });
  fontDialogFont_.lfHeight = -Scaled(kFontDialogHeight);
  ApplyDpi();
  palette_.Attach(iconPage);
}

int TagSet::Scaled(int designPixels) const { return core::ScaleToDpi(designPixels, window_.Dpi()); }

void TagSet::ApplyDpi() {
  Controls& c = *controls_;
  const int dpi = window_.Dpi();
  const core::TrackMetrics metrics = core::TrackMetricsForDpi(dpi);
  for (TagKind kind : kTagKinds) Track(kind).SetMetrics(metrics);
  const int iconSize = win::IconSizeForDpi(dpi);
  c.IconTag.SetBounds(c.IconTag.Left(), c.IconTag.Top(), iconSize, iconSize);
  const int iconBox = iconSize + 2 * metrics.lineInset;
  c.TrackIcon.SetBounds(c.TrackIcon.Left(), c.TrackIcon.Top(), iconBox, iconBox);
  c.ShapeTag.SetPenWidth(Scaled(1));
  c.MemoTag.SetDpi(dpi);
}

void TagSet::DpiChanged() {
  ApplyDpi();
  palette_.DpiChanged();
  for (TagKind kind : kTagKinds) Place(kind);
}

void TagSet::AttachLaterPages(const LaterPageControls& pages) {
  preview_.Attach(pages.ImagePrev);
  // The stored choices, from a copy while they are handed to the controls.
  const host::Settings settings = window_.Settings();
  SendMessageW(pages.UpDown4, UDM_SETRANGE32, host::kMinPenWidth, host::kMaxPenWidth);
  SendMessageW(pages.UpDown3, UDM_SETRANGE32, host::kMinMosaicBlock, host::kMaxMosaicBlock);
  pages_ = pages;
  SendMessageW(pages_.UpDown4, UDM_SETPOS32, 0, settings.shapeWidth);
  SendMessageW(pages_.ComboBox3, CB_SETCURSEL, static_cast<WPARAM>(settings.shapeDirection), 0);
  SendMessageW(pages_.ComboBox2, CB_SETCURSEL, static_cast<WPARAM>(settings.mosaicMode), 0);
  SendMessageW(pages_.UpDown3, UDM_SETPOS32, 0, settings.mosaicBlock);
  ApplyStoredChoices();
}

void TagSet::ApplyStoredChoices() {
  const host::Settings& settings = window_.Settings();
  Controls& c = *controls_;
  c.ShapeTag.SetPen(StrokeStyle{settings.shapeWidth, static_cast<Corner>(settings.shapeDirection)});
  c.MosaicTag.SetStyle(MosaicStyle{static_cast<MosaicMode>(settings.mosaicMode),
                                   settings.mosaicBlock,
                                   static_cast<COLORREF>(settings.mosaicColor)});
  // The fill colour is "塗りつぶし"'s alone.
  EnableWindow(pages_.Button26, settings.mosaicMode == static_cast<int>(MosaicMode::Fill));
}

void TagSet::PlaceOnTrackBoxes() {
  for (TagKind kind : kTagKinds) {
    win::controls::TTrackBox& box = Track(kind);
    box.SetBounds(0, 0, box.Width(), box.Height());
    Place(kind);
  }
}

win::controls::TTrackBox& TagSet::Track(TagKind kind) {
  Controls& c = *controls_;
  switch (kind) {
    case TagKind::Icon:
      return c.TrackIcon;
    case TagKind::Memo:
      return c.TrackMemo;
    case TagKind::Shape:
      return c.TrackShape;
    case TagKind::Image:
      return c.TrackImage;
    case TagKind::Mosaic:
      break;
  }
  return c.TrackMosaic;
}

const TMemoTag& TagSet::MemoTag() const { return controls_->MemoTag; }

const win::controls::TTrackBox& TagSet::TrackBox(TagKind kind) const {
  return const_cast<TagSet*>(this)->Track(kind);
}

bool TagSet::IsShown(TagKind kind) const {
  const Controls& c = *controls_;
  switch (kind) {
    case TagKind::Icon:
      return c.IconTag.Visible();
    case TagKind::Memo:
      return c.MemoTag.Visible();
    case TagKind::Shape:
      return c.ShapeTag.Visible();
    case TagKind::Image:
      return c.ImageTag.Visible();
    case TagKind::Mosaic:
      break;
  }
  return c.MosaicTag.Visible();
}

RECT TagSet::TagBounds(TagKind kind) const {
  const Controls& c = *controls_;
  const win::controls::GraphicControl* tag = &c.ImageTag;
  switch (kind) {
    case TagKind::Memo:
      return c.MemoTag.Bounds();
    case TagKind::Icon:
      tag = &c.IconTag;
      break;
    case TagKind::Shape:
      tag = &c.ShapeTag;
      break;
    case TagKind::Mosaic:
      tag = &c.MosaicTag;
      break;
    case TagKind::Image:
      break;
  }
  return RECT{tag->Left(), tag->Top(), tag->Left() + tag->Width(), tag->Top() + tag->Height()};
}

void TagSet::SetShown(TagKind kind, bool shown) {
  Controls& c = *controls_;
  switch (kind) {
    case TagKind::Icon:
      c.IconTag.SetVisible(shown);
      break;
    case TagKind::Memo:
      c.MemoTag.SetVisible(shown);
      break;
    case TagKind::Shape:
      c.ShapeTag.SetVisible(shown);
      break;
    case TagKind::Image:
      c.ImageTag.SetVisible(shown);
      break;
    case TagKind::Mosaic:
      c.MosaicTag.SetVisible(shown);
      break;
  }
}

// --- Placement ---

void TagSet::PlaceMemoTag() {
  const core::TrackBounds r = controls_->TrackMemo.GetTrackRect();
  const int inset = Scaled(kMemoInset);
  controls_->MemoTag.SetBounds(r.left + inset, r.top + inset, r.width - 2 * inset,
                               r.height - 2 * inset);
}

void TagSet::PlaceShapeTag() {
  const core::TrackBounds r = controls_->TrackShape.GetTrackRect();
  controls_->ShapeTag.SetBounds(r.left, r.top, r.width, r.height);
}

void TagSet::PlaceIconTag() {
  const core::TrackBounds r = controls_->TrackIcon.GetTrackRect();
  win::controls::GraphicControl& tag = controls_->IconTag;
  tag.SetBounds(r.left, r.top, tag.Width(), tag.Height());
}

void TagSet::PlaceImageTag() {
  const core::TrackBounds r = controls_->TrackImage.GetTrackRect();
  controls_->ImageTag.SetBounds(r.left, r.top, r.width, r.height);
}

void TagSet::PlaceMosaicTag() {
  const core::TrackBounds r = controls_->TrackMosaic.GetTrackRect();
  controls_->MosaicTag.SetBounds(r.left, r.top, r.width, r.height);
}

void TagSet::Place(TagKind kind) {
  switch (kind) {
    case TagKind::Icon:
      PlaceIconTag();
      break;
    case TagKind::Memo:
      PlaceMemoTag();
      break;
    case TagKind::Shape:
      PlaceShapeTag();
      break;
    case TagKind::Image:
      PlaceImageTag();
      break;
    case TagKind::Mosaic:
      PlaceMosaicTag();
      break;
  }
}

void TagSet::UpdateTrackBoxes() {
  const host::ActiveTag active = frame_.ActiveTag();
  for (TagKind kind : kTagKinds) Track(kind).SetVisible(AsActiveTag(kind) == active);
}

// --- The operations of the tag pages ---

void TagSet::Show(TagKind kind) {
  if (!picture_.RequirePicture()) return;
  Controls& c = *controls_;
  if (kind == TagKind::Icon) {
    // A copy: the tag keeps its icon when the page is turned or a file registered.
    if (win::UniqueIcon selected = palette_.CopySelectedIcon()) {
      c.IconTag.SetIcon(std::move(selected));
    }
  }
  // Each showing of the mosaic draws its noise afresh, and embedding writes what is shown.
  if (kind == TagKind::Mosaic) c.MosaicTag.SetSeed(seeds_());
  Place(kind);
  if (kind == TagKind::Image) c.ImageTag.SetPicture(preview_.Picture().Copy());
  SetShown(kind, true);
  Activate(kind);
}

void TagSet::Hide(TagKind kind) {
  SetShown(kind, false);
  frame_.SetActiveTag(host::ActiveTag::None);
}

void TagSet::Activate(TagKind kind) { frame_.SetActiveTag(AsActiveTag(kind)); }

void TagSet::Embed(TagKind kind) {
  if (!IsShown(kind)) return;
  if (kind == TagKind::Mosaic) MakePictureEditable();
  picture_.RecordPictureArea(DrawnArea(kind));
  EmbedRecorded(kind);
}

void TagSet::EmbedRecorded(TagKind kind) {
  if (!IsShown(kind)) return;
  if (kind == TagKind::Icon) {
    // The icon is stamped on as it is; the clipboard is left alone.
    DrawTag(kind);
    picture_.RepaintPicture();
    Hide(kind);
    return;
  }
  Hide(kind);
  DrawTag(kind);
  picture_.RepaintPicture();
  ReloadViaClipboard();
}

RECT TagSet::TargetOf(TagKind kind) const {
  const RECT bounds = TagBounds(kind);
  const POINT at = ToPicture(bounds.left, bounds.top);
  return RECT{at.x, at.y, at.x + bounds.right - bounds.left, at.y + bounds.bottom - bounds.top};
}

RECT TagSet::DrawnArea(TagKind kind) {
  const RECT target = TargetOf(kind);
  if (kind != TagKind::Memo) return target;
  win::BitmapDc dc(picture_.Picture().Bitmap());
  return controls_->MemoTag.DrawnArea(dc.get(), target.left, target.top);
}

void TagSet::MakePictureEditable() {
  GdiFlush();
  if (!DirectlyEditable(picture_.Picture().Pixels())) picture_.Picture().ConvertTo24();
}

void TagSet::DrawTag(TagKind kind) {
  const Controls& c = *controls_;
  const RECT target = TargetOf(kind);
  const POINT at{target.left, target.top};
  const PixelRect area{target.left, target.top, target.right, target.bottom};
  if (kind == TagKind::Mosaic) {
    GdiFlush();
    c.MosaicTag.DrawInto(picture_.Picture().Pixels(), area);
    return;
  }
  const std::optional<ShapeKind> shape = ShapeOfListIndex(ShapeListIndex());
  if (kind == TagKind::Shape && shape && DrawsOverPicture(*shape)) {
    // Drawn over a copy of the pixels beneath, as the screen shows it, then written back.
    TagCanvas canvas(picture_.Picture(), area);
    DrawOverCanvas(canvas, *shape, c.ShapeTag.BrushColor(), c.ShapeTag.Pen(), gdiPlus_);
    canvas.WriteBack(picture_.Picture());
    return;
  }
  {
    win::BitmapDc dc(picture_.Picture().Bitmap());
    switch (kind) {
      case TagKind::Memo:
        c.MemoTag.DrawInto(dc.get(), at.x, at.y, frame_.TextFrameChosen());
        break;
      case TagKind::Shape:
        // The list's entry decides, not the shape on the screen: the empty entry or typed text
        // draws nothing.
        if (shape)
          DrawShape(dc.get(), *shape, target, c.ShapeTag.BrushColor(), c.ShapeTag.PenWidth());
        break;
      case TagKind::Icon:
        c.IconTag.DrawInto(dc.get(), at.x, at.y);
        break;
      case TagKind::Image:
        // The picture has 24 bits per pixel and no palette, so the bitmap's palette, which a
        // paletted picture would take first, has nothing to change here.
        c.ImageTag.Picture().Draw(dc.get(), target);
        break;
      case TagKind::Mosaic:
        break;
    }
  }
  GdiFlush();
}

void TagSet::MoveToOrigin(TagKind kind) {
  // The text, icon and mosaic tags obey whenever they are shown; the shape and image tags only
  // while they are the active tag (their track box shows).
  const bool obeys = (kind == TagKind::Memo || kind == TagKind::Icon || kind == TagKind::Mosaic)
                         ? IsShown(kind)
                         : Track(kind).Visible();
  if (!obeys) return;
  win::controls::TTrackBox& box = Track(kind);
  box.SetTop(0);
  box.SetLeft(0);
  Place(kind);
}

void TagSet::Button1Click() {
  constexpr TagKind kOrder[] = {TagKind::Shape, TagKind::Memo, TagKind::Icon, TagKind::Image,
                                TagKind::Mosaic};
  if (IsShown(TagKind::Mosaic)) MakePictureEditable();
  // One step of the history for all of them: the area they cover together.
  RECT all{};
  for (TagKind kind : kOrder) {
    if (!IsShown(kind)) continue;
    const RECT area = DrawnArea(kind);
    UnionRect(&all, &all, &area);
  }
  if (!IsRectEmpty(&all)) picture_.RecordPictureArea(all);
  for (TagKind kind : kOrder) EmbedRecorded(kind);
}

void TagSet::smnuHideClick() {
  if (const std::optional<TagKind> kind = ActiveKind(frame_.ActiveTag())) Hide(*kind);
}

void TagSet::smnuDrawClick() {
  if (const std::optional<TagKind> kind = ActiveKind(frame_.ActiveTag())) Embed(*kind);
}

void TagSet::smnuMoveClick() {
  if (const std::optional<TagKind> kind = ActiveKind(frame_.ActiveTag())) MoveToOrigin(*kind);
}

POINT TagSet::ToPicture(int left, int top) const {
  const POINT origin = window_.ScrollOrigin();
  return POINT{left + origin.x, top + origin.y};
}

void TagSet::ReloadViaClipboard() {
  GdiFlush();
  win::PutPictureOnClipboard(window_.Owner(), picture_.Picture().Pixels());
  std::optional<win::Picture> back = win::ReadClipboardPicture(window_.Owner());
  if (!back) throw core::Error("クリップボードの画像を読み取れません。");
  picture_.ReplacePicture(std::move(*back));
}

// --- The text tag's settings ---

void TagSet::Button5Click() {
  CHOOSEFONTW request{sizeof request};
  request.hwndOwner = window_.Owner();
  request.lpLogFont = &fontDialogFont_;
  request.rgbColors = fontDialogColour_;
  request.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  if (!window_.Prompts().ChooseFont(request)) return;
  fontDialogColour_ = request.rgbColors;
  const int points = (request.iPointSize + 5) / 10;
  controls_->MemoTag.SetFont(fontDialogFont_, points, request.rgbColors);
}

std::optional<COLORREF> TagSet::ChooseSolidColour(COLORREF initial) {
  CHOOSECOLORW request{sizeof request};
  request.hwndOwner = window_.Owner();
  request.rgbResult = initial;
  request.lpCustColors = customColours_.data();
  request.Flags = CC_SOLIDCOLOR | CC_PREVENTFULLOPEN | CC_RGBINIT;
  if (!window_.Prompts().ChooseColor(request)) return std::nullopt;
  return request.rgbResult;
}

void TagSet::Button8Click() {
  if (const std::optional<COLORREF> colour = ChooseSolidColour(colourDialogColour_)) {
    colourDialogColour_ = *colour;
    controls_->MemoTag.SetBackground(*colour);
  }
}

// --- The shape tag's settings ---

void TagSet::Button3Click() {
  if (const std::optional<COLORREF> colour = ChooseSolidColour(colourDialogColour_)) {
    colourDialogColour_ = *colour;
    shapeColourChosen_ = true;
    controls_->ShapeTag.SetBrushColor(*colour);
  }
}

int TagSet::ShapeListIndex() const {
  return static_cast<int>(SendMessageW(pages_.ComboBox1, CB_GETCURSEL, 0, 0));
}

void TagSet::ComboBox1Change() {
  const std::optional<ShapeKind> shape = ShapeOfListIndex(ShapeListIndex());
  if (!shape) return;
  if (*shape == ShapeKind::Highlighter && !std::exchange(highlighterChosen_, true) &&
      !shapeColourChosen_) {
    controls_->ShapeTag.SetBrushColor(kHighlighterYellow);
  }
  controls_->ShapeTag.SetShape(*shape);
}

void TagSet::UpDown4Click() {
  host::Settings& settings = window_.Settings();
  settings.shapeWidth = UpDownValue(pages_.UpDown4, settings.shapeWidth);
  ApplyStoredChoices();
}

void TagSet::ComboBox3Change() {
  const int index = static_cast<int>(SendMessageW(pages_.ComboBox3, CB_GETCURSEL, 0, 0));
  if (index < 0 || index >= host::kDirections) return;
  window_.Settings().shapeDirection = index;
  ApplyStoredChoices();
}

// --- The mosaic tag's settings ---

void TagSet::ComboBox2Change() {
  const int index = static_cast<int>(SendMessageW(pages_.ComboBox2, CB_GETCURSEL, 0, 0));
  if (index != static_cast<int>(MosaicMode::Mosaic) &&
      index != static_cast<int>(MosaicMode::Fill)) {
    return;
  }
  window_.Settings().mosaicMode = index;
  ApplyStoredChoices();
}

void TagSet::UpDown3Click() {
  host::Settings& settings = window_.Settings();
  settings.mosaicBlock = UpDownValue(pages_.UpDown3, settings.mosaicBlock);
  ApplyStoredChoices();
}

void TagSet::Button26Click() {
  host::Settings& settings = window_.Settings();
  if (const std::optional<COLORREF> colour =
          ChooseSolidColour(static_cast<COLORREF>(settings.mosaicColor))) {
    settings.mosaicColor = static_cast<int32_t>(*colour & 0xFFFFFF);
    ApplyStoredChoices();
  }
}

// --- The icon palette ---

void TagSet::UpDown2Click() { palette_.ShowIconPage(palette_.Position()); }

void TagSet::SelectIconSlot(int slot) {
  palette_.Select(slot);
  if (picture_.PictureState() == host::PictureState::Present) Show(TagKind::Icon);
}

void TagSet::Image11DblClick(HWND sender) { palette_.Register(palette_.SlotOf(sender)); }

// --- The image page ---

void TagSet::Button21Click() {
  const std::optional<std::wstring> chosen =
      win::ChooseFileToOpen(window_.Owner(), window_.Prompts(),
                            {{L"ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ(*.bmp)", L"*.bmp"}, {L"ﾒﾀﾌｧｲﾙ(*.wmf)", L"*.wmf"}});
  if (chosen) {
    picture_.SetCurrentFileName(*chosen);
    // A file that cannot be read ends the command here: the preview keeps its picture.
    preview_.SetPicture(LoadTagPicture(*chosen, picture_.PictureFormats()));
    window_.SetStatusText(L"イメージファイルセットが完了しました。");
  }
  if (picture_.PictureState() == host::PictureState::Present) Show(TagKind::Image);
}

}  // namespace tags
