// Storing a document: it replaces the original in one step, or fails and leaves it as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "docx_document.h"
#include "docx_text.h"
#include "test_package.h"

namespace docx {
namespace {

namespace fs = std::filesystem;

const std::string kBody = "<w:p><w:r><w:t>keep or change</w:t></w:r></w:p>";

std::optional<Document> OpenChanged(const fs::path& path) {
  Error error;
  auto document = Document::Open(path, error);
  if (!document) return std::nullopt;
  if (std::get<std::size_t>(document->ReplaceAll({.findText = u"change", .replaceWith = u"swap"})) != 1) {
    return std::nullopt;
  }
  return document;
}

TEST(Save, ReadOnlyTargetFailsAndStaysAsItWas) {
  test::TempDir dir;
  const std::string original = test::MakeDocx(kBody);
  const fs::path path = dir.Write("locked.docx", original);
  auto document = OpenChanged(path);
  ASSERT_TRUE(document);
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

  Error error;
  EXPECT_FALSE(document->Save(error));
  EXPECT_NE(ToUtf8(error.message).find("read-only"), std::string::npos) << ToUtf8(error.message);
  EXPECT_EQ(test::ReadBytes(path), original);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"locked.docx"});
  EXPECT_TRUE(document->Changed());

  // Writable again, the same document saves.
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
  ASSERT_TRUE(document->Save(error)) << ToUtf8(error.message);
  auto reopened = Document::Open(path, error);
  ASSERT_TRUE(reopened) << ToUtf8(error.message);
  EXPECT_EQ(reopened->ParagraphTexts(), std::vector<std::u16string>{u"keep or swap"});
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"locked.docx"});
}

TEST(Save, FolderGoneFailsWithoutLeavingAnything) {
  test::TempDir dir;
  const fs::path folder = dir.Path() / "sub";
  fs::create_directories(folder);
  const std::string original = test::MakeDocx(kBody);
  const fs::path path = folder / "doc.docx";
  std::ofstream(path, std::ios::binary) << original;
  auto document = OpenChanged(path);
  ASSERT_TRUE(document);
  fs::remove_all(folder);

  Error error;
  EXPECT_FALSE(document->Save(error));
  EXPECT_FALSE(error.message.empty());
  EXPECT_FALSE(fs::exists(folder));
}

TEST(Save, KeepsTheFilesPermissions) {
  test::TempDir dir;
  const fs::path path = dir.Write("private.docx", test::MakeDocx(kBody));
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  auto document = OpenChanged(path);
  ASSERT_TRUE(document);
  Error error;
  ASSERT_TRUE(document->Save(error)) << ToUtf8(error.message);
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"private.docx"});
}

}  // namespace
}  // namespace docx
