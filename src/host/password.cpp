#include "host/password.h"

#include <exception>

#include "host/mode_choice.h"
#include "platform/registry/registry.h"

namespace velquora {

TSaverPassword::TSaverPassword(TRegistryStore& store, TModuleLoader& modules) : store_(store), modules_(modules) {}

bool TSaverPassword::VerifyClose(PasswordCheckWindow& window) {
  if (PasswordChecking) return false;
  if (PasswordPassed) return true;
  PasswordChecking = true;
  bool may_close = true;
  try {
    may_close = !PasswordInForce() || AskForPassword(window);
  } catch (const std::exception&) {
    may_close = true;  // a check that cannot be made never keeps the saver running
  }
  PasswordChecking = false;
  PasswordPassed = may_close;
  window.RepaintWholeScene();  // the dialog covered part of the screen
  return may_close;
}

bool TSaverPassword::PasswordInForce() const {
  TRegistry registry(store_);
  if (!registry.OpenKey(kDesktopKey, false)) return false;
  return registry.ReadInteger(kUsePasswordValue) != 0;  // raises when missing or not a dword
}

bool TSaverPassword::AskForPassword(PasswordCheckWindow& window) {
  window.ShowCursor(true);
  bool entered = true;
  try {
    if (std::unique_ptr<TModule> module = modules_.LoadSystemModule(kPasswordModule)) {
      void* procedure = module->Procedure(kVerifyPasswordExport);
      if (procedure != nullptr) {
        entered = reinterpret_cast<VerifyScreenSavePwdProcedure>(procedure)(window.Handle()) != 0;
      }
    }  // the module is unloaded here
  } catch (const std::exception&) {
    entered = true;
  }
  // Whatever happened, the cursor is hidden again and motion is briefly ignored.
  window.SetMouseAllowance(kAllowanceAfterPasswordDialog);
  window.ShowCursor(false);
  return entered;
}

bool ChangeSaverPassword(TModuleLoader& modules, WindowHandle parent) {
  try {
    const std::unique_ptr<TModule> module = modules.LoadSystemModule(kPasswordChangeModule);
    if (!module) return false;
    void* procedure = module->Procedure(kChangePasswordExport);
    if (procedure == nullptr) return false;
    reinterpret_cast<PwdChangePasswordProcedure>(procedure)(kPasswordProvider, parent, 0, 0);
    return true;
  } catch (const std::exception&) {
    return true;  // the dialog was there; its failure is silent
  }
}

bool ChangeSaverPassword(const HostState& host, TModuleLoader& modules) {
  return ChangeSaverPassword(modules, ParseWindowHandle(host.Argument(2)));
}

}  // namespace velquora
