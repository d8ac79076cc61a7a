// The window side of the replacement run: checks the input, runs it on a thread of its own, shows its
// progress in the window's title, watches for a server that stopped answering, and shows the results.
#include "windows/run_start.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <utility>

#include "app/program.h"
#include "replace/run.h"
#include "windows/results_window.h"

namespace velmora {

namespace {

constexpr UINT kRunProgress = WM_APP + 20;
constexpr UINT kRunFinished = WM_APP + 21;
constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchEveryMs = 1000;
// A server that has not moved on for this long is taken to wait on something no one can see.
constexpr ULONGLONG kStallBoundMs = 60000;
// At program end, how long a run under way may take to finish its batch.
constexpr DWORD kFinishBoundMs = 120000;
constexpr wchar_t kMessageClass[] = L"VelmoraRunMessages";
constexpr wchar_t kNoServerText[] =
    L"无法启动WORD（Word.Application），没有文件被改动。请确认WORD已安装后再试。";

struct Job {
  std::wstring window;  // the name of the window whose run it is
  RunPlan plan;
  std::atomic<bool> stop{false};
  std::atomic<std::size_t> ordinal{0};
  std::atomic<ULONGLONG> lastProgress{0};
  std::vector<DocumentResult> results;  // written by the run's thread before it posts kRunFinished
  OwnedHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::thread thread;
  bool warned = false;
};

std::wstring StalledText(std::size_t ordinal) {
  return L"WORD在处理第" + std::to_wstring(ordinal) +
         L"个文件时停止了响应，可能在等待一个看不见的对话框。该文件及本批文件未被报告为替换完毕。";
}

class RunController {
 public:
  static RunController& Get() {
    static RunController controller;
    return controller;
  }

  bool Busy(std::wstring_view window) const {
    for (const auto& job : jobs_) {
      if (job->window == window) return true;
    }
    return false;
  }

  void Start(std::wstring_view window, RunPlan plan) {
    if (!EnsureMessageWindow()) return;
    auto job = std::make_unique<Job>();
    job->window = window;
    job->plan = std::move(plan);
    job->lastProgress = GetTickCount64();
    Job* j = job.get();
    const HWND messages = messages_.Get();
    jobs_.push_back(std::move(job));
    j->thread = std::thread([j, messages] {
      j->results = CarryOutRun(
          j->plan, RunSettings{},
          [j, messages](std::size_t ordinal) {
            j->ordinal = ordinal;
            j->lastProgress = GetTickCount64();
            PostMessageW(messages, kRunProgress, 0, reinterpret_cast<LPARAM>(j));
          },
          j->stop);
      SetEvent(j->done.Get());
      PostMessageW(messages, kRunFinished, 0, reinterpret_cast<LPARAM>(j));
    });
    SetTimer(messages_.Get(), kWatchTimer, kWatchEveryMs, nullptr);
  }

  void StopAfterBatch(std::wstring_view window) {
    for (const auto& job : jobs_) {
      if (job->window == window) job->stop = true;
    }
  }

  // Program end: every run finishes the batch under way and quits its server.
  void FinishAll() {
    for (const auto& job : jobs_) job->stop = true;
    for (const auto& job : jobs_) {
      if (WaitForSingleObject(job->done.Get(), kFinishBoundMs) == WAIT_OBJECT_0) {
        job->thread.join();
      } else {
        job->thread.detach();  // blocked in a server that does not answer; the process end takes it
      }
    }
    jobs_.clear();
  }

 private:
  RunController() = default;
  ~RunController() = default;

  bool EnsureMessageWindow() {
    if (messages_) return true;
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = &MessageProc;
    wc.hInstance = ProgramInstance();
    wc.lpszClassName = kMessageClass;
    RegisterClassExW(&wc);
    messages_.Reset(CreateWindowExW(0, kMessageClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ProgramInstance(), nullptr));
    return static_cast<bool>(messages_);
  }

  static LRESULT CALLBACK MessageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case kRunProgress:
        Get().OnProgress(reinterpret_cast<Job*>(lp));
        return 0;
      case kRunFinished:
        Get().OnFinished(reinterpret_cast<Job*>(lp));
        return 0;
      case WM_TIMER:
        Get().OnWatch();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }

  bool Known(Job* job) const {
    for (const auto& j : jobs_) {
      if (j.get() == job) return true;
    }
    return false;
  }

  void OnProgress(Job* job) {
    if (!Known(job)) return;
    job->warned = false;
    if (Window* w = FindWindowByName(job->window))
      SetWindowTextW(w->Handle(), ProgressText(job->ordinal).c_str());
  }

  void OnWatch() {
    const ULONGLONG now = GetTickCount64();
    for (const auto& job : jobs_) {
      if (job->warned || now - job->lastProgress < kStallBoundMs) continue;
      job->warned = true;
      if (Window* w = FindWindowByName(job->window))
        SetWindowTextW(w->Handle(), StalledText(job->ordinal).c_str());
    }
    if (jobs_.empty()) KillTimer(messages_.Get(), kWatchTimer);
  }

  void OnFinished(Job* job) {
    if (!Known(job)) return;
    job->thread.join();
    const std::wstring report = ResultsText(job->results);
    if (Window* w = FindWindowByName(job->window)) SetWindowTextW(w->Handle(), CompletionText().c_str());
    // When the word processor could not be started at all, one message says so instead of a line a document.
    const auto notStarted = [](const DocumentResult& r) { return r.outcome == Outcome::kServerNotStarted; };
    const bool noServer = std::any_of(job->results.begin(), job->results.end(), notStarted) &&
                          std::all_of(job->results.begin(), job->results.end(), [&](const DocumentResult& r) {
                            return notStarted(r) || r.outcome == Outcome::kMismatch;
                          });
    const std::wstring window = job->window;
    std::erase_if(jobs_, [job](const auto& j) { return j.get() == job; });  // job is gone from here on
    if (noServer) {
      Window* w = FindWindowByName(window);
      MessageBoxW(w ? w->Handle() : nullptr, kNoServerText, L"Velmora", MB_OK | MB_ICONERROR);
      return;
    }
    static const WindowSpec results{ResultsWindowDesc(), {}};
    if (OpenWindow(results)) {
      if (Window* r = FindWindowByName(kResultsWindow)) r->SetText(kResultsBox, report);
    }
  }

  OwnedWindow messages_;
  std::vector<std::unique_ptr<Job>> jobs_;
};

}  // namespace

void StartRun(Window& window, RunInput input) {
  RunController& runs = RunController::Get();
  if (runs.Busy(window.Name())) {
    MessageBoxW(window.Handle(), L"本窗口的替换正在进行中，请等它完成后再开始。", L"Velmora",
                MB_OK | MB_ICONINFORMATION);
    return;
  }
  auto checked = CheckRun(input);
  if (const CheckFault* fault = std::get_if<CheckFault>(&checked)) {
    MessageBoxW(window.Handle(), fault->request.c_str(), fault->statement.c_str(), MB_OK | MB_ICONWARNING);
    return;
  }
  window.State<RunWindowState>().input = std::move(input);
  runs.Start(window.Name(), std::move(std::get<RunPlan>(checked)));
}

void ForgetRun(Window& window) {
  RunController::Get().StopAfterBatch(window.Name());
  window.State<RunWindowState>().input.reset();
}

void FinishRuns() {
  RunController::Get().FinishAll();
}

}  // namespace velmora
