// Installations over an earlier one that fail part-way, and the program's own checks of
// its payload and of its temporary archive: the machine afterwards is byte for byte and
// value for value what it was before, or, for an upgrade, the new installation whole.

#include <algorithm>
#include <iterator>
#include <map>

#include "EndToEndFixture.h"

namespace kavrix::e2e {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr char kOldReadme[] = "The readme of the earlier version.";
constexpr char kErrorBox[] = "window \"Quorvel 2.0 Kavrix\" #32770\n";

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()),
                                                                 static_cast<std::streamsize>(bytes.size()));
}

// Every file below `folder` with its bytes and attributes, and every directory.
void AddTree(const std::string& folder, std::map<std::string, std::string>& state) {
  if (!fs::exists(folder)) return;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string path = entry.path().string();
    if (entry.is_directory()) {
      state[path] = "<directory>";
      continue;
    }
    const Bytes bytes = ReadBytes(path);
    state[path] = std::string(bytes.begin(), bytes.end()) + "|attributes " +
                  std::to_string(::GetFileAttributesA(path.c_str()));
  }
}

// Every value of `key` and its sub-keys, as "key|name" = "type|data".
void AddKey(HKEY root, const std::string& key, std::map<std::string, std::string>& state) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return;
  state[key] = "<key>";
  char name[16384];
  BYTE data[4096];
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = sizeof name;
    DWORD dataLength = sizeof data;
    DWORD type = 0;
    if (::RegEnumValueA(opened, index, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) break;
    state[key + "|" + std::string(name, nameLength)] =
        std::to_string(type) + "|" + std::string(reinterpret_cast<char*>(data), dataLength);
  }
  std::vector<std::string> subKeys;
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = 256;
    if (::RegEnumKeyExA(opened, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subKeys.emplace_back(name, nameLength);
  }
  ::RegCloseKey(opened);
  for (const std::string& subKey : subKeys) AddKey(root, key + "\\" + subKey, state);
}

class TransactionEndToEnd : public InstallerEndToEnd {
 protected:
  void TearDown() override {
    // Read-only files cannot be deleted.
    for (const std::string& path : {TemporaryArchive(), DefaultDestination() + "\\quorvel.exe"}) {
      ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    InstallerEndToEnd::TearDown();
  }

  // The earlier version: a whole installation with both options, whose readme then
  // differs from the new one and whose program is read-only.
  void InstallEarlierVersion() {
    Drive("earlier", std::string(kWizard) + kNext + kNext + kNext + kNext + "expect-visible \"&Finish\" yes\n" +
                         "click \"&Finish\"\n");
    std::ofstream(DefaultDestination() + "\\readme.txt", std::ios::trunc) << kOldReadme;
    ::SetFileAttributesA((DefaultDestination() + "\\quorvel.exe").c_str(), FILE_ATTRIBUTE_READONLY);
    // A value of the earlier version that the new one does not write.
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Veddal\\Quorvel 2.0", 0, KEY_WRITE, &key),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, "Edition", 0, REG_SZ, reinterpret_cast<const BYTE*>("earlier"), 8);
    ::RegCloseKey(key);
  }

  // What an installation may change: the destination, the shortcuts, the registry keys
  // and the temporary archive.
  static std::map<std::string, std::string> MachineState() {
    std::map<std::string, std::string> state;
    AddTree(ProgramFiles() + "\\Quorvel 2.0", state);
    AddTree(Programs() + "\\Quorvel 2.0", state);
    AddKey(HKEY_LOCAL_MACHINE, "Software\\Veddal", state);
    AddKey(HKEY_LOCAL_MACHINE, kUninstallKey, state);
    AddKey(HKEY_CLASSES_ROOT, "htmlfile\\shell", state);
    AddKey(HKEY_CLASSES_ROOT, kOpenWithList, state);
    state["temporary archive exists"] = fs::exists(TemporaryArchive()) ? "yes" : "no";
    return state;
  }

  // From the welcome page through Next on the options page to the failure's box, then
  // Cancel as the only way out.
  std::string FailingInstallation(const std::string& name) const {
    return std::string(kWizard) + kNext + kNext + kNext + kNext + kErrorBox + Shot(name + "-message") +
           "click OK\n" + kWizard + "expect-enabled \"&Next >\" no\n" + "expect-enabled \"< &Back\" no\n" +
           "click Cancel\n" + "window Warning\n" + "click &Yes\n";
  }

  // The damaged copy `program` starts, says so in a box with the product's caption and
  // ends with exit code 1.
  void ExpectRefusedAsDamaged(const std::string& program) {
    const std::string name = fs::path(program).stem().string();
    RunScript(name, "start \"" + ModuleDirectory() + "\\" + program + "\"\n" +
                           "window \"Quorvel 2.0 Kavrix\" #32770 \"The setup program is damaged. Download it "
                           "again.\"\n" +
                           Shot(name + "-message") + "click OK\n" + "expect-exit 1\n");
  }

  // Rewrites the backdrop form's data in the program `name` beside the test, changed by
  // `change`, as a resource editor would: the program stays one the system loads.
  static void ReplaceFormData(const std::string& name, const std::function<void(Bytes&)>& change) {
    const std::string path = ModuleDirectory() + "\\" + name;
    Bytes form;
    WORD language = 0;
    {
      const HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
      ASSERT_NE(module, nullptr) << path;
      ::EnumResourceLanguagesA(
          module, RT_RCDATA, "TFORM1",
          [](HMODULE, LPCSTR, LPCSTR, WORD found, LONG_PTR into) {
            *reinterpret_cast<WORD*>(into) = found;
            return FALSE;
          },
          reinterpret_cast<LONG_PTR>(&language));
      const HRSRC resource = ::FindResourceA(module, "TFORM1", RT_RCDATA);
      const auto* data = static_cast<const uint8_t*>(::LockResource(::LoadResource(module, resource)));
      if (data != nullptr) form.assign(data, data + ::SizeofResource(module, resource));
      ::FreeLibrary(module);
    }
    ASSERT_FALSE(form.empty()) << "no form data in " << path;
    change(form);
    const HANDLE update = ::BeginUpdateResourceA(path.c_str(), FALSE);
    ASSERT_NE(update, nullptr) << path;
    ASSERT_TRUE(::UpdateResourceA(update, RT_RCDATA, "TFORM1", language, form.data(), static_cast<DWORD>(form.size())));
    ASSERT_TRUE(::EndUpdateResourceA(update, FALSE));
  }

  // A copy of setup.exe beside it, changed by `damage`.
  static std::string DamagedCopy(const std::string& name, const std::function<void(Bytes&)>& damage) {
    Bytes program = ReadBytes(ModuleDirectory() + "\\setup.exe");
    damage(program);
    WriteBytes(ModuleDirectory() + "\\" + name, program);
    return name;
  }
};

TEST_F(TransactionEndToEnd, ASecondInstallationUpgradesTheFirstAndLeavesNoBackup) {
  InstallEarlierVersion();
  Drive("upgrade", std::string(kWizard) + kNext + kNext + kNext + kNext + "expect-visible \"&Finish\" yes\n" +
                       "click \"&Finish\"\n");
  ExpectProductInstalledIn(DefaultDestination());
  EXPECT_NE(ReadBytes(DefaultDestination() + "\\readme.txt"), Bytes(std::begin(kOldReadme), std::end(kOldReadme) - 1));
  EXPECT_FALSE(fs::exists(DefaultDestination() + "\\~kavrix-backup"));
  EXPECT_FALSE(fs::exists(DefaultDestination() + "\\~kavrix.tmp"));
  ExpectRowsOneToThree(DefaultDestination());
  ExpectRightClickVerb(DefaultDestination());
  ExpectEditWithEntry(DefaultDestination());
  ExpectShortcuts(DefaultDestination());
  EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, "Software\\Veddal\\Quorvel 2.0", "Edition"), "earlier");
}

TEST_F(TransactionEndToEnd, ATargetHeldOpenByAnotherProgramLeavesTheEarlierInstallationAsItWas) {
  InstallEarlierVersion();
  const auto before = MachineState();
  {
    const std::string held = DefaultDestination() + "\\uninstall.exe";
    const UniqueHandle file(
        ::CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << held;
    Drive("held-open", FailingInstallation("held-open"));
  }
  EXPECT_EQ(MachineState(), before);
  ExpectWindowOf("\"" + DefaultDestination() + "\\quorvel.exe\"", "Untitled - Quorvel 2.0");
}

TEST_F(TransactionEndToEnd, AShortcutThatCannotBeWrittenRestoresTheFilesToo) {
  InstallEarlierVersion();
  // A folder where a shortcut file goes: the files are extracted by then.
  const std::string shortcut = Programs() + "\\Quorvel 2.0\\Readme.lnk";
  fs::remove(shortcut);
  fs::create_directory(shortcut);
  const auto before = MachineState();
  Drive("shortcut-failure", FailingInstallation("shortcut-failure"));
  EXPECT_EQ(MachineState(), before);
}

TEST_F(TransactionEndToEnd, ADamagedSetupProgramSaysSoAndWritesNothing) {
  InstallEarlierVersion();
  const auto before = MachineState();
  const Bytes packed = ReadBytes(KAVRIX_PAYLOAD_ARCHIVE);
  const auto archiveIn = [&](Bytes& program) {
    const auto at = std::search(program.begin(), program.end(), packed.begin(), packed.end());
    if (at == program.end()) throw std::runtime_error("the archive is not in setup.exe");
    return at;
  };

  ExpectRefusedAsDamaged(DamagedCopy("setup-flipped.exe", [&](Bytes& program) {
    // A byte in the middle of the archive's data area.
    *(archiveIn(program) + static_cast<std::ptrdiff_t>(packed.size() / 2)) ^= 0x01;
  }));
  EXPECT_EQ(MachineState(), before);

  // The record's size says the archive ends half-way; the rest of its bytes then follow
  // where the form's data goes on.
  ExpectRefusedAsDamaged(DamagedCopy("setup-short-record.exe", [&](Bytes& program) {
    const auto at = archiveIn(program);
    ASSERT_EQ(*(at - 5), 0x04) << "the record's size is not the 32-bit form";
    const uint32_t half = static_cast<uint32_t>(packed.size() / 2);
    for (int i = 0; i < 4; ++i) *(at - 4 + i) = static_cast<uint8_t>(half >> (8 * i));
  }));
  EXPECT_EQ(MachineState(), before);

  // The form's data itself cut inside the archive, the program otherwise whole: the
  // system loads it, and the record claims more bytes than there are.
  const std::string cut = DamagedCopy("setup-cut.exe", [](Bytes&) {});
  ReplaceFormData(cut, [&](Bytes& form) {
    const auto at = std::search(form.begin(), form.end(), packed.begin(), packed.end());
    ASSERT_NE(at, form.end());
    form.resize(static_cast<size_t>(at - form.begin()) + packed.size() / 2);
  });
  ExpectRefusedAsDamaged(cut);
  EXPECT_EQ(MachineState(), before);
}

TEST_F(TransactionEndToEnd, AStaleReadOnlyTemporaryArchiveIsAnErrorNotAPayload) {
  std::ofstream(TemporaryArchive()) << "not the payload";
  ::SetFileAttributesA(TemporaryArchive().c_str(), FILE_ATTRIBUTE_READONLY);
  RunScript("stale-archive", "start \"" + ModuleDirectory() + "\\setup.exe\"\n" + kErrorBox +
                                 Shot("stale-archive-message") + "click OK\n" + "expect-exit 1\n");
  EXPECT_FALSE(fs::exists(DefaultDestination()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Veddal"));
  EXPECT_EQ(ReadBytes(TemporaryArchive()), Bytes({'n', 'o', 't', ' ', 't', 'h', 'e', ' ', 'p', 'a', 'y', 'l', 'o', 'a', 'd'}));
}

TEST_F(TransactionEndToEnd, NoOtherProgramCanChangeTheTemporaryArchiveWhileTheWizardWaits) {
  Drive("locked-archive", std::string(kWizard) + kNext + "expect-file-locked \"" + TemporaryArchive() + "\"\n" +
                              kNext + kNext + kNext + "expect-visible \"&Finish\" yes\n" + "click \"&Finish\"\n");
  ExpectProductInstalledIn(DefaultDestination());
  const Bytes packed = ReadBytes(KAVRIX_PAYLOAD_ARCHIVE);
  TLZHBatch archive;
  archive.SetArchiveFileName(KAVRIX_PAYLOAD_ARCHIVE);
  archive.SetUseDirectoryNames(true);
  const std::string extracted = ModuleDirectory() + "\\e2e-artifacts\\payload";
  fs::remove_all(extracted);
  archive.SetOutputDirectory(extracted);
  archive.Extract();
  for (const auto& entry : fs::recursive_directory_iterator(extracted)) {
    if (!entry.is_regular_file()) continue;
    const fs::path installed = DefaultDestination() / fs::relative(entry.path(), extracted);
    EXPECT_EQ(ReadBytes(installed), ReadBytes(entry.path())) << installed;
  }
}

}  // namespace
}  // namespace kavrix::e2e
