#include "FormFixture.h"

#include "core/BmpCodec.h"

namespace winetest {

void FormFixture::Start(std::vector<std::wstring> arguments, int showCommand) {
  app::FormOptions options;
  options.executablePath = ExePath();
  options.arguments = std::move(arguments);
  options.showCommand = showCommand;
  options.prompts = &prompts;
  options.quitOnClose = false;
  options.mosaicSeeds = mosaicSeeds;
  form = std::make_unique<app::TForm1>(std::move(options));
  form->Show();
  PumpMessages(30);
}

void FormFixture::Close() {
  if (form && form->Handle()) SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
  PumpMessages(10);
  form.reset();
}

void FormFixture::Command(int id) {
  SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void FormFixture::PressKeys(std::initializer_list<WORD> chord) {
  SetForegroundWindow(form->Handle());
  PumpAsTheProgram(20);
  std::vector<INPUT> inputs;
  for (WORD key : chord) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    inputs.push_back(input);
  }
  for (auto it = chord.end(); it != chord.begin();) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = *--it;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  PumpAsTheProgram(50);
}

void FormFixture::PumpAsTheProgram(int ms) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (form && form->TranslateShortcut(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(1);
  } while (GetTickCount64() < end);
}

RECT FormFixture::WindowRect() const {
  RECT rect{};
  GetWindowRect(form->Handle(), &rect);
  return rect;
}

void FormFixture::WriteIni(const std::wstring& utf16Text) const {
  std::vector<uint8_t> bytes = {0xFF, 0xFE};
  for (wchar_t c : utf16Text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  WriteFileBytes(IniPath(), bytes);
}

std::wstring FormFixture::ReadIni() const {
  std::vector<uint8_t> bytes = ReadFileBytes(IniPath());
  std::wstring text;
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text.push_back(static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
  } else {
    const int n = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes.data()),
                                      static_cast<int>(bytes.size()), nullptr, 0);
    text.resize(static_cast<size_t>(n));
    MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes.data()),
                        static_cast<int>(bytes.size()), text.data(), n);
  }
  return text;
}

void FormFixture::TearDown() { Close(); }

core::Dib PatternDib(int width, int height, int bitCount) {
  core::Dib dib(width, height, bitCount);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = dib.Row(y);
    for (int x = 0; x < width; ++x) {
      const uint8_t r = static_cast<uint8_t>(x * 7 + y), g = static_cast<uint8_t>(y * 5 + 3),
                    b = static_cast<uint8_t>(x ^ y);
      if (bitCount == 24) {
        row[x * 3] = b;
        row[x * 3 + 1] = g;
        row[x * 3 + 2] = r;
      } else if (bitCount == 32) {
        row[x * 4] = b;
        row[x * 4 + 1] = g;
        row[x * 4 + 2] = r;
      }
    }
  }
  return dib;
}

void WriteBmpFile(const std::wstring& path, const core::Dib& dib) {
  WriteFileBytes(path, core::WriteBmp(dib));
}

uint32_t PixelAt(const core::Dib& dib, int x, int y) {
  const int bytes = dib.BitCount() / 8;
  const uint8_t* p = dib.Row(y) + x * bytes;
  return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

}  // namespace winetest
