#include "platform/registry/registry_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velquora {

namespace {

constexpr int kMaxDamagedCopies = 10000;

std::string SystemError(const std::string& what, const std::filesystem::path& path) {
  return what + " " + path.string() + ": " + std::strerror(errno);
}

void Report(const std::string& text) { std::cerr << "velquora: " << text << std::endl; }

// Runs a step of the store; a failure is reported on stderr before it is raised.
template <class Step>
auto Reporting(const Step& step) {
  try {
    return step();
  } catch (const ERegistryError& failure) {
    Report(failure.what());
    throw;
  }
}

// A file descriptor closed on destruction.
class FileDescriptor {
public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int Get() const { return fd_; }
  // Closes now and reports whether the close succeeded (a write error may show here).
  bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
  int fd_;
};

// An exclusive advisory lock on a lock file, held for the lifetime of the object.
class ExclusiveLock {
public:
  explicit ExclusiveLock(const std::filesystem::path& path)
      : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (fd_.Get() < 0) throw ERegistryError(SystemError("Cannot open the lock file", path));
    while (::flock(fd_.Get(), LOCK_EX) != 0) {
      if (errno != EINTR) throw ERegistryError(SystemError("Cannot lock", path));
    }
  }

private:
  FileDescriptor fd_;  // closing it releases the lock
};

struct FileText {
  bool too_large = false;
  std::string bytes;
};

// The whole file, or nothing when it does not exist. Reads no more than the size limit.
std::optional<FileText> ReadFileText(const std::filesystem::path& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) {
    if (errno == ENOENT) return std::nullopt;
    throw ERegistryError(SystemError("Cannot open", path));
  }
  struct stat status {};
  if (::fstat(fd.Get(), &status) != 0) throw ERegistryError(SystemError("Cannot examine", path));
  if (!S_ISREG(status.st_mode)) throw ERegistryError("Not a regular file: " + path.string());
  FileText text;
  std::vector<char> chunk(64 * 1024);
  for (;;) {
    const ssize_t got = ::read(fd.Get(), chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw ERegistryError(SystemError("Cannot read", path));
    if (got == 0) return text;
    if (text.bytes.size() + static_cast<std::size_t>(got) > kMaxRegistryFileSize) {
      text.too_large = true;
      text.bytes.clear();
      return text;
    }
    text.bytes.append(chunk.data(), static_cast<std::size_t>(got));
  }
}

void WriteAll(int fd, const std::string& text) {
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t put = ::write(fd, text.data() + written, text.size() - written);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) throw ERegistryError(std::string("Cannot write: ") + std::strerror(errno));
    written += static_cast<std::size_t>(put);
  }
}

// Makes a rename or creation in the directory durable.
void SyncDirectory(const std::filesystem::path& directory) {
  FileDescriptor fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Get() < 0 || ::fsync(fd.Get()) != 0) throw ERegistryError(SystemError("Cannot sync", directory));
}

std::filesystem::path Directory(const std::filesystem::path& file) {
  return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

std::filesystem::path WithSuffix(const std::filesystem::path& file, const std::string& suffix) {
  std::filesystem::path result = file;
  result += suffix;
  return result;
}

}  // namespace

TRegistryStore::TRegistryStore(std::filesystem::path file) : file_(std::move(file)) {}

TRegistryDocument TRegistryStore::Load() const {
  return Reporting([this] {
    CheckUsable();
    const std::optional<FileText> text = ReadFileText(file_);
    if (!text) return TRegistryDocument{};
    if (!text->too_large) {
      try {
        return ParseRegistryText(text->bytes);
      } catch (const ERegistryFormatError&) {
        // Looked at again under the lock: a writer may be replacing it right now, and
        // only one process should move it aside.
      }
    }
    const ExclusiveLock lock(LockFile());
    return LoadLocked();
  });
}

TRegistryDocument TRegistryStore::Update(const std::function<void(TRegistryDocument&)>& change) {
  Reporting([this] {
    CheckUsable();
    std::error_code error;
    std::filesystem::create_directories(Directory(file_), error);
    if (error) throw ERegistryError("Cannot create the directory of " + file_.string() + ": " + error.message());
  });
  const ExclusiveLock lock = Reporting([this] { return ExclusiveLock(LockFile()); });
  const TRegistryDocument current = Reporting([this] { return LoadLocked(); });
  TRegistryDocument changed = current;
  change(changed);
  if (!(changed == current)) Reporting([&] { Replace(FormatRegistryText(changed)); });
  return changed;
}

std::filesystem::path TRegistryStore::LockFile() const { return WithSuffix(file_, ".lock"); }

TRegistryDocument TRegistryStore::LoadLocked() const {
  const std::optional<FileText> text = ReadFileText(file_);
  if (!text) return {};
  std::string reason = "larger than " + std::to_string(kMaxRegistryFileSize) + " bytes";
  if (!text->too_large) {
    try {
      return ParseRegistryText(text->bytes);
    } catch (const ERegistryFormatError& damage) {
      reason = damage.what();
    }
  }
  KeepAside(reason);
  return {};
}

void TRegistryStore::KeepAside(const std::string& reason) const {
  for (int n = 1; n <= kMaxDamagedCopies; ++n) {
    const std::filesystem::path aside = WithSuffix(file_, ".damaged-" + std::to_string(n));
    std::error_code error;
    if (std::filesystem::symlink_status(aside, error).type() != std::filesystem::file_type::not_found) continue;
    if (std::rename(file_.c_str(), aside.c_str()) != 0) {
      throw ERegistryError(SystemError("Cannot move the damaged registry aside:", file_));
    }
    SyncDirectory(Directory(file_));
    Report("the registry file " + file_.string() + " is damaged (" + reason + "); it was kept as " +
           aside.string() + " and the registry starts empty");
    return;
  }
  throw ERegistryError("Too many damaged copies of " + file_.string());
}

void TRegistryStore::Replace(const std::string& text) const {
  std::string name = WithSuffix(file_, ".tmp-XXXXXX").string();
  FileDescriptor fd(::mkostemp(name.data(), O_CLOEXEC));
  if (fd.Get() < 0) throw ERegistryError(SystemError("Cannot create a temporary file beside", file_));
  try {
    struct stat status {};
    if (::stat(file_.c_str(), &status) == 0) static_cast<void>(::fchmod(fd.Get(), status.st_mode & 07777));
    WriteAll(fd.Get(), text);
    if (::fsync(fd.Get()) != 0) throw ERegistryError(SystemError("Cannot sync", name));
    if (!fd.Close()) throw ERegistryError(SystemError("Cannot close", name));
    if (std::rename(name.c_str(), file_.c_str()) != 0) throw ERegistryError(SystemError("Cannot replace", file_));
  } catch (const ERegistryError&) {
    ::unlink(name.c_str());
    throw;
  }
  SyncDirectory(Directory(file_));
}

void TRegistryStore::CheckUsable() const {
  if (file_.empty()) throw ERegistryError("No home directory: the registry file has no place");
}

std::filesystem::path DefaultRegistryFile() {
  std::filesystem::path config;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    config = xdg;
  } else {
    const char* home = std::getenv("HOME");
    std::string home_text = home != nullptr ? home : "";
    if (home_text.empty()) {
      std::vector<char> buffer(16384);
      passwd entry{};
      passwd* found = nullptr;
      if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
          found->pw_dir != nullptr) {
        home_text = found->pw_dir;
      }
    }
    if (home_text.empty()) return {};
    config = std::filesystem::path(home_text) / ".config";
  }
  return config / "velquora" / "registry.reg";
}

namespace {
std::unique_ptr<TRegistryStore>& InstalledStore() {
  static std::unique_ptr<TRegistryStore> store;
  return store;
}
}  // namespace

TRegistryStore& ProcessRegistry() {
  std::unique_ptr<TRegistryStore>& store = InstalledStore();
  if (!store) store = std::make_unique<TRegistryStore>(DefaultRegistryFile());
  return *store;
}

ScopedRegistryFile::ScopedRegistryFile(const std::filesystem::path& file)
    : previous_(std::exchange(InstalledStore(), std::make_unique<TRegistryStore>(file))) {}

ScopedRegistryFile::~ScopedRegistryFile() { InstalledStore() = std::move(previous_); }

}  // namespace velquora
