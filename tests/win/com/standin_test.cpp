// The stand-in "Word.Application" server driven from this process through ComObject, as the run drives
// the word processor: open, Content, Find, Execute, Quit; then the documents on disk, the server's errors
// and the end of its process.
//
// Environment (set by ctest): VELMORA_CORPUS, the folder of the test documents; VELMORA_STANDIN, the
// WordStandIn.exe to register before the tests (when not set, the registered one is used).
#include <gtest/gtest.h>
// <windows.h> comes before the headers that build on it.
// clang-format off
#include <windows.h>
#include <oleauto.h>
#include <tlhelp32.h>
// clang-format on

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "com_object.h"
#include "faults.h"
#include "standin_support.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using namespace testing_support;

constexpr wchar_t kSample[] = L"blk-paras-and-tables.docx";  // "Lorem ipsum dolor sit amet, ..."

const auto* const registration = ::testing::AddGlobalTestEnvironment(new RegisterStandIn);

// One server with one document, the chain of objects the run uses.
struct Session {
  ComObject app, documents, document, content, find;

  bool Start() {
    if (!ComObject::Create(app, L"Word.Application")) return false;
    documents = ComObject::ReadObjectProperty(app, L"Documents");
    return !documents.Empty();
  }
  bool Open(const fs::path& file, bool readOnly = false) {
    document = readOnly ? ComObject::CallObjectMethod(documents, L"open", file.wstring(), false, true)
                        : ComObject::CallObjectMethod(documents, L"open", file.wstring());
    content = ComObject::ReadObjectProperty(document, L"Content");
    find = ComObject::ReadObjectProperty(content, L"Find");
    return !find.Empty();
  }
  // Find.Execute with the word processor's positional arguments.
  bool Execute(const std::wstring& findText, bool matchCase, const std::wstring& replaceWith,
               std::int32_t replace) {
    return ComObject::CallMethod(find, L"Execute", findText, matchCase, false, false, false, false, true, 1,
                                 false, replaceWith, replace);
  }
  // True when Execute succeeded and reported a find.
  std::optional<bool> Found(const std::wstring& findText, bool matchCase) {
    VARIANT result;
    VariantInit(&result);
    if (find.Empty()) return std::nullopt;
    // Find-only runs through raw IDispatch to read the truth value the run itself never reads.
    LPOLESTR name = const_cast<LPOLESTR>(L"Execute");
    DISPID id = 0;
    if (FAILED(find.Get()->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) return std::nullopt;
    VARIANT args[2];
    args[1].vt = VT_BSTR;
    args[1].bstrVal = SysAllocStringLen(findText.data(), static_cast<UINT>(findText.size()));
    args[0].vt = VT_BOOL;
    args[0].boolVal = matchCase ? VARIANT_TRUE : VARIANT_FALSE;
    DISPPARAMS params{args, nullptr, 2, 0};
    const HRESULT hr = find.Get()->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                          &result, nullptr, nullptr);
    VariantClear(&args[1]);
    const bool found = result.vt == VT_BOOL && result.boolVal != VARIANT_FALSE;
    VariantClear(&result);
    if (FAILED(hr)) return std::nullopt;
    return found;
  }
  bool Quit(std::int32_t saveChanges) { return ComObject::CallMethod(app, L"Quit", saveChanges); }
  void Release() {
    for (ComObject* object : {&find, &content, &document, &documents, &app}) ComObject::Clear(*object);
  }
};

class StandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment_.Result()));
    corpus_ = FromEnvironment(L"VELMORA_CORPUS");
    ASSERT_FALSE(corpus_.empty()) << "VELMORA_CORPUS names the folder of the test documents";
    ASSERT_TRUE(NoStandInLeft()) << "a stand-in of an earlier test is still running";
  }
  void TearDown() override {
    EXPECT_TRUE(NoStandInLeft()) << "a WordStandIn.exe process is left";
    // Whatever a failed test left behind must not spoil the next one.
    for (const Handle& process : StandInProcesses()) TerminateProcess(process.Get(), 1);
  }

  // A copy of a test document in the test's own folder.
  fs::path Copy(const wchar_t* name, const wchar_t* as = nullptr) {
    const fs::path target = folder_.Path() / (as != nullptr ? as : name);
    fs::copy_file(corpus_ / name, target, fs::copy_options::overwrite_existing);
    // The corpus is read-only; a copy to work on is not.
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
    return target;
  }

  ComApartment apartment_;
  fs::path corpus_;
  TempFolder folder_;
};

// --- replace all, and what each Quit leaves on disk ---

struct QuitCase {
  const char* what;
  std::vector<ComArg> quitArgs;
  bool quitSucceeds;
  bool fileChanges;
};

TEST_F(StandInTest, ReplaceAllThenQuitSavesOrDiscardsAsAsked) {
  const QuitCase cases[] = {
      {"save changes, original format", {-1, 1}, true, true},
      {"save changes", {-1}, true, true},
      {"do not save changes", {0}, true, false},
      {"left out: would prompt", {}, false, false},
      {"prompt to save changes", {-2}, false, false},
      {"save, but prompt for the format", {-1, 2}, false, false},
  };
  for (const QuitCase& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path file = Copy(kSample);
    const std::string before = Bytes(file);
    Session s;
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Open(file)) << testing::PrintToString(s.documents.LastError().description);
    ASSERT_TRUE(s.Execute(L"Lorem", true, L"Velmora", 2));
    EXPECT_EQ(ComObject::CallMethodWith(s.app, L"Quit", c.quitArgs), c.quitSucceeds)
        << testing::PrintToString(s.app.LastError().description) << " " << std::hex << s.app.LastError().hr;
    if (!c.quitSucceeds) {
      EXPECT_EQ(s.app.LastError().hr, DISP_E_EXCEPTION);
      EXPECT_FALSE(s.app.LastError().description.empty());
      EXPECT_TRUE(s.Quit(0));
    }
    s.Release();
    ASSERT_TRUE(NoStandInLeft());
    EXPECT_EQ(Bytes(file) != before, c.fileChanges);

    if (c.fileChanges) {
      Session check;
      ASSERT_TRUE(check.Start());
      ASSERT_TRUE(check.Open(file));
      EXPECT_EQ(check.Found(L"Velmora ipsum dolor", true), true);
      EXPECT_EQ(check.Found(L"Lorem", false), false);
      EXPECT_TRUE(check.Quit(0));
      check.Release();
      ASSERT_TRUE(NoStandInLeft());
    }
  }
}

TEST_F(StandInTest, ExecuteReportsWhetherItFoundAndHonoursMatchCase) {
  const struct {
    const wchar_t* findText;
    bool matchCase;
    bool found;
  } cases[] = {
      {L"Lorem", true, true},  {L"lorem", true, false},   {L"lorem", false, true},
      {L"LOREM", false, true}, {L"absent", false, false}, {L"ipsum dolor", true, true},
  };
  const fs::path file = Copy(kSample);
  Session s;
  ASSERT_TRUE(s.Start());
  ASSERT_TRUE(s.Open(file));
  for (const auto& c : cases) {
    EXPECT_EQ(s.Found(c.findText, c.matchCase), c.found) << testing::PrintToString(std::wstring(c.findText));
  }
  // Nothing was replaced, so saving changes leaves the file as it was.
  const std::string before = Bytes(file);
  EXPECT_TRUE(s.Quit(-1));
  s.Release();
  ASSERT_TRUE(NoStandInLeft());
  EXPECT_EQ(Bytes(file), before);
}

// --- the engine's rules, as errors of the server ---

TEST_F(StandInTest, ExecuteErrorsCarryTheServersWords) {
  const struct {
    const char* what;
    std::wstring findText;
    std::wstring replaceWith;
    const wchar_t* words;  // part of the description
  } cases[] = {
      {"find text of 256", std::wstring(256, L'a'), L"b", L"String parameter too long"},
      {"replacement of 256", L"Lorem", std::wstring(256, L'b'), L"String parameter too long"},
      {"unknown caret code", L"Lorem^x", L"b", L""},
  };
  const fs::path file = Copy(kSample);
  Session s;
  ASSERT_TRUE(s.Start());
  ASSERT_TRUE(s.Open(file));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(s.Execute(c.findText, true, c.replaceWith, 2));
    EXPECT_EQ(s.find.LastError().hr, DISP_E_EXCEPTION);
    EXPECT_FALSE(s.find.LastError().description.empty());
    EXPECT_NE(s.find.LastError().description.find(c.words), std::wstring::npos)
        << testing::PrintToString(s.find.LastError().description);
  }
  // At the limit the call goes through.
  EXPECT_TRUE(s.Execute(std::wstring(255, L'a'), true, std::wstring(255, L'b'), 2));
  EXPECT_TRUE(s.Quit(0));
  s.Release();
}

TEST_F(StandInTest, CaretCodesReachTheEngine) {
  const fs::path file = Copy(kSample);
  Session s;
  ASSERT_TRUE(s.Start());
  ASSERT_TRUE(s.Open(file));
  ASSERT_TRUE(s.Execute(L"ipsum", true, L"a^^b", 2));
  EXPECT_EQ(s.Found(L"Lorem a^^b dolor", true), true);  // "^^" is one caret in the text
  EXPECT_EQ(s.Found(L"a^^^^b", true), false);
  EXPECT_TRUE(s.Quit(0));
  s.Release();
}

TEST_F(StandInTest, OptionsTheStandInDoesNotHaveAreRefused) {
  const fs::path file = Copy(kSample);
  Session s;
  ASSERT_TRUE(s.Start());
  ASSERT_TRUE(s.Open(file));
  for (int option = 3; option <= 5; ++option) {  // MatchWildcards, MatchSoundsLike, MatchAllWordForms
    std::vector<ComArg> args = {L"Lorem", true, false, false, false, false, true, 1, false, L"x", 2};
    args[static_cast<std::size_t>(option)] = true;
    EXPECT_FALSE(ComObject::CallMethodWith(s.find, L"Execute", args));
    EXPECT_NE(s.find.LastError().description.find(L"not supported"), std::wstring::npos);
  }
  EXPECT_TRUE(s.Quit(0));
  s.Release();
}

// --- opening ---

TEST_F(StandInTest, DocumentsThatCannotBeOpenedFailWithAReason) {
  const fs::path textFile = folder_.Path() / L"text.docx";
  std::ofstream(textFile, std::ios::binary) << "plain text, not a package";
  const fs::path truncated = folder_.Path() / L"truncated.docx";
  const std::string whole = Bytes(corpus_ / kSample);
  std::ofstream(truncated, std::ios::binary) << whole.substr(0, whole.size() / 2);
  const struct {
    const char* what;
    std::wstring path;
  } cases[] = {
      {"missing file", (folder_.Path() / L"missing.docx").wstring()},
      {"text renamed .docx", textFile.wstring()},
      {"truncated package", truncated.wstring()},
      {"binary .doc", Copy(kSample, L"old.doc").wstring()},
      {"empty name", L""},
  };
  Session s;
  ASSERT_TRUE(s.Start());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(ComObject::CallObjectMethod(s.documents, L"Open", c.path).Empty());
    EXPECT_EQ(s.documents.LastError().hr, DISP_E_EXCEPTION);
    EXPECT_FALSE(s.documents.LastError().description.empty());
  }
  EXPECT_TRUE(ComObject::ReadObjectProperty(s.app, L"ActiveDocument").Empty());
  EXPECT_TRUE(s.Quit(0));
  s.Release();
}

// Two references name the same object when their IUnknowns are the same.
bool SameObject(const ComObject& a, const ComObject& b) {
  IUnknown* ua = nullptr;
  IUnknown* ub = nullptr;
  if (a.Empty() || b.Empty()) return false;
  a.Get()->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&ua));
  b.Get()->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&ub));
  const bool same = ua != nullptr && ua == ub;
  if (ua != nullptr) ua->Release();
  if (ub != nullptr) ub->Release();
  return same;
}

TEST_F(StandInTest, ActiveDocumentIsTheOneLastOpenedAndAPathOpensOnce) {
  const fs::path first = Copy(kSample, L"first.docx");
  const fs::path second = Copy(kSample, L"second.docx");
  Session s;
  ASSERT_TRUE(s.Start());
  EXPECT_TRUE(ComObject::ReadObjectProperty(s.app, L"ActiveDocument").Empty());
  EXPECT_EQ(s.app.LastError().hr, DISP_E_EXCEPTION);

  const ComObject a = ComObject::CallObjectMethod(s.documents, L"open", first.wstring());
  EXPECT_TRUE(SameObject(ComObject::ReadObjectProperty(s.app, L"activedocument"), a));
  const ComObject b = ComObject::CallObjectMethod(s.documents, L"OPEN", second.wstring());
  EXPECT_TRUE(SameObject(ComObject::ReadObjectProperty(s.app, L"ActiveDocument"), b));
  EXPECT_FALSE(SameObject(a, b));
  const ComObject again = ComObject::CallObjectMethod(s.documents, L"Open", first.wstring());
  EXPECT_TRUE(SameObject(again, a));
  EXPECT_TRUE(SameObject(ComObject::ReadObjectProperty(s.app, L"ActiveDocument"), a));
  EXPECT_TRUE(s.Quit(0));
}

TEST_F(StandInTest, AReadOnlyDocumentIsNotSavedAndQuitSaysWhich) {
  const fs::path file = Copy(kSample, L"kept.docx");
  const std::string before = Bytes(file);
  Session s;
  ASSERT_TRUE(s.Start());
  ASSERT_TRUE(s.Open(file, /*readOnly=*/true));
  ASSERT_TRUE(s.Execute(L"Lorem", true, L"Velmora", 2));
  EXPECT_FALSE(s.Quit(-1));
  EXPECT_NE(s.app.LastError().description.find(L"kept.docx"), std::wstring::npos)
      << testing::PrintToString(s.app.LastError().description);
  EXPECT_TRUE(s.Quit(0));
  s.Release();
  ASSERT_TRUE(NoStandInLeft());
  EXPECT_EQ(Bytes(file), before);
}

TEST_F(StandInTest, AFailedSaveStopsQuitAndEarlierDocumentsStaySaved) {
  const fs::path writable = Copy(kSample, L"writable.docx");
  const fs::path locked = Copy(kSample, L"locked.docx");
  const std::string before = Bytes(locked);
  Session s;
  ASSERT_TRUE(s.Start());
  ASSERT_TRUE(s.Open(writable));
  ASSERT_TRUE(s.Execute(L"Lorem", true, L"Velmora", 2));
  ASSERT_TRUE(s.Open(locked));
  ASSERT_TRUE(s.Execute(L"Lorem", true, L"Velmora", 2));
  fs::permissions(locked, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_FALSE(s.Quit(-1));
  EXPECT_NE(s.app.LastError().description.find(L"locked.docx"), std::wstring::npos)
      << testing::PrintToString(s.app.LastError().description);
  EXPECT_TRUE(s.Quit(0));
  s.Release();
  ASSERT_TRUE(NoStandInLeft());
  EXPECT_NE(Bytes(writable), Bytes(corpus_ / kSample));
  EXPECT_EQ(Bytes(locked), before);
}

// --- members and arguments ---

TEST_F(StandInTest, MembersTheServerLacksGiveNothing) {
  Session s;
  ASSERT_TRUE(s.Start());
  EXPECT_TRUE(ComObject::ReadObjectProperty(s.app, L"Visible").Empty());
  EXPECT_EQ(s.app.LastError().hr, DISP_E_UNKNOWNNAME);
  EXPECT_FALSE(ComObject::CallMethod(s.documents, L"Close"));
  EXPECT_EQ(s.documents.LastError().hr, DISP_E_UNKNOWNNAME);
  EXPECT_TRUE(s.Quit(0));
}

TEST_F(StandInTest, ArgumentsByReferenceAndAsNumbersAreAccepted) {
  const fs::path file = Copy(kSample);
  Session s;
  ASSERT_TRUE(s.Start());
  ASSERT_TRUE(s.Open(file));
  // Execute("Lorem", MatchCase:=1 as VT_I2, ..., ReplaceWith:=byref "X", Replace:=byref 2), as a
  // script host passes its variables.
  VARIANT findText, replaceWith, replace;
  findText.vt = VT_BSTR;
  findText.bstrVal = SysAllocString(L"Lorem");
  replaceWith.vt = VT_BSTR;
  replaceWith.bstrVal = SysAllocString(L"X");
  replace.vt = VT_I4;
  replace.lVal = 2;
  VARIANT args[11];
  for (VARIANT& a : args) {
    a.vt = VT_ERROR;
    a.scode = DISP_E_PARAMNOTFOUND;
  }
  auto at = [&](int position) -> VARIANT& { return args[10 - position]; };
  at(0).vt = VT_BYREF | VT_VARIANT;
  at(0).pvarVal = &findText;
  at(1).vt = VT_I2;
  at(1).iVal = 1;
  at(9).vt = VT_BYREF | VT_VARIANT;
  at(9).pvarVal = &replaceWith;
  at(10).vt = VT_BYREF | VT_I4;
  at(10).plVal = &replace.lVal;
  LPOLESTR name = const_cast<LPOLESTR>(L"Execute");
  DISPID id = 0;
  ASSERT_EQ(s.find.Get()->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  DISPPARAMS params{args, nullptr, 11, 0};
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(s.find.Get()->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                                 nullptr, nullptr),
            S_OK);
  EXPECT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);
  VariantClear(&result);
  VariantClear(&findText);
  VariantClear(&replaceWith);
  EXPECT_EQ(s.Found(L"X ipsum", true), true);
  EXPECT_TRUE(s.Quit(0));
}

// --- the server process ---

TEST_F(StandInTest, EachCreateStartsAProcessOfItsOwn) {
  Session a, b;
  ASSERT_TRUE(a.Start());
  ASSERT_TRUE(b.Start());
  EXPECT_EQ(StandInProcesses().size(), 2u);
  EXPECT_TRUE(a.Quit(0));
  EXPECT_TRUE(b.Quit(0));
}

TEST_F(StandInTest, CreateIntoAHeldReferenceGivesUpTheOldObject) {
  ComObject ref;
  ASSERT_TRUE(ComObject::Create(ref, L"Word.Application"));
  // The first server has no other client: giving it up ends its process.
  ASSERT_TRUE(ComObject::Create(ref, L"Word.Application"));
  ASSERT_TRUE(ComObject::CallMethod(ref, L"Quit", 0));
}

TEST_F(StandInTest, TheProcessEndsWhenItsLastReferenceIsReleased) {
  const fs::path file = Copy(kSample);
  const std::string before = Bytes(file);
  {
    Session s;
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Open(file));
    ASSERT_TRUE(s.Execute(L"Lorem", true, L"Velmora", 2));
    ComObject::Clear(s.app);  // the document and its range still hold the process
    ComObject::Clear(s.documents);
    EXPECT_EQ(StandInProcesses().size(), 1u);
    EXPECT_EQ(s.Found(L"Velmora", true), true);
  }
  EXPECT_TRUE(NoStandInLeft());
  EXPECT_EQ(Bytes(file), before);  // nothing asked to save
}

TEST_F(StandInTest, AfterQuitTheProcessEndsEvenWhileReferencesAreHeld) {
  Session s;
  ASSERT_TRUE(s.Start());
  ASSERT_TRUE(s.Quit(0));
  EXPECT_TRUE(NoStandInLeft());
  // The references now lead nowhere; using them fails without hanging.
  EXPECT_TRUE(ComObject::ReadObjectProperty(s.app, L"Documents").Empty());
  EXPECT_TRUE(FAILED(s.app.LastError().hr));
}

// --- faults on demand ---

TEST_F(StandInTest, InjectedFailuresAndRefusals) {
  const fs::path file = Copy(kSample);
  {
    const FaultSetting fault(L"fail:Execute:2");
    Session s;
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Open(file));
    EXPECT_TRUE(s.Execute(L"Lorem", true, L"A", 2));
    EXPECT_FALSE(s.Execute(L"ipsum", true, L"B", 2));
    EXPECT_EQ(s.find.LastError().hr, DISP_E_EXCEPTION);
    EXPECT_NE(s.find.LastError().description.find(L"injected"), std::wstring::npos);
    EXPECT_TRUE(s.Execute(L"dolor", true, L"C", 2));
    EXPECT_TRUE(s.Quit(0));
  }
  {
    const FaultSetting fault(L"reject:Execute:1:2");
    Session s;
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Open(file));
    for (int call = 1; call <= 2; ++call) {
      EXPECT_FALSE(s.Execute(L"Lorem", true, L"A", 2));
      EXPECT_EQ(s.find.LastError().hr, RPC_E_CALL_REJECTED);
    }
    EXPECT_TRUE(s.Execute(L"Lorem", true, L"A", 2));
    EXPECT_TRUE(s.Quit(0));
  }
  {
    const FaultSetting fault(L"not a fault");
    Session s;
    ASSERT_TRUE(ComObject::Create(s.app, L"Word.Application"));
    EXPECT_TRUE(ComObject::ReadObjectProperty(s.app, L"Documents").Empty());
    EXPECT_NE(s.app.LastError().description.find(L"malformed"), std::wstring::npos);
    EXPECT_FALSE(s.Quit(0));
  }  // released: the process ends anyway
}

TEST_F(StandInTest, InjectedCrashesEndTheProcess) {
  const fs::path file = Copy(kSample);
  for (const wchar_t* setting : {L"exit:Open:1", L"stall:Open:1:1"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(setting)));
    const FaultSetting fault(setting);
    Session s;
    ASSERT_TRUE(s.Start());
    EXPECT_FALSE(s.Open(file));
    EXPECT_TRUE(FAILED(s.documents.LastError().hr));
    EXPECT_NE(s.documents.LastError().hr, DISP_E_EXCEPTION);
    EXPECT_TRUE(NoStandInLeft());
  }
}

}  // namespace
}  // namespace velmora
