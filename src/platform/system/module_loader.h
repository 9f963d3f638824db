#pragma once
// Modules of the system that exist only on some systems, loaded at run time by file name
// and asked for their exports by name. Their absence is never fatal: loading gives
// nullptr. A loaded module stays loaded while its TModule lives.
#include <filesystem>
#include <memory>
#include <string>

namespace velquora {

class TModule {
public:
  virtual ~TModule() = default;  // unloads the module
  TModule() = default;
  TModule(const TModule&) = delete;
  TModule& operator=(const TModule&) = delete;

  // The address of the export with this name, or nullptr. The caller knows its type.
  virtual void* Procedure(const std::string& name) = 0;
};

class TModuleLoader {
public:
  virtual ~TModuleLoader() = default;
  // Loads the module file of this name from the system's module directory; nullptr when
  // it does not exist or cannot be loaded.
  virtual std::unique_ptr<TModule> LoadSystemModule(const std::string& file_name) = 0;
};

// Loads shared objects from one directory with the dynamic linker.
class TSharedObjectLoader : public TModuleLoader {
public:
  explicit TSharedObjectLoader(std::filesystem::path directory);
  std::unique_ptr<TModule> LoadSystemModule(const std::string& file_name) override;

private:
  std::filesystem::path directory_;
};

// The directory of the system's own libraries, where system modules are looked for.
std::filesystem::path SystemModuleDirectory();

// The process's loader over SystemModuleDirectory().
TModuleLoader& SystemModules();

}  // namespace velquora
