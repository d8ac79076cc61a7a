#include "objects.h"

#include <filesystem>
#include <optional>
#include <variant>

#include "docx_find.h"

namespace standin {

namespace {

// BSTR texts and the engine's texts are the same UTF-16 units; only the element type differs.
std::u16string ToEngine(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}
std::wstring FromEngine(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

void PutTruth(VARIANT& result, bool value) {
  result.vt = VT_BOOL;
  result.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

std::wstring FullPath(const std::wstring& path) {
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD written = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (written == 0 || written >= needed) return path;
  full.resize(written);
  return full;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

// The word processor opens no document whose full path is longer than this, whatever the file system
// allows.
constexpr std::size_t kLongestPath = MAX_PATH - 1;

bool HasDocxExtension(const std::wstring& path) {
  const std::wstring extension = std::filesystem::path(path).extension().wstring();
  return SamePath(extension, L".docx");
}

// Whether the find text occurs in the main text, without changing anything. Paragraph texts show
// objects that no find text matches (line and page breaks, pictures, ...) as characters of their own.
bool Occurs(const docx::Document& document, const docx::FindRequest& request) {
  auto compiled = docx::CompileFind(request);
  if (auto* error = std::get_if<docx::Error>(&compiled)) Fail(FromEngine(error->message));
  const auto& find = std::get<docx::CompiledFind>(compiled);
  for (const std::u16string& paragraph : document.ParagraphTexts()) {
    std::vector<char32_t> units;
    units.reserve(paragraph.size());
    for (char16_t c : paragraph) {
      const bool object = c == u'\v' || c == u'\f' || c == u'\uFFFC';
      units.push_back(object ? docx::kBarrier : static_cast<char32_t>(c));
    }
    if (!docx::FindMatches(find, units).empty()) return true;
  }
  return false;
}

}  // namespace

// --- Find ---

namespace {
enum FindMember : DISPID { kExecute = 1 };
constexpr MemberInfo kFindMembers[] = {{kExecute, L"Execute", 15}};
}  // namespace

FindObject::FindObject(std::shared_ptr<OpenDocument> document)
    : DispatchObject(kFindMembers), document_(std::move(document)) {}

void FindObject::Call(DISPID id, const CallArgs& args, VARIANT& result) {
  switch (id) {
    case kExecute:
      PutTruth(result, Execute(args));
      return;
  }
  throw CallFailure{DISP_E_MEMBERNOTFOUND, {}};
}

bool FindObject::Execute(const CallArgs& args) {
  docx::FindRequest request;
  request.findText = ToEngine(args.Text(0, L""));
  request.matchCase = args.Truth(1, false);
  request.matchWholeWord = args.Truth(2, false);
  static const wchar_t* const kUnsupported[] = {L"MatchWildcards", L"MatchSoundsLike", L"MatchAllWordForms"};
  for (std::size_t i = 0; i < 3; ++i) {
    if (args.Truth(3 + i, false)) Fail(std::wstring(kUnsupported[i]) + L" is not supported by the stand-in");
  }
  // Forward, Wrap and Format do not change what Replace All over a whole range does.
  args.Truth(6, true);
  args.Number(7, 0);
  args.Truth(8, false);
  request.replaceWith = ToEngine(args.Text(9, L""));
  const std::int32_t replace = args.Number(10, kReplaceNone);

  switch (replace) {
    case kReplaceAll: {
      auto outcome = document_->content.ReplaceAll(request);
      if (auto* error = std::get_if<docx::Error>(&outcome)) Fail(FromEngine(error->message));
      return std::get<std::size_t>(outcome) > 0;
    }
    case kReplaceNone:
      return Occurs(document_->content, request);
    case kReplaceOne:
      Fail(L"Replace = wdReplaceOne is not supported by the stand-in");
    default:
      Fail(L"The Replace argument must be wdReplaceNone (0), wdReplaceOne (1) or wdReplaceAll (2)");
  }
}

// --- Range ---

namespace {
enum RangeMember : DISPID { kFind = 1 };
constexpr MemberInfo kRangeMembers[] = {{kFind, L"Find", 0}};
}  // namespace

RangeObject::RangeObject(std::shared_ptr<OpenDocument> document)
    : DispatchObject(kRangeMembers), document_(std::move(document)) {}

void RangeObject::Call(DISPID id, const CallArgs&, VARIANT& result) {
  switch (id) {
    case kFind:
      if (!find_) find_ = MakeRef<FindObject>(document_);
      find_.ToVariant(result);
      return;
  }
  throw CallFailure{DISP_E_MEMBERNOTFOUND, {}};
}

// --- Document ---

namespace {
enum DocumentMember : DISPID { kContent = 1 };
constexpr MemberInfo kDocumentMembers[] = {{kContent, L"Content", 0}};
}  // namespace

DocumentObject::DocumentObject(std::shared_ptr<OpenDocument> document)
    : DispatchObject(kDocumentMembers), document_(std::move(document)) {}

void DocumentObject::Call(DISPID id, const CallArgs&, VARIANT& result) {
  switch (id) {
    case kContent:
      // Each read gives a new range over the main text, as the word processor does.
      MakeRef<RangeObject>(document_).ToVariant(result);
      return;
  }
  throw CallFailure{DISP_E_MEMBERNOTFOUND, {}};
}

// --- Documents ---

namespace {
enum DocumentsMember : DISPID { kOpen = 1 };
constexpr MemberInfo kDocumentsMembers[] = {{kOpen, L"Open", 16}};
}  // namespace

DocumentsObject::DocumentsObject() : DispatchObject(kDocumentsMembers) {}

void DocumentsObject::Call(DISPID id, const CallArgs& args, VARIANT& result) {
  switch (id) {
    case kOpen:
      Open(args).ToVariant(result);
      return;
  }
  throw CallFailure{DISP_E_MEMBERNOTFOUND, {}};
}

Ref<DocumentObject> DocumentsObject::Open(const CallArgs& args) {
  const std::wstring given = args.RequiredText(0);
  const bool readOnly = args.Truth(2, false);
  if (given.empty()) Fail(L"Open needs a file name");
  const std::wstring path = FullPath(given);

  for (const auto& open : documents_) {
    if (SamePath(open->Open().path, path)) {
      active_ = open;
      return open;
    }
  }
  if (path.size() > kLongestPath) {
    Fail(L"The file name or path is too long (more than " + std::to_wstring(kLongestPath) +
         L" characters): \"" + path + L"\"");
  }
  if (!HasDocxExtension(path)) {
    Fail(L"The stand-in opens .docx documents only; cannot open \"" + path + L"\"");
  }
  docx::Error error;
  std::optional<docx::Document> content = docx::Document::Open(std::filesystem::path(path), error);
  if (!content) Fail(L"Cannot open \"" + path + L"\": " + FromEngine(error.message));

  auto state = std::make_shared<OpenDocument>(OpenDocument{std::move(*content), path, readOnly});
  auto document = MakeRef<DocumentObject>(std::move(state));
  documents_.push_back(document);
  active_ = document;
  return document;
}

// --- Application ---

namespace {
enum ApplicationMember : DISPID { kDocuments = 1, kActiveDocument, kQuit };
constexpr MemberInfo kApplicationMembers[] = {
    {kDocuments, L"Documents", 0},
    {kActiveDocument, L"ActiveDocument", 0},
    {kQuit, L"Quit", 3},
};
}  // namespace

ApplicationObject::ApplicationObject()
    : DispatchObject(kApplicationMembers), documents_(MakeRef<DocumentsObject>()) {}

void ApplicationObject::Call(DISPID id, const CallArgs& args, VARIANT& result) {
  switch (id) {
    case kDocuments:
      documents_.ToVariant(result);
      return;
    case kActiveDocument:
      if (!documents_->Active()) Fail(L"This command is not available because no document is open.");
      documents_->Active().ToVariant(result);
      return;
    case kQuit:
      Quit(args);
      return;
  }
  throw CallFailure{DISP_E_MEMBERNOTFOUND, {}};
}

void ApplicationObject::Quit(const CallArgs& args) {
  // Left out, SaveChanges means "ask the user", which a server without a user cannot do.
  const std::int32_t saveChanges = args.Number(0, kPromptToSaveChanges);
  const std::int32_t originalFormat = args.Number(1, 1);
  args.Truth(2, false);
  if (saveChanges == kPromptToSaveChanges) {
    Fail(
        L"Quit would ask whether to save changes; the stand-in does not ask: pass SaveChanges "
        L"wdSaveChanges (-1) or wdDoNotSaveChanges (0)");
  }
  if (saveChanges != kSaveChanges && saveChanges != kDoNotSaveChanges) {
    Fail(L"SaveChanges must be wdSaveChanges (-1), wdDoNotSaveChanges (0) or wdPromptToSaveChanges (-2)");
  }
  if (saveChanges == kSaveChanges && originalFormat == kPromptUser) {
    Fail(L"Quit would ask for the format to save in; the stand-in does not ask");
  }
  if (saveChanges == kSaveChanges) {
    // Each changed document in its own place and format; one that cannot be saved stops the Quit, and
    // the ones saved before it stay saved.
    for (const auto& document : documents_->All()) {
      OpenDocument& open = document->Open();
      if (!open.content.Changed()) continue;
      if (open.readOnly) Fail(L"Cannot save \"" + open.path + L"\": it was opened read-only");
      docx::Error error;
      if (!open.content.Save(error))
        Fail(L"Cannot save \"" + open.path + L"\": " + FromEngine(error.message));
    }
  }
  process::RequestEnd();
}

}  // namespace standin
