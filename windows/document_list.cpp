#include "windows/document_list.h"

#include <algorithm>

namespace velmora {

namespace {

wchar_t Upper(wchar_t c) {
  if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - L'a' + L'A');
  return c;
}

bool Listed(const std::vector<std::wstring>& listed, std::wstring_view path) {
  return std::any_of(listed.begin(), listed.end(), [&](const std::wstring& p) { return SamePath(p, path); });
}

}  // namespace

bool SamePath(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return Upper(x) == Upper(y); });
}

AppendResult AppendDocuments(std::vector<std::wstring>& listed, const std::vector<std::wstring>& picked,
                             std::size_t limit) {
  AppendResult result;
  for (const std::wstring& path : picked) {
    if (Listed(listed, path)) {
      result.duplicates.push_back(path);
    } else if (listed.size() >= limit) {
      result.overLimit.push_back(path);
    } else {
      listed.push_back(path);
      result.added.push_back(path);
    }
  }
  return result;
}

std::wstring DialogFilter(std::wstring_view barSeparated) {
  std::wstring filter(barSeparated);
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  return filter;
}

std::vector<std::wstring> PathsFromDialog(std::wstring_view buffer) {
  std::vector<std::wstring> parts;
  std::size_t at = 0;
  while (at < buffer.size() && buffer[at] != L'\0') {
    std::size_t end = buffer.find(L'\0', at);
    if (end == std::wstring_view::npos) end = buffer.size();
    parts.emplace_back(buffer.substr(at, end - at));
    at = end + 1;
  }
  if (parts.size() <= 1) return parts;
  std::wstring folder = parts.front();
  if (!folder.empty() && folder.back() != L'\\') folder.push_back(L'\\');
  std::vector<std::wstring> paths;
  for (std::size_t i = 1; i < parts.size(); ++i) paths.push_back(folder + parts[i]);
  return paths;
}

}  // namespace velmora
