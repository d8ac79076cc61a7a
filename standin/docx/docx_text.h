// Text helpers of the .docx engine: UTF-8 <-> UTF-16 and the per-code-unit case and word-character rules
// that Find uses. Platform-independent tables: no C locale, no wide-character library calls.
#pragma once

#include <string>
#include <string_view>

namespace docx {

// Strict UTF-8 to UTF-16: false on any invalid sequence (overlong, surrogate, beyond U+10FFFF).
bool Utf8ToUtf16(std::string_view in, std::u16string& out);
// UTF-16 to UTF-8, appended to out; an unpaired surrogate becomes U+FFFD.
void AppendUtf8(std::u16string_view in, std::string& out);
std::string ToUtf8(std::u16string_view in);
// Lenient UTF-8 to UTF-16 for texts shown to people (paths, messages): invalid bytes become U+FFFD.
std::u16string Utf8ToUtf16Lenient(std::string_view in);

// Simple case mapping for ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and full-width Latin.
char16_t ToLowerCase(char16_t c);
char16_t ToUpperCase(char16_t c);
// The form two characters are compared in when case does not matter.
char16_t FoldCase(char16_t c);
bool IsUpperCase(char16_t c);
bool IsLowerCase(char16_t c);
// A letter or digit of any script, as far as the whole-word rule is concerned.
bool IsWordCharacter(char16_t c);

}  // namespace docx
