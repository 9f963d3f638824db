#pragma once
// The durable registry: one REGEDIT4 text file that every process of the user shares.
// Reads take the file as it is (writers replace it whole, so a reader never sees half
// a write). A write is a read-modify-write under an advisory lock (flock on
// "<file>.lock" beside it): the change is applied to the file's current contents, the
// result goes to a temporary file in the same directory, which is synced and renamed
// over the file, and the directory is synced. Concurrent writers therefore lose nothing.
// A file that cannot be parsed is renamed aside to "<file>.damaged-<n>" and reported on
// stderr, then treated as empty.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/registry/registry_text.h"

namespace velquora {

// Larger files are taken as damaged (a real store is a few hundred bytes).
inline constexpr std::size_t kMaxRegistryFileSize = 16 * 1024 * 1024;

class TRegistryStore {
public:
  // An empty path is a store that cannot be used: every call raises ERegistryError.
  explicit TRegistryStore(std::filesystem::path file);

  const std::filesystem::path& File() const { return file_; }

  // The current contents: empty when the file does not exist. Raises ERegistryError
  // when the file exists but cannot be read, or is damaged and cannot be kept aside.
  TRegistryDocument Load() const;

  // Applies change to the current contents under the lock and, when it changed
  // anything, replaces the file. Returns the contents as stored. Raises ERegistryError
  // (after reporting on stderr) when the file cannot be written; it is unchanged then.
  // Exceptions of change pass through and nothing is written.
  TRegistryDocument Update(const std::function<void(TRegistryDocument&)>& change);

private:
  std::filesystem::path LockFile() const;
  TRegistryDocument LoadLocked() const;
  void KeepAside(const std::string& reason) const;
  void Replace(const std::string& text) const;
  void CheckUsable() const;

  std::filesystem::path file_;
};

// $XDG_CONFIG_HOME/velquora/registry.reg when XDG_CONFIG_HOME is an absolute path, else
// $HOME/.config/velquora/registry.reg (the home from the user database when HOME is
// unset). Empty when no home directory can be found.
std::filesystem::path DefaultRegistryFile();

// The store that the host uses: DefaultRegistryFile() unless redirected.
TRegistryStore& ProcessRegistry();

// Points ProcessRegistry() at another file for the lifetime of this object (tests use
// a temporary directory and never touch the user's own store).
class ScopedRegistryFile {
public:
  explicit ScopedRegistryFile(const std::filesystem::path& file);
  ~ScopedRegistryFile();
  ScopedRegistryFile(const ScopedRegistryFile&) = delete;
  ScopedRegistryFile& operator=(const ScopedRegistryFile&) = delete;

private:
  std::unique_ptr<TRegistryStore> previous_;
};

}  // namespace velquora
