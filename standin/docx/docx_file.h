// Whole-file reading and the safe replacement of a file's contents: the platform edge of the engine.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "docx_document.h"

namespace docx {

// A path as a user reads it, for messages.
std::u16string PathText(const std::filesystem::path& path);

// The file's bytes; fails on a missing or unreadable file, a folder, or one larger than maxBytes.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes,
                                         Error& error);

// Writes bytes to a new file beside target (same folder, temporary name), flushes it to disk and moves it
// over target in one step. A read-only target or one in use fails and is left as it was. The temporary
// file is gone afterwards, whatever happened.
bool ReplaceFileContents(const std::filesystem::path& target, std::string_view bytes, Error& error);

}  // namespace docx
