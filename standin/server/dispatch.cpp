#include "dispatch.h"

#include <oleauto.h>

#include <algorithm>
#include <new>
#include <vector>

#include "faults.h"
#include "usage.h"

namespace standin {

namespace {

// After Quit, the clients have this long to let go of their references before they are cut off. Their
// Release ends the process at once; cutting off earlier could end it before the answer to Quit is out.
constexpr UINT kQuitGraceMs = 2000;

DWORD loopThread = 0;
UINT_PTR quitTimer = 0;  // set once Quit has succeeded

// Every object of the server now alive, so that an end can disconnect them all from their clients.
std::vector<DispatchObject*>& LiveObjects() {
  static std::vector<DispatchObject*> objects;
  return objects;
}

class ScopedVariant {
 public:
  ScopedVariant() { VariantInit(&v_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
  ~ScopedVariant() { VariantClear(&v_); }
  VARIANT& Get() { return v_; }

 private:
  VARIANT v_;
};

}  // namespace

void Fail(std::wstring description) {
  throw CallFailure{DISP_E_EXCEPTION, std::move(description)};
}

// --- CallArgs ---

bool CallArgs::Given(std::size_t position) const {
  if (position >= params_.cArgs) return false;
  ScopedVariant direct;
  if (FAILED(VariantCopyInd(&direct.Get(), &params_.rgvarg[IndexOf(position)]))) return true;
  return !(direct.Get().vt == VT_ERROR && direct.Get().scode == DISP_E_PARAMNOTFOUND);
}

bool CallArgs::Read(std::size_t position, VARTYPE type, VARIANT& out) const {
  if (!Given(position)) return false;
  const UINT index = IndexOf(position);
  ScopedVariant direct;
  if (FAILED(VariantCopyInd(&direct.Get(), &params_.rgvarg[index])) ||
      FAILED(VariantChangeType(&out, &direct.Get(), 0, type))) {
    throw CallFailure{DISP_E_TYPEMISMATCH, {}, index};
  }
  return true;
}

std::wstring CallArgs::Text(std::size_t position, std::wstring_view fallback) const {
  ScopedVariant value;
  if (!Read(position, VT_BSTR, value.Get())) return std::wstring(fallback);
  const BSTR text = value.Get().bstrVal;
  return text != nullptr ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

std::int32_t CallArgs::Number(std::size_t position, std::int32_t fallback) const {
  ScopedVariant value;
  return Read(position, VT_I4, value.Get()) ? value.Get().lVal : fallback;
}

bool CallArgs::Truth(std::size_t position, bool fallback) const {
  ScopedVariant value;
  return Read(position, VT_BOOL, value.Get()) ? value.Get().boolVal != VARIANT_FALSE : fallback;
}

std::wstring CallArgs::RequiredText(std::size_t position) const {
  if (!Given(position)) {
    const UINT index = position < params_.cArgs ? IndexOf(position) : 0;
    throw CallFailure{DISP_E_PARAMNOTFOUND, {}, index};
  }
  return Text(position, {});
}

// --- DispatchObject ---

DispatchObject::DispatchObject(std::span<const MemberInfo> members) : members_(members) {
  CoAddRefServerProcess();
  LiveObjects().push_back(this);
}

DispatchObject::~DispatchObject() {
  auto& live = LiveObjects();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (CoReleaseServerProcess() == 0) PostThreadMessageW(loopThread, WM_QUIT, 0, 0);
}

HRESULT DispatchObject::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG DispatchObject::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG DispatchObject::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  usage::CountGetIds();
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  // Only the member name binds: the members take their arguments by position.
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (names[0] == nullptr) return DISP_E_UNKNOWNNAME;
  for (const MemberInfo& member : members_) {
    if (CompareStringOrdinal(names[0], -1, member.name, -1, TRUE) == CSTR_EQUAL) {
      ids[0] = member.id;
      return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

const MemberInfo* DispatchObject::Find(DISPID id) const {
  for (const MemberInfo& member : members_) {
    if (member.id == id) return &member;
  }
  return nullptr;
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* exception, UINT* argError) {
  usage::CountInvoke();
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  const MemberInfo* member = Find(id);
  if (member == nullptr || (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) {
    return DISP_E_MEMBERNOTFOUND;
  }
  if (params == nullptr) return E_INVALIDARG;
  if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  if (params->cArgs > member->maxArgs) return DISP_E_BADPARAMCOUNT;
  if (process::Ending()) return CO_E_SERVER_STOPPING;

  // This object stays alive through the call even if the member lets go of the last reference to it.
  AddRef();
  Ref<DispatchObject> self(this);
  ScopedVariant value;
  try {
    faults::BeforeCall(member->name);
    Call(id, CallArgs(*params), value.Get());
  } catch (const CallFailure& failure) {
    if (failure.hr == DISP_E_EXCEPTION && exception != nullptr) {
      *exception = EXCEPINFO{};
      exception->bstrSource = SysAllocString(L"WordStandIn");
      exception->bstrDescription =
          SysAllocStringLen(failure.description.data(), static_cast<UINT>(failure.description.size()));
      exception->scode = E_FAIL;
    }
    if ((failure.hr == DISP_E_TYPEMISMATCH || failure.hr == DISP_E_PARAMNOTFOUND) && argError != nullptr) {
      *argError = failure.argError;
    }
    return failure.hr;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  if (result != nullptr) {
    // The caller owns the result from here on.
    *result = value.Get();
    VariantInit(&value.Get());
  }
  return S_OK;
}

// --- the process ---

namespace process {

void SetLoopThread(DWORD threadId) {
  loopThread = threadId;
}

void RequestEnd() {
  if (quitTimer == 0) quitTimer = SetTimer(nullptr, 0, kQuitGraceMs, nullptr);
  if (quitTimer == 0) PostQuitMessage(0);
}

bool Ending() {
  return quitTimer != 0;
}

bool HandleLoopMessage(const MSG& msg) {
  if (msg.hwnd != nullptr || msg.message != WM_TIMER || quitTimer == 0 || msg.wParam != quitTimer)
    return false;
  KillTimer(nullptr, quitTimer);
  // Hold every object while their clients are cut off, then let them go together.
  std::vector<Ref<DispatchObject>> held;
  for (DispatchObject* object : LiveObjects()) {
    object->AddRef();
    held.emplace_back(object);
  }
  for (const auto& object : held) CoDisconnectObject(object.Get(), 0);
  held.clear();
  PostQuitMessage(0);
  return true;
}

}  // namespace process

}  // namespace standin
