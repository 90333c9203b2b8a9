#pragma once
// The picture-format registry: which decoder loads a picture file, by the file's extension.
// Built-in formats and plug-in formats are registered alike; a lookup searches from the most recent
// registration backwards, so the last registration of an extension wins.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Dib.h"

namespace core {

class PictureFormats {
 public:
  // Decodes the named file; throws core::Error with the text the user will see.
  using Decoder = std::function<Dib(const std::wstring& fileName)>;

  struct Format {
    std::wstring extension;    // without its dot, lower-cased when registered
    std::wstring description;  // e.g. "JPEG イメージファイル"
    std::string className;     // the picture class that loads it, e.g. "TSPIBitmap"
    Decoder decode;
  };

  void Register(Format format);
  // Removes every registration of the class (a plug-in family at its end). Not named
  // UnregisterClass: <windows.h> turns that name into UnregisterClassW wherever it is included.
  void UnregisterGraphicClass(std::string_view className);
  // The format for an extension given with or without its dot, compared lower-cased; null when
  // none is registered.
  const Format* Find(std::wstring_view extension) const;
  // Decodes the file by its extension. Throws core::Error "拡張子 .%s の画像形式は処理できません"
  // (the extension without its dot) when none is registered, or the decoder's error.
  Dib Load(const std::wstring& fileName) const;

  const std::vector<Format>& Formats() const { return formats_; }

 private:
  std::vector<Format> formats_;  // in the order of registration
};

}  // namespace core
