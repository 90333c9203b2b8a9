#pragma once
// The open dialog as the tags use it: an empty file name box and a filter of their own each time.

#include <optional>
#include <string>
#include <string_view>

#include "host/FormHost.h"

namespace tags {

// Shows the open dialog with `filter` written as "description|pattern|description|pattern";
// returns the chosen path, or nothing when the user cancels.
std::optional<std::wstring> ChooseFileToOpen(host::FormHost& host, std::wstring_view filter);

}  // namespace tags
