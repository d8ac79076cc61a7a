#include "replace/run.h"

#include <windows.h>
// clang-format off
#include <objbase.h>
#include <objidl.h>
// clang-format on

#include <memory>

#include "replace/com_object.h"
#include "replace/find_text.h"

namespace velmora {

namespace {

// Word's constants, by their meaning.
constexpr std::int32_t kSaveChanges = -1;      // Quit: save every changed document
constexpr std::int32_t kDoNotSaveChanges = 0;  // Quit: discard
constexpr std::int32_t kOriginalFormat = 1;    // Quit: each document in its own format
constexpr std::int32_t kFindStop = 0;          // Execute Wrap: stop at the end of the range
constexpr std::int32_t kReplaceAll = 2;        // Execute Replace
// No real document uses this password, so a protected document fails to open instead of prompting.
constexpr wchar_t kNoPassword[] = L"\x1Velmora\x1No\x1Password\x1";

// A busy server rejects calls; retry them for a bounded time, then let the call fail.
class RetryFilter final : public IMessageFilter {
 public:
  explicit RetryFilter(unsigned limitMs) : limitMs_(limitMs) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
      *out = static_cast<IMessageFilter*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the run's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    return SERVERCALL_ISHANDLED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD) override {
    return elapsedMs < limitMs_ ? 100 : static_cast<DWORD>(-1);  // retry after 100 ms, or give up
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }

 private:
  unsigned limitMs_;
};

class FilterRegistration {
 public:
  explicit FilterRegistration(IMessageFilter* filter) {
    ok_ = SUCCEEDED(CoRegisterMessageFilter(filter, &old_));
  }
  ~FilterRegistration() {
    if (ok_) {
      IMessageFilter* ours = nullptr;
      CoRegisterMessageFilter(old_, &ours);
    }
    if (old_) old_->Release();
  }
  FilterRegistration(const FilterRegistration&) = delete;
  FilterRegistration& operator=(const FilterRegistration&) = delete;

 private:
  bool ok_ = false;
  IMessageFilter* old_ = nullptr;
};

// A server that is gone answers every call with one of these.
bool ServerLost(HRESULT hr) {
  return hr == RPC_E_DISCONNECTED || hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
         hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) || hr == RPC_E_SERVER_DIED ||
         hr == RPC_E_SERVER_DIED_DNE || hr == CO_E_SERVER_STOPPING || hr == RPC_E_CALL_REJECTED;
}

enum class DocState { Pending, Changed, Failed };

struct BatchDoc {
  std::size_t index;  // into the plan
  DocState state = DocState::Pending;
  std::optional<Outcome> outcome;  // a final outcome known before the batch ends
};

// Applies every pair of one opened document. False when any call failed.
bool ReplaceInDocument(const ComObject& document, const PlannedDocument& planned, HRESULT& failure) {
  // Every Content is a Range and every Range's Find a Find: their member names are looked up once.
  const auto rangeIds = std::make_shared<MemberIds>();
  const auto findIds = std::make_shared<MemberIds>();
  for (const ReplacePair& pair : planned.pairs) {
    for (const ExecuteCall& call : PlanExecutes(pair.find, pair.replace)) {
      // A fresh range for every call: a range's find object keeps the state of its last search.
      ComObject content = ComObject::ReadObjectProperty(document, L"Content");
      content.ShareMemberIds(rangeIds);
      ComObject find = ComObject::ReadObjectProperty(content, L"Find");
      find.ShareMemberIds(findIds);
      const bool ok = ComObject::CallMethod(
          find, L"Execute", call.findText, true /*MatchCase*/, false /*MatchWholeWord*/,
          false /*MatchWildcards*/, false /*MatchSoundsLike*/, false /*MatchAllWordForms*/, true /*Forward*/,
          kFindStop, false /*Format*/, call.replaceWith, kReplaceAll);
      if (!ok) {
        failure = !find ? (!content ? document.LastError().hr : content.LastError().hr) : find.LastError().hr;
        if (failure == S_OK) failure = E_FAIL;
        return false;
      }
    }
  }
  return true;
}

}  // namespace

std::optional<Outcome> CheckDocumentFile(const std::wstring& path) {
  // A path past MAX_PATH is checked in the form that reaches it; whether the word processor can open it
  // is for the word processor to say.
  const std::wstring checked = ExtendedLengthPath(path);
  const DWORD attributes = GetFileAttributesW(checked.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // A name too long to look up, or no right to look, says nothing of whether the file is there: the
    // word processor tells what it makes of it.
    const DWORD error = GetLastError();
    if (error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_ACCESS_DENIED) return std::nullopt;
    return Outcome::kMissing;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Outcome::kMissing;
  if (attributes & FILE_ATTRIBUTE_READONLY) return Outcome::kReadOnly;
  // Open for writing with no sharing: fails while another program has the file open.
  HANDLE h =
      CreateFileW(checked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED) return Outcome::kReadOnly;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Outcome::kMissing;
    return Outcome::kInUse;
  }
  CloseHandle(h);
  return std::nullopt;
}

std::vector<DocumentResult> CarryOutRun(const RunPlan& plan, const RunSettings& settings,
                                        const ProgressFn& progress, const std::atomic<bool>& stop) {
  std::vector<DocumentResult> results;
  for (const PlannedDocument& d : plan.documents) {
    results.push_back({d.path, d.skipped.value_or(Outcome::kCutShort)});
  }
  ComApartment apartment;
  if (!apartment.Ok()) {
    for (std::size_t i = 0; i < results.size(); ++i) {
      if (!plan.documents[i].skipped) results[i].outcome = Outcome::kServerNotStarted;
    }
    return results;
  }
  RetryFilter filter(settings.retryRejectedMs);
  FilterRegistration registration(&filter);

  std::vector<std::vector<std::size_t>> batches = ServerBatches(plan, settings.documentsPerServer);
  for (std::size_t b = 0; b < batches.size(); ++b) {
    if (stop) break;  // the rest stay cut short
    ComObject application;
    if (!ComObject::Create(application, settings.progId)) {
      for (std::size_t i : batches[b]) results[i].outcome = Outcome::kServerNotStarted;
      continue;
    }
    const ComObject documents = ComObject::ReadObjectProperty(application, L"Documents");
    std::vector<BatchDoc> batch;
    bool lost = false;
    bool partial = false;  // a document was changed and then a replacement failed
    for (std::size_t i : batches[b]) {
      BatchDoc doc{i};
      const PlannedDocument& planned = plan.documents[i];
      if (lost) {
        doc.state = DocState::Failed;
        doc.outcome = Outcome::kCutShort;
        batch.push_back(doc);
        continue;
      }
      if (progress) progress(planned.ordinal);
      if (const std::optional<Outcome> file = CheckDocumentFile(planned.path)) {
        doc.state = DocState::Failed;
        doc.outcome = *file;
        batch.push_back(doc);
        continue;
      }
      const ComObject opened =
          ComObject::CallObjectMethod(documents, L"open", planned.path, false /*Confirm*/, false /*ReadOnly*/,
                                      false /*AddToRecentFiles*/, std::wstring(kNoPassword));
      if (!opened) {
        const HRESULT hr = documents ? documents.LastError().hr : application.LastError().hr;
        lost = ServerLost(hr);
        doc.state = DocState::Failed;
        doc.outcome = lost ? Outcome::kServerNotResponding : Outcome::kOpenFailed;
        batch.push_back(doc);
        continue;
      }
      HRESULT failure = S_OK;
      if (ReplaceInDocument(opened, planned, failure)) {
        doc.state = DocState::Changed;
      } else {
        lost = ServerLost(failure);
        doc.state = DocState::Failed;
        doc.outcome = lost ? Outcome::kServerNotResponding : Outcome::kReplaceFailed;
        partial = !lost;
      }
      batch.push_back(doc);
    }

    if (lost) {
      // Nothing of this batch was saved: the server saves only when told to quit.
      ComObject::CallMethod(application, L"Quit", kDoNotSaveChanges);
      for (BatchDoc& d : batch) {
        results[d.index].outcome = d.outcome.value_or(Outcome::kServerNotResponding);
      }
      continue;
    }
    if (partial) {
      // A document holds part of its replacements: discard the whole batch, so that it is never saved
      // half-replaced, and give its good documents to a fresh server.
      const bool discarded = ComObject::CallMethod(application, L"Quit", kDoNotSaveChanges);
      std::vector<std::size_t> again;
      for (BatchDoc& d : batch) {
        if (d.state == DocState::Changed && discarded) {
          again.push_back(d.index);
        } else {
          results[d.index].outcome = d.outcome.value_or(Outcome::kSaveFailed);
        }
      }
      if (!again.empty()) batches.insert(batches.begin() + static_cast<std::ptrdiff_t>(b) + 1, again);
      continue;
    }
    const bool saved = ComObject::CallMethod(application, L"Quit", kSaveChanges, kOriginalFormat);
    for (BatchDoc& d : batch) {
      results[d.index].outcome = d.outcome.value_or(
          d.state == DocState::Changed && saved ? Outcome::kReplaced : Outcome::kSaveFailed);
    }
  }
  return results;
}

}  // namespace velmora
