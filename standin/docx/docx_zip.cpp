#include "docx_zip.h"

#include <zlib.h>

#include <algorithm>

namespace docx::zip {

namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kDescriptorSignature = 0x08074b50;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagDescriptor = 0x0008;
constexpr std::uint16_t kFlagStrongEncryption = 0x0040;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;
constexpr std::uint16_t kMethodAes = 99;

std::uint16_t Get16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1])
                                                                            << 8);
}

std::uint32_t Get32(std::string_view b, std::size_t at) {
  return static_cast<std::uint32_t>(Get16(b, at)) | static_cast<std::uint32_t>(Get16(b, at + 2)) << 16;
}

void Put16(std::string& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}

void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, static_cast<std::uint16_t>(v & 0xFFFF));
  Put16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}

std::optional<Archive> Fail(Error& error, std::u16string message) {
  error.message = std::move(message);
  return std::nullopt;
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

bool HasZip64Field(std::string_view extra) {
  std::size_t at = 0;
  while (at + 4 <= extra.size()) {
    const std::uint16_t id = Get16(extra, at);
    const std::uint16_t size = Get16(extra, at + 2);
    if (id == 0x0001) return true;
    at += 4 + std::size_t{size};
  }
  return false;
}

// Owns a zlib stream; ends it on every path.
struct InflateStream {
  z_stream s{};
  bool ready = false;
  InflateStream() { ready = inflateInit2(&s, -MAX_WBITS) == Z_OK; }
  ~InflateStream() {
    if (ready) inflateEnd(&s);
  }
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;
};

struct DeflateStream {
  z_stream s{};
  bool ready = false;
  DeflateStream() {
    ready = deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  }
  ~DeflateStream() {
    if (ready) deflateEnd(&s);
  }
  DeflateStream(const DeflateStream&) = delete;
  DeflateStream& operator=(const DeflateStream&) = delete;
};

std::string Deflate(std::string_view content) {
  DeflateStream stream;
  if (!stream.ready) return {};
  std::string out(deflateBound(&stream.s, static_cast<uLong>(content.size())), '\0');
  stream.s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
  stream.s.avail_in = static_cast<uInt>(content.size());
  stream.s.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.s.avail_out = static_cast<uInt>(out.size());
  // deflateBound leaves room for the whole stream, so one call finishes it.
  deflate(&stream.s, Z_FINISH);
  out.resize(stream.s.total_out);
  return out;
}

std::uint32_t Crc(std::string_view data) {
  return static_cast<std::uint32_t>(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data.data()),
                                          static_cast<uInt>(data.size())));
}

}  // namespace

std::optional<Archive> ReadArchive(std::string_view bytes, Error& error) {
  const std::u16string truncated = u"The file is not a complete zip package (truncated or damaged).";
  if (bytes.size() > kMaxPackageBytes) return Fail(error, u"The file is too large (more than 512 MiB).");
  if (bytes.size() < kEndRecordSize || (bytes.size() >= 4 && Get32(bytes, 0) != kLocalSignature)) {
    if (bytes.size() >= 4 && Get32(bytes, 0) == kLocalSignature) return Fail(error, truncated);
    return Fail(error, u"The file is not a zip package, so not a .docx document.");
  }

  // The end record: the last 22 bytes, or earlier when the archive has a comment.
  std::size_t end = std::string_view::npos;
  const std::size_t lowest =
      bytes.size() >= kEndRecordSize + 0xFFFF ? bytes.size() - kEndRecordSize - 0xFFFF : 0;
  for (std::size_t at = bytes.size() - kEndRecordSize + 1; at-- > lowest;) {
    if (Get32(bytes, at) == kEndSignature && at + kEndRecordSize + Get16(bytes, at + 20) == bytes.size()) {
      end = at;
      break;
    }
  }
  if (end == std::string_view::npos) return Fail(error, truncated);
  const std::u16string zip64 = u"The package uses ZIP64, which is not supported.";
  const std::uint16_t disk = Get16(bytes, end + 4);
  const std::uint16_t centralDisk = Get16(bytes, end + 6);
  const std::uint16_t entriesHere = Get16(bytes, end + 8);
  const std::uint16_t entryCount = Get16(bytes, end + 10);
  const std::uint32_t centralSize = Get32(bytes, end + 12);
  const std::uint32_t centralOffset = Get32(bytes, end + 16);
  // A ZIP64 locator lies right before the end record, after the central directory; the same bytes inside
  // the directory (in an entry's comment, say) are no locator.
  const bool locator = end >= 20 && end - 20 >= std::size_t{centralOffset} + centralSize &&
                       Get32(bytes, end - 20) == kZip64LocatorSignature;
  if (locator || entryCount == 0xFFFF || centralSize == 0xFFFFFFFF || centralOffset == 0xFFFFFFFF)
    return Fail(error, zip64);
  if (disk != 0 || centralDisk != 0 || entriesHere != entryCount) {
    return Fail(error, u"The package is split over several disks, which is not supported.");
  }
  if (std::size_t{centralOffset} + centralSize > end) return Fail(error, truncated);

  Archive archive;
  archive.centralBegin = centralOffset;
  archive.endRecord = end;
  archive.entries.reserve(entryCount);
  std::size_t at = centralOffset;
  for (std::size_t i = 0; i < entryCount; ++i) {
    if (at + kCentralHeaderSize > std::size_t{centralOffset} + centralSize ||
        Get32(bytes, at) != kCentralSignature) {
      return Fail(error, truncated);
    }
    Entry e;
    e.flags = Get16(bytes, at + 8);
    e.method = Get16(bytes, at + 10);
    e.crc = Get32(bytes, at + 16);
    e.compressedSize = Get32(bytes, at + 20);
    e.uncompressedSize = Get32(bytes, at + 24);
    const std::size_t nameLength = Get16(bytes, at + 28);
    const std::size_t extraLength = Get16(bytes, at + 30);
    const std::size_t commentLength = Get16(bytes, at + 32);
    e.localOffset = Get32(bytes, at + 42);
    e.centralOffset = at;
    e.centralEnd = at + kCentralHeaderSize + nameLength + extraLength + commentLength;
    if (e.centralEnd > std::size_t{centralOffset} + centralSize) return Fail(error, truncated);
    e.name = std::string(bytes.substr(at + kCentralHeaderSize, nameLength));
    if ((e.flags & (kFlagEncrypted | kFlagStrongEncryption)) != 0 || e.method == kMethodAes) {
      return Fail(error, u"The package holds encrypted entries; encrypted documents are not supported.");
    }
    if (e.compressedSize == 0xFFFFFFFF || e.uncompressedSize == 0xFFFFFFFF || e.localOffset == 0xFFFFFFFF ||
        HasZip64Field(bytes.substr(at + kCentralHeaderSize + nameLength, extraLength))) {
      return Fail(error, zip64);
    }

    // The local header must agree, and the entry's data must lie before the central directory.
    if (e.localOffset + kLocalHeaderSize > centralOffset || Get32(bytes, e.localOffset) != kLocalSignature) {
      return Fail(error, truncated);
    }
    const std::size_t localName = Get16(bytes, e.localOffset + 26);
    const std::size_t localExtra = Get16(bytes, e.localOffset + 28);
    e.dataOffset = e.localOffset + kLocalHeaderSize + localName + localExtra;
    if (localName != nameLength || e.dataOffset > centralOffset ||
        bytes.substr(e.localOffset + kLocalHeaderSize, localName) != e.name) {
      return Fail(error, truncated);
    }
    if ((Get16(bytes, e.localOffset + 6) & kFlagEncrypted) != 0) {
      return Fail(error, u"The package holds encrypted entries; encrypted documents are not supported.");
    }
    e.localEnd = e.dataOffset + e.compressedSize;
    if ((e.flags & kFlagDescriptor) != 0) {
      const bool signature =
          e.localEnd + 4 <= centralOffset && Get32(bytes, e.localEnd) == kDescriptorSignature;
      e.localEnd += signature ? 16 : 12;
    }
    if (e.localEnd > centralOffset) return Fail(error, truncated);
    archive.entries.push_back(std::move(e));
    at = archive.entries.back().centralEnd;
  }

  // No name twice, ASCII case aside. Sorted, so that tens of thousands of entries take no time.
  std::vector<std::string> names;
  names.reserve(archive.entries.size());
  for (const Entry& e : archive.entries) {
    names.push_back(e.name);
    std::transform(names.back().begin(), names.back().end(), names.back().begin(), AsciiLower);
  }
  std::sort(names.begin(), names.end());
  if (std::adjacent_find(names.begin(), names.end()) != names.end()) {
    return Fail(error, u"The package names an entry twice.");
  }

  // Entries that share bytes are a known trick of decompression bombs; no writer makes them.
  std::vector<const Entry*> byOffset;
  for (const Entry& e : archive.entries) byOffset.push_back(&e);
  std::sort(byOffset.begin(), byOffset.end(),
            [](const Entry* a, const Entry* b) { return a->localOffset < b->localOffset; });
  for (std::size_t i = 1; i < byOffset.size(); ++i) {
    if (byOffset[i - 1]->localEnd > byOffset[i]->localOffset) {
      return Fail(error, u"The package's entries overlap; it is damaged or hostile.");
    }
  }
  return archive;
}

const Entry* FindEntry(const Archive& archive, std::string_view name) {
  for (const Entry& e : archive.entries) {
    if (SameName(e.name, name)) return &e;
  }
  return nullptr;
}

std::optional<std::string> Extract(std::string_view bytes, const Entry& entry, std::size_t& budget,
                                   Error& error) {
  const std::u16string name = std::u16string(entry.name.begin(), entry.name.end());
  auto fail = [&error](std::u16string message) -> std::optional<std::string> {
    error.message = std::move(message);
    return std::nullopt;
  };
  if (entry.uncompressedSize > budget) return fail(u"The package entry " + name + u" is too large to read.");
  if (entry.uncompressedSize > kRatioFloor &&
      entry.uncompressedSize / kMaxRatio > std::max<std::uint32_t>(entry.compressedSize, 1)) {
    return fail(u"The package entry " + name + u" is compressed beyond any real document (a zip bomb?).");
  }
  const std::string_view data = bytes.substr(entry.dataOffset, entry.compressedSize);
  std::string out;
  if (entry.method == kMethodStored) {
    if (entry.compressedSize != entry.uncompressedSize)
      return fail(u"The package entry " + name + u" is damaged.");
    out = std::string(data);
  } else if (entry.method == kMethodDeflated) {
    out.assign(entry.uncompressedSize, '\0');
    InflateStream stream;
    if (!stream.ready) return fail(u"Out of memory while reading the package.");
    stream.s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.s.avail_in = static_cast<uInt>(data.size());
    stream.s.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.s.avail_out = static_cast<uInt>(out.size());
    int result = inflate(&stream.s, Z_FINISH);
    if (result == Z_BUF_ERROR && stream.s.avail_out == 0) {
      // Output full but the stream not ended: either it ends right here or it holds more than it says.
      unsigned char probe = 0;
      stream.s.next_out = &probe;
      stream.s.avail_out = 1;
      result = inflate(&stream.s, Z_FINISH);
      if (stream.s.avail_out == 0) result = Z_DATA_ERROR;
    }
    if (result != Z_STREAM_END || stream.s.total_out != entry.uncompressedSize) {
      return fail(u"The package entry " + name +
                  u" is damaged (its compressed data does not match its size).");
    }
  } else {
    return fail(u"The package entry " + name + u" uses a compression method that is not supported.");
  }
  if (Crc(out) != entry.crc) return fail(u"The package entry " + name + u" is damaged (CRC mismatch).");
  budget -= entry.uncompressedSize;
  return out;
}

std::string WriteArchive(std::string_view bytes, const Archive& archive, const Entry* replaced,
                         std::string_view content) {
  std::string compressed;
  std::uint32_t crc = 0;
  if (replaced) {
    compressed = Deflate(content);
    crc = Crc(content);
  }
  auto patchSizes = [&](std::string& out, std::size_t header, std::size_t flagsAt) {
    Put16(out, header + flagsAt, static_cast<std::uint16_t>(Get16(out, header + flagsAt) & ~kFlagDescriptor));
    Put16(out, header + flagsAt + 2, kMethodDeflated);
    Put32(out, header + flagsAt + 8, crc);
    Put32(out, header + flagsAt + 12, static_cast<std::uint32_t>(compressed.size()));
    Put32(out, header + flagsAt + 16, static_cast<std::uint32_t>(content.size()));
    if (Get16(out, header + flagsAt - 2) < 20) Put16(out, header + flagsAt - 2, 20);  // version needed
  };

  std::vector<const Entry*> byOffset;
  for (const Entry& e : archive.entries) byOffset.push_back(&e);
  std::sort(byOffset.begin(), byOffset.end(),
            [](const Entry* a, const Entry* b) { return a->localOffset < b->localOffset; });

  std::string out;
  out.reserve(bytes.size() + compressed.size());
  std::vector<std::size_t> newOffset(archive.entries.size());
  for (const Entry* e : byOffset) {
    newOffset[static_cast<std::size_t>(e - archive.entries.data())] = out.size();
    if (e != replaced) {
      out.append(bytes.substr(e->localOffset, e->localEnd - e->localOffset));
      continue;
    }
    const std::size_t header = out.size();
    out.append(bytes.substr(e->localOffset, e->dataOffset - e->localOffset));
    patchSizes(out, header, 6);
    out.append(compressed);
  }
  const std::size_t centralBegin = out.size();
  for (std::size_t i = 0; i < archive.entries.size(); ++i) {
    const Entry& e = archive.entries[i];
    const std::size_t record = out.size();
    out.append(bytes.substr(e.centralOffset, e.centralEnd - e.centralOffset));
    Put32(out, record + 42, static_cast<std::uint32_t>(newOffset[i]));
    if (&e == replaced) patchSizes(out, record, 8);
  }
  const std::size_t centralEnd = out.size();
  out.append(bytes.substr(archive.endRecord));
  Put32(out, centralEnd + 12, static_cast<std::uint32_t>(centralEnd - centralBegin));
  Put32(out, centralEnd + 16, static_cast<std::uint32_t>(centralBegin));
  return out;
}

}  // namespace docx::zip
