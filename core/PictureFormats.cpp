#include "core/PictureFormats.h"

#include <algorithm>

#include "core/Error.h"
#include "core/PathRules.h"
#include "core/Utf8.h"

namespace core {
namespace {

std::wstring WithoutDot(std::wstring_view extension) {
  if (!extension.empty() && extension.front() == L'.') extension.remove_prefix(1);
  return LowerAscii(extension);
}

}  // namespace

void PictureFormats::Register(Format format) {
  format.extension = WithoutDot(format.extension);
  formats_.push_back(std::move(format));
}

void PictureFormats::UnregisterGraphicClass(std::string_view className) {
  std::erase_if(formats_, [&](const Format& f) { return f.className == className; });
}

const PictureFormats::Format* PictureFormats::Find(std::wstring_view extension) const {
  const std::wstring wanted = WithoutDot(extension);
  for (auto it = formats_.rbegin(); it != formats_.rend(); ++it) {
    if (it->extension == wanted) return &*it;
  }
  return nullptr;
}

Dib PictureFormats::Load(const std::wstring& fileName) const {
  const std::wstring extension = ExtensionOf(fileName);
  const Format* format = Find(extension);
  if (!format) {
    throw Error("拡張子 ." + ToUtf8(WithoutDot(extension)) + " の画像形式は処理できません");
  }
  return format->decode(fileName);
}

}  // namespace core
