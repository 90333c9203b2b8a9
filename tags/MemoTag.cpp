#include "tags/MemoTag.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "core/DpiScale.h"
#include "core/Error.h"
#include "win/ErrorBoundary.h"

namespace tags {
namespace {

constexpr UINT_PTR kSubclassId = 0x4D454D4F;
constexpr const wchar_t* kStartText = L"テキスト";
constexpr const wchar_t* kStartFace = L"ＭＳ Ｐゴシック";
// A displayed line is read up to this many characters.
constexpr int kMaxLineLength = 4096;
// The embedded text starts this far in from the box's corner (at 96 DPI), whatever the on-screen
// margins are.
constexpr int kTextInset = 2;

}  // namespace

TMemoTag::~TMemoTag() {
  if (edit_ && IsWindow(edit_)) RemoveWindowSubclass(edit_, EditProc, kSubclassId);
  if (parent_ && IsWindow(parent_)) RemoveWindowSubclass(parent_, ParentProc, kSubclassId);
}

void TMemoTag::Create(HWND parent, HMENU popupMenu, win::Prompts& prompts,
                      std::function<void()> onMouseDown) {
  parent_ = parent;
  popupMenu_ = popupMenu;
  prompts_ = &prompts;
  onMouseDown_ = std::move(onMouseDown);
  font_.lfCharSet = SHIFTJIS_CHARSET;
  font_.lfWeight = FW_NORMAL;
  wcsncpy(font_.lfFaceName, kStartFace, LF_FACESIZE - 1);
  points_ = 9;
  fontColour_ = GetSysColor(COLOR_WINDOWTEXT);
  background_ = GetSysColor(COLOR_WINDOW);
  backgroundBrush_.reset(CreateSolidBrush(background_));
  SetWindowSubclass(parent_, ParentProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

// The edit box is made when the tag is first shown: most runs never show the text tag, and an
// edit box is the costliest control to make at start-up.
void TMemoTag::EnsureEdit() {
  if (edit_) return;
  edit_ = CreateWindowExW(
      0, WC_EDITW, kStartText, WS_CHILD | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
      bounds_.left, bounds_.top, bounds_.right - bounds_.left, bounds_.bottom - bounds_.top,
      parent_, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!edit_) throw core::Error("テキストタグを作成できません。");
  // Above the picture and every other child of the picture area.
  SetWindowPos(edit_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowSubclass(edit_, EditProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  ApplyFont();
}

bool TMemoTag::Visible() const { return edit_ && IsWindowVisible(edit_); }

void TMemoTag::SetVisible(bool visible) {
  if (visible) EnsureEdit();
  if (edit_) ShowWindow(edit_, visible ? SW_SHOWNA : SW_HIDE);
}

RECT TMemoTag::Bounds() const {
  if (!edit_) return bounds_;
  RECT r{};
  GetWindowRect(edit_, &r);
  MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void TMemoTag::SetBounds(int left, int top, int width, int height) {
  bounds_ = RECT{left, top, left + std::max(0, width), top + std::max(0, height)};
  if (edit_) {
    SetWindowPos(edit_, nullptr, left, top, std::max(0, width), std::max(0, height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

LOGFONTW TMemoTag::ScreenFont() const {
  LOGFONTW font = font_;
  font.lfHeight = -MulDiv(points_, dpi_, 72);
  font.lfWidth = 0;
  return font;
}

void TMemoTag::SetFont(const LOGFONTW& chosen, int points, COLORREF colour) {
  fontColour_ = colour;
  wcsncpy(font_.lfFaceName, chosen.lfFaceName, LF_FACESIZE - 1);
  font_.lfFaceName[LF_FACESIZE - 1] = L'\0';
  points_ = points;
  font_.lfWeight = chosen.lfWeight >= FW_BOLD ? FW_BOLD : FW_NORMAL;
  font_.lfItalic = chosen.lfItalic;
  font_.lfUnderline = chosen.lfUnderline;
  font_.lfStrikeOut = chosen.lfStrikeOut;
  if (edit_) ApplyFont();
}

void TMemoTag::SetDpi(int dpi) {
  if (dpi_ == dpi) return;
  dpi_ = dpi;
  if (edit_) ApplyFont();
}

void TMemoTag::ApplyFont() {
  const LOGFONTW screen = ScreenFont();
  win::UniqueFont next(CreateFontIndirectW(&screen));
  SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(next.get()), TRUE);
  screenFont_ = std::move(next);  // the old font goes once the box no longer uses it
}

void TMemoTag::SetBackground(COLORREF colour) {
  background_ = colour;
  backgroundBrush_.reset(CreateSolidBrush(colour));
  if (edit_) InvalidateRect(edit_, nullptr, TRUE);
}

std::vector<std::wstring> TMemoTag::Lines() const {
  if (!edit_) return {kStartText};  // never shown: the text it starts with
  const auto count = static_cast<int>(SendMessageW(edit_, EM_GETLINECOUNT, 0, 0));
  std::vector<std::wstring> lines;
  std::vector<wchar_t> buffer(kMaxLineLength + 1);
  for (int i = 0; i < count; ++i) {
    buffer[0] = static_cast<wchar_t>(kMaxLineLength);
    const auto length = static_cast<size_t>(
        SendMessageW(edit_, EM_GETLINE, i, reinterpret_cast<LPARAM>(buffer.data())));
    lines.emplace_back(buffer.data(), std::min<size_t>(length, kMaxLineLength));
  }
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

void TMemoTag::DrawInto(HDC dc, int x, int y, bool framed) const {
  const RECT bounds = Bounds();
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  const LOGFONTW screen = ScreenFont();
  win::UniqueFont font(CreateFontIndirectW(&screen));
  win::UniquePen pen(CreatePen(PS_SOLID, 1, framed ? RGB(0, 0, 0) : background_));
  win::UniqueBrush brush(CreateSolidBrush(background_));
  win::Selection selectFont(dc, font.get());
  win::Selection selectPen(dc, pen.get());
  win::Selection selectBrush(dc, brush.get());
  SetROP2(dc, R2_COPYPEN);
  Rectangle(dc, x, y, x + width, y + height);
  SetTextColor(dc, fontColour_);
  SetBkColor(dc, background_);
  SetBkMode(dc, OPAQUE);
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  for (const PlacedLine& line : PlaceLines(dc, x, y)) {
    TextOutW(dc, line.at.x, line.at.y, line.text.c_str(), static_cast<int>(line.text.size()));
  }
}

std::vector<TMemoTag::PlacedLine> TMemoTag::PlaceLines(HDC dc, int x, int y) const {
  std::vector<PlacedLine> placed;
  int lineTop = y;
  const int inset = core::ScaleToDpi(kTextInset, dpi_);
  for (std::wstring& line : Lines()) {
    SIZE extent{};
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
    placed.push_back({std::move(line), POINT{x + inset, lineTop + inset}, extent});
    lineTop += extent.cy;
  }
  return placed;
}

RECT TMemoTag::DrawnArea(HDC dc, int x, int y) const {
  const RECT bounds = Bounds();
  RECT area{x, y, x + bounds.right - bounds.left, y + bounds.bottom - bounds.top};
  const LOGFONTW screen = ScreenFont();
  win::UniqueFont font(CreateFontIndirectW(&screen));
  win::Selection selectFont(dc, font.get());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  // Italic and overhanging glyphs may reach past the cell the text is measured by.
  const int slack = metrics.tmOverhang + metrics.tmHeight / 2;
  for (const PlacedLine& line : PlaceLines(dc, x, y)) {
    const RECT cell{line.at.x - slack, line.at.y - slack, line.at.x + line.extent.cx + slack,
                    line.at.y + line.extent.cy + slack};
    UnionRect(&area, &area, &cell);
  }
  return area;
}

LRESULT CALLBACK TMemoTag::EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR self) noexcept {
  auto* tag = reinterpret_cast<TMemoTag*>(self);
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (tag->onMouseDown_ &&
          !win::Guarded(GetAncestor(window, GA_ROOT), *tag->prompts_, tag->onMouseDown_)) {
        return 0;  // the press ended with the error: the box takes neither focus nor the mouse
      }
      break;
    case WM_CONTEXTMENU:
      if (tag->popupMenu_) {
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (at.x == -1 && at.y == -1) GetCursorPos(&at);
        TrackPopupMenu(tag->popupMenu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0,
                       GetAncestor(window, GA_ROOT), nullptr);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, EditProc, kSubclassId);
      tag->edit_ = nullptr;
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK TMemoTag::ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR self) noexcept {
  auto* tag = reinterpret_cast<TMemoTag*>(self);
  if (message == WM_CTLCOLOREDIT && reinterpret_cast<HWND>(lParam) == tag->edit_) {
    const auto dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, tag->fontColour_);
    SetBkColor(dc, tag->background_);
    return reinterpret_cast<LRESULT>(tag->backgroundBrush_.get());
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, ParentProc, kSubclassId);
    tag->parent_ = nullptr;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace tags
