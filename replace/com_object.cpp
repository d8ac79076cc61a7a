#include "com_object.h"

#include <oleauto.h>

#include <new>
#include <utility>
#include <vector>

namespace velmora {

namespace {

// A VARIANT that is cleared when it goes out of scope.
class ScopedVariant {
 public:
  ScopedVariant() { VariantInit(&v_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
  ~ScopedVariant() { VariantClear(&v_); }
  VARIANT* Get() { return &v_; }

 private:
  VARIANT v_;
};

// The arguments of one call, in DISPPARAMS order (last argument first); each is cleared at the end.
class ArgumentList {
 public:
  explicit ArgumentList(std::size_t count) : values_(count) {
    for (VARIANT& v : values_) VariantInit(&v);
  }
  ArgumentList(const ArgumentList&) = delete;
  ArgumentList& operator=(const ArgumentList&) = delete;
  ~ArgumentList() {
    for (VARIANT& v : values_) VariantClear(&v);
  }
  VARIANT* Data() { return values_.empty() ? nullptr : values_.data(); }
  VARIANT& operator[](std::size_t i) { return values_[i]; }

 private:
  std::vector<VARIANT> values_;
};

// An EXCEPINFO whose texts are freed on every path.
class ScopedExcepInfo {
 public:
  ScopedExcepInfo() : info_{} {}
  ScopedExcepInfo(const ScopedExcepInfo&) = delete;
  ScopedExcepInfo& operator=(const ScopedExcepInfo&) = delete;
  ~ScopedExcepInfo() {
    SysFreeString(info_.bstrSource);
    SysFreeString(info_.bstrDescription);
    SysFreeString(info_.bstrHelpFile);
  }
  EXCEPINFO* Get() { return &info_; }

  // The failure the server reported: its code and its description.
  ComError Take() {
    if (info_.pfnDeferredFillIn != nullptr) {
      info_.pfnDeferredFillIn(&info_);
      info_.pfnDeferredFillIn = nullptr;
    }
    ComError error;
    error.hr = DISP_E_EXCEPTION;
    if (info_.bstrDescription != nullptr) {
      error.description.assign(info_.bstrDescription, SysStringLen(info_.bstrDescription));
    }
    return error;
  }

 private:
  EXCEPINFO info_;
};

}  // namespace

// --- ComArg ---

ComArg::ComArg(const ComObject& object) : kind_(Kind::Object), object_(object.Get()) {}

bool ComArg::ToVariant(VARIANT& out) const {
  switch (kind_) {
    case Kind::Text:
      // By length, so that embedded NULs and every UTF-16 unit cross unchanged.
      out.bstrVal = SysAllocStringLen(text_.data(), static_cast<UINT>(text_.size()));
      if (out.bstrVal == nullptr) return false;
      out.vt = VT_BSTR;
      return true;
    case Kind::Number:
      out.vt = VT_I4;
      out.lVal = number_;
      return true;
    case Kind::Truth:
      out.vt = VT_BOOL;
      out.boolVal = truth_ ? VARIANT_TRUE : VARIANT_FALSE;
      return true;
    case Kind::Object:
      out.vt = VT_DISPATCH;
      out.pdispVal = object_;
      if (object_ != nullptr) object_->AddRef();
      return true;
    case Kind::LeftOut:
      out.vt = VT_ERROR;
      out.scode = DISP_E_PARAMNOTFOUND;
      return true;
  }
  return false;
}

// --- ComObject: ownership ---

ComObject::ComObject(const ComObject& other)
    : dispatch_(other.dispatch_), ids_(other.ids_), lastError_(other.lastError_) {
  if (dispatch_ != nullptr) dispatch_->AddRef();
}

ComObject::ComObject(ComObject&& other) noexcept
    : dispatch_(std::exchange(other.dispatch_, nullptr)),
      ids_(std::move(other.ids_)),
      lastError_(std::move(other.lastError_)) {}

ComObject& ComObject::operator=(const ComObject& other) {
  if (this != &other) {
    if (other.dispatch_ != nullptr) other.dispatch_->AddRef();
    Reset(other.dispatch_);
    ids_ = other.ids_;
    lastError_ = other.lastError_;
  }
  return *this;
}

ComObject& ComObject::operator=(ComObject&& other) noexcept {
  if (this != &other) {
    Reset(std::exchange(other.dispatch_, nullptr));
    ids_ = std::move(other.ids_);
    lastError_ = std::move(other.lastError_);
  }
  return *this;
}

ComObject::~ComObject() {
  Reset(nullptr);
}

void ComObject::Reset(IDispatch* owned) {
  // Swap first: Release may run server code that reaches back to this reference.
  IDispatch* old = std::exchange(dispatch_, owned);
  ids_.reset();  // the ids were the old object's
  if (old != nullptr) old->Release();
}

ComObject ComObject::FromDispatch(IDispatch* dispatch) {
  if (dispatch != nullptr) dispatch->AddRef();
  return ComObject(dispatch);
}

void ComObject::Clear(ComObject& ref) {
  ref.Reset(nullptr);
  ref.lastError_ = {};
}

// --- ComObject: creation ---

bool ComObject::Create(ComObject& ref, std::wstring_view progIdOrClsid) {
  const std::wstring name(progIdOrClsid);
  CLSID clsid{};
  HRESULT hr = !name.empty() && name.front() == L'{' ? CLSIDFromString(name.c_str(), &clsid)
                                                     : CLSIDFromProgID(name.c_str(), &clsid);
  if (FAILED(hr)) {
    ref.lastError_ = {hr, {}};
    return false;
  }
  IDispatch* created = nullptr;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER, IID_IDispatch,
                        reinterpret_cast<void**>(&created));
  if (FAILED(hr) || created == nullptr) {
    if (created != nullptr) created->Release();
    ref.lastError_ = {FAILED(hr) ? hr : E_NOINTERFACE, {}};
    return false;
  }
  ref.Reset(created);
  ref.lastError_ = {};
  return true;
}

// --- ComObject: member calls ---

DISPID MemberIds::Find(std::wstring_view name) const {
  for (const Entry& e : entries_) {
    if (CompareStringOrdinal(e.name.data(), static_cast<int>(e.name.size()), name.data(),
                             static_cast<int>(name.size()), TRUE) == CSTR_EQUAL) {
      return e.id;
    }
  }
  return DISPID_UNKNOWN;
}

void MemberIds::Remember(std::wstring_view name, DISPID id) {
  if (Find(name) == DISPID_UNKNOWN) entries_.push_back({std::wstring(name), id});
}

HRESULT ComObject::BindMember(std::wstring_view name, DISPID& id) const {
  if (ids_ != nullptr) {
    id = ids_->Find(name);
    if (id != DISPID_UNKNOWN) return S_OK;
  }
  std::wstring member(name);
  LPOLESTR names[] = {member.data()};
  id = DISPID_UNKNOWN;
  const HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;  // a name the object does not know is asked again next time
  try {
    if (ids_ == nullptr) ids_ = std::make_shared<MemberIds>();
    ids_->Remember(name, id);
  } catch (const std::bad_alloc&) {
    // Not remembered: the call goes ahead all the same.
  }
  return hr;
}

bool ComObject::Invoke(std::wstring_view name, WORD flags, std::span<const ComArg> args,
                       VARIANT* result) const {
  if (dispatch_ == nullptr) {
    lastError_ = {E_POINTER, {}};
    return false;
  }
  DISPID dispid = DISPID_UNKNOWN;
  HRESULT hr = BindMember(name, dispid);
  if (FAILED(hr)) {
    lastError_ = {hr, {}};
    return false;
  }

  ArgumentList values(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    // DISPPARAMS holds the arguments from the last to the first.
    if (!args[i].ToVariant(values[args.size() - 1 - i])) {
      lastError_ = {E_OUTOFMEMORY, {}};
      return false;
    }
  }
  DISPPARAMS params{};
  params.rgvarg = values.Data();
  params.cArgs = static_cast<UINT>(args.size());

  ScopedExcepInfo exception;
  UINT argError = 0;
  hr = dispatch_->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, exception.Get(),
                         &argError);
  if (hr == DISP_E_EXCEPTION) {
    lastError_ = exception.Take();
    return false;
  }
  if (FAILED(hr)) {
    lastError_ = {hr, {}};
    return false;
  }
  lastError_ = {};
  return true;
}

ComObject ComObject::InvokeForObject(std::wstring_view name, WORD flags, std::span<const ComArg> args) const {
  ScopedVariant result;
  if (!Invoke(name, flags, args, result.Get())) return {};
  VARIANT& value = *result.Get();
  IDispatch* object = nullptr;
  if (value.vt == VT_DISPATCH && value.pdispVal != nullptr) {
    object = value.pdispVal;
    object->AddRef();
  } else if (value.vt == VT_UNKNOWN && value.punkVal != nullptr) {
    if (FAILED(value.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object)))) {
      object = nullptr;
    }
  }
  if (object == nullptr) {
    // The call went through but gave no object: for the caller that is a failed access.
    lastError_ = {DISP_E_TYPEMISMATCH, {}};
    return {};
  }
  return ComObject(object);
}

ComObject ComObject::ReadObjectPropertyWith(const ComObject& obj, std::wstring_view name,
                                            std::span<const ComArg> args) {
  return obj.InvokeForObject(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args);
}

bool ComObject::CallMethodWith(const ComObject& obj, std::wstring_view name, std::span<const ComArg> args) {
  ScopedVariant result;
  return obj.Invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, result.Get());
}

ComObject ComObject::CallObjectMethodWith(const ComObject& obj, std::wstring_view name,
                                          std::span<const ComArg> args) {
  return obj.InvokeForObject(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
}

}  // namespace velmora
