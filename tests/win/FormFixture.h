#pragma once
// A test fixture that builds the real main window in the test process, as the program does,
// with its executable path in a fresh temporary folder (so the settings, help and work files are
// the test's own) and scripted prompts.

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedPrompts.h"
#include "WineTestSupport.h"
#include "app/win/Unit1.h"
#include "core/Dib.h"
#include "host/States.h"

// The window's states print as their numbers in failure messages.
namespace host {
inline void PrintTo(PictureState state, std::ostream* out) { *out << static_cast<int>(state); }
inline void PrintTo(CropState state, std::ostream* out) { *out << static_cast<int>(state); }
inline void PrintTo(ActiveTag tag, std::ostream* out) { *out << static_cast<int>(tag); }
}  // namespace host

namespace winetest {

class FormFixture : public testing::Test {
 protected:
  TempDir dir;
  ScriptedPrompts prompts;
  std::unique_ptr<app::TForm1> form;

  // The folder the program believes it runs from (its settings, help and work files go there);
  // the temporary folder unless a test chooses a subfolder of it.
  std::filesystem::path programFolder = dir.Path();
  // The mosaic's seeds for the window Start builds; the system's random source when empty.
  tags::SeedSource mosaicSeeds;

  std::wstring ExePath() const { return (programFolder / L"Capslate.exe").wstring(); }
  std::wstring IniPath() const { return (programFolder / L"Capslate.INI").wstring(); }
  std::wstring PathIn(const std::wstring& name) const { return (programFolder / name).wstring(); }

  // Builds and shows the window as a start of the program with these arguments would.
  void Start(std::vector<std::wstring> arguments = {}, int showCommand = SW_SHOWNORMAL);
  // Closes the window as the close box does and destroys the form.
  void Close();
  void Command(int id);  // WM_COMMAND from a menu item or control
  // Real key presses through SendInput, the keys of `chord` down in order and up in reverse, with
  // the window in front; the messages are then handled as the program's own loop handles them
  // (the window's keyboard shortcuts first).
  void PressKeys(std::initializer_list<WORD> chord);
  void PumpAsTheProgram(int ms);
  RECT WindowRect() const;
  void WriteIni(const std::wstring& utf16Text) const;  // a settings file written as UTF-16LE
  std::wstring ReadIni() const;                        // the settings file as text

  void TearDown() override;
};

// A picture with a recognisable pattern: every pixel differs from its neighbours.
core::Dib PatternDib(int width, int height, int bitCount = 24);
void WriteBmpFile(const std::wstring& path, const core::Dib& dib);
// The pixel at (x, y) from the top as 0xRRGGBB, for 24- and 32-bit pictures.
uint32_t PixelAt(const core::Dib& dib, int x, int y);

}  // namespace winetest
