#pragma once
// What a test plug-in records of the calls it receives and the memory it hands out, read by the
// tests through the plug-in's export TestJournal. Plain C layout: it crosses the DLL boundary.

#include <windows.h>

namespace testplugin {

struct Call {
  char function[16];         // "IsSupported", "GetPictureInfo" or "GetPicture"
  char fileName[260];        // the name IsSupported got, in the ANSI code page
  LONG_PTR length;           // the length argument (-1 for IsSupported, which has none)
  unsigned char head[2048];  // the first 2048 bytes of the buffer it got
};

struct Journal {
  int callCount;
  Call calls[16];  // the first 16 calls
  int handleCount;
  HLOCAL handles[32];  // every block that became the program's to free, in order
  int progressCount;
  int progressAnswers[64];  // what the progress callback answered, in order
};

// The plug-ins' extra exports: TestJournal() -> const Journal*, and TestReset(), which empties it.
using TestJournalProc = const Journal*(WINAPI*)();
using TestResetProc = void(WINAPI*)();

}  // namespace testplugin
