#pragma once
// Opening picture files: the Open command, a file dropped on the window, and the file named on the
// command line. Each decodes the file through the picture-format registry and makes it the
// current picture. The pattern list says which files the program offers and accepts.

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/PictureFormats.h"
#include "host/Roles.h"
#include "plugins/SPIs.h"
#include "win/Picture.h"

namespace plugins {

// Decodes the file through the registry by its extension; throws core::Error.
win::Picture LoadPictureFile(const core::PictureFormats& formats, const std::wstring& fileName);

class PictureOpening {
 public:
  PictureOpening(host::PictureHost& picture, host::WindowServices& window, const TSPIs& plugins)
      : picture_(picture), window_(window), plugins_(plugins) {}

  // The built-in patterns, then the first entry of each loaded plug-in, joined by ';'.
  std::wstring BuildPatternList() const;
  // True when "*" + extension (dot included) occurs in the lower-cased pattern list.
  bool IsSupportedExt(const std::wstring& extension) const;
  // Decodes the file by its extension; throws core::Error.
  win::Picture LoadPictureFile(const std::wstring& fileName) const;

  // The Open command.
  void Open();
  // A drop: the first file, when its extension is supported; the drop handle is finished.
  void DropFiles(HDROP drop);
  // The first command-line argument, when its extension is supported.
  void OpenCommandLineFile(const std::vector<std::wstring>& arguments);

 private:
  // Makes the file the current picture and says so.
  void OpenFile(const std::wstring& fileName);

  host::PictureHost& picture_;
  host::WindowServices& window_;
  const TSPIs& plugins_;
};

}  // namespace plugins
