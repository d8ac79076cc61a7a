#include "usage.h"

// <windows.h> comes before the headers that build on it.
// clang-format off
#include <windows.h>
#include <psapi.h>
// clang-format on

#include <cstdio>
#include <string>

#include "faults.h"

namespace standin::usage {
namespace {

// The server answers on one thread; plain counters do.
unsigned long long getIds = 0;
unsigned long long invokes = 0;

unsigned long long Milliseconds(const FILETIME& t) {
  return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000;
}

class File {
 public:
  explicit File(const std::wstring& path) : f_(_wfopen(path.c_str(), L"wb")) {}
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() {
    if (f_) std::fclose(f_);
  }
  std::FILE* Get() const { return f_; }

 private:
  std::FILE* f_;
};

}  // namespace

void CountGetIds() {
  ++getIds;
}
void CountInvoke() {
  ++invokes;
}

void WriteIfAsked() {
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, faults::kKey, kValue, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
          ERROR_SUCCESS ||
      bytes < 2 * sizeof(wchar_t)) {
    return;
  }
  std::wstring folder(bytes / sizeof(wchar_t), L'\0');
  if (RegGetValueW(HKEY_LOCAL_MACHINE, faults::kKey, kValue, RRF_RT_REG_SZ, nullptr, folder.data(), &bytes) !=
      ERROR_SUCCESS) {
    return;
  }
  folder.resize(folder.find(L'\0'));
  FILETIME created{}, exited{}, kernel{}, user{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof(memory);
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
  const File file(folder + L"\\standin-" + std::to_wstring(GetCurrentProcessId()) + L".txt");
  if (!file.Get()) return;
  std::fprintf(file.Get(), "getids %llu invoke %llu user_ms %llu kernel_ms %llu peak_kib %llu\n", getIds,
               invokes, Milliseconds(user), Milliseconds(kernel),
               static_cast<unsigned long long>(memory.PeakWorkingSetSize / 1024));
}

}  // namespace standin::usage
