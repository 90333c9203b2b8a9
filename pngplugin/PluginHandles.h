#pragma once
// Owners of the two kinds of Windows handle the plug-in holds: a local memory block (which it hands
// to its host on success and frees otherwise) and an open file. The plug-in is a product of its
// own and depends on nothing of the program's Windows layer, hence these few lines of its own.

#include <windows.h>

#include <utility>

namespace pngplugin {

// Traits: the handle type, its empty value and how to close it.
template <typename Traits>
class Owned {
 public:
  using H = typename Traits::Handle;
  explicit Owned(H handle) : handle_(handle) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() {
    if (handle_ != Traits::Empty()) Traits::Close(handle_);
  }

  H get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Empty(); }
  H release() { return std::exchange(handle_, Traits::Empty()); }

 private:
  H handle_;
};

struct LocalTraits {
  using Handle = HLOCAL;
  static HLOCAL Empty() { return nullptr; }
  static void Close(HLOCAL h) { LocalFree(h); }
};
struct FileTraits {
  using Handle = HANDLE;
  static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};

using LocalBlock = Owned<LocalTraits>;
using FileHandle = Owned<FileTraits>;

// A lock on a local memory block for as long as it lives.
class LocalLockScope {
 public:
  explicit LocalLockScope(HLOCAL block) : block_(block), data_(LocalLock(block)) {}
  ~LocalLockScope() {
    if (data_ != nullptr) LocalUnlock(block_);
  }
  LocalLockScope(const LocalLockScope&) = delete;
  LocalLockScope& operator=(const LocalLockScope&) = delete;
  void* data() const { return data_; }

 private:
  HLOCAL block_;
  void* data_;
};

}  // namespace pngplugin
