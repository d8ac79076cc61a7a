#include "registration.h"

#include <string>

namespace standin {

namespace {

const std::wstring kClassesKey = L"Software\\Classes\\";
const std::wstring kClassKey = kClassesKey + L"CLSID\\" + kClsidText;
const std::wstring kProgIdKey = kClassesKey + kProgId;

HRESULT SetText(const std::wstring& key, const std::wstring& text) {
  const LSTATUS status = RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, text.c_str(),
                                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  return HRESULT_FROM_WIN32(status);
}

std::wstring ReadText(const std::wstring& key) {
  wchar_t text[64] = {};
  DWORD bytes = sizeof(text);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
      ERROR_SUCCESS) {
    return {};
  }
  return text;
}

HRESULT DeleteTree(const std::wstring& key) {
  const LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return HRESULT_FROM_WIN32(status);
  if (status == ERROR_SUCCESS) RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
  return S_OK;
}

std::wstring ThisExecutable() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

HRESULT RegisterServer() {
  const std::wstring exe = ThisExecutable();
  if (exe.empty()) return HRESULT_FROM_WIN32(GetLastError());
  const std::pair<std::wstring, std::wstring> entries[] = {
      {kProgIdKey, L"Velmora stand-in for Word.Application"},
      {kProgIdKey + L"\\CLSID", kClsidText},
      {kClassKey, L"Velmora stand-in for Word.Application"},
      {kClassKey + L"\\LocalServer32", L"\"" + exe + L"\""},
      {kClassKey + L"\\ProgID", kProgId},
  };
  for (const auto& [key, text] : entries) {
    const HRESULT hr = SetText(key, text);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT UnregisterServer() {
  if (ReadText(kProgIdKey + L"\\CLSID") == kClsidText) {
    const HRESULT hr = DeleteTree(kProgIdKey);
    if (FAILED(hr)) return hr;
  }
  return DeleteTree(kClassKey);
}

}  // namespace standin
