#pragma once
// A memory DC with a bitmap selected into it, for drawing on the bitmap with GDI. The bitmap is
// selected out again before the DC goes, so it can be selected elsewhere (a bitmap lives in one
// DC at a time) and deleted.

#include <windows.h>

#include "win/Handles.h"

namespace win {

class BitmapDc {
 public:
  explicit BitmapDc(HBITMAP bitmap)
      : dc_(CreateCompatibleDC(nullptr)), previous_(SelectObject(dc_.get(), bitmap)) {}
  ~BitmapDc() {
    if (previous_) SelectObject(dc_.get(), previous_);
  }
  BitmapDc(const BitmapDc&) = delete;
  BitmapDc& operator=(const BitmapDc&) = delete;
  HDC get() const { return dc_.get(); }

 private:
  UniqueMemoryDc dc_;
  HGDIOBJ previous_;
};

}  // namespace win
