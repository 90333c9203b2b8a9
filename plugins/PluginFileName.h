#pragma once
// The name of the file being decoded as a plug-in gets it: in the system's ANSI code page, which
// is what the interface speaks, and shorter than MAX_PATH, which is what plug-ins keep it in.

#include <string>

namespace plugins {

// The full path when it converts exactly and is shorter than 260 bytes; else the short (8.3)
// path under the same conditions; else the file's own name without its folder, its characters
// the code page lacks becoming the default character and never a look-alike. Plug-ins decode
// from the memory they are handed, so a name without its folder still tells them the file's kind.
std::string PluginFileName(const std::wstring& path);

}  // namespace plugins
