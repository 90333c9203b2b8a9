#include "app/win/MailHP.h"

#include <windows.h>

namespace app {

void TMailAndHP::SendMail() {
  prompts_.StartProgram(GetDesktopWindow(), L"mailto:" + MailAddress, L"", L"", SW_SHOW);
}

void TMailAndHP::OpenHomePage() {
  prompts_.StartProgram(GetDesktopWindow(), HomePageAddress, L"", L"", SW_SHOW);
}

}  // namespace app
