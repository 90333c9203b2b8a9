// Wide text to UTF-8 for error messages. On Linux wchar_t holds UTF-32, so a UTF-16 surrogate pair
// is written out as two wide characters, as Windows paths arrive.

#include <gtest/gtest.h>

#include <string>

#include "core/Utf8.h"

namespace {

std::wstring Units(std::initializer_list<unsigned> units) {
  std::wstring text;
  for (unsigned u : units) text.push_back(static_cast<wchar_t>(u));
  return text;
}

TEST(Utf8, WideTextOfAnyPlaneBecomesUtf8) {
  struct Case {
    const char* what;
    std::wstring text;
    std::string utf8;
  } cases[] = {
      {"empty", L"", ""},
      {"ASCII and the basic plane", L"A日本", "A日本"},
      {"a surrogate pair (UTF-16)", Units({0xD83D, 0xDE00}), "\xF0\x9F\x98\x80"},
      {"a pair between others", Units({'x', 0xD840, 0xDC0B, 'y'}), "x\xF0\xA0\x80\x8By"},
      {"a lone high surrogate", Units({0xD800}), "\xEF\xBF\xBD"},
      {"a high surrogate at the end", Units({'a', 0xDBFF}), "a\xEF\xBF\xBD"},
      {"a lone low surrogate", Units({0xDC00, 'b'}),
       "\xEF\xBF\xBD"
       "b"},
      {"two high surrogates", Units({0xD800, 0xD800, 0xDC00}), "\xEF\xBF\xBD\xF0\x90\x80\x80"},
  };
  for (const Case& c : cases) EXPECT_EQ(core::ToUtf8(c.text), c.utf8) << c.what;
}

}  // namespace
