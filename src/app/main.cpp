// velquora-saver: the program's own tool options first, then the saver's command line.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "app/scene_dump.h"
#include "app/tool_options.h"
#include "core/ansi_text.h"
#include "core/random.h"
#include "host/saver_front_end.h"
#include "host/settings.h"
#include "host/start_up.h"
#include "platform/registry/registry_store.h"
#include "platform/system/display_info.h"
#include "platform/system/process.h"
#include "platform/system/temp_files.h"

namespace {
constexpr int kUsageError = 2;

// Makes the options take effect for the whole process.
void ApplyToolOptions(const velquora::ToolOptions& options) {
  if (options.Seed) velquora::SetFixedSeed(*options.Seed);
  if (options.CodePage) velquora::SetActiveCodePage(*options.CodePage);
  velquora::SetHeadlessScreenSize(options.Size);
}

int RunSaver(const std::string& saver_path, const velquora::ToolOptions& options) {
  velquora::TSaverSettings settings(velquora::ProcessRegistry());  // the user's durable registry
  velquora::HeadlessFrontEnd front_end(std::cerr);
  velquora::HostServices services{settings, front_end, velquora::SystemTemporaryDirectory()};
  return velquora::RunSaverProcess(velquora::Host(), saver_path, options.SaverArguments, services);
}
}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
  velquora::ToolOptions options;
  try {
    options = velquora::ParseToolOptions(arguments);
    if (options.Help) {
      std::cout << velquora::ToolOptionsHelp();
      return 0;
    }
    ApplyToolOptions(options);
  } catch (const velquora::Exception& error) {
    std::cerr << "velquora-saver: " << error.what() << " (see --help)\n";
    return kUsageError;
  }

  const std::string saver_path =
      options.SaverFile ? *options.SaverFile : velquora::RunningProgramPath(argc > 0 ? argv[0] : "");
  if (options.DumpScene) return velquora::RunSceneDump(saver_path, options.Size, std::cout);
  return RunSaver(saver_path, options);
}
