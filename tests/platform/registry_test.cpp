#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/registry/registry_store.h"
#include "platform/registry/registry_text.h"
#include "scoped_temp_dir.h"

namespace velquora {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::set<std::string> FileNames(const fs::path& directory) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.insert(entry.path().filename().string());
  return names;
}

constexpr const char* kAquarium = "HKEY_CURRENT_USER\\SOFTWARE\\Dorvex\\Screen Savers\\Aquarium";

// --- the text form -------------------------------------------------------------------

TEST(RegistryText, FormatsEveryValueKindAsTheRegistryEditorDoes) {
  TRegistryDocument document;
  TRegistryKey& key = document.ListKey(kAquarium);
  key.SetValue(MakeStringValue("Timer Interval", "100"));
  key.SetValue(MakeStringValue("Path \"quoted\"", "C:\\Savers\\"));
  key.SetValue(MakeDwordValue("Flag", 0xA1));
  key.SetValue(TRegistryValue{"Blob", kRegBinary, std::string("\x01\xff\x00", 3)});
  key.SetValue(TRegistryValue{"", kRegExpandSz, "%TEMP%"});
  key.SetValue(MakeStringValue("Lines", "a\nb"));
  const std::string expected =
      "REGEDIT4\n"
      "\n"
      "[HKEY_CURRENT_USER\\SOFTWARE\\Dorvex\\Screen Savers\\Aquarium]\n"
      "\"Timer Interval\"=\"100\"\n"
      "\"Path \\\"quoted\\\"\"=\"C:\\\\Savers\\\\\"\n"
      "\"Flag\"=dword:000000a1\n"
      "\"Blob\"=hex:01,ff,00\n"
      "@=hex(2):25,54,45,4d,50,25,00\n"
      "\"Lines\"=hex(1):61,0a,62,00\n"
      "\n";
  EXPECT_EQ(FormatRegistryText(document), expected);
  EXPECT_EQ(ParseRegistryText(expected), document);
}

TEST(RegistryText, ParsesHandWrittenTextWithBomCrlfCommentsAndContinuedHex) {
  const std::string text =
      "\xEF\xBB\xBFREGEDIT4\r\n"
      "\r\n"
      "; settings of one saver\r\n"
      "  [HKEY_CURRENT_USER\\Control Panel\\desktop]  \r\n"
      "\"ScreenSaveUsePassword\"=dword:1\r\n"
      "\"Wide\" = hex(7):61,00,\\\r\n"
      "    62,00,00\r\n"
      "\"Empty\"=hex:\r\n"
      "\"Text\"=\"say \\\"hi\\\"\"\r\n";
  const TRegistryDocument document = ParseRegistryText(text);
  const TRegistryKey* desktop = document.FindKey("HKEY_CURRENT_USER\\Control Panel\\desktop");
  ASSERT_NE(desktop, nullptr);
  EXPECT_EQ(*desktop->FindValue("ScreenSaveUsePassword"), MakeDwordValue("ScreenSaveUsePassword", 1));
  EXPECT_EQ(*desktop->FindValue("Wide"), (TRegistryValue{"Wide", 7, std::string("a\0b\0\0", 5)}));
  EXPECT_EQ(*desktop->FindValue("Empty"), (TRegistryValue{"Empty", kRegBinary, ""}));
  EXPECT_EQ(*desktop->FindValue("Text"), MakeStringValue("Text", "say \"hi\""));
}

TEST(RegistryText, LongHexListsWrapAndReadBack) {
  TRegistryDocument document;
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i * 7);
  document.ListKey(kAquarium).SetValue(TRegistryValue{"Long", kRegBinary, bytes});
  const std::string text = FormatRegistryText(document);
  std::istringstream lines(text);
  std::string line;
  int continued = 0;
  while (std::getline(lines, line)) {
    EXPECT_LE(line.size(), 80U) << line;
    if (!line.empty() && line.back() == '\\') ++continued;
  }
  EXPECT_GT(continued, 5);
  EXPECT_EQ(ParseRegistryText(text), document);
}

TEST(RegistryText, AKeyListedTwiceGetsTheValuesOfBothAndTheLastWins) {
  const TRegistryDocument document = ParseRegistryText(
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n[HKEY_CURRENT_USER\\B]\n[hkey_current_user\\a]\n\"X\"=\"2\"\n\"y\"=\"3\"\n");
  ASSERT_EQ(document.Keys().size(), 2U);
  const TRegistryKey* a = document.FindKey("HKEY_CURRENT_USER\\A");
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->Values.size(), 2U);
  EXPECT_EQ(a->Values[0], MakeStringValue("x", "2"));  // keeps the name as first written
  EXPECT_EQ(a->Values[1], MakeStringValue("y", "3"));
}

TEST(RegistryText, EmptyTextIsAnEmptyRegistry) {
  EXPECT_TRUE(ParseRegistryText("").Keys().empty());
  EXPECT_TRUE(ParseRegistryText("\n  \n").Keys().empty());
  EXPECT_TRUE(ParseRegistryText("REGEDIT4\n").Keys().empty());
}

struct DamagedText {
  const char* text;
  std::size_t line;
};

TEST(RegistryText, DamagedTextIsRefusedWithItsLine) {
  const DamagedText cases[] = {
      {"REGEDIT5\n", 1},
      {"\n[HKEY_CURRENT_USER\\A]\n", 2},
      {"REGEDIT4\n\"x\"=\"1\"\n", 2},                                 // value before any key
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A\n", 2},                       // no ]
      {"REGEDIT4\n[-HKEY_CURRENT_USER\\A]\n", 2},                     // deletion
      {"REGEDIT4\n[SOFTWARE\\A]\n", 2},                               // no root
      {"REGEDIT4\n[HKEY_CURRENT_USER\\\\A]\n", 2},                    // empty name
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=-\n", 3},             // deletion
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"open\n", 3},        // unterminated
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"a\\nb\"\n", 3},     // unknown escape
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"a\" junk\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"\"a\"\n", 3},          // no =
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:123456789\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:12g4\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:1,2,345\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:01,,02\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex(zz):01\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:01,\\\n", 3},     // continues past the end
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=1\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\njunk\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"a\rb\"\n", 3},     // CR inside a line
  };
  for (const DamagedText& damaged : cases) {
    try {
      ParseRegistryText(damaged.text);
      ADD_FAILURE() << "accepted: " << damaged.text;
    } catch (const ERegistryFormatError& error) {
      EXPECT_EQ(error.Line(), damaged.line) << damaged.text << " -> " << error.what();
    }
  }
  const std::string with_nul = std::string("REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"a") + '\0' + "b\"\n";
  EXPECT_THROW(ParseRegistryText(with_nul), ERegistryFormatError);
}

struct FoldCase {
  const char* a;
  const char* b;
  bool same;
};

TEST(RegistryText, NamesCompareWithoutCaseAsTheRegistryDoes) {
  const FoldCase cases[] = {
      {"Timer Interval", "TIMER interval", true},
      {"\xC3\xA9\x63lair", "\xC3\x89\x43LAIR", true},               // éclair / ÉCLAIR
      {"\xC3\xBF", "\xC5\xB8", true},                               // ÿ / Ÿ
      {"\xC5\x82\xC3\xB3\x64\xC5\xBA", "\xC5\x81\xC3\x93\x44\xC5\xB9", true},  // łódź / ŁÓDŹ
      {"\xD0\xB0\xD0\xBA\xD0\xB2\xD0\xB0", "\xD0\x90\xD0\x9A\xD0\x92\xD0\x90", true},  // аква / АКВА
      {"\xD1\x91\xD0\xB6", "\xD0\x81\xD0\x96", true},               // ёж / ЁЖ
      {"\xCF\x82", "\xCE\xA3", true},                               // final sigma / Σ
      {"\xCF\x83", "\xCE\xA3", true},                               // σ / Σ
      {"\xC3\xB7", "\xC3\x97", false},                              // ÷ is no letter
      {"a", "b", false},
      {"ab", "a", false},
      {"\xFF\xFE", "\xFF\xFE", true},                               // malformed bytes stay
  };
  for (const FoldCase& fold : cases) {
    EXPECT_EQ(SameRegistryName(fold.a, fold.b), fold.same) << fold.a << " / " << fold.b;
  }
}

TEST(RegistryText, KeyPathsAreCheckedAndLoseATrailingBackslash) {
  EXPECT_EQ(NormalizeKeyPath("HKEY_CURRENT_USER\\A\\"), "HKEY_CURRENT_USER\\A");
  EXPECT_EQ(NormalizeKeyPath("hkey_users"), "hkey_users");
  for (const char* bad : {"", "\\", "HKEY_", "HKEY_\\A", "SOFTWARE\\A", "HKEY_CURRENT_USER\\\\A",
                          "HKEY_CURRENT_USER\\A\\\\", "\\HKEY_CURRENT_USER", "HKEY_CURRENT_USER\\A\nB"}) {
    EXPECT_THROW(NormalizeKeyPath(bad), ERegistryError) << bad;
  }
}

TEST(RegistryText, ParentsOfListedKeysExistAndCreatingListsOnlyMissingOnes) {
  TRegistryDocument document = ParseRegistryText("REGEDIT4\n[HKEY_CURRENT_USER\\SOFTWARE\\Other\\Deep]\n");
  EXPECT_TRUE(document.KeyExists("HKEY_CURRENT_USER\\software\\other"));
  EXPECT_TRUE(document.KeyExists("HKEY_CURRENT_USER"));
  EXPECT_FALSE(document.KeyExists("HKEY_CURRENT_USER\\SOFTWARE\\Oth"));
  EXPECT_EQ(document.FindKey("HKEY_CURRENT_USER\\SOFTWARE"), nullptr);  // exists, but holds no values
  document.CreateKey(kAquarium);
  std::vector<std::string> paths;
  for (const TRegistryKey& key : document.Keys()) paths.push_back(key.Path);
  EXPECT_EQ(paths, (std::vector<std::string>{"HKEY_CURRENT_USER\\SOFTWARE\\Other\\Deep",
                                             "HKEY_CURRENT_USER\\SOFTWARE\\Dorvex",
                                             "HKEY_CURRENT_USER\\SOFTWARE\\Dorvex\\Screen Savers", kAquarium}));
}

TEST(RegistryText, NamesThatNoTextCanHoldAreRefused) {
  TRegistryKey key;
  EXPECT_THROW(key.SetValue(MakeStringValue("a\nb", "1")), ERegistryError);
  EXPECT_THROW(key.SetValue(MakeStringValue(std::string("a\0b", 3), "1")), ERegistryError);
  EXPECT_TRUE(key.Values.empty());
}

// --- the store on disk ---------------------------------------------------------------

class RegistryStoreTest : public ::testing::Test {
protected:
  fs::path File() const { return temp_.Path() / "velquora" / "registry.reg"; }
  ScopedTempDir temp_;
};

TEST_F(RegistryStoreTest, AMissingFileIsAnEmptyRegistryAndReadingCreatesNothing) {
  TRegistryStore store(File());
  TRegistry registry(store);
  EXPECT_FALSE(registry.OpenKey("SOFTWARE\\Dorvex", false));
  EXPECT_FALSE(registry.KeyIsOpen());
  EXPECT_FALSE(fs::exists(File().parent_path()));
}

TEST_F(RegistryStoreTest, OpeningWithCreateWritesTheKeyAndItsParents) {
  TRegistryStore store(File());
  TRegistry registry(store);
  ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Dorvex\\Screen Savers\\Aquarium", true));
  EXPECT_EQ(registry.CurrentPath(), kAquarium);
  registry.WriteString("Timer Interval", "100");
  EXPECT_EQ(ReadFile(File()),
            "REGEDIT4\n\n"
            "[HKEY_CURRENT_USER\\SOFTWARE]\n\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\Dorvex]\n\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\Dorvex\\Screen Savers]\n\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\Dorvex\\Screen Savers\\Aquarium]\n"
            "\"Timer Interval\"=\"100\"\n\n");
  // Writing leaves no temporary file behind.
  EXPECT_EQ(FileNames(File().parent_path()), (std::set<std::string>{"registry.reg", "registry.reg.lock"}));
}

TEST_F(RegistryStoreTest, KeysAndValuesAreFoundWhateverTheirCase) {
  TRegistryStore store(File());
  TRegistry writer(store);
  ASSERT_TRUE(writer.OpenKey("SOFTWARE\\Dorvex\\Screen Savers\\Aquarium", true));
  writer.WriteString("Play Sound", "10");
  TRegistry reader(store);
  ASSERT_TRUE(reader.OpenKey("software\\DORVEX\\screen savers\\aquarium", false));
  EXPECT_EQ(reader.ReadString("PLAY SOUND"), "10");
  reader.WriteString("play sound", "3");  // replaces the value, keeps the first spelling
  EXPECT_NE(ReadFile(File()).find("\"Play Sound\"=\"3\""), std::string::npos);
}

TEST_F(RegistryStoreTest, ValuesOfAnotherTypeRaiseAndMissingOnesFollowTheirReader) {
  WriteFile(File(),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\desktop]\n"
            "\"Number\"=dword:fffffffe\n\"Text\"=\"1\"\n\"Blob\"=hex:01\n\"Expand\"=hex(2):61,00\n");
  TRegistryStore store(File());
  TRegistry registry(store);
  ASSERT_TRUE(registry.OpenKey("Control Panel\\desktop", false));
  EXPECT_EQ(registry.ReadInteger("Number"), -2);
  EXPECT_EQ(registry.ReadString("Text"), "1");
  EXPECT_EQ(registry.ReadString("Expand"), "a");
  EXPECT_THROW(registry.ReadString("Number"), ERegistryError);
  EXPECT_THROW(registry.ReadString("Blob"), ERegistryError);
  EXPECT_THROW(registry.ReadInteger("Text"), ERegistryError);
  EXPECT_THROW(registry.ReadInteger("Blob"), ERegistryError);
  EXPECT_THROW(registry.ReadInteger("Missing"), ERegistryError);
  EXPECT_EQ(registry.ReadString("Missing"), std::nullopt);
  EXPECT_TRUE(registry.ValueExists("blob"));
  EXPECT_FALSE(registry.ValueExists("Missing"));
}

TEST_F(RegistryStoreTest, AWriteKeepsEveryOtherKeyAndValueAsItWas) {
  const std::string other_keys =
      "[HKEY_CURRENT_USER\\SOFTWARE\\Dorvex\\Screen Savers\\Fish]\n"
      "\"Timer Interval\"=\"40\"\n"
      "\"Odd\"=hex(7):61,00,00\n"
      "\n"
      "[HKEY_CURRENT_USER\\Control Panel\\desktop]\n"
      "\"ScreenSaveUsePassword\"=dword:00000001\n"
      "@=\"default\"\n"
      "\n";
  WriteFile(File(), "REGEDIT4\n\n" + other_keys +
                        "[HKEY_CURRENT_USER\\SOFTWARE\\Dorvex\\Screen Savers\\Aquarium]\n\"CRC Checked\"=\"0\"\n\n");
  TRegistryStore store(File());
  TRegistry registry(store);
  ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Dorvex\\Screen Savers\\Aquarium", true));
  registry.WriteString("CRC Checked", "1");
  registry.WriteInteger("Count", 7);
  EXPECT_EQ(ReadFile(File()), "REGEDIT4\n\n" + other_keys +
                                  "[HKEY_CURRENT_USER\\SOFTWARE\\Dorvex\\Screen Savers\\Aquarium]\n"
                                  "\"CRC Checked\"=\"1\"\n\"Count\"=dword:00000007\n\n");
}

TEST_F(RegistryStoreTest, AWriteSeesWhatAnotherWriterStoredAfterTheKeyWasOpened) {
  TRegistryStore store(File());
  TRegistry first(store);
  TRegistry second(store);
  ASSERT_TRUE(first.OpenKey("SOFTWARE\\A", true));
  ASSERT_TRUE(second.OpenKey("SOFTWARE\\B", true));
  first.WriteString("one", "1");
  second.WriteString("two", "2");  // its snapshot predates "one"; the file keeps both
  TRegistry reader(store);
  ASSERT_TRUE(reader.OpenKey("SOFTWARE\\A", false));
  EXPECT_EQ(reader.ReadString("one"), "1");
  ASSERT_TRUE(reader.OpenKey("SOFTWARE\\B", false));
  EXPECT_EQ(reader.ReadString("two"), "2");
}

TEST_F(RegistryStoreTest, ADamagedFileIsKeptAsideReportedAndReplaced) {
  const std::string damaged = "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"unterminated\n";
  WriteFile(File(), damaged);
  TRegistryStore store(File());
  TRegistry registry(store);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(registry.OpenKey("A", false));
  const std::string report = ::testing::internal::GetCapturedStderr();
  const fs::path aside = File().string() + ".damaged-1";
  EXPECT_EQ(ReadFile(aside), damaged);
  EXPECT_FALSE(fs::exists(File()));
  EXPECT_NE(report.find(aside.string()), std::string::npos) << report;
  EXPECT_NE(report.find("line 3"), std::string::npos) << report;

  // A second damaged file goes beside the first; a write starts from empty.
  WriteFile(File(), "not a registry");
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(registry.OpenKey("A", true));
  registry.WriteString("x", "fresh");
  EXPECT_NE(::testing::internal::GetCapturedStderr().find(".damaged-2"), std::string::npos);
  EXPECT_EQ(ReadFile(File().string() + ".damaged-2"), "not a registry");
  EXPECT_EQ(ReadFile(aside), damaged);
  EXPECT_EQ(ReadFile(File()), "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"fresh\"\n\n");
}

TEST_F(RegistryStoreTest, AnOversizedFileIsKeptAsideUnread) {
  std::string huge = "REGEDIT4\n";
  huge.resize(kMaxRegistryFileSize + 1, ';');
  WriteFile(File(), huge);
  TRegistryStore store(File());
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(store.Load().Keys().empty());
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(fs::file_size(File().string() + ".damaged-1"), huge.size());
}

TEST_F(RegistryStoreTest, AStoreThatCannotBeWrittenFailsAndChangesNothing) {
  WriteFile(temp_.Path() / "velquora", "a file where the directory should be");
  TRegistryStore store(File());
  TRegistry registry(store);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(registry.OpenKey("SOFTWARE\\A", true));
  EXPECT_THROW(registry.WriteString("x", "1"), ERegistryError);  // no key is open
  EXPECT_FALSE(::testing::internal::GetCapturedStderr().empty());
  EXPECT_EQ(ReadFile(temp_.Path() / "velquora"), "a file where the directory should be");
}

TEST_F(RegistryStoreTest, AStoreWithoutAPlaceRefusesEveryCall) {
  TRegistryStore store{fs::path()};
  ::testing::internal::CaptureStderr();
  EXPECT_THROW(store.Load(), ERegistryError);
  TRegistry registry(store);
  EXPECT_FALSE(registry.OpenKey("A", true));
  ::testing::internal::GetCapturedStderr();
}

// Two processes write many distinct values into a shared key and a key of their own at
// the same time; afterwards every value is there and no reader saw a torn file.
TEST_F(RegistryStoreTest, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int kValuesEach = 60;
  std::vector<pid_t> children;
  for (int writer = 0; writer < 2; ++writer) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int status = 0;
      try {
        TRegistryStore store(File());
        TRegistry shared(store);
        TRegistry own(store);
        if (!shared.OpenKey("SOFTWARE\\Shared", true) || !own.OpenKey("SOFTWARE\\Writer" + std::to_string(writer), true)) {
          status = 2;
        }
        for (int i = 0; status == 0 && i < kValuesEach; ++i) {
          shared.WriteString("w" + std::to_string(writer) + "-" + std::to_string(i), std::to_string(i * 3));
          own.WriteInteger("n" + std::to_string(i), i);
        }
      } catch (...) {
        status = 3;
      }
      ::_exit(status);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  TRegistryStore store(File());
  TRegistry shared(store);
  TRegistry own(store);
  ASSERT_TRUE(shared.OpenKey("SOFTWARE\\Shared", false));
  for (int writer = 0; writer < 2; ++writer) {
    ASSERT_TRUE(own.OpenKey("SOFTWARE\\Writer" + std::to_string(writer), false));
    for (int i = 0; i < kValuesEach; ++i) {
      EXPECT_EQ(shared.ReadString("w" + std::to_string(writer) + "-" + std::to_string(i)), std::to_string(i * 3));
      EXPECT_EQ(own.ReadInteger("n" + std::to_string(i)), i);
    }
  }
  EXPECT_EQ(FileNames(File().parent_path()), (std::set<std::string>{"registry.reg", "registry.reg.lock"}));
}

// --- where the store lives -----------------------------------------------------------

class ScopedEnvironment {
public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(RegistryLocation, ConfigHomeWhenAbsoluteElseHomeConfig) {
  struct Case {
    const char* xdg;
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"/tmp/cfg", "/home/u", "/tmp/cfg/velquora/registry.reg"},
      {"relative/cfg", "/home/u", "/home/u/.config/velquora/registry.reg"},
      {"", "/home/u", "/home/u/.config/velquora/registry.reg"},
      {nullptr, "/home/u", "/home/u/.config/velquora/registry.reg"},
  };
  for (const Case& c : cases) {
    const ScopedEnvironment xdg("XDG_CONFIG_HOME", c.xdg);
    const ScopedEnvironment home("HOME", c.home);
    EXPECT_EQ(DefaultRegistryFile(), fs::path(c.expected)) << (c.xdg ? c.xdg : "(unset)");
  }
}

TEST(RegistryLocation, TheProcessStoreCanBeRedirected) {
  const ScopedTempDir temp;
  const fs::path before = ProcessRegistry().File();
  {
    const ScopedRegistryFile redirect(temp.Path() / "r.reg");
    EXPECT_EQ(ProcessRegistry().File(), temp.Path() / "r.reg");
  }
  EXPECT_EQ(ProcessRegistry().File(), before);
}

}  // namespace
}  // namespace velquora
