// Installations over an earlier one that fail part-way, and the program's own checks of
// its payload and of its temporary archive: the machine afterwards is byte for byte and
// value for value what it was before, or, for an upgrade, the new installation whole.

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>

#include "EndToEndFixture.h"
#include "SystemTestSupport.h"

namespace kavrix::e2e {
namespace {

// Resource enumeration: the language of the first resource found, into the WORD at `into`.
BOOL CALLBACK TakeFirstLanguage(HMODULE, LPCSTR, LPCSTR, WORD found, LONG_PTR into) {
  *reinterpret_cast<WORD*>(into) = found;
  return FALSE;
}

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

using MachineStateMap = std::map<std::string, std::string>;

// What differs between two machine states, named entry by entry: the whole state would
// bury it in file contents.
void ExpectSameState(const MachineStateMap& after, const MachineStateMap& before) {
  const auto describe = [](const MachineStateMap& state, const std::string& key) {
    const auto found = state.find(key);
    if (found == state.end()) return std::string("(missing)");
    return found->second.size() <= 80 ? found->second : std::to_string(found->second.size()) + " bytes";
  };
  MachineStateMap all = before;
  all.insert(after.begin(), after.end());
  for (const auto& [key, ignored] : all) {
    const auto was = before.find(key);
    const auto is = after.find(key);
    if (was != before.end() && is != after.end() && was->second == is->second) continue;
    ADD_FAILURE() << key << ": before " << describe(before, key) << ", after " << describe(after, key);
  }
}

struct PayloadEntry {
  std::string name;
  uint64_t size;
};

// The payload's entries in the order they are extracted.
std::vector<PayloadEntry> PayloadEntries() {
  TLZHBatch archive;
  archive.SetArchiveFileName(KAVRIX_PAYLOAD_ARCHIVE);
  std::vector<PayloadEntry> entries;
  for (int i = 0; i < archive.Contents().Count(); ++i) {
    const std::string& line = archive.Contents().Strings(i);
    entries.push_back({GetField(line, '\t', 1), std::stoull(GetField(line, '\t', 2))});
  }
  return entries;
}

// The drive small-volume.sh made for the suite, when there is one, the system lists it
// (the directory dialog offers only those) and it is small.
std::optional<std::string> SmallVolume() {
  const char* drive = std::getenv("KAVRIX_SMALL_VOLUME");
  ULARGE_INTEGER total{};
  if (drive == nullptr || !std::isalpha(static_cast<unsigned char>(drive[0])) ||
      !(::GetLogicalDrives() & (1u << (std::toupper(static_cast<unsigned char>(drive[0])) - 'A'))) ||
      !::GetDiskFreeSpaceExA((std::string(drive) + "\\").c_str(), nullptr, &total, nullptr) ||
      total.QuadPart > 64u << 20) {
    return std::nullopt;
  }
  return std::string(drive);
}

uint64_t FreeBytes(const std::string& root) {
  ULARGE_INTEGER free{};
  ::GetDiskFreeSpaceExA(root.c_str(), &free, nullptr, nullptr);
  return free.QuadPart;
}

uint64_t ClusterSize(const std::string& root) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  ::GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters);
  return uint64_t{sectorsPerCluster} * bytesPerSector;
}

// Starts `program` outside Wine's process tree, through the system's shell, with the
// size of every file it writes limited to `limit` bytes: a write beyond fails (EFBIG,
// which Wine reports as ERROR_GEN_FAILURE; a full volume gives ERROR_DISK_FULL) instead
// of ending the program. Its exit code goes to `exitCodeFile`. Wine starts a
// Unix program without giving back a handle, hence the file.
void StartUnderFileSizeLimit(const std::string& program, uint64_t limit, const std::string& exitCodeFile) {
  using UnixFileName = char*(CDECL*)(LPCWSTR);
  const auto unixFileName = reinterpret_cast<UnixFileName>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  ASSERT_NE(unixFileName, nullptr) << "not under Wine";
  const auto unixPath = [&](const std::string& path) {
    char* name = unixFileName(fs::path(path).wstring().c_str());
    const std::string text = name ? name : "";
    ::HeapFree(::GetProcessHeap(), 0, name);
    return text;
  };
  // The loader of this process' kind, which Wine does not pass on to Unix programs.
  const char* loader = std::getenv("WINELOADER");
  std::string commandLine = "/bin/sh -c \"exec >/dev/null 2>&1; trap '' XFSZ; prlimit --fsize=" +
                            std::to_string(limit) + " '" + (loader ? loader : "wine") + "' '" + unixPath(program) +
                            "'; echo $? >'" + unixPath(exitCodeFile) + "'\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &info));
}

std::optional<int> AwaitExitCode(const std::string& exitCodeFile) {
  for (int i = 0; i < 600 && !fs::exists(exitCodeFile); ++i) ::Sleep(100);
  ::Sleep(100);  // written, and closed
  int code = -1;
  if (!(std::ifstream(exitCodeFile) >> code)) return std::nullopt;
  return code;
}

class TransactionEndToEnd : public InstallerEndToEnd {
 protected:
  void TearDown() override {
    EndProcesses("setup.exe");  // started outside the driver, which ends only its own
    // Read-only files cannot be deleted.
    for (const std::string& path : {TemporaryArchive(), destination_ + "\\quorvel.exe"}) {
      ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    if (volume_) {
      std::error_code ignored;
      for (const auto& entry : fs::directory_iterator(*volume_ + "\\", ignored)) fs::remove_all(entry.path(), ignored);
    }
    InstallerEndToEnd::TearDown();
  }

  // The earlier version in destination_: a whole installation with both options, whose
  // readme then differs from the new one and whose program is read-only.
  void InstallEarlierVersion() {
    Drive("earlier", std::string(kWizard) + kNext + kNext + ChooseDestination() + kNext + kNext +
                         "expect-visible \"&Finish\" yes\n" + "click \"&Finish\"\n");
    std::ofstream(destination_ + "\\readme.txt", std::ios::trunc) << kOldReadme;
    ::SetFileAttributesA((destination_ + "\\quorvel.exe").c_str(), FILE_ATTRIBUTE_READONLY);
    // A value of the earlier version that the new one does not write.
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Veddal\\Quorvel 2.0", 0, KEY_WRITE, &key),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, "Edition", 0, REG_SZ, reinterpret_cast<const BYTE*>("earlier"), 8);
    ::RegCloseKey(key);
  }

  // On the destination page: Browse to destination_, a folder directly below a drive's
  // root, unless it is the default.
  std::string ChooseDestination() const {
    if (destination_ == DefaultDestination()) return "";
    const fs::path path(destination_);
    const std::string drive(1, static_cast<char>(std::tolower(static_cast<unsigned char>(destination_[0]))));
    return "click \"&Browse...\"\n" "window Directory...\n" "combo-select 0 " + drive + ":\n" +
           "listbox-select 0 " + ScriptWord(path.filename().string()) + "\n" + "click OK\n" + kWizard;
  }

  // What an installation may change: the files below `installedIn` (the destination
  // folder or the volume that holds it), the shortcuts, the registry keys and the
  // temporary archive.
  static MachineStateMap MachineState(const std::string& installedIn = DefaultDestination()) {
    MachineStateMap state;
    AddTree(installedIn, state);
    AddTree(Programs() + "\\Quorvel 2.0", state);
    testing::AddRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Veddal", state);
    testing::AddRegistryTree(HKEY_LOCAL_MACHINE, kUninstallKey, state);
    testing::AddRegistryTree(HKEY_CLASSES_ROOT, "htmlfile\\shell", state);
    testing::AddRegistryTree(HKEY_CLASSES_ROOT, kOpenWithList, state);
    state["temporary archive exists"] = fs::exists(TemporaryArchive()) ? "yes" : "no";
    return state;
  }

  // From the welcome page through Next on the options page, installing into
  // destination_, to the failure's box (with `message`, when given), then Cancel as the
  // only way out.
  std::string FailingInstallation(const std::string& name, const std::string& message = "") const {
    const std::string box =
        message.empty() ? std::string(kErrorBox) : "window \"Quorvel 2.0 Kavrix\" #32770 " + ScriptWord(message) + "\n";
    return std::string(kWizard) + kNext + kNext + ChooseDestination() + kNext + kNext + box +
           Shot(name + "-message") + "click OK\n" + kWizard + "expect-enabled \"&Next >\" no\n" +
           "expect-enabled \"< &Back\" no\n" + "click Cancel\n" + "window Warning\n" + "click &Yes\n";
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
      ::EnumResourceLanguagesA(module, RT_RCDATA, "TFORM1", TakeFirstLanguage, reinterpret_cast<LONG_PTR>(&language));
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

  std::string destination_ = DefaultDestination();
  std::optional<std::string> volume_;  // a drive made for the test, emptied afterwards
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
  ExpectSameState(MachineState(), before);
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
  ExpectSameState(MachineState(), before);
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
  ExpectSameState(MachineState(), before);

  // The record's size says the archive ends half-way; the rest of its bytes then follow
  // where the form's data goes on.
  ExpectRefusedAsDamaged(DamagedCopy("setup-short-record.exe", [&](Bytes& program) {
    const auto at = archiveIn(program);
    ASSERT_EQ(*(at - 5), 0x04) << "the record's size is not the 32-bit form";
    const uint32_t half = static_cast<uint32_t>(packed.size() / 2);
    for (int i = 0; i < 4; ++i) *(at - 4 + i) = static_cast<uint8_t>(half >> (8 * i));
  }));
  ExpectSameState(MachineState(), before);

  // The form's data itself cut inside the archive, the program otherwise whole: the
  // system loads it, and the record claims more bytes than there are.
  const std::string cut = DamagedCopy("setup-cut.exe", [](Bytes&) {});
  ReplaceFormData(cut, [&](Bytes& form) {
    const auto at = std::search(form.begin(), form.end(), packed.begin(), packed.end());
    ASSERT_NE(at, form.end());
    form.resize(static_cast<size_t>(at - form.begin()) + packed.size() / 2);
  });
  ExpectRefusedAsDamaged(cut);
  ExpectSameState(MachineState(), before);
}

// The upgrade runs out of room part-way through an entry, after the entries before it
// have replaced the earlier version's files: on a small volume made for the suite when
// there is one, else under a limit on the size of the files setup.exe writes.
TEST_F(TransactionEndToEnd, AVolumeThatRunsFullDuringExtractionLeavesTheEarlierInstallationAsItWas) {
  const std::vector<PayloadEntry> entries = PayloadEntries();
  ASSERT_GE(entries.size(), 2u);
  volume_ = SmallVolume();
  std::string installedIn = DefaultDestination();
  std::string failing;
  uint64_t sizeLimit = 0;
  if (volume_) {
    std::cout << "[ room     ] the destination is on a small volume, drive " << *volume_ << std::endl;
    installedIn = *volume_ + "\\";
    destination_ = installedIn + "Quorvel 2.0";
    ASSERT_TRUE(fs::create_directory(destination_));
    InstallEarlierVersion();
    // Room for every entry but the last, and half of that one.
    const uint64_t cluster = ClusterSize(installedIn);
    ASSERT_GT(cluster, 0u);
    uint64_t room = entries.back().size / 2;
    for (size_t i = 0; i + 1 < entries.size(); ++i) room += (entries[i].size + cluster - 1) / cluster * cluster;
    const uint64_t free = FreeBytes(installedIn);
    ASSERT_GT(free, room + cluster) << "the volume is too small for the product";
    const uint64_t ballast = (free - room + cluster - 1) / cluster * cluster;
    WriteBytes(installedIn + "ballast", Bytes(static_cast<size_t>(ballast), 0x5A));
    ASSERT_LE(FreeBytes(installedIn), room);
    failing = entries.back().name;
  } else {
    std::cout << "[ room     ] no small volume (see small-volume.sh): setup.exe runs under a file-size limit"
              << std::endl;
    InstallEarlierVersion();
    // The temporary archive must still be written whole.
    const uint64_t limit = fs::file_size(KAVRIX_PAYLOAD_ARCHIVE);
    const auto larger =
        std::find_if(entries.begin(), entries.end(), [&](const PayloadEntry& e) { return e.size > limit; });
    ASSERT_NE(larger, entries.end()) << "no entry is larger than the archive, which a file-size limit must let through";
    failing = larger->name;
    sizeLimit = limit;
  }
  const auto before = MachineState(installedIn);
  const std::string steps = FailingInstallation("full-volume", "Cannot write to file " + destination_ + "\\" + failing);
  if (volume_) {
    Drive("full-volume", steps);
  } else {
    const std::string exitCodeFile = artifacts_ + "\\full-volume.exit";
    fs::remove(exitCodeFile);
    StartUnderFileSizeLimit(ModuleDirectory() + "\\setup.exe", sizeLimit, exitCodeFile);
    RunScript("full-volume", steps);
    EXPECT_EQ(AwaitExitCode(exitCodeFile), 0);
  }
  ExpectSameState(MachineState(installedIn), before);
  for (const auto& entry : fs::recursive_directory_iterator(installedIn)) {
    const std::string name = entry.path().filename().string();
    EXPECT_NE(name, TLZHBatch::kScratchFileName) << entry.path();
    EXPECT_NE(name, "~kavrix-backup") << entry.path();
  }
}

TEST_F(TransactionEndToEnd, AStaleReadOnlyTemporaryArchiveIsAnErrorNotAPayload) {
  const std::string stale = "not the payload";
  std::ofstream(TemporaryArchive()) << stale;
  ::SetFileAttributesA(TemporaryArchive().c_str(), FILE_ATTRIBUTE_READONLY);
  RunScript("stale-archive", "start \"" + ModuleDirectory() + "\\setup.exe\"\n" + kErrorBox +
                                 Shot("stale-archive-message") + "click OK\n" + "expect-exit 1\n");
  EXPECT_FALSE(fs::exists(DefaultDestination()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Veddal"));
  EXPECT_EQ(ReadBytes(TemporaryArchive()), Bytes(stale.begin(), stale.end()));
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
