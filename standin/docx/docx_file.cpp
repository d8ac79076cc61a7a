#include "docx_file.h"

#include <algorithm>
#include <random>
#include <system_error>

#include "docx_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#endif

namespace docx {

namespace fs = std::filesystem;

std::u16string PathText(const fs::path& path) {
#ifdef _WIN32
  const std::wstring& wide = path.native();
  return std::u16string(wide.begin(), wide.end());
#else
  return Utf8ToUtf16Lenient(path.native());
#endif
}

namespace {

bool Fail(Error& error, std::u16string message) {
  error.message = std::move(message);
  return false;
}

fs::path TemporaryBeside(const fs::path& target) {
  std::random_device random;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string tag;
  for (int i = 0; i < 8; ++i) tag.push_back(kHex[random() & 0xF]);
  return target.parent_path() / fs::path("~velmora-" + tag + ".tmp");
}

#ifdef _WIN32

// Owns a file handle.
class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return h_; }
  bool Close() {
    if (!Valid()) return true;
    const bool ok = CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

std::u16string Number(unsigned long n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

#else

// Owns a file descriptor.
class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Valid() const { return fd_ >= 0; }
  int Get() const { return fd_; }
  bool Close() {
    if (!Valid()) return true;
    const bool ok = close(fd_) == 0;
    fd_ = -1;
    return ok;
  }

 private:
  int fd_;
};

#endif

// Removes the temporary file unless it has been moved into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(fs::path path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!committed_) {
      std::error_code ignored;
      fs::remove(path_, ignored);
    }
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const fs::path& Path() const { return path_; }
  void Commit() { committed_ = true; }

 private:
  fs::path path_;
  bool committed_ = false;
};

}  // namespace

#ifdef _WIN32

std::optional<std::string> ReadWholeFile(const fs::path& path, std::size_t maxBytes, Error& error) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    const DWORD code = GetLastError();
    error.message = (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
                        ? u"The file does not exist: " + PathText(path)
                        : u"The file cannot be read: " + PathText(path) + u" (error " + Number(code) + u")";
    return std::nullopt;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) {
    error.message = u"The file cannot be read: " + PathText(path);
    return std::nullopt;
  }
  if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
    error.message = u"The file is too large (more than 512 MiB): " + PathText(path);
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    if (!ReadFile(file.Get(), bytes.data() + done, want, &got, nullptr) || got == 0) {
      error.message = u"The file cannot be read: " + PathText(path);
      return std::nullopt;
    }
    done += got;
  }
  return bytes;
}

bool ReplaceFileContents(const fs::path& target, std::string_view bytes, Error& error) {
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return Fail(error, u"The file is read-only: " + PathText(target));
  }
  TemporaryFile temporary(TemporaryBeside(target));
  {
    FileHandle file(CreateFileW(temporary.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
      temporary.Commit();  // never created, so nothing of ours to remove
      return Fail(error, u"Cannot create a file in the document's folder: " + PathText(target.parent_path()));
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
      DWORD written = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      if (!WriteFile(file.Get(), bytes.data() + done, want, &written, nullptr) || written == 0) {
        return Fail(error, u"Cannot write the document (disk full?): " + PathText(target));
      }
      done += written;
    }
    if (!FlushFileBuffers(file.Get()) || !file.Close()) {
      return Fail(error, u"Cannot write the document (disk full?): " + PathText(target));
    }
  }
  if (!MoveFileExW(temporary.Path().c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD code = GetLastError();
    if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION || code == ERROR_ACCESS_DENIED) {
      return Fail(error, u"The file is in use by another program or cannot be replaced: " + PathText(target));
    }
    return Fail(error, u"Cannot replace the file: " + PathText(target) + u" (error " + Number(code) + u")");
  }
  temporary.Commit();
  return true;
}

#else

std::optional<std::string> ReadWholeFile(const fs::path& path, std::size_t maxBytes, Error& error) {
  FileHandle file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.Valid()) {
    error.message = errno == ENOENT ? u"The file does not exist: " + PathText(path)
                                    : u"The file cannot be read: " + PathText(path);
    return std::nullopt;
  }
  struct stat info {};
  if (fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    error.message = u"The file cannot be read: " + PathText(path);
    return std::nullopt;
  }
  if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
    error.message = u"The file is too large (more than 512 MiB): " + PathText(path);
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = read(file.Get(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      error.message = u"The file cannot be read: " + PathText(path);
      return std::nullopt;
    }
    done += static_cast<std::size_t>(got);
  }
  return bytes;
}

bool ReplaceFileContents(const fs::path& target, std::string_view bytes, Error& error) {
  // Like the read-only attribute on Windows: a file nobody may write is not replaced, even by root.
  struct stat info {};
  const bool exists = stat(target.c_str(), &info) == 0;
  if (exists && ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(target.c_str(), W_OK) != 0)) {
    return Fail(error, u"The file is read-only: " + PathText(target));
  }
  TemporaryFile temporary(TemporaryBeside(target));
  {
    const mode_t mode = exists ? (info.st_mode & 07777) : 0666;
    FileHandle file(open(temporary.Path().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (!file.Valid()) {
      temporary.Commit();  // never created, so nothing of ours to remove
      return Fail(error, u"Cannot create a file in the document's folder: " + PathText(target.parent_path()));
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t written = write(file.Get(), bytes.data() + done, bytes.size() - done);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return Fail(error, u"Cannot write the document (disk full?): " + PathText(target));
      done += static_cast<std::size_t>(written);
    }
    if (fsync(file.Get()) != 0 || !file.Close()) {
      return Fail(error, u"Cannot write the document (disk full?): " + PathText(target));
    }
  }
  if (rename(temporary.Path().c_str(), target.c_str()) != 0) {
    return Fail(error, u"Cannot replace the file: " + PathText(target));
  }
  temporary.Commit();
  return true;
}

#endif

}  // namespace docx
