#pragma once
// Who makes the program and where to reach them: shown on the About page of the settings dialog.
// Set here once; the version comes from the project's version in CMakeLists.txt.

#include "CapslateVersion.h"

namespace app {

inline constexpr const wchar_t* kProductVersion = CAPSLATE_VERSION_WIDE;
inline constexpr const wchar_t* kCredit = L"Capslate プロジェクト";
inline constexpr const wchar_t* kHomePage = L"https://capslate.example/";
inline constexpr const wchar_t* kMailAddress = L"capslate@capslate.example";

}  // namespace app
