#include "host/integrity_check.h"

#include <filesystem>

#include "core/exceptions.h"
#include "host/saver_checksum.h"
#include "platform/system/file_stream.h"
#include "platform/win/message_box.h"

namespace velquora {

namespace {
void ReportUnopenable(const std::string& program_path) { ShowErrorBox("Cannot open " + program_path + " file."); }

bool UserProceedsAnyway(const std::string& program_path) {
  MessageBoxRequest box;
  box.text = CorruptedFileQuestion(program_path);
  box.caption = "Error";
  box.icon = MessageBoxIcon::Error;
  box.buttons = MessageBoxButtons::YesNo;
  box.default_button = MessageBoxResult::No;
  return ShowMessageBox(box) == MessageBoxResult::Yes;
}
}  // namespace

std::string CorruptedFileQuestion(const std::string& program_path) {
  const std::string name = std::filesystem::path(program_path).filename().string();
  return "File " + name + " is corrupted. \r" +
         "Probably you have not completed file downloading or some errors occured during the download "
         "process.\r\rDo you want to proceed anyway?";
}

bool CheckSaverFile(const HostState& host, HostSettings& settings) {
  if (settings.CrcChecked(host)) return true;
  SaverFileChecksum checksum;
  try {
    TFileStream file(host.ProgramPath, FileMode::OpenRead);
    checksum = ComputeSaverFileChecksum(file);
  } catch (const EFOpenError&) {
    ReportUnopenable(host.ProgramPath);
    return false;
  } catch (const Exception&) {
    // A read or seek that fails part-way: the file is not what it should be.
    checksum.LayoutSound = false;
  }
  return checksum.Ok() || UserProceedsAnyway(host.ProgramPath);
}

}  // namespace velquora
