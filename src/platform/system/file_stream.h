#pragma once
// A stream over a file on disk. Read mode opens read-only and lets other processes read
// and write the file meanwhile (POSIX files are shared); Create makes or truncates it;
// CreateNew makes it only when no file of that name exists.
#include <cstdio>
#include <filesystem>

#include "core/exceptions.h"
#include "core/stream.h"

namespace velquora {

enum class FileMode { OpenRead, Create, CreateNew };

// CreateNew found a file of that name.
class EFileExists : public EFOpenError {
public:
  using EFOpenError::EFOpenError;
};

class TFileStream : public TStream {
public:
  // Raises EFOpenError when the file cannot be opened or created (EFileExists when
  // CreateNew finds the name taken).
  TFileStream(const std::filesystem::path& path, FileMode mode);
  ~TFileStream() override;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

private:
  std::FILE* file_ = nullptr;
};

}  // namespace velquora
