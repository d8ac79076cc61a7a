// The stand-in's object model, with the word processor's member names, argument positions and
// conventions: Application -> Documents -> Document -> Content (Range) -> Find.
//
//   Application  Documents, ActiveDocument, Quit(SaveChanges, OriginalFormat, RouteDocument)
//   Documents    Open(FileName, ConfirmConversions, ReadOnly, AddToRecentFiles, ... 16 in all)
//   Document     Content
//   Range        Find
//   Find         Execute(FindText, MatchCase, MatchWholeWord, MatchWildcards, MatchSoundsLike,
//                        MatchAllWordForms, Forward, Wrap, Format, ReplaceWith, Replace, ... 15 in all)
//
// Documents live in memory (docx::Document) until Quit saves or discards them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dispatch.h"
#include "docx_document.h"

namespace standin {

// The word processor's constants this server understands.
inline constexpr std::int32_t kSaveChanges = -1;          // wdSaveChanges
inline constexpr std::int32_t kDoNotSaveChanges = 0;      // wdDoNotSaveChanges
inline constexpr std::int32_t kPromptToSaveChanges = -2;  // wdPromptToSaveChanges
inline constexpr std::int32_t kPromptUser = 2;            // wdPromptUser (OriginalFormat)
inline constexpr std::int32_t kReplaceNone = 0;           // wdReplaceNone
inline constexpr std::int32_t kReplaceOne = 1;            // wdReplaceOne
inline constexpr std::int32_t kReplaceAll = 2;            // wdReplaceAll

// One document opened by Documents.Open.
struct OpenDocument {
  docx::Document content;
  std::wstring path;  // full path, as opened
  bool readOnly = false;
};

class FindObject final : public DispatchObject {
 public:
  explicit FindObject(std::shared_ptr<OpenDocument> document);

 private:
  void Call(DISPID id, const CallArgs& args, VARIANT& result) override;
  bool Execute(const CallArgs& args);

  std::shared_ptr<OpenDocument> document_;
};

class RangeObject final : public DispatchObject {
 public:
  explicit RangeObject(std::shared_ptr<OpenDocument> document);

 private:
  void Call(DISPID id, const CallArgs& args, VARIANT& result) override;

  std::shared_ptr<OpenDocument> document_;
  Ref<FindObject> find_;  // made on first use; the range keeps the same one
};

class DocumentObject final : public DispatchObject {
 public:
  explicit DocumentObject(std::shared_ptr<OpenDocument> document);
  OpenDocument& Open() { return *document_; }

 private:
  void Call(DISPID id, const CallArgs& args, VARIANT& result) override;

  std::shared_ptr<OpenDocument> document_;
};

class DocumentsObject final : public DispatchObject {
 public:
  DocumentsObject();
  // In the order they were opened.
  const std::vector<Ref<DocumentObject>>& All() const { return documents_; }
  // The document last opened (or opened again); empty when none.
  const Ref<DocumentObject>& Active() const { return active_; }

 private:
  void Call(DISPID id, const CallArgs& args, VARIANT& result) override;
  Ref<DocumentObject> Open(const CallArgs& args);

  std::vector<Ref<DocumentObject>> documents_;
  Ref<DocumentObject> active_;
};

class ApplicationObject final : public DispatchObject {
 public:
  ApplicationObject();

 private:
  void Call(DISPID id, const CallArgs& args, VARIANT& result) override;
  void Quit(const CallArgs& args);

  Ref<DocumentsObject> documents_;
};

}  // namespace standin
