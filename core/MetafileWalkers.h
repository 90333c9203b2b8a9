#pragma once
// The record walks behind ValidateMetafile, one per kind of metafile.

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/MetafileMapping.h"
#include "core/MetafileValidator.h"

namespace core::metafile {

// The standard Windows metafile that starts at `start` in `file`, played with `mapping`.
MetafileReport WalkWindowsMetafile(std::span<const uint8_t> file, size_t start,
                                   const DeviceMapping& mapping, const MetafileLimits& limits);

// The enhanced metafile `file`, played into the limits' rectangle.
MetafileReport WalkEnhancedMetafile(std::span<const uint8_t> file, const MetafileLimits& limits);

}  // namespace core::metafile
