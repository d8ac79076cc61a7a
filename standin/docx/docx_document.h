// The .docx engine of the stand-in "Word.Application" server: opens a word-processing package, replaces
// text in its main text the way the word processor's Replace All does, and stores it back safely.
//
// What counts as main text: the paragraphs of the main document part's body, tables included, each
// paragraph's text as a reader sees it across runs (formatting, proofing marks, bookmarks and revision ids
// between runs do not matter). Inserted revisions, hyperlinks, content controls and simple fields' shown
// text are text; deleted and moved-away revisions, field codes and text boxes are not (a text box's
// paragraphs are neither main text nor part of the paragraph holding it). Headers, footers, notes and
// comments live in other parts and are left alone. Line breaks, pictures, symbols, note references,
// complex-field marks and the like are objects in the text that no find text matches.
//
// Find and replace (Document::ReplaceAll):
// - findText and replaceWith take the caret codes "^^" (a caret), "^t" (a tab, matching a tab of the
//   text and inserting one) and "^p" (paragraph mark); replaceWith also takes "^&" (the found text).
//   Any other code, or a lone '^' at the end, is an error, and so is a text longer than 255 UTF-16 units
//   ("String parameter too long", counted as given: "^^" is two) and an empty find text.
// - No match crosses a paragraph end, so a find text holding "^p" (or a CR or LF) finds nothing (count 0).
//   A "^p", CR or LF in replaceWith is refused: the stand-in does not split paragraphs.
// - matchCase false: letters match whatever their case (a fixed table for Latin, Greek, Cyrillic and
//   full-width Latin letters), and the replacement takes the case of what it replaces: a match in all
//   capitals (with at least one cased letter) gets the replacement in capitals; a match whose first
//   character is a capital gets the replacement's first character in capitals; else it stays as typed.
// - matchWholeWord: a match must not have a letter or digit right before or after it.
// - Matches are found left to right and do not overlap. A replacement goes into the run of the match's
//   first character and takes its formatting; the matched characters in later runs are removed.
//
// Storing (Document::Save): every package entry other than the main document part keeps its bytes, headers
// and compressed data as they were; the main part is compressed anew only if it changed.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace docx {

// Texts are UTF-16, so lengths count as the word processor counts them.
struct FindRequest {
  std::u16string findText;     // as the caller gives it, caret codes included
  std::u16string replaceWith;  // as the caller gives it, caret codes ("^&" too) included
  bool matchCase = false;
  bool matchWholeWord = false;
};

// A failure, in words a user can read.
struct Error {
  std::u16string message;
};

class Document {
 public:
  // Reads the whole package into memory; the file is not kept open. Fails on: a missing or unreadable
  // file, a file that is not a zip package (a binary .doc, an encrypted document), a truncated or
  // malformed zip, ZIP64, encrypted entries, a package without a main document part, a main part that is
  // not well-formed XML, and absurd sizes (more than 512 MiB, or compressed more than 500 to 1).
  static std::optional<Document> Open(const std::filesystem::path& path, Error& error);

  Document(Document&&) noexcept;
  Document& operator=(Document&&) noexcept;
  ~Document();

  // Replace All in the main text. Returns the number of replacements, or an Error for a bad request
  // (see above), in which case the document is unchanged.
  std::variant<std::size_t, Error> ReplaceAll(const FindRequest& request);

  // True once a ReplaceAll has replaced something since the document was opened or last saved.
  bool Changed() const;

  // Writes the package beside the original (same folder, temporary name), flushes it to disk, then puts
  // it in the original's place in one step. A read-only target or one in use fails with an Error and
  // leaves the file as it was; the temporary file is removed on every failure. An unchanged document is
  // written back byte for byte.
  bool Save(Error& error);

  const std::filesystem::path& Path() const;

  // The text of each main-text paragraph as a reader sees it, in document order (table cells in reading
  // order): a tab is u'\t', a line break u'\v', a page break u'\f', any other object U+FFFC.
  std::vector<std::u16string> ParagraphTexts() const;

 private:
  struct State;
  explicit Document(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace docx
