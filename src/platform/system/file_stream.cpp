#include "platform/system/file_stream.h"

#include <cerrno>

#include "core/exceptions.h"

namespace velquora {

TFileStream::TFileStream(const std::filesystem::path& path, FileMode mode) {
  const char* fopen_mode = mode == FileMode::OpenRead ? "rb" : mode == FileMode::Create ? "w+b" : "w+bx";
  file_ = std::fopen(path.c_str(), fopen_mode);
  if (file_ == nullptr) {
    if (mode == FileMode::CreateNew && errno == EEXIST) throw EFileExists("File exists " + path.string());
    throw EFOpenError((mode == FileMode::OpenRead ? "Cannot open file " : "Cannot create file ") +
                      path.string());
  }
}

TFileStream::~TFileStream() { std::fclose(file_); }

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  return std::fread(buffer, 1, count, file_);
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
  return std::fwrite(buffer, 1, count, file_);
}

std::int64_t TFileStream::Seek(std::int64_t offset, SeekOrigin origin) {
  const int whence = origin == SeekOrigin::Beginning ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
  if (fseeko(file_, static_cast<off_t>(offset), whence) != 0) throw EReadError("Stream seek error");
  return static_cast<std::int64_t>(ftello(file_));
}

}  // namespace velquora
