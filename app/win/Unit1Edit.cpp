// The main window's side of the tags and cropping: the surface over the picture that carries the
// tags and their track boxes, the picture's mouse, cursor and context menu, the status line's late
// texts, and the host operations the tags and the crop use.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "app/win/CommandIds.h"
#include "app/win/Unit1.h"
#include "win/controls/Image.h"
#include "win/controls/ScrollBox.h"

namespace app {
namespace {

constexpr UINT_PTR kStatusLineSubclass = 1;

}  // namespace

void TForm1::CreateEditSupport() {
  pictureSurface_ = std::make_unique<win::controls::GraphicSurface>(controls_.ScrollBox1, prompts_);
  pictureSurface_->AddUnderlay(controls_.Image1);
  tags::IconPageControls iconPage;
  HWND page = controls_.TabSheet1;
  iconPage.page = page;
  iconPage.Panel4 = GetDlgItem(page, ids::Panel4);
  iconPage.UpDown2 = GetDlgItem(page, ids::UpDown2);
  iconPage.squares = {GetDlgItem(page, ids::Label9), GetDlgItem(page, ids::Label10),
                      GetDlgItem(page, ids::Label11), GetDlgItem(page, ids::Label12)};
  iconPage.slots = {GetDlgItem(page, ids::Image11), GetDlgItem(page, ids::Image12),
                    GetDlgItem(page, ids::Image13), GetDlgItem(page, ids::Image14)};
  tags_.CreateControls(*pictureSurface_, controls_.PopupMenu2, iconPage);
  image1PopupMenu_ = controls_.PopupMenu1;
  win::controls::ImageMouseEvents events;
  events.OnMouseDown = [this](win::controls::MouseButton button, POINT at) {
    Run([&] { Image1MouseDown(button, at); });
  };
  events.OnMouseMove = [this](POINT at) { Run([&] { Image1MouseMove(at); }); };
  events.OnMouseUp = [this](win::controls::MouseButton button, POINT at) {
    Run([&] { Image1MouseUp(button, at); });
  };
  events.OnCaptureLost = [this] { Run([&] { Image1CaptureLost(); }); };
  win::controls::SetImageMouseEvents(controls_.Image1, std::move(events));
  SetWindowSubclass(controls_.StatusBar1, StatusLineProc, kStatusLineSubclass,
                    reinterpret_cast<DWORD_PTR>(this));
}

// --- The tags ---

void TForm1::SetActiveTag(host::ActiveTag tag) {
  state_.ActiveTag = tag;
  tags_.UpdateTrackBoxes();
}

bool TForm1::TextFrameChosen() const {
  return IsDlgButtonChecked(controls_.TabSheet2, ids::CheckBox1) == BST_CHECKED;
}

void TForm1::SetHint(HWND control, const std::wstring& hint) {
  WithToolTips([this, control, hint](HWND tips) {
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window_.get();
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(hint.c_str());  // the tooltip keeps its own copy
    SendMessageW(tips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  });
}

// --- Cropping ---

void TForm1::InvalidatePicture(std::span<const RECT> areas) {
  win::controls::InvalidateImage(controls_.Image1, areas);
}

SIZE TForm1::PictureAreaSize() const {
  RECT client{};
  GetClientRect(controls_.ScrollBox1, &client);
  return SIZE{client.right, client.bottom};
}

void TForm1::ScrollPictureBy(int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  win::controls::ScrollBoxScrollBy(controls_.ScrollBox1, dx, dy);
}

void TForm1::SetPictureCropMode(bool cropping) {
  win::controls::SetImageCursor(controls_.Image1, cropping ? IDC_CROSS : IDC_ARROW);
  image1PopupMenu_ = cropping ? controls_.PopupMenu1 : nullptr;
}

void TForm1::SetStatusTextLater(const std::wstring& text) {
  // Once the line waits for its paint, a newer text only replaces the one it will show.
  const bool waiting = pendingStatus_.has_value();
  pendingStatus_ = text;
  if (!waiting) InvalidateRect(controls_.StatusBar1, nullptr, FALSE);
}

LRESULT CALLBACK TForm1::StatusLineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR self) noexcept {
  auto* form = reinterpret_cast<TForm1*>(self);
  if (message == WM_PAINT && form->pendingStatus_) {
    // The status bar paints a new text at once, within this paint; nothing is left to paint after.
    const std::wstring text = std::move(*form->pendingStatus_);
    form->SetStatusText(text);
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, StatusLineProc, kStatusLineSubclass);
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace app
