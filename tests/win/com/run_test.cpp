// The replacement run over real documents through the stand-in server: what each document ends up as,
// and what the run says of it.
#include "replace/run.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>

#include "docx_document.h"
#include "docx_zip.h"
#include "standin_support.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using namespace testing_support;

constexpr wchar_t kSample[] = L"test.docx";  // "python-docx was here!", "python-docx was here too!"

std::vector<std::u16string> Paragraphs(const fs::path& file) {
  docx::Error error;
  std::optional<docx::Document> d = docx::Document::Open(file, error);
  if (!d) return {};
  return d->ParagraphTexts();
}

std::u16string U16(const std::wstring& w) {
  return std::u16string(w.begin(), w.end());
}

class RunTest : public ::testing::Test {
 protected:
  fs::path Copy(const std::wstring& name) {
    const fs::path to = folder_.Path() / name;
    fs::copy_file(fs::path(FromEnvironment(L"VELMORA_CORPUS")) / kSample, to);
    fs::permissions(to, fs::perms::owner_write, fs::perm_options::add);
    return to;
  }
  fs::path Write(const std::wstring& name, const std::string& bytes) {
    const fs::path to = folder_.Path() / name;
    std::ofstream(to, std::ios::binary) << bytes;
    return to;
  }
  static RunPlan ModeOne(const std::vector<fs::path>& files, const std::wstring& find,
                         const std::wstring& replace) {
    RunInput input;
    for (const fs::path& f : files) input.documents.push_back(f.wstring());
    input.findBox = find;
    input.replaceBox = replace;
    auto checked = CheckRun(input);
    EXPECT_TRUE(std::holds_alternative<RunPlan>(checked));
    return std::get<RunPlan>(checked);
  }
  std::vector<DocumentResult> Run(const RunPlan& plan, RunSettings settings = {}) {
    std::atomic<bool> stop{false};
    std::vector<std::size_t> seen;
    auto results = CarryOutRun(
        plan, settings, [&](std::size_t n) { seen.push_back(n); }, stop);
    EXPECT_TRUE(NoStandInLeft()) << "a server process was left behind";
    return results;
  }
  static std::vector<Outcome> Outcomes(const std::vector<DocumentResult>& results) {
    std::vector<Outcome> o;
    for (const auto& r : results) o.push_back(r.outcome);
    return o;
  }

  ComApartment apartment_;
  TempFolder folder_;
};

TEST_F(RunTest, EveryPairReachesEveryDocumentExactlyAsTyped) {
  const std::wstring longText(300, L'长');
  std::vector<fs::path> files{Copy(L"a.docx"), Copy(L"空格 名字.docx"), Copy(L"c.docx")};
  // "was here too!" before "was here!": pairs apply in line order.
  const RunPlan plan =
      ModeOne(files, L"here too\r\npython-docx\r\n!\r\nwas ", L"这里^也\r\n" + longText + L"\r\n\r\nwas  ");
  const auto results = Run(plan);
  EXPECT_EQ(Outcomes(results), std::vector<Outcome>(3, Outcome::kReplaced));
  for (const fs::path& f : files) {
    EXPECT_EQ(Paragraphs(f),
              (std::vector<std::u16string>{U16(longText + L" was  here"), U16(longText + L" was  这里^也")}))
        << f;
  }
}

// A copy of the sample package with its main part replaced by `mainPart(old main part)`.
std::string WithMainPart(const std::string& package,
                         const std::function<std::string(const std::string&)>& mainPart) {
  docx::Error error;
  const std::optional<docx::zip::Archive> archive = docx::zip::ReadArchive(package, error);
  if (!archive) return {};
  const docx::zip::Entry* entry = docx::zip::FindEntry(*archive, "word/document.xml");
  if (entry == nullptr) return {};
  std::size_t budget = docx::zip::kMaxInflatedBytes;
  const std::optional<std::string> old = docx::zip::Extract(package, *entry, budget, error);
  if (!old) return {};
  return docx::zip::WriteArchive(package, *archive, entry, mainPart(*old));
}

// Each kind of bad document among good ones: every bad one is reported with its own outcome and left byte
// for byte as it was, every good one is replaced, whatever comes before it.
TEST_F(RunTest, BadDocumentsAreReportedAndLeftAsTheyWere) {
  const std::string sample = Bytes(Copy(L"sample.docx"));
  // Long enough that the whole path is past what the word processor opens (259 characters).
  fs::path deep = folder_.Path();
  while (deep.wstring().size() < 280) deep /= std::wstring(40, L'd');
  fs::create_directories(deep);

  struct Bad {
    fs::path path;
    std::optional<std::string> bytes;  // none: no file
    Outcome outcome;
  };
  const std::vector<Bad> bads = {
      {folder_.Path() / L"missing.docx", std::nullopt, Outcome::kMissing},
      {folder_.Path() / L"empty.docx", "", Outcome::kOpenFailed},
      {folder_.Path() / L"notes.docx", "Plain text, renamed.\r\nhere\r\n", Outcome::kOpenFailed},
      {folder_.Path() / L"truncated.docx", sample.substr(0, sample.size() / 2), Outcome::kOpenFailed},
      // 64 MiB of spaces after the XML declaration: well-formed, but inflates more than 500 to 1.
      {folder_.Path() / L"bomb.docx",
       WithMainPart(sample,
                    [](const std::string& xml) {
                      const std::size_t body = xml.find("?>") + 2;
                      return xml.substr(0, body) + std::string(std::size_t{64} << 20, ' ') + xml.substr(body);
                    }),
       Outcome::kOpenFailed},
      {folder_.Path() / L"malformed.docx",
       WithMainPart(sample, [](const std::string& xml) { return xml.substr(0, xml.size() - 30); }),
       Outcome::kOpenFailed},
      // A password-protected document is an OLE compound file, not a zip package.
      {folder_.Path() / L"protected.docx",
       std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(4096 - 8, '\0'),
       Outcome::kOpenFailed},
      {deep / L"here.docx", sample, Outcome::kOpenFailed},
      {deep / L"missing.docx", std::nullopt, Outcome::kMissing},
      {deep / L"readonly.docx", sample, Outcome::kReadOnly},
      {folder_.Path() / L"readonly.docx", sample, Outcome::kReadOnly},
      {folder_.Path() / L"locked.docx", sample, Outcome::kInUse},
  };
  const auto named = [&](const wchar_t* name) -> const Bad& {
    return *std::find_if(bads.begin(), bads.end(), [&](const Bad& b) { return b.path.filename() == name; });
  };
  ASSERT_FALSE(named(L"bomb.docx").bytes->empty());
  ASSERT_FALSE(named(L"malformed.docx").bytes->empty());
  for (const Bad& bad : bads) {
    if (bad.bytes) std::ofstream(bad.path, std::ios::binary) << *bad.bytes;
  }
  ASSERT_GT(named(L"here.docx").path.wstring().size(), 259u);
  ASSERT_TRUE(fs::exists(named(L"here.docx").path));
  for (const Bad& bad : bads) {
    if (bad.path.filename() == L"readonly.docx")
      SetFileAttributesW(bad.path.c_str(), FILE_ATTRIBUTE_READONLY);
  }

  // A good document before and after each bad one.
  std::vector<fs::path> files{Copy(L"好 文件 0.docx")};
  std::vector<Outcome> expected{Outcome::kReplaced};
  for (std::size_t i = 0; i < bads.size(); ++i) {
    files.push_back(bads[i].path);
    expected.push_back(bads[i].outcome);
    files.push_back(Copy(L"好 文件 " + std::to_wstring(i + 1) + L".docx"));
    expected.push_back(Outcome::kReplaced);
  }
  RunSettings settings;
  settings.documentsPerServer = 100;  // one server sees every bad document
  std::vector<DocumentResult> results;
  {
    // Held open, sharing nothing, while the run goes on.
    const Handle lock(
        CreateFileW(named(L"locked.docx").path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(lock.Get(), nullptr);
    results = Run(ModeOne(files, L"here", L"there"), settings);
  }

  EXPECT_EQ(Outcomes(results), expected);
  for (std::size_t i = 0; i < bads.size(); ++i) {
    SCOPED_TRACE(bads[i].path.filename().string());
    if (bads[i].bytes) {
      EXPECT_TRUE(Bytes(bads[i].path) == *bads[i].bytes) << "changed";
    } else {
      EXPECT_FALSE(fs::exists(bads[i].path));
    }
  }
  for (std::size_t i = 0; i < files.size(); i += 2) {
    EXPECT_EQ(Paragraphs(files[i]),
              (std::vector<std::u16string>{u"python-docx was there!", u"python-docx was there too!"}))
        << files[i];
  }
}

TEST_F(RunTest, NoServerMeansNothingChanges) {
  const fs::path file = Copy(L"a.docx");
  const std::string before = Bytes(file);
  RunSettings settings;
  settings.progId = L"Velmora.NoSuchServer";
  EXPECT_EQ(Outcomes(Run(ModeOne({file}, L"here", L"there"), settings)),
            std::vector<Outcome>{Outcome::kServerNotStarted});
  EXPECT_EQ(Bytes(file), before);
}

TEST_F(RunTest, AFailedReplacementLeavesThatDocumentUntouchedAndTheOthersReplaced) {
  std::vector<fs::path> files{Copy(L"a.docx"), Copy(L"b.docx"), Copy(L"c.docx")};
  const std::string before = Bytes(files[2]);
  // The second pair of the third document, after the first two were changed in the same server: they
  // are given to a fresh server, where the fault (counted per server process) does not come again.
  const FaultSetting fault(L"fail:Execute:6");
  const auto results = Run(ModeOne(files, L"here\r\nwas", L"there\r\nis"));
  EXPECT_EQ(Outcomes(results),
            (std::vector<Outcome>{Outcome::kReplaced, Outcome::kReplaced, Outcome::kReplaceFailed}));
  EXPECT_EQ(Bytes(files[2]), before);
  EXPECT_EQ(Paragraphs(files[0])[0], u"python-docx is there!");
  EXPECT_EQ(Paragraphs(files[1])[0], u"python-docx is there!");
}

TEST_F(RunTest, AServerThatDiesLosesNoDocumentAndNoneIsReportedReplaced) {
  std::vector<fs::path> files{Copy(L"a.docx"), Copy(L"b.docx"), Copy(L"c.docx")};
  std::vector<std::string> before;
  for (const auto& f : files) before.push_back(Bytes(f));
  const FaultSetting fault(L"exit:Open:2");
  const auto results = Run(ModeOne(files, L"here", L"there"));
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_NE(results[i].outcome, Outcome::kReplaced) << i;
    EXPECT_EQ(Bytes(files[i]), before[i]) << i;
  }
}

TEST_F(RunTest, BatchesOfServersServeEveryDocument) {
  std::vector<fs::path> files;
  for (int i = 0; i < 5; ++i) files.push_back(Copy(L"d" + std::to_wstring(i) + L".docx"));
  RunSettings settings;
  settings.documentsPerServer = 2;
  EXPECT_EQ(Outcomes(Run(ModeOne(files, L"here", L"there"), settings)),
            std::vector<Outcome>(5, Outcome::kReplaced));
  for (const auto& f : files) EXPECT_EQ(Paragraphs(f)[1], u"python-docx was there too!");
}

TEST_F(RunTest, ModeTwoGivesEachDocumentItsOwnTextsAndSkipsAMismatchedPage) {
  const fs::path one = Copy(L"one.docx"), two = Copy(L"two.docx"), three = Copy(L"three.docx");
  const std::string before = Bytes(two);
  RunInput input;
  input.mode = Mode::kPerDocument;
  input.findBox = L"here\r\nwas";
  input.pages[0] = {one.wstring(), L"一\r\n甲"};
  input.pages[1] = {two.wstring(), L"only one line"};
  input.pages[2] = {three.wstring(), L"三\r\n丙"};
  const auto results = Run(std::get<RunPlan>(CheckRun(input)));
  EXPECT_EQ(Outcomes(results),
            (std::vector<Outcome>{Outcome::kReplaced, Outcome::kMismatch, Outcome::kReplaced}));
  EXPECT_EQ(Paragraphs(one)[0], u"python-docx 甲 一!");
  EXPECT_EQ(Paragraphs(three)[0], u"python-docx 丙 三!");
  EXPECT_EQ(Bytes(two), before);
}

}  // namespace
}  // namespace velmora
