// The replacement run: carries out a checked plan through the word processor's automation server.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "replace/run_input.h"
#include "replace/texts.h"

namespace velmora {

struct RunSettings {
  std::wstring progId = L"Word.Application";
  std::size_t documentsPerServer = kDocumentsPerServer;
  // How long a busy server's rejected calls are retried before the call is given up.
  unsigned retryRejectedMs = 30000;
};

// Told, on the run's thread, the ordinal of each document before it is handed to the server.
using ProgressFn = std::function<void(std::size_t ordinal)>;

// Carries out `plan` on the calling thread, which initialises COM for itself. Every document gets one
// result, in run order; only a document whose every call succeeded and whose server saved it is
// reported replaced. Each server serves at most `documentsPerServer` documents and is always told to
// quit. When `stop` becomes true the run finishes the batch under way and reports the rest cut short.
std::vector<DocumentResult> CarryOutRun(const RunPlan& plan, const RunSettings& settings,
                                        const ProgressFn& progress, const std::atomic<bool>& stop);

// Why a document may not be handed to the server, checked just before: missing, read-only or in use.
std::optional<Outcome> CheckDocumentFile(const std::wstring& path);

}  // namespace velmora
