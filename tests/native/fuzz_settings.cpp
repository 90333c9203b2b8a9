// Fuzz entry point for reading the settings: the input is the text of a settings file, read as the
// system's INI functions read one ("[section]" lines, "key=value" lines, names in any case, blanks
// around names and values dropped, the first of two equal keys counting), and LoadSettings reads
// the program's settings from it. A file that starts with a UTF-16LE byte-order mark, as the
// program creates one, is read as UTF-16; any other byte by byte, as an ANSI file of plain ASCII.
//
// Whatever the file holds, the settings read from it must survive a save and a load unchanged:
// every integer is written as decimal and must read back as the same value.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwctype>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/Rw_ini.h"

namespace {

std::wstring Decode(const uint8_t* data, size_t size) {
  std::wstring text;
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    for (size_t i = 2; i + 1 < size; i += 2) text.push_back(wchar_t(data[i] | (data[i + 1] << 8)));
  } else {
    text.assign(data, data + size);
  }
  return text;
}

std::wstring_view Trim(std::wstring_view s) {
  while (!s.empty() && (s.front() == L' ' || s.front() == L'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == L' ' || s.back() == L'\t')) s.remove_suffix(1);
  return s;
}

std::wstring Fold(std::wstring_view s) {
  std::wstring folded(s);
  for (wchar_t& c : folded) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return folded;
}

// The keys of one file, by folded section and key name.
class TextStore : public app::IniStore {
 public:
  explicit TextStore(std::wstring_view text) {
    std::wstring section;
    while (!text.empty()) {
      const size_t end = text.find_first_of(L"\r\n");
      const std::wstring_view line = Trim(text.substr(0, end));
      text = end == std::wstring_view::npos ? std::wstring_view() : text.substr(end + 1);
      if (line.empty() || line.front() == L';') continue;
      if (line.front() == L'[') {
        section = Fold(Trim(line.substr(1, line.find(L']') - 1)));
        continue;
      }
      const size_t equals = line.find(L'=');
      std::wstring_view value =
          equals == std::wstring_view::npos ? std::wstring_view() : Trim(line.substr(equals + 1));
      if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') {
        value = value.substr(1, value.size() - 2);
      }
      values_.emplace(std::make_pair(section, Fold(Trim(line.substr(0, equals)))), value);
    }
  }

  std::optional<std::wstring> Read(std::wstring_view section, std::wstring_view key) override {
    const auto it = values_.find({Fold(section), Fold(key)});
    if (it == values_.end()) return std::nullopt;
    return it->second;
  }
  void Write(std::wstring_view, std::wstring_view, std::wstring_view) override { std::abort(); }

 private:
  std::map<std::pair<std::wstring, std::wstring>, std::wstring> values_;
};

// What SaveSettings writes, in order.
class RecordingStore : public app::IniStore {
 public:
  std::vector<std::wstring> lines;

  std::optional<std::wstring> Read(std::wstring_view section, std::wstring_view key) override {
    const std::wstring prefix = std::wstring(section) + L"/" + std::wstring(key) + L"=";
    for (const std::wstring& line : lines) {
      if (line.starts_with(prefix)) return line.substr(prefix.size());
    }
    return std::nullopt;
  }
  void Write(std::wstring_view section, std::wstring_view key, std::wstring_view value) override {
    lines.push_back(std::wstring(section) + L"/" + std::wstring(key) + L"=" + std::wstring(value));
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TextStore file(Decode(data, size));
  const app::Settings settings = app::LoadSettings(file);
  RecordingStore saved;
  app::SaveSettings(saved, settings);
  RecordingStore savedAgain;
  app::SaveSettings(savedAgain, app::LoadSettings(saved));
  if (saved.lines != savedAgain.lines) std::abort();
  return 0;
}
