#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/password.h"
#include "host_test_support.h"
#include "platform/registry/registry.h"

namespace velquora {
namespace {

using testing::TestDirectory;

constexpr WindowHandle kSaverWindow = 0x5A7E;

// Records what the check does to the window, in order.
class FakeWindow : public PasswordCheckWindow {
public:
  WindowHandle Handle() const override { return kSaverWindow; }
  void ShowCursor(bool show) override { calls.push_back(show ? "show cursor" : "hide cursor"); }
  void SetMouseAllowance(std::int32_t allowance) override { calls.push_back("allowance " + std::to_string(allowance)); }
  void RepaintWholeScene() override { calls.push_back("repaint"); }

  std::vector<std::string> calls;
};

// The system's exports as plain functions that forward to what the test installs.
std::function<std::int32_t(WindowHandle)> g_verify;
std::function<std::uint32_t(const char*, WindowHandle, std::uint32_t, std::uint32_t)> g_change;

std::int32_t VerifyExport(WindowHandle window) { return g_verify(window); }
std::uint32_t ChangeExport(const char* provider, WindowHandle parent, std::uint32_t a, std::uint32_t b) {
  return g_change(provider, parent, a, b);
}

class FakeLoader;

class FakeModule : public TModule {
public:
  FakeModule(FakeLoader& loader, std::map<std::string, void*> exports);
  ~FakeModule() override;
  void* Procedure(const std::string& name) override {
    const auto found = exports_.find(name);
    return found == exports_.end() ? nullptr : found->second;
  }

private:
  FakeLoader& loader_;
  std::map<std::string, void*> exports_;
};

// Serves the modules the test installs and counts loads and unloads.
class FakeLoader : public TModuleLoader {
public:
  std::unique_ptr<TModule> LoadSystemModule(const std::string& file_name) override {
    loads.push_back(file_name);
    const auto found = modules.find(file_name);
    if (found == modules.end()) return nullptr;
    ++loaded;
    return std::make_unique<FakeModule>(*this, found->second);
  }

  std::map<std::string, std::map<std::string, void*>> modules;
  std::vector<std::string> loads;
  int loaded = 0;  // modules alive now
};

FakeModule::FakeModule(FakeLoader& loader, std::map<std::string, void*> exports)
    : loader_(loader), exports_(std::move(exports)) {}
FakeModule::~FakeModule() { --loader_.loaded; }

void* Address(auto function) { return reinterpret_cast<void*>(function); }

class PasswordTest : public ::testing::Test {
protected:
  void SetUp() override {
    loader_.modules["PASSWORD.CPL"] = {{"VerifyScreenSavePwd", Address(&VerifyExport)}};
    loader_.modules["MPR.DLL"] = {{"PwdChangePasswordA", Address(&ChangeExport)}};
    g_verify = [this](WindowHandle window) {
      verified_windows_.push_back(window);
      return answer_;
    };
  }
  void TearDown() override {
    g_verify = nullptr;
    g_change = nullptr;
  }

  void UsePassword(std::int32_t flag) {
    TRegistry registry(store_);
    ASSERT_TRUE(registry.OpenKey("Control Panel\\desktop", true));
    registry.WriteInteger("ScreenSaveUsePassword", flag);
  }

  TestDirectory dir_;
  TRegistryStore store_{dir_.Path() / "registry.reg"};
  FakeLoader loader_;
  FakeWindow window_;
  TSaverPassword password_{store_, loader_};
  std::int32_t answer_ = 0;
  std::vector<WindowHandle> verified_windows_;
};

const std::vector<std::string> kDialogShown = {"show cursor", "allowance 4", "hide cursor", "repaint"};

// --- without the password in force ---------------------------------------------------

TEST_F(PasswordTest, WithoutTheDesktopKeyTheSaverClosesWithoutAnyDialog) {
  EXPECT_TRUE(password_.VerifyClose(window_));
  EXPECT_TRUE(loader_.loads.empty());
  EXPECT_EQ(window_.calls, std::vector<std::string>{"repaint"});
  EXPECT_TRUE(password_.PasswordPassed);
  EXPECT_FALSE(password_.PasswordChecking);
}

TEST_F(PasswordTest, AMissingZeroOrStringSwitchLetsTheSaverClose) {
  const std::function<void(TRegistry&)> switches[] = {
      [](TRegistry&) {},                                                       // value missing
      [](TRegistry& key) { key.WriteInteger("ScreenSaveUsePassword", 0); },
      [](TRegistry& key) { key.WriteString("ScreenSaveUsePassword", "1"); },  // another type
  };
  for (std::size_t i = 0; i < std::size(switches); ++i) {
    TestDirectory dir;
    TRegistryStore store(dir.Path() / "registry.reg");
    TRegistry key(store);
    ASSERT_TRUE(key.OpenKey("Control Panel\\desktop", true));
    switches[i](key);
    FakeLoader loader;
    FakeWindow window;
    TSaverPassword password(store, loader);
    EXPECT_TRUE(password.VerifyClose(window)) << i;
    EXPECT_TRUE(loader.loads.empty()) << i;
    EXPECT_EQ(window.calls, std::vector<std::string>{"repaint"}) << i;
  }
}

// --- with the password in force ------------------------------------------------------

TEST_F(PasswordTest, ACancelledDialogKeepsTheSaverRunningAndAsksAgainNextTime) {
  UsePassword(1);
  answer_ = 0;
  EXPECT_FALSE(password_.VerifyClose(window_));
  EXPECT_EQ(window_.calls, kDialogShown);
  EXPECT_EQ(verified_windows_, std::vector<WindowHandle>{kSaverWindow});
  EXPECT_FALSE(password_.PasswordPassed);
  EXPECT_FALSE(password_.PasswordChecking);
  EXPECT_EQ(loader_.loaded, 0);  // unloaded after the dialog

  answer_ = 1;
  EXPECT_TRUE(password_.VerifyClose(window_));
  EXPECT_EQ(verified_windows_.size(), 2U);
  EXPECT_EQ(loader_.loads, (std::vector<std::string>{"PASSWORD.CPL", "PASSWORD.CPL"}));
}

TEST_F(PasswordTest, TheRightPasswordClosesAndIsNeverAskedAgain) {
  UsePassword(-1);  // any non-zero value
  answer_ = 7;
  EXPECT_TRUE(password_.VerifyClose(window_));
  EXPECT_TRUE(password_.PasswordPassed);
  EXPECT_EQ(window_.calls, kDialogShown);
  window_.calls.clear();
  EXPECT_TRUE(password_.VerifyClose(window_));
  EXPECT_TRUE(password_.VerifyClose(window_));
  EXPECT_EQ(verified_windows_.size(), 1U);
  EXPECT_TRUE(window_.calls.empty());  // no check, so no repaint either
}

TEST_F(PasswordTest, InputDuringTheDialogNeitherClosesNorAsksAgain) {
  UsePassword(1);
  std::vector<bool> nested_answers;
  g_verify = [this, &nested_answers](WindowHandle) {
    // The dialog pumps messages: the saver window gets input and asks again.
    EXPECT_TRUE(password_.PasswordChecking);
    nested_answers.push_back(password_.VerifyClose(window_));
    nested_answers.push_back(password_.VerifyClose(window_));
    return 1;
  };
  EXPECT_TRUE(password_.VerifyClose(window_));
  EXPECT_EQ(nested_answers, (std::vector<bool>{false, false}));
  EXPECT_EQ(loader_.loads.size(), 1U);
  EXPECT_EQ(window_.calls, kDialogShown);  // the nested calls touched nothing
  EXPECT_FALSE(password_.PasswordChecking);
}

TEST_F(PasswordTest, AMissingModuleLetsTheSaverCloseAfterShowingAndHidingTheCursor) {
  UsePassword(1);
  loader_.modules.clear();
  EXPECT_TRUE(password_.VerifyClose(window_));
  EXPECT_EQ(loader_.loads, std::vector<std::string>{"PASSWORD.CPL"});
  EXPECT_EQ(window_.calls, kDialogShown);
  EXPECT_TRUE(password_.PasswordPassed);
}

TEST_F(PasswordTest, AMissingExportLetsTheSaverCloseAndStillHidesTheCursor) {
  UsePassword(1);
  loader_.modules["PASSWORD.CPL"].clear();
  EXPECT_TRUE(password_.VerifyClose(window_));
  EXPECT_EQ(window_.calls, kDialogShown);
  EXPECT_EQ(loader_.loaded, 0);
}

TEST_F(PasswordTest, AFailingDialogLetsTheSaverCloseAndClearsTheGuard) {
  UsePassword(1);
  g_verify = [](WindowHandle) -> std::int32_t { throw std::runtime_error("dialog failed"); };
  EXPECT_TRUE(password_.VerifyClose(window_));
  EXPECT_FALSE(password_.PasswordChecking);
  EXPECT_TRUE(password_.PasswordPassed);
  EXPECT_EQ(window_.calls, kDialogShown);
  EXPECT_EQ(loader_.loaded, 0);
}

TEST_F(PasswordTest, OnThisSystemTheRealLoaderFindsNoModuleSoTheSaverCloses) {
  UsePassword(1);
  TSaverPassword password(store_, SystemModules());
  EXPECT_TRUE(password.VerifyClose(window_));
  EXPECT_EQ(window_.calls, kDialogShown);
}

// --- the change dialog ---------------------------------------------------------------

struct ChangeCall {
  std::string provider;
  WindowHandle parent;
  std::uint32_t reserved1;
  std::uint32_t reserved2;
  bool operator==(const ChangeCall&) const = default;
};

TEST_F(PasswordTest, TheChangeDialogGetsTheProviderAndTheParentFromArgumentTwo) {
  std::vector<ChangeCall> calls;
  g_change = [&calls](const char* provider, WindowHandle parent, std::uint32_t a, std::uint32_t b) {
    calls.push_back({provider, parent, a, b});
    return 0u;
  };
  const std::pair<std::vector<std::string>, WindowHandle> cases[] = {
      {{"/A", "1234"}, 1234}, {{"/a"}, 0}, {{"-A", "12x"}, 0}, {{"/a:99", "0"}, 0}};
  for (const auto& [arguments, parent] : cases) {
    HostState host;
    host.Mode = HostMode::ChangePassword;
    host.Arguments = arguments;
    calls.clear();
    EXPECT_TRUE(ChangeSaverPassword(host, loader_));
    EXPECT_EQ(calls, (std::vector<ChangeCall>{{"SCRSAVE", parent, 0, 0}})) << arguments.size();
  }
  EXPECT_EQ(loader_.loaded, 0);
  EXPECT_EQ(loader_.loads.back(), "MPR.DLL");
}

TEST_F(PasswordTest, WithoutTheModuleOrItsExportTheChangeDoesNothing) {
  int calls = 0;
  g_change = [&calls](const char*, WindowHandle, std::uint32_t, std::uint32_t) { return ++calls, 0u; };
  loader_.modules["MPR.DLL"].clear();
  EXPECT_FALSE(ChangeSaverPassword(loader_, 1234));
  EXPECT_EQ(loader_.loaded, 0);
  loader_.modules.clear();
  EXPECT_FALSE(ChangeSaverPassword(loader_, 1234));
  EXPECT_FALSE(ChangeSaverPassword(SystemModules(), 1234));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(loader_.loads, (std::vector<std::string>{"MPR.DLL", "MPR.DLL"}));
}

// --- the real loader -----------------------------------------------------------------

TEST(SharedObjectLoader, LoadsAModuleOfItsDirectoryAndFindsItsExports) {
  Dl_info info{};
  ASSERT_NE(::dladdr(reinterpret_cast<void*>(&std::fputs), &info), 0);
  const std::filesystem::path library = std::filesystem::canonical(info.dli_fname);
  TSharedObjectLoader loader(library.parent_path());
  const std::unique_ptr<TModule> module = loader.LoadSystemModule(library.filename().string());
  ASSERT_NE(module, nullptr);
  EXPECT_NE(module->Procedure("fputs"), nullptr);
  EXPECT_EQ(module->Procedure("VerifyScreenSavePwd"), nullptr);
  EXPECT_EQ(loader.LoadSystemModule("no-such-module.so"), nullptr);
  // Only plain names of the directory.
  EXPECT_EQ(loader.LoadSystemModule("../" + library.parent_path().filename().string() + "/" +
                                    library.filename().string()),
            nullptr);
  EXPECT_EQ(loader.LoadSystemModule(""), nullptr);
}

TEST(SharedObjectLoader, TheSystemHasNoPasswordModules) {
  EXPECT_EQ(SystemModules().LoadSystemModule("PASSWORD.CPL"), nullptr);
  EXPECT_EQ(SystemModules().LoadSystemModule("MPR.DLL"), nullptr);
}

}  // namespace
}  // namespace velquora
