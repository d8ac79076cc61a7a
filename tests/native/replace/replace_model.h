// What the word processor's find-and-replace does with the texts the run sends, for checking the run's
// calls without a word processor.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "replace/find_text.h"

namespace velmora::testing_model {

// The literal text of a sent text: "^^" is one caret; any other caret would start a special code, which
// the run never sends.
inline std::wstring Unescape(const std::wstring& sent) {
  std::wstring text;
  for (std::size_t i = 0; i < sent.size(); ++i) {
    text += sent[i];
    if (sent[i] == L'^') {
      EXPECT_TRUE(i + 1 < sent.size() && sent[i + 1] == L'^') << "a caret code was sent at " << i;
      ++i;
    }
  }
  return text;
}

// Replace all for one Execute: every occurrence, left to right; the inserted text is not searched again.
inline void ApplyExecute(std::wstring& document, const ExecuteCall& call) {
  const std::wstring find = Unescape(call.findText);
  const std::wstring replace = Unescape(call.replaceWith);
  std::wstring out;
  std::size_t at = 0;
  for (std::size_t hit; (hit = document.find(find, at)) != std::wstring::npos; at = hit + find.size()) {
    out.append(document, at, hit - at);
    out += replace;
  }
  out.append(document, at);
  document = out;
}

}  // namespace velmora::testing_model
