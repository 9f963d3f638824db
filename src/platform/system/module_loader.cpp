#include "platform/system/module_loader.h"

#include <dlfcn.h>

namespace velquora {

namespace {

class SharedObject : public TModule {
public:
  explicit SharedObject(void* handle) : handle_(handle) {}
  ~SharedObject() override { ::dlclose(handle_); }

  void* Procedure(const std::string& name) override { return ::dlsym(handle_, name.c_str()); }

private:
  void* handle_;
};

}  // namespace

TSharedObjectLoader::TSharedObjectLoader(std::filesystem::path directory) : directory_(std::move(directory)) {}

std::unique_ptr<TModule> TSharedObjectLoader::LoadSystemModule(const std::string& file_name) {
  // Only a plain file name of this directory: nothing from elsewhere is loaded.
  if (file_name.empty() || file_name.find('/') != std::string::npos) return nullptr;
  const std::filesystem::path path = directory_ / file_name;
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  return std::make_unique<SharedObject>(handle);
}

std::filesystem::path SystemModuleDirectory() { return "/usr/lib"; }

TModuleLoader& SystemModules() {
  static TSharedObjectLoader loader(SystemModuleDirectory());
  return loader;
}

}  // namespace velquora
