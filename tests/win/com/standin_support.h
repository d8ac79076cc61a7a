// What the tests that drive the stand-in server share: its processes, temporary folders, faults on demand,
// and registering this build's server.
#pragma once

#include <gtest/gtest.h>
// <windows.h> comes before the headers that build on it.
// clang-format off
#include <windows.h>
#include <objbase.h>
#include <tlhelp32.h>
// clang-format on

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "com_object.h"
#include "faults.h"

namespace velmora::testing_support {

namespace fs = std::filesystem;

constexpr DWORD kProcessEndBoundMs = 20000;

inline std::wstring FromEnvironment(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

class Handle {
 public:
  explicit Handle(HANDLE h = nullptr) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  Handle(Handle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (h_ != nullptr) CloseHandle(h_);
  }
  HANDLE Get() const { return h_; }

 private:
  HANDLE h_;
};

// The running WordStandIn.exe processes, opened so that their end can be awaited.
inline std::vector<Handle> StandInProcesses() {
  std::vector<Handle> found;
  const Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.Get() == nullptr) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, L"WordStandIn.exe") != 0) continue;
    Handle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
    if (process.Get() != nullptr) found.push_back(std::move(process));
  }
  return found;
}

// Waits, within a bound, until no stand-in process is left; true when none is.
inline bool NoStandInLeft() {
  const DWORD deadline = GetTickCount() + kProcessEndBoundMs;
  for (;;) {
    const std::vector<Handle> processes = StandInProcesses();
    if (processes.empty()) return true;
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(deadline - now) <= 0) return false;
    WaitForSingleObject(processes.front().Get(), deadline - now);
  }
}

inline std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A folder of its own under the temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, base);
    path_ = fs::path(base) /
            (L"velmora-com-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter_++));
    fs::create_directories(path_);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_write, fs::perm_options::add, ignored);
    for (const auto& entry : fs::directory_iterator(path_, ignored)) {
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }

 private:
  static inline int counter_ = 0;
  fs::path path_;
};

// A fault for the stand-in, in force while this lives.
class FaultSetting {
 public:
  explicit FaultSetting(const std::wstring& text) {
    const LSTATUS status =
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, standin::faults::kKey, standin::faults::kValue, REG_SZ,
                        text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(status, ERROR_SUCCESS);
  }
  FaultSetting(const FaultSetting&) = delete;
  FaultSetting& operator=(const FaultSetting&) = delete;
  ~FaultSetting() { RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, standin::faults::kKey, standin::faults::kValue); }
};

// Registers the stand-in of this build once for the whole test program.
class RegisterStandIn : public ::testing::Environment {
 public:
  void SetUp() override {
    std::wstring exe = FromEnvironment(L"VELMORA_STANDIN");
    if (exe.empty()) return;
    std::wstring command = L"\"" + exe + L"\" /RegServer";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &info))
        << "cannot start " << testing::PrintToString(exe);
    const Handle process(info.hProcess);
    const Handle thread(info.hThread);
    ASSERT_EQ(WaitForSingleObject(process.Get(), kProcessEndBoundMs), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(process.Get(), &code);
    ASSERT_EQ(code, 0u) << "WordStandIn.exe /RegServer failed";
  }
};

}  // namespace velmora::testing_support
