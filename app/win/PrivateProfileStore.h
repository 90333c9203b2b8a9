#pragma once
// The settings file through the system's private-profile (INI) functions.

#include <optional>
#include <string>

#include "app/Rw_ini.h"

namespace app {

class PrivateProfileStore : public IniStore {
 public:
  explicit PrivateProfileStore(std::wstring fileName) : fileName_(std::move(fileName)) {}
  // A file that is not there holds no keys; it is not looked for again at every key.
  std::optional<std::wstring> Read(std::wstring_view section, std::wstring_view key) override;
  // Before the first key of a new file is written, the file is created holding only a UTF-16LE
  // byte-order mark, so the system writes it as Unicode and paths in any script survive on a
  // system of any code page. An existing file keeps its encoding.
  void Write(std::wstring_view section, std::wstring_view key, std::wstring_view value) override;

 private:
  std::wstring fileName_;
  bool fileChecked_ = false;         // Write has made sure the file exists
  std::optional<bool> fileMissing_;  // known once looked for; false once written
};

}  // namespace app
