// ComObject: the late-bound automation client. A reference to one object of an automation server, empty
// or holding one counted IDispatch reference. Member names are bound at their first call through a
// reference (or through any reference sharing its MemberIds), without regard to case; arguments are a few
// typed values (ComArg). A failure anywhere yields an empty reference (or false) and shows nothing, so a
// chain of accesses stays empty after its first failure; LastError() tells what went wrong for whoever needs
// to know (a hung or vanished server, a refused save).
//
// A ComObject belongs to the thread (COM apartment) it was created on.
#pragma once

// <windows.h> comes before the headers that build on it.
// clang-format off
#include <windows.h>
#include <oaidl.h>
// clang-format on

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class ComObject;

// One argument of a member call: a text, a 32-bit number, a truth value, an object reference, or left out.
class ComArg {
 public:
  enum class Kind { Text, Number, Truth, Object, LeftOut };

  ComArg(std::wstring text) : kind_(Kind::Text), text_(std::move(text)) {}
  ComArg(std::wstring_view text) : kind_(Kind::Text), text_(text) {}
  ComArg(const wchar_t* text) : kind_(Kind::Text), text_(text != nullptr ? text : L"") {}
  ComArg(wchar_t* text) : ComArg(static_cast<const wchar_t*>(text)) {}
  ComArg(std::int32_t number) : kind_(Kind::Number), number_(number) {}
  ComArg(bool truth) : kind_(Kind::Truth), truth_(truth) {}
  ComArg(const ComObject& object);
  // Narrow texts and other pointers would silently become truth values.
  ComArg(const char*) = delete;
  template <class T>
  ComArg(T*) = delete;

  // An argument the member should treat as not given (VT_ERROR, DISP_E_PARAMNOTFOUND).
  static ComArg LeftOut() { return ComArg(Kind::LeftOut); }

  Kind kind() const { return kind_; }
  // Fills an empty VARIANT with this argument; the caller clears it. False when out of memory.
  bool ToVariant(VARIANT& out) const;

 private:
  explicit ComArg(Kind kind) : kind_(kind) {}

  Kind kind_;
  std::wstring text_;
  std::int32_t number_ = 0;
  bool truth_ = false;
  IDispatch* object_ = nullptr;  // borrowed: lives as long as the ComObject it came from
};

// What the last call through a reference came to: S_OK and no text after a success.
struct ComError {
  HRESULT hr = S_OK;
  std::wstring description;  // the server's own words (EXCEPINFO), when it gave any
};

// COM for the calling thread, in a single-threaded apartment, for as long as this lives.
class ComApartment {
 public:
  ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  HRESULT Result() const { return hr_; }
  bool Ok() const { return SUCCEEDED(hr_); }

 private:
  HRESULT hr_;
};

// The member ids of one kind of object, learnt as its members are called. Each reference keeps its own;
// references the caller knows to be of one kind (every document's Content is a Range) can share one, so
// that a member name is looked up once for all of them instead of at every call.
class MemberIds {
 public:
  // The id remembered for name (compared without regard to case), or DISPID_UNKNOWN.
  DISPID Find(std::wstring_view name) const;
  void Remember(std::wstring_view name, DISPID id);

 private:
  struct Entry {
    std::wstring name;
    DISPID id;
  };
  std::vector<Entry> entries_;
};

class ComObject {
 public:
  ComObject() = default;
  ComObject(const ComObject& other);
  ComObject(ComObject&& other) noexcept;
  ComObject& operator=(const ComObject& other);
  ComObject& operator=(ComObject&& other) noexcept;
  ~ComObject();

  // Shares an object the caller already has (takes a reference of its own).
  static ComObject FromDispatch(IDispatch* dispatch);

  // Creates a new server object from a program identifier ("Word.Application") or a class id in
  // registry form ("{...}") into ref. True when ref now holds the new object; on false ref keeps its
  // object.
  static bool Create(ComObject& ref, std::wstring_view progIdOrClsid);

  // The value of a property, when it is an object.
  template <class... Args>
  static ComObject ReadObjectProperty(const ComObject& obj, std::wstring_view name, const Args&... args) {
    const std::array<ComArg, sizeof...(Args)> list{ComArg(args)...};
    return ReadObjectPropertyWith(obj, name, list);
  }
  // Calls a member for its effect; true when the call succeeded.
  template <class... Args>
  static bool CallMethod(const ComObject& obj, std::wstring_view name, const Args&... args) {
    const std::array<ComArg, sizeof...(Args)> list{ComArg(args)...};
    return CallMethodWith(obj, name, list);
  }
  // Calls a member that yields an object.
  template <class... Args>
  static ComObject CallObjectMethod(const ComObject& obj, std::wstring_view name, const Args&... args) {
    const std::array<ComArg, sizeof...(Args)> list{ComArg(args)...};
    return CallObjectMethodWith(obj, name, list);
  }

  static ComObject ReadObjectPropertyWith(const ComObject& obj, std::wstring_view name,
                                          std::span<const ComArg> args);
  static bool CallMethodWith(const ComObject& obj, std::wstring_view name, std::span<const ComArg> args);
  static ComObject CallObjectMethodWith(const ComObject& obj, std::wstring_view name,
                                        std::span<const ComArg> args);

  // Gives up the object; the reference is empty afterwards.
  static void Clear(ComObject& ref);

  bool Empty() const { return dispatch_ == nullptr; }
  explicit operator bool() const { return dispatch_ != nullptr; }
  // The held object, not AddRef'ed (for passing on within the same apartment).
  IDispatch* Get() const { return dispatch_; }

  // Makes this reference look member ids up in ids and remember new ones there. Only for objects of the
  // kind the ids were learnt on.
  void ShareMemberIds(std::shared_ptr<MemberIds> ids) { ids_ = std::move(ids); }

  // The outcome of the last call made through this reference (a failed member access, a failed create).
  const ComError& LastError() const { return lastError_; }

 private:
  explicit ComObject(IDispatch* owned) : dispatch_(owned) {}
  void Reset(IDispatch* owned);
  // Binds name and invokes it; on success result holds the member's value.
  bool Invoke(std::wstring_view name, WORD flags, std::span<const ComArg> args, VARIANT* result) const;
  ComObject InvokeForObject(std::wstring_view name, WORD flags, std::span<const ComArg> args) const;

  // The id of a member: remembered, or asked of the object.
  HRESULT BindMember(std::wstring_view name, DISPID& id) const;

  IDispatch* dispatch_ = nullptr;
  mutable std::shared_ptr<MemberIds> ids_;  // made at the first call; shared by copies of this reference
  mutable ComError lastError_;
};

}  // namespace velmora
