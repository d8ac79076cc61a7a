#include "windows/document_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

using namespace std::string_literals;

using Paths = std::vector<std::wstring>;

TEST(DocumentList, SamePathIgnoresCase) {
  struct Case {
    std::wstring_view a, b;
    bool same;
  };
  const Case cases[] = {
      {L"C:\\Docs\\a.docx", L"c:\\docs\\A.DOCX", true},
      {L"C:\\文档\\报告.doc", L"c:\\文档\\报告.DOC", true},
      {L"C:\\a.doc", L"C:\\a.docx", false},
      {L"C:\\a.doc", L"C:\\b.doc", false},
      {L"", L"", true},
  };
  for (const Case& c : cases) EXPECT_EQ(SamePath(c.a, c.b), c.same);
}

TEST(DocumentList, AppendsInOrderSkippingListedOnes) {
  Paths listed{L"C:\\a.doc"};
  const AppendResult r = AppendDocuments(listed, {L"C:\\b.doc", L"c:\\A.DOC", L"C:\\c.doc", L"C:\\B.doc"});
  EXPECT_EQ(listed, (Paths{L"C:\\a.doc", L"C:\\b.doc", L"C:\\c.doc"}));
  EXPECT_EQ(r.added, (Paths{L"C:\\b.doc", L"C:\\c.doc"}));
  EXPECT_EQ(r.duplicates, (Paths{L"c:\\A.DOC", L"C:\\B.doc"}));
  EXPECT_TRUE(r.overLimit.empty());
}

TEST(DocumentList, StopsAtTheLimit) {
  Paths listed{L"1", L"2", L"3"};
  const AppendResult r = AppendDocuments(listed, {L"4", L"2", L"5", L"6", L"7"}, 5);
  EXPECT_EQ(listed, (Paths{L"1", L"2", L"3", L"4", L"5"}));
  EXPECT_EQ(r.overLimit, (Paths{L"6", L"7"}));
  EXPECT_EQ(r.duplicates, (Paths{L"2"}));
}

TEST(DocumentList, DialogFilter) {
  const std::wstring f = DialogFilter(L"word文件（*.doc）|*.doc|word文件（*.docx）|*.docx");
  EXPECT_EQ(f, L"word文件（*.doc）\0*.doc\0word文件（*.docx）\0*.docx\0\0"s);
}

TEST(DocumentList, PathsFromDialog) {
  struct Case {
    std::wstring buffer;
    Paths paths;
  };
  const Case cases[] = {
      {L"C:\\dir\\one.docx\0\0"s, {L"C:\\dir\\one.docx"}},
      {L"C:\\dir\0a.doc\0b.docx\0\0"s, {L"C:\\dir\\a.doc", L"C:\\dir\\b.docx"}},
      {L"C:\\\0a.doc\0b.doc\0\0"s, {L"C:\\a.doc", L"C:\\b.doc"}},
      {L"\0\0"s, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(PathsFromDialog(c.buffer), c.paths);
}

}  // namespace
}  // namespace velmora
