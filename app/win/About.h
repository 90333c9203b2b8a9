#pragma once
// Who makes the program and where to reach them: shown on the About page of the settings dialog.
// Set here once.

namespace app {

inline constexpr const wchar_t* kProductVersion = L"0.1";
inline constexpr const wchar_t* kCredit = L"Capslate プロジェクト";
inline constexpr const wchar_t* kHomePage = L"https://capslate.example/";
inline constexpr const wchar_t* kMailAddress = L"capslate@capslate.example";

}  // namespace app
