#pragma once
// The text tag MemoTag: a multi-line edit box with word wrap over the picture, which the user types
// into and styles (font, background colour), and which is embedded by painting a filled box of its
// size and writing its lines, as the box shows them, into the picture.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "win/Handles.h"
#include "win/Prompts.h"

namespace tags {

class TMemoTag {
 public:
  TMemoTag() = default;
  ~TMemoTag();
  TMemoTag(const TMemoTag&) = delete;
  TMemoTag& operator=(const TMemoTag&) = delete;

  // Prepares the tag in `parent`; the edit box itself, above the parent's other child windows with
  // the text "テキスト", is made when the tag is first shown. A press of any button on it raises
  // `onMouseDown`, inside the error boundary (`prompts` shows its error over the top-level window);
  // its context menu is `popupMenu`, whose commands go to the top-level window.
  void Create(HWND parent, HMENU popupMenu, win::Prompts& prompts,
              std::function<void()> onMouseDown);

  // The edit box; null until the tag has been shown once.
  HWND Handle() const { return edit_; }
  bool Visible() const;
  void SetVisible(bool visible);
  // Position and size in the parent's client coordinates.
  RECT Bounds() const;
  void SetBounds(int left, int top, int width, int height);

  // The font: face, size in points and style from `font`; the character set stays Shift-JIS.
  void SetFont(const LOGFONTW& font, int points, COLORREF colour);
  // The resolution the tag is shown at, which turns its font's points into pixels, on the screen
  // and when it is embedded alike (so the embedded text is as high as the shown), and sets the
  // text's margin in the embedded box.
  void SetDpi(int dpi);
  void SetBackground(COLORREF colour);

  // The text as the box shows it, one entry per displayed line: hard line breaks and the box's own
  // word-wrap points both end a line. An empty last line (after a final line break) is left out.
  std::vector<std::wstring> Lines() const;

  // Embeds the tag into a picture's DC with its top-left corner at (x, y): a box of the tag's size
  // filled with its background and outlined in black (`framed`) or in the background colour, then
  // each line 2 pixels in from the box's left (at 96 DPI), each line below the last by the measured
  // height of the last line's text. Nothing is clipped: lines beyond the box are drawn in full.
  void DrawInto(HDC dc, int x, int y, bool framed) const;
  // The pixels DrawInto at (x, y) on `dc` may touch: the box and every line's text, with room for
  // glyphs that reach past their text cell.
  RECT DrawnArea(HDC dc, int x, int y) const;

 private:
  // Each displayed line and the point its text starts at, for the tag drawn at (x, y) on `dc`,
  // which has the tag's font selected.
  struct PlacedLine {
    std::wstring text;
    POINT at;
    SIZE extent;
  };
  std::vector<PlacedLine> PlaceLines(HDC dc, int x, int y) const;
  static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR self) noexcept;
  static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self) noexcept;
  LOGFONTW ScreenFont() const;
  void EnsureEdit();
  void ApplyFont();

  HWND edit_ = nullptr;  // a child window, destroyed with its parent
  HWND parent_ = nullptr;
  RECT bounds_{};  // where the box is, or will be when it is made
  HMENU popupMenu_ = nullptr;
  win::Prompts* prompts_ = nullptr;
  std::function<void()> onMouseDown_;
  LOGFONTW font_{};  // face, style and character set; the height follows points_
  int points_ = 9;
  int dpi_ = 96;
  COLORREF fontColour_ = 0;
  COLORREF background_ = 0;
  win::UniqueFont screenFont_;
  win::UniqueBrush backgroundBrush_;
};

}  // namespace tags
