// WordStandIn.exe: a stand-in for the word processor's automation server "Word.Application", for tests.
//   WordStandIn.exe /RegServer      registers it (machine-wide)
//   WordStandIn.exe /UnregServer    removes the registration
//   WordStandIn.exe -Embedding      as started by COM: serves one Application object, then ends
// Like the word processor, every creation gets a process of its own (REGCLS_SINGLEUSE), and the process
// ends after Quit or when its last object is released.
// <windows.h> comes before the headers that build on it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <new>
#include <string_view>

#include "dispatch.h"
#include "objects.h"
#include "registration.h"
#include "usage.h"

namespace standin {
namespace {

class ClassFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // The factory lives as long as the process's main function.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    try {
      const auto application = MakeRef<ApplicationObject>();
      return application->QueryInterface(riid, object);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      CoAddRefServerProcess();
    } else if (CoReleaseServerProcess() == 0) {
      PostQuitMessage(0);
    }
    return S_OK;
  }
};

class ComApartment {
 public:
  ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  HRESULT Result() const { return hr_; }

 private:
  HRESULT hr_;
};

class ClassRegistration {
 public:
  explicit ClassRegistration(IClassFactory* factory)
      : hr_(CoRegisterClassObject(kClsid, factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie_)) {}
  ClassRegistration(const ClassRegistration&) = delete;
  ClassRegistration& operator=(const ClassRegistration&) = delete;
  ~ClassRegistration() {
    if (SUCCEEDED(hr_)) CoRevokeClassObject(cookie_);
  }
  HRESULT Result() const { return hr_; }

 private:
  DWORD cookie_ = 0;
  HRESULT hr_;
};

int Serve() {
  const ComApartment apartment;
  if (FAILED(apartment.Result())) return 1;
  process::SetLoopThread(GetCurrentThreadId());
  MSG msg{};
  // The thread's message queue exists before anything can post to it.
  PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

  ClassFactory factory;
  const ClassRegistration registration(&factory);
  if (FAILED(registration.Result())) return 1;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (process::HandleLoopMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  usage::WriteIfAsked();
  return 0;
}

bool IsSwitch(std::wstring_view arg, std::wstring_view name) {
  if (arg.size() != name.size() + 1 || (arg[0] != L'/' && arg[0] != L'-')) return false;
  arg.remove_prefix(1);
  return CompareStringOrdinal(arg.data(), static_cast<int>(arg.size()), name.data(),
                              static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

class ArgumentVector {
 public:
  ArgumentVector() : argv_(CommandLineToArgvW(GetCommandLineW(), &argc_)) {}
  ArgumentVector(const ArgumentVector&) = delete;
  ArgumentVector& operator=(const ArgumentVector&) = delete;
  ~ArgumentVector() { LocalFree(argv_); }
  int Count() const { return argv_ != nullptr ? argc_ : 0; }
  std::wstring_view operator[](int i) const { return argv_[i]; }

 private:
  int argc_ = 0;
  LPWSTR* argv_;
};

}  // namespace
}  // namespace standin

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace standin;
  const ArgumentVector args;
  for (int i = 1; i < args.Count(); ++i) {
    if (IsSwitch(args[i], L"RegServer")) return SUCCEEDED(RegisterServer()) ? 0 : 1;
    if (IsSwitch(args[i], L"UnregServer")) return SUCCEEDED(UnregisterServer()) ? 0 : 1;
    if (IsSwitch(args[i], L"Embedding") || IsSwitch(args[i], L"Automation")) return Serve();
  }
  // Started by hand: there is nobody to serve.
  return 2;
}
