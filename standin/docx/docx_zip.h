// The zip container of a word-processing package: reading its directory (strictly: no ZIP64, no
// encryption, no overlapping or truncated entries), inflating the few entries the engine reads, with
// caps against decompression bombs, and writing the package back with one entry replaced and every
// other entry copied byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "docx_document.h"

namespace docx::zip {

// Caps on what the engine reads into memory.
inline constexpr std::size_t kMaxPackageBytes = std::size_t{512} << 20;
inline constexpr std::size_t kMaxInflatedBytes = std::size_t{512} << 20;  // all inflated entries together
// Inflated : compressed, for entries over kRatioFloor. Deflate reaches about 1030 : 1 on runs of one byte;
// main parts, even of identical paragraphs repeated, stay near 350 : 1 (a repeat costs some bits per 258
// bytes).
inline constexpr std::size_t kMaxRatio = 500;
inline constexpr std::size_t kRatioFloor = std::size_t{1} << 20;

struct Entry {
  std::string name;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t crc = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t uncompressedSize = 0;
  std::size_t localOffset = 0;    // local header
  std::size_t dataOffset = 0;     // compressed data
  std::size_t localEnd = 0;       // end of the data and of its data descriptor, if any
  std::size_t centralOffset = 0;  // central directory record
  std::size_t centralEnd = 0;
};

struct Archive {
  std::vector<Entry> entries;  // in central directory order
  std::size_t centralBegin = 0;
  std::size_t endRecord = 0;  // the end of central directory record, up to the end of the file
};

std::optional<Archive> ReadArchive(std::string_view bytes, Error& error);

// The entry of that name, compared without regard to ASCII case, as package part names are; or null.
const Entry* FindEntry(const Archive& archive, std::string_view name);

// Inflates (or copies, if stored) one entry and checks its size and CRC. `budget` is what may still be
// inflated; it is lowered by the entry's size.
std::optional<std::string> Extract(std::string_view bytes, const Entry& entry, std::size_t& budget,
                                   Error& error);

// The package again: the entry `replaced` (or none when null) gets `content`, deflated; every other
// entry's local header, data and data descriptor are copied as they were, and so are the central
// directory records and the end record, with only their offsets (and the replaced entry's sizes) updated.
std::string WriteArchive(std::string_view bytes, const Archive& archive, const Entry* replaced,
                         std::string_view content);

}  // namespace docx::zip
