// The hand-written IDispatch under every object of the stand-in server: a table of member names per
// object, bound without regard to case, and one Call function per object that sees every member in one
// place. A member fails by throwing CallFailure; Invoke turns it into the HRESULT and EXCEPINFO a client of
// the word processor would get. Every object counts as a reference on the server process, so the process
// ends when the last object is gone.
#pragma once

// <windows.h> comes before the headers that build on it.
// clang-format off
#include <windows.h>
#include <oaidl.h>
// clang-format on

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace standin {

// A failed member call. With hr == DISP_E_EXCEPTION the description reaches the client in EXCEPINFO.
struct CallFailure {
  HRESULT hr = DISP_E_EXCEPTION;
  std::wstring description;
  UINT argError = 0;  // for a bad argument: its index in DISPPARAMS (last argument first)
};

[[noreturn]] void Fail(std::wstring description);

// The positional arguments of one call (position 0 is the first argument as the caller wrote it).
// VT_BYREF forms are read through; VT_ERROR DISP_E_PARAMNOTFOUND, or a position past the end, is left out.
class CallArgs {
 public:
  explicit CallArgs(const DISPPARAMS& params) : params_(params) {}

  std::size_t Count() const { return params_.cArgs; }
  bool Given(std::size_t position) const;
  // Each gives the fallback when the argument is left out and throws DISP_E_TYPEMISMATCH when it cannot
  // be converted.
  std::wstring Text(std::size_t position, std::wstring_view fallback) const;
  std::int32_t Number(std::size_t position, std::int32_t fallback) const;
  bool Truth(std::size_t position, bool fallback) const;
  // Throws DISP_E_PARAMNOTFOUND when the argument is left out.
  std::wstring RequiredText(std::size_t position) const;

 private:
  // The argument converted to type, or false when left out.
  bool Read(std::size_t position, VARTYPE type, VARIANT& out) const;
  UINT IndexOf(std::size_t position) const { return params_.cArgs - 1 - static_cast<UINT>(position); }

  const DISPPARAMS& params_;
};

struct MemberInfo {
  DISPID id;
  const wchar_t* name;
  UINT maxArgs;  // more arguments than this: DISP_E_BADPARAMCOUNT
};

class DispatchObject : public IDispatch {
 public:
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

 protected:
  explicit DispatchObject(std::span<const MemberInfo> members);
  virtual ~DispatchObject();

  // Runs member id; result is an empty VARIANT to fill. Throws CallFailure.
  virtual void Call(DISPID id, const CallArgs& args, VARIANT& result) = 0;

 private:
  const MemberInfo* Find(DISPID id) const;

  LONG refs_ = 1;
  std::span<const MemberInfo> members_;
};

// An owned reference to one of the server's own objects.
template <class T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* owned) : p_(owned) {}  // takes over a reference
  Ref(const Ref& o) : p_(o.p_) {
    if (p_ != nullptr) p_->AddRef();
  }
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~Ref() {
    if (p_ != nullptr) p_->Release();
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Puts a new reference into a VARIANT for a caller.
  void ToVariant(VARIANT& out) const {
    out.vt = VT_DISPATCH;
    out.pdispVal = p_;
    if (p_ != nullptr) p_->AddRef();
  }

 private:
  T* p_ = nullptr;
};

template <class T, class... Args>
Ref<T> MakeRef(Args&&... args) {
  return Ref<T>(new T(std::forward<Args>(args)...));
}

// The server process: its message loop thread, and the end of the process.
namespace process {
// Called once on the thread that runs the message loop, before any object exists.
void SetLoopThread(DWORD threadId);
// After a successful Quit: the process ends when its clients let go of their last reference, or, for
// clients that hold on, after a short grace when every object is cut off from its clients (as the word
// processor's process ends on Quit). Calls that arrive meanwhile fail with CO_E_SERVER_STOPPING.
void RequestEnd();
bool Ending();
// Handles the loop's own messages; true when msg was one of them.
bool HandleLoopMessage(const MSG& msg);
}  // namespace process

}  // namespace standin
