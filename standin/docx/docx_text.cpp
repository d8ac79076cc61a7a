#include "docx_text.h"

#include <cstdint>

namespace docx {

bool Utf8ToUtf16(std::string_view in, std::u16string& out) {
  out.clear();
  out.reserve(in.size());
  const auto* p = reinterpret_cast<const unsigned char*>(in.data());
  const auto* end = p + in.size();
  while (p < end) {
    const unsigned char b = *p;
    if (b < 0x80) {
      out.push_back(b);
      ++p;
      continue;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((b & 0xE0) == 0xC0) {
      extra = 1, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3, cp = b & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (end - p <= extra) return false;
    for (int i = 1; i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    p += extra + 1;
  }
  return true;
}

namespace {

void AppendCodePoint(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

void AppendUtf8(std::u16string_view in, std::string& out) {
  for (std::size_t i = 0; i < in.size(); ++i) {
    const char16_t c = in[i];
    if (IsHighSurrogate(c) && i + 1 < in.size() && IsLowSurrogate(in[i + 1])) {
      AppendCodePoint(0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(in[i + 1]) - 0xDC00), out);
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      AppendCodePoint(0xFFFD, out);
    } else {
      AppendCodePoint(c, out);
    }
  }
}

std::string ToUtf8(std::u16string_view in) {
  std::string out;
  out.reserve(in.size());
  AppendUtf8(in, out);
  return out;
}

std::u16string Utf8ToUtf16Lenient(std::string_view in) {
  std::u16string out;
  if (Utf8ToUtf16(in, out)) return out;
  // Decode piece by piece: the longest valid prefix of each step, U+FFFD for a bad byte.
  out.clear();
  std::u16string piece;
  std::size_t i = 0;
  while (i < in.size()) {
    std::size_t taken = 0;
    for (std::size_t len = 1; len <= 4 && i + len <= in.size(); ++len) {
      if (Utf8ToUtf16(in.substr(i, len), piece)) {
        taken = len;
        break;
      }
    }
    if (taken == 0) {
      out.push_back(u'\uFFFD');
      ++i;
    } else {
      out += piece;
      i += taken;
    }
  }
  return out;
}

namespace {

// Upper-case letter -> lower-case partner, or 0 when c is not an upper-case letter.
char16_t LowerPartner(char16_t c) {
  if (c >= u'A' && c <= u'Z') return c + 0x20;
  if (c < 0xC0) return 0;
  if (c <= 0xDE) return c == 0xD7 ? 0 : c + 0x20;
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return 0;
    if (c == 0x178) return 0xFF;
    const bool evenUpper = c < 0x138 || (c >= 0x14A && c < 0x178);
    return ((c % 2 == 0) == evenUpper) ? c + 1 : 0;
  }
  if (c >= 0x386 && c <= 0x3AB) {
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 0x25;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 0x3F;
    if (c >= 0x391 && c != 0x3A2) return c + 0x20;
    return 0;
  }
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F)) {
    return c % 2 == 0 ? c + 1 : 0;
  }
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;
  return 0;
}

// Lower-case letter -> upper-case partner, or 0 when c is not a lower-case letter with one.
char16_t UpperPartner(char16_t c) {
  if (c >= u'a' && c <= u'z') return c - 0x20;
  if (c < 0xE0) return 0;
  if (c <= 0xFE) return c == 0xF7 ? 0 : c - 0x20;
  if (c == 0xFF) return 0x178;
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if (c >= 0x101 && c <= 0x17F) return LowerPartner(c - 1) == c ? c - 1 : 0;
  if (c >= 0x3AC && c <= 0x3CE) {
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return c - 0x3F;
    if (c >= 0x3B1 && c <= 0x3CB) return c - 0x20;
    return 0;
  }
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  if ((c >= 0x461 && c <= 0x481) || (c >= 0x48B && c <= 0x4BF) || (c >= 0x4D1 && c <= 0x52F)) {
    return c % 2 == 1 ? c - 1 : 0;
  }
  if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;
  return 0;
}

}  // namespace

char16_t ToLowerCase(char16_t c) {
  const char16_t lower = LowerPartner(c);
  return lower ? lower : c;
}

char16_t ToUpperCase(char16_t c) {
  const char16_t upper = UpperPartner(c);
  return upper ? upper : c;
}

char16_t FoldCase(char16_t c) {
  return c == 0x3C2 ? char16_t(0x3C3) : ToLowerCase(c);
}

bool IsUpperCase(char16_t c) {
  return LowerPartner(c) != 0;
}

bool IsLowerCase(char16_t c) {
  return UpperPartner(c) != 0 || c == 0xDF;
}

bool IsWordCharacter(char16_t c) {
  if (c < 0x80) return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
  if (c < 0xC0) return c == 0xAA || c == 0xB2 || c == 0xB3 || c == 0xB5 || c == 0xB9 || c == 0xBA;
  if (c < 0x2B0) return c != 0xD7 && c != 0xF7;
  if (c < 0x370) return false;                      // spacing modifiers and combining marks
  if (c < 0x2000) return c != 0x37E && c != 0x387;  // the alphabets of Europe, Asia and Africa
  if (c < 0x2C00) return false;                     // punctuation, symbols, arrows, shapes
  if (c < 0x2E00) return true;
  if (c < 0x2E80) return false;
  if (c < 0x3000) return true;  // CJK radicals
  if (c < 0x3040) return c == 0x3005 || c == 0x3006 || c == 0x3007;
  if (c < 0xE000) return true;   // kana, CJK ideographs, Yi, Hangul, surrogates of other planes
  if (c < 0xF900) return false;  // private use
  if (c < 0xFE00) return true;
  if (c < 0xFE70) return false;
  if (c < 0xFF00) return c != 0xFEFF;
  return (c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A) ||
         (c >= 0xFF66 && c <= 0xFFDC);
}

}  // namespace docx
