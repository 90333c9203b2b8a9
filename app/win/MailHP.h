#pragma once
// TMailAndHP: hands a mail address or a web address to the shell, which opens the user's mail
// program or browser.

#include <string>

#include "win/Prompts.h"

namespace app {

class TMailAndHP {
 public:
  explicit TMailAndHP(win::Prompts& prompts) : prompts_(prompts) {}

  std::wstring MailAddress;
  std::wstring HomePageAddress = L"http://";

  // Opens "mailto:" + MailAddress, and HomePageAddress. What the shell answers is not shown.
  void SendMail();
  void OpenHomePage();

 private:
  win::Prompts& prompts_;
};

}  // namespace app
