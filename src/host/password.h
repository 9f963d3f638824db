#pragma once
// The saver password: before a full-screen saver closes, the system's verification
// dialog may ask for it, and the change mode opens the system's change dialog. Both
// dialogs are exports of system modules loaded on demand; where a module or the stored
// switch is missing the saver simply closes and the change does nothing.
#include <cstdint>

#include "host/host_state.h"
#include "platform/registry/registry_store.h"
#include "platform/system/module_loader.h"
#include "platform/win/window_handle.h"

namespace velquora {

inline constexpr const char* kPasswordModule = "PASSWORD.CPL";
inline constexpr const char* kVerifyPasswordExport = "VerifyScreenSavePwd";
inline constexpr const char* kPasswordChangeModule = "MPR.DLL";
inline constexpr const char* kChangePasswordExport = "PwdChangePasswordA";
inline constexpr const char* kPasswordProvider = "SCRSAVE";
inline constexpr const char* kDesktopKey = "Control Panel\\desktop";
inline constexpr const char* kUsePasswordValue = "ScreenSaveUsePassword";
// Mouse-motion messages ignored after the verification dialog was shown.
inline constexpr std::int32_t kAllowanceAfterPasswordDialog = 4;

// The exports: non-zero when the password was entered correctly; the change's result
// is not used.
using VerifyScreenSavePwdProcedure = std::int32_t (*)(WindowHandle window);
using PwdChangePasswordProcedure = std::uint32_t (*)(const char* provider, WindowHandle parent,
                                                     std::uint32_t reserved1, std::uint32_t reserved2);

// What a password check does to the saver window and its scene.
class PasswordCheckWindow {
public:
  virtual ~PasswordCheckWindow() = default;
  virtual WindowHandle Handle() const = 0;
  virtual void ShowCursor(bool show) = 0;
  // The number of mouse-motion messages still ignored.
  virtual void SetMouseAllowance(std::int32_t allowance) = 0;
  // Clears the scene's BackgroundShown: the next Step repaints the whole screen.
  virtual void RepaintWholeScene() = 0;
};

class TSaverPassword {
public:
  TSaverPassword(TRegistryStore& store, TModuleLoader& modules);

  // May the saver close now? False while a check is showing its dialog (input that
  // arrives meanwhile does not close); true at once after a check has passed. Otherwise
  // true unless "ScreenSaveUsePassword" is a non-zero REG_DWORD under
  // HKEY_CURRENT_USER\Control Panel\desktop and the verification dialog answers zero
  // (wrong password or cancelled). Every failure (key, value, module or export missing)
  // lets the saver close. Around the dialog the cursor is shown and hidden again and the
  // mouse allowance becomes 4; after every check the whole scene is repainted.
  bool VerifyClose(PasswordCheckWindow& window);

  bool PasswordChecking = false;  // a check is running (its dialog pumps messages)
  bool PasswordPassed = false;    // a check has let the saver close; never asked again

private:
  bool PasswordInForce() const;
  bool AskForPassword(PasswordCheckWindow& window);

  TRegistryStore& store_;
  TModuleLoader& modules_;
};

// Opens the system's password change dialog for the saver password provider with the
// given parent window. Does nothing where the module or its export is missing. Returns
// whether the system had the dialog.
bool ChangeSaverPassword(TModuleLoader& modules, WindowHandle parent);
// The whole of ChangePassword mode: the parent window is argument 2 of the command line
// as a decimal number (0 when absent or not a number).
bool ChangeSaverPassword(const HostState& host, TModuleLoader& modules);

}  // namespace velquora
