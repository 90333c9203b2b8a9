#pragma once
// One move-only owner for every kind of Windows handle, plus the scoped cases that are not a plain
// close: a window DC released with its window, BeginPaint/EndPaint, a GDI object selected into a
// DC and put back, a global or local memory lock and an open clipboard.

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <utility>

namespace win {

// Traits: the handle type, its empty value and how to close it.
template <typename H, auto Close>
struct NullIsEmpty {
  using Handle = H;
  static H Empty() { return H{}; }
  static void Free(H h) { Close(h); }
};

template <typename Traits>
class Unique {
 public:
  using H = typename Traits::Handle;
  Unique() = default;
  explicit Unique(H handle) : handle_(handle) {}
  Unique(Unique&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Empty())) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, Traits::Empty()));
    return *this;
  }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  ~Unique() { reset(); }

  H get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Empty(); }
  H release() { return std::exchange(handle_, Traits::Empty()); }
  void reset(H handle = Traits::Empty()) {
    H old = std::exchange(handle_, handle);
    if (old != Traits::Empty()) Traits::Free(old);
  }

 private:
  H handle_ = Traits::Empty();
};

inline void CloseGdi(HGDIOBJ h) { DeleteObject(h); }
inline void CloseWindowHandle(HWND h) { DestroyWindow(h); }
inline void CloseMemoryDc(HDC h) { DeleteDC(h); }
inline void CloseMenuHandle(HMENU h) { DestroyMenu(h); }
inline void CloseModule(HMODULE h) { FreeLibrary(h); }
inline void CloseKernel(HANDLE h) { CloseHandle(h); }
inline void CloseGlobal(HGLOBAL h) { GlobalFree(h); }
inline void CloseLocal(HLOCAL h) { LocalFree(h); }
inline void CloseKey(HKEY h) { RegCloseKey(h); }
inline void CloseEnhMetaFile(HENHMETAFILE h) { DeleteEnhMetaFile(h); }
inline void CloseMetaFile(HMETAFILE h) { DeleteMetaFile(h); }
inline void CloseDrop(HDROP h) { DragFinish(h); }
inline void CloseView(void* h) { UnmapViewOfFile(h); }
inline void CloseIcon(HICON h) { DestroyIcon(h); }

struct FileTraits {
  using Handle = HANDLE;
  static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
  static void Free(HANDLE h) { CloseHandle(h); }
};

// A directory enumeration of FindFirstFileW.
struct FindTraits {
  using Handle = HANDLE;
  static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
  static void Free(HANDLE h) { FindClose(h); }
};

using UniqueWindow = Unique<NullIsEmpty<HWND, CloseWindowHandle>>;
using UniqueMemoryDc = Unique<NullIsEmpty<HDC, CloseMemoryDc>>;
// A device context made by CreateDC (a printer's), deleted with DeleteDC.
using UniqueDc = Unique<NullIsEmpty<HDC, CloseMemoryDc>>;
using UniqueBitmap = Unique<NullIsEmpty<HBITMAP, CloseGdi>>;
using UniqueFont = Unique<NullIsEmpty<HFONT, CloseGdi>>;
using UniqueBrush = Unique<NullIsEmpty<HBRUSH, CloseGdi>>;
using UniquePen = Unique<NullIsEmpty<HPEN, CloseGdi>>;
using UniquePalette = Unique<NullIsEmpty<HPALETTE, CloseGdi>>;
using UniqueRegion = Unique<NullIsEmpty<HRGN, CloseGdi>>;
using UniqueMenu = Unique<NullIsEmpty<HMENU, CloseMenuHandle>>;
using UniqueModule = Unique<NullIsEmpty<HMODULE, CloseModule>>;
using UniqueHandle = Unique<NullIsEmpty<HANDLE, CloseKernel>>;
using UniqueFile = Unique<FileTraits>;
using UniqueFind = Unique<FindTraits>;
using UniqueGlobal = Unique<NullIsEmpty<HGLOBAL, CloseGlobal>>;
using UniqueLocal = Unique<NullIsEmpty<HLOCAL, CloseLocal>>;
using UniqueKey = Unique<NullIsEmpty<HKEY, CloseKey>>;
using UniqueEnhMetaFile = Unique<NullIsEmpty<HENHMETAFILE, CloseEnhMetaFile>>;
using UniqueMetaFile = Unique<NullIsEmpty<HMETAFILE, CloseMetaFile>>;
using UniqueDrop = Unique<NullIsEmpty<HDROP, CloseDrop>>;
// A view of a file mapping (MapViewOfFile).
using UniqueView = Unique<NullIsEmpty<void*, CloseView>>;
// An icon made by LoadImage (without LR_SHARED), CopyIcon or CreateIconIndirect.
using UniqueIcon = Unique<NullIsEmpty<HICON, CloseIcon>>;

// GetDC / ReleaseDC with the same window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &ps_)) {}
  ~PaintDc() { EndPaint(window_, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }
  const RECT& Dirty() const { return ps_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// SelectObject with the previous object put back.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selection() {
    if (previous_) SelectObject(dc_, previous_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// SelectPalette with the previous palette put back.
class PaletteSelection {
 public:
  PaletteSelection(HDC dc, HPALETTE palette, BOOL background)
      : dc_(dc), previous_(palette ? SelectPalette(dc, palette, background) : nullptr) {}
  ~PaletteSelection() {
    if (previous_) SelectPalette(dc_, previous_, TRUE);
  }
  PaletteSelection(const PaletteSelection&) = delete;
  PaletteSelection& operator=(const PaletteSelection&) = delete;

 private:
  HDC dc_;
  HPALETTE previous_;
};

// GlobalLock / GlobalUnlock.
template <typename T = void>
class GlobalLockView {
 public:
  explicit GlobalLockView(HGLOBAL memory)
      : memory_(memory), data_(memory ? static_cast<T*>(GlobalLock(memory)) : nullptr) {}
  ~GlobalLockView() {
    if (data_) GlobalUnlock(memory_);
  }
  GlobalLockView(const GlobalLockView&) = delete;
  GlobalLockView& operator=(const GlobalLockView&) = delete;
  T* get() const { return data_; }
  size_t Size() const { return data_ ? GlobalSize(memory_) : 0; }

 private:
  HGLOBAL memory_;
  T* data_;
};

// LocalLock / LocalUnlock, with the block's size as LocalSize reports it.
class LocalLockView {
 public:
  explicit LocalLockView(HLOCAL memory)
      : memory_(memory), data_(memory ? static_cast<uint8_t*>(LocalLock(memory)) : nullptr) {}
  ~LocalLockView() {
    if (data_) LocalUnlock(memory_);
  }
  LocalLockView(const LocalLockView&) = delete;
  LocalLockView& operator=(const LocalLockView&) = delete;
  uint8_t* get() const { return data_; }
  size_t Size() const { return data_ ? LocalSize(memory_) : 0; }

 private:
  HLOCAL memory_;
  uint8_t* data_;
};

}  // namespace win
