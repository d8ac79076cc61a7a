// What goes into a window's list of documents: picked paths appended in order, each document listed
// once, and at most as many as the window takes.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Paths name the same file when they are equal without regard to case, as Windows compares them.
bool SamePath(std::wstring_view a, std::wstring_view b);

struct AppendResult {
  std::vector<std::wstring> added;       // appended to the list, in picked order
  std::vector<std::wstring> duplicates;  // already listed (or picked twice), left out
  std::vector<std::wstring> overLimit;   // not added because the list was full
};

// Appends `picked` to `listed`, skipping paths already there, until `limit` documents are listed.
AppendResult AppendDocuments(std::vector<std::wstring>& listed, const std::vector<std::wstring>& picked,
                             std::size_t limit = std::numeric_limits<std::size_t>::max());

// The open-file dialog's filter from its "caption|pattern|caption|pattern" form: every bar becomes a NUL
// and the whole ends in two NULs.
std::wstring DialogFilter(std::wstring_view barSeparated);

// The full paths a multi-select dialog gives back in its buffer: either one full path, or a folder
// followed by file names, each ended by a NUL, the whole ended by a second NUL.
std::vector<std::wstring> PathsFromDialog(std::wstring_view buffer);

}  // namespace velmora
