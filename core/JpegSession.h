#pragma once
// Internal to the JPEG reader and writer: owns one libjpeg codec object and turns libjpeg's fatal
// errors into a return value.
//
// libjpeg reports a fatal error by calling error_exit, which must not return. Ours longjmps back to
// the Session::Run that made the call. Jumping over a frame skips its destructors, so a body passed
// to Run may hold only trivially destructible locals (pointers, integers, arrays of them); the
// objects it works on live in the caller. The caller throws core::Error after Run returned false,
// and the Session's destructor releases libjpeg's memory.

#include <csetjmp>
#include <cstddef>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jerror.h>
#include <jpeglib.h>

namespace core::jpeg {

// Where the error manager leaves its texts. `mgr` must stay the first member: libjpeg hands back a
// pointer to it and the callbacks recover the whole state from that.
struct ErrorState {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];  // the fatal error, formatted by libjpeg
  char warning[JMSG_LENGTH_MAX];  // the last warning (corrupt or truncated data)
};

// Fills `state` with libjpeg's standard error manager, except that nothing is printed, warnings are
// only recorded and a fatal error jumps to state.jump. Returns the manager for the codec's `err`.
jpeg_error_mgr* AttachErrorState(ErrorState& state);

// Calls body(); returns false when libjpeg raised a fatal error inside it. Never inlined, so the
// setjmp frame stays separate from the caller's.
template <class Body>
[[gnu::noinline]] bool Guarded(ErrorState& state, const Body& body) {
  if (setjmp(state.jump) != 0) return false;
  body();
  return true;
}

inline void Destroy(jpeg_decompress_struct* info) { jpeg_destroy_decompress(info); }
inline void Destroy(jpeg_compress_struct* info) { jpeg_destroy_compress(info); }

// Info is jpeg_decompress_struct or jpeg_compress_struct. The object is created by the first Run
// (jpeg_create_*), which can itself fail; destroying a never-created object is harmless.
template <class Info>
class Session {
 public:
  Session() { info_.err = AttachErrorState(error_); }
  ~Session() { Destroy(&info_); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Info* Get() { return &info_; }
  Info* operator->() { return &info_; }
  const ErrorState& Errors() const { return error_; }

  template <class Body>
  bool Run(const Body& body) {
    return Guarded(error_, body);
  }

 private:
  Info info_{};
  ErrorState error_{};
};

}  // namespace core::jpeg
