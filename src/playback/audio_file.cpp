#include "playback/audio_file.h"

#include "platform/system/temp_files.h"

namespace velquora {

TAudioFile::~TAudioFile() {
  // A copy that has gone missing meanwhile is no error.
  if (!temp_copy_path_.empty()) DeleteFileQuietly(temp_copy_path_);
}

TAudioItem& TAudioFile::AddItem() {
  Items.push_back(std::make_unique<TAudioItem>(this));
  return *Items.back();
}

}  // namespace velquora
