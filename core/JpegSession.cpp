#include "core/JpegSession.h"

namespace core::jpeg {

namespace {

ErrorState& StateOf(j_common_ptr cinfo) {
  // mgr is the first member of the standard-layout ErrorState.
  return *reinterpret_cast<ErrorState*>(cinfo->err);
}

void ErrorExit(j_common_ptr cinfo) {
  ErrorState& state = StateOf(cinfo);
  (*cinfo->err->format_message)(cinfo, state.message);
  std::longjmp(state.jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int msgLevel) {
  if (msgLevel >= 0) return;  // trace messages
  ErrorState& state = StateOf(cinfo);
  (*cinfo->err->format_message)(cinfo, state.warning);
  ++cinfo->err->num_warnings;
}

void OutputMessage(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* AttachErrorState(ErrorState& state) {
  jpeg_error_mgr* mgr = jpeg_std_error(&state.mgr);
  mgr->error_exit = ErrorExit;
  mgr->emit_message = EmitMessage;
  mgr->output_message = OutputMessage;
  state.message[0] = '\0';
  state.warning[0] = '\0';
  return mgr;
}

}  // namespace core::jpeg
