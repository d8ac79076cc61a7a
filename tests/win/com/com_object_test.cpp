// ComObject against an automation object implemented here, in the test process: what reaches Invoke,
// what comes back, and that every reference taken is given back.
#include "com_object.h"

#include <gtest/gtest.h>
// <windows.h> comes before the headers that build on it.
// clang-format off
#include <windows.h>
#include <oleauto.h>
// clang-format on

#include <memory>
#include <string>
#include <vector>

namespace velmora {
namespace {

// One argument as the object saw it.
struct Seen {
  VARTYPE vt = VT_EMPTY;
  std::wstring text = {};
  LONG number = 0;
  VARIANT_BOOL truth = VARIANT_FALSE;
  SCODE scode = S_OK;
  IDispatch* object = nullptr;
  bool operator==(const Seen&) const = default;
};

Seen Text(std::wstring t) {
  return {.vt = VT_BSTR, .text = std::move(t)};
}
Seen Number(LONG n) {
  return {.vt = VT_I4, .number = n};
}
Seen Truth(bool b) {
  return {.vt = VT_BOOL, .truth = b ? VARIANT_TRUE : VARIANT_FALSE};
}
Seen LeftOut() {
  return {.vt = VT_ERROR, .scode = DISP_E_PARAMNOTFOUND};
}
Seen Object(IDispatch* p) {
  return {.vt = VT_DISPATCH, .object = p};
}

// An automation object with a few members, counting its references and recording each call.
class FakeObject : public IDispatch {
 public:
  enum Member : DISPID { kRecord = 1, kChild, kNumber, kBroken, kUnknownChild, kNothing };

  FakeObject() = default;
  FakeObject(const FakeObject&) = delete;
  FakeObject& operator=(const FakeObject&) = delete;
  ~FakeObject() {
    if (child_ != nullptr) child_->Release();
  }

  LONG refs = 1;  // the test's own reference
  WORD lastFlags = 0;
  std::vector<Seen> lastArgs;  // in the caller's order
  std::vector<std::wstring> boundNames;

  // The object that "Child" returns; created on first use.
  FakeObject* Child() {
    if (child_ == nullptr) child_ = new FakeObject;
    return child_;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Never deletes itself: the test owns it and checks the count.
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    static const std::pair<const wchar_t*, DISPID> kMembers[] = {
        {L"Record", kRecord},
        {L"Child", kChild},
        {L"Number", kNumber},
        {L"Broken", kBroken},
        {L"UnknownChild", kUnknownChild},
        {L"Nothing", kNothing},
    };
    if (count != 1) return DISP_E_UNKNOWNNAME;
    boundNames.emplace_back(names[0]);
    for (const auto& [name, id] : kMembers) {
      if (_wcsicmp(names[0], name) == 0) {
        ids[0] = id;
        return S_OK;
      }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT*) override {
    lastFlags = flags;
    lastArgs.clear();
    for (UINT i = params->cArgs; i-- > 0;) lastArgs.push_back(Describe(params->rgvarg[i]));
    switch (id) {
      case kRecord:
        return S_OK;
      case kChild:
        Child()->AddRef();
        result->vt = VT_DISPATCH;
        result->pdispVal = Child();
        return S_OK;
      case kUnknownChild:
        Child()->AddRef();
        result->vt = VT_UNKNOWN;
        result->punkVal = Child();
        return S_OK;
      case kNumber:
        result->vt = VT_I4;
        result->lVal = 42;
        return S_OK;
      case kNothing:
        result->vt = VT_DISPATCH;
        result->pdispVal = nullptr;
        return S_OK;
      case kBroken:
        *exception = EXCEPINFO{};
        exception->scode = E_FAIL;
        exception->bstrSource = SysAllocString(L"fake");
        exception->bstrDescription = SysAllocString(L"the member is broken");
        return DISP_E_EXCEPTION;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  static Seen Describe(const VARIANT& v) {
    Seen seen{.vt = v.vt};
    switch (v.vt) {
      case VT_BSTR:
        seen.text.assign(v.bstrVal, SysStringLen(v.bstrVal));
        break;
      case VT_I4:
        seen.number = v.lVal;
        break;
      case VT_BOOL:
        seen.truth = v.boolVal;
        break;
      case VT_ERROR:
        seen.scode = v.scode;
        break;
      case VT_DISPATCH:
        seen.object = v.pdispVal;
        break;
      default:
        break;
    }
    return seen;
  }

  FakeObject* child_ = nullptr;
};

class ComObjectTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(apartment_.Result())); }

  ComApartment apartment_;
  FakeObject fake_;
};

TEST_F(ComObjectTest, ArgumentsReachInvokeInDispparamsOrderWithTheirTypes) {
  FakeObject other;
  {
    const ComObject obj = ComObject::FromDispatch(&fake_);
    const ComObject argument = ComObject::FromDispatch(&other);
    ASSERT_TRUE(ComObject::CallMethod(obj, L"Record", L"first", std::wstring(L"second"),
                                      std::wstring_view(L"third"), -1, 7, true, false, ComArg::LeftOut(),
                                      argument));
    const std::vector<Seen> expected = {
        Text(L"first"), Text(L"second"), Text(L"third"), Number(-1),     Number(7),
        Truth(true),    Truth(false),    LeftOut(),      Object(&other),
    };
    EXPECT_EQ(fake_.lastArgs, expected);
    EXPECT_EQ(fake_.lastFlags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
    // The argument's reference was given back after the call.
    EXPECT_EQ(other.refs, 2);
  }
  EXPECT_EQ(other.refs, 1);
  EXPECT_EQ(fake_.refs, 1);
}

TEST_F(ComObjectTest, TextsCrossUnchanged) {
  const std::wstring texts[] = {
      std::wstring(L"a\0b", 3),  // an embedded NUL
      L"\U0001F600 \U00020000",  // characters outside the BMP (surrogate pairs)
      L"替换完毕！——",           // Chinese, full-width punctuation, em dashes
      L"",                       // empty
      std::wstring(300, L'x'),   // longer than the word processor takes
  };
  const ComObject obj = ComObject::FromDispatch(&fake_);
  for (const std::wstring& text : texts) {
    ASSERT_TRUE(ComObject::CallMethod(obj, L"Record", text));
    ASSERT_EQ(fake_.lastArgs.size(), 1u);
    EXPECT_EQ(fake_.lastArgs[0], Text(text));
  }
}

TEST_F(ComObjectTest, NoArgumentsAtAll) {
  const ComObject obj = ComObject::FromDispatch(&fake_);
  ASSERT_TRUE(ComObject::CallMethod(obj, L"Record"));
  EXPECT_TRUE(fake_.lastArgs.empty());
}

TEST_F(ComObjectTest, MemberNamesBindWithoutRegardToCase) {
  const ComObject obj = ComObject::FromDispatch(&fake_);
  for (const wchar_t* name : {L"Record", L"record", L"RECORD", L"rEcOrD"}) {
    EXPECT_TRUE(ComObject::CallMethod(obj, name)) << name;
  }
  EXPECT_EQ(fake_.boundNames, std::vector<std::wstring>{L"Record"});  // one name, whatever its case
  for (const wchar_t* name : {L"child", L"CHILD"}) {
    EXPECT_FALSE(ComObject::ReadObjectProperty(obj, name).Empty()) << name;
    EXPECT_FALSE(ComObject::CallObjectMethod(obj, name).Empty()) << name;
  }
}

TEST_F(ComObjectTest, MemberIdsAreLookedUpOnceForEveryObjectThatSharesThem) {
  FakeObject sameKind;
  {
    ComObject obj = ComObject::FromDispatch(&fake_);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(ComObject::CallMethod(obj, L"Record"));
    EXPECT_FALSE(ComObject::CallMethod(obj, L"Missing"));  // an unknown name is asked again each time
    EXPECT_FALSE(ComObject::CallMethod(obj, L"Missing"));
    const ComObject copy = obj;
    EXPECT_TRUE(ComObject::CallMethod(copy, L"Record"));
    EXPECT_EQ(fake_.boundNames, (std::vector<std::wstring>{L"Record", L"Missing", L"Missing"}));

    // Another object, told it is of the same kind, binds nothing; one put in the reference binds afresh.
    auto ids = std::make_shared<MemberIds>();
    obj.ShareMemberIds(ids);
    EXPECT_TRUE(ComObject::CallMethod(obj, L"Number"));
    ComObject other = ComObject::FromDispatch(&sameKind);
    other.ShareMemberIds(ids);
    EXPECT_TRUE(ComObject::CallMethod(other, L"number"));
    EXPECT_TRUE(sameKind.boundNames.empty());
    obj = ComObject::FromDispatch(&sameKind);
    EXPECT_TRUE(ComObject::CallMethod(obj, L"Record"));
    EXPECT_EQ(sameKind.boundNames, std::vector<std::wstring>{L"Record"});
  }
  EXPECT_EQ(sameKind.refs, 1);
  EXPECT_EQ(fake_.refs, 1);
}

TEST_F(ComObjectTest, PropertyReadsAskForPropertyOrMethod) {
  const ComObject obj = ComObject::FromDispatch(&fake_);
  ComObject::ReadObjectProperty(obj, L"Child");
  EXPECT_EQ(fake_.lastFlags, DISPATCH_PROPERTYGET | DISPATCH_METHOD);
  ComObject::CallObjectMethod(obj, L"Child", 1);
  EXPECT_EQ(fake_.lastFlags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
  EXPECT_EQ(fake_.lastArgs, std::vector<Seen>{Number(1)});
}

TEST_F(ComObjectTest, ObjectResultsAreHeldOnceAndGivenBack) {
  FakeObject* child = fake_.Child();
  {
    const ComObject obj = ComObject::FromDispatch(&fake_);
    const ComObject property = ComObject::ReadObjectProperty(obj, L"Child");
    ASSERT_EQ(property.Get(), child);
    EXPECT_EQ(child->refs, 2);  // the fake's own and the ComObject's: the result VARIANT was cleared
    const ComObject viaUnknown = ComObject::CallObjectMethod(obj, L"UnknownChild");
    ASSERT_EQ(viaUnknown.Get(), child);
    EXPECT_EQ(child->refs, 3);
  }
  EXPECT_EQ(child->refs, 1);
  EXPECT_EQ(fake_.refs, 1);
}

// Every way to get nothing: empty result, false, and the reason in LastError.
struct EmptyCase {
  const char* what;
  const wchar_t* member;
  bool emptyReference;
  HRESULT hr;
  const wchar_t* description;
};

TEST_F(ComObjectTest, FailuresGiveEmptyReferencesAndTellWhy) {
  const EmptyCase cases[] = {
      {"member the object lacks", L"Visible", false, DISP_E_UNKNOWNNAME, L""},
      {"member that fails", L"Broken", false, DISP_E_EXCEPTION, L"the member is broken"},
      {"result that is a number", L"Number", false, DISP_E_TYPEMISMATCH, L""},
      {"result that is a null object", L"Nothing", false, DISP_E_TYPEMISMATCH, L""},
      {"empty reference", L"Child", true, E_POINTER, L""},
  };
  for (const EmptyCase& c : cases) {
    SCOPED_TRACE(c.what);
    const ComObject obj = c.emptyReference ? ComObject() : ComObject::FromDispatch(&fake_);
    EXPECT_TRUE(ComObject::ReadObjectProperty(obj, c.member).Empty());
    EXPECT_EQ(obj.LastError().hr, c.hr);
    EXPECT_EQ(obj.LastError().description, c.description);
    EXPECT_TRUE(ComObject::CallObjectMethod(obj, c.member, L"x", 1).Empty());
    EXPECT_EQ(obj.LastError().hr, c.hr);
    const bool callFails = c.hr != DISP_E_TYPEMISMATCH;  // a call made for its effect needs no object
    EXPECT_EQ(ComObject::CallMethod(obj, c.member), !callFails);
  }
  EXPECT_EQ(fake_.refs, 1);
}

TEST_F(ComObjectTest, ASuccessClearsTheLastError) {
  const ComObject obj = ComObject::FromDispatch(&fake_);
  EXPECT_FALSE(ComObject::CallMethod(obj, L"Broken"));
  EXPECT_EQ(obj.LastError().hr, DISP_E_EXCEPTION);
  EXPECT_TRUE(ComObject::CallMethod(obj, L"Record"));
  EXPECT_EQ(obj.LastError().hr, S_OK);
  EXPECT_EQ(obj.LastError().description, L"");
}

TEST_F(ComObjectTest, AChainStaysEmptyAfterItsFirstFailure) {
  const ComObject obj = ComObject::FromDispatch(&fake_);
  const ComObject missing = ComObject::ReadObjectProperty(obj, L"Missing");
  const ComObject next = ComObject::ReadObjectProperty(missing, L"Child");
  const ComObject last = ComObject::CallObjectMethod(next, L"Child", L"a");
  EXPECT_TRUE(last.Empty());
  EXPECT_FALSE(ComObject::CallMethod(last, L"Record"));
  EXPECT_EQ(fake_.boundNames, std::vector<std::wstring>{L"Missing"});
}

TEST_F(ComObjectTest, ReferenceCountsBalanceThroughCopyMoveClearAndOverwrite) {
  FakeObject other;
  {
    ComObject a = ComObject::FromDispatch(&fake_);
    EXPECT_EQ(fake_.refs, 2);
    ComObject b = a;  // copy
    EXPECT_EQ(fake_.refs, 3);
    ComObject c = std::move(b);  // move: no new reference
    EXPECT_EQ(fake_.refs, 3);
    EXPECT_TRUE(b.Empty());
    c = c;  // self-assignment
    EXPECT_EQ(fake_.refs, 3);
    c = std::move(c);  // self-move
    EXPECT_EQ(fake_.refs, 3);
    EXPECT_EQ(c.Get(), &fake_);

    ComObject d = ComObject::FromDispatch(&other);
    d = a;  // overwrite by copy gives up the old object
    EXPECT_EQ(other.refs, 1);
    EXPECT_EQ(fake_.refs, 4);
    d = ComObject::FromDispatch(&other);  // overwrite by move
    EXPECT_EQ(fake_.refs, 3);
    EXPECT_EQ(other.refs, 2);
    d = ComObject::ReadObjectProperty(d, L"Child");  // overwrite by a result of itself
    EXPECT_EQ(other.refs, 1);
    EXPECT_EQ(d.Get(), other.Child());

    ComObject::Clear(a);
    EXPECT_TRUE(a.Empty());
    EXPECT_EQ(fake_.refs, 2);
    ComObject::Clear(a);  // clearing an empty reference is harmless
    EXPECT_EQ(fake_.refs, 2);
  }
  EXPECT_EQ(fake_.refs, 1);
  EXPECT_EQ(other.refs, 1);
  EXPECT_EQ(other.Child()->refs, 1);
}

TEST_F(ComObjectTest, FailedCreateKeepsWhatTheReferenceHeld) {
  const struct {
    const wchar_t* name;
    HRESULT hr;
  } cases[] = {
      {L"Velmora.NotRegistered.Anywhere", CO_E_CLASSSTRING},
      {L"{bad clsid}", CO_E_CLASSSTRING},
      {L"{00000000-1111-2222-3333-444444444444}", REGDB_E_CLASSNOTREG},
      {L"", CO_E_CLASSSTRING},
  };
  ComObject ref = ComObject::FromDispatch(&fake_);
  ComObject empty;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "name " << testing::PrintToString(std::wstring(c.name)));
    EXPECT_FALSE(ComObject::Create(ref, c.name));
    EXPECT_EQ(ref.Get(), &fake_);
    EXPECT_EQ(fake_.refs, 2);
    EXPECT_EQ(ref.LastError().hr, c.hr);
    EXPECT_FALSE(ComObject::Create(empty, c.name));
    EXPECT_TRUE(empty.Empty());
  }
}

}  // namespace
}  // namespace velmora
