// What the installation does to the machine: the wizard's installation and finish
// actions.

#include <windows.h>

#include <cstdlib>

#include "ProductIdentity.h"
#include "installer/FileSystem.h"
#include "installer/Unit3.h"
#include "toolkit/BusyScope.h"

namespace kavrix {
namespace {

constexpr const char* kOldFiles[] = {"\\quorvel.exe", "\\readme.txt", "\\uninstall.exe", "\\quorvel.hlp"};

constexpr char kGroupFolder[] = "\\Quorvel 2.0";
constexpr char kProgramShortcut[] = "\\Quorvel 2.0\\Quorvel 2.0.lnk";
constexpr char kReadmeShortcut[] = "\\Quorvel 2.0\\Readme.lnk";
constexpr char kUninstallShortcut[] = "\\Quorvel 2.0\\Uninstall Quorvel.lnk";
constexpr char kHelpShortcut[] = "\\Quorvel 2.0\\Quorvel Help.lnk";

constexpr char kProgram[] = "\\quorvel.exe";
constexpr char kReadme[] = "\\readme.txt";
constexpr char kUninstaller[] = "\\uninstall.exe";
constexpr char kHelp[] = "\\quorvel.chm";

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvel 2.0";
constexpr char kEditVerb[] = "Edit with Quorvel 2.0";
// Internet Explorer's "Edit with" entry of the product, below which its command goes.
constexpr char kOpenWithEntry[] = ".htm\\OpenWithList\\Quorvel 2.0";
// Appended to a double quote and DestDir: the program's path closed, then "%1" quoted.
constexpr char kVerbCommandTail[] = "\\quorvel.exe\" \"%1\"";

constexpr DWORD kStepPauseMs = 200;
constexpr DWORD kFinalPauseMs = 400;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string VerbCommand() { return "\"" + DestDir + kVerbCommandTail; }

// `name` in the Windows folder, by its full path: a bare name is looked for in setup.exe's
// own folder first, where anyone could have put a program of that name beside it. The
// system's folder rather than the one GetWindowsDirectory gives a program that is not
// aware of terminal services, which can be a private folder of the user. Empty when the
// folder is unknown: nothing is started then, as with any failed finish action.
std::string WindowsProgram(const char* name) {
  char folder[MAX_PATH];
  const UINT length = ::GetSystemWindowsDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string path(folder, length);
  if (path.back() != '\\') path += '\\';
  return path + name;
}

// The unpacked size of everything the archive installs, in kibibytes rounded up, as
// Programs and Features shows it.
int32_t EstimatedSizeKb(TLZHBatch& archive) {
  int64_t bytes = 0;
  TReadOnlyStringList& contents = archive.Contents();
  for (int i = 0; i < contents.Count(); ++i) bytes += std::atoll(GetField(contents.Strings(i), '\t', 2).c_str());
  return static_cast<int32_t>((bytes + 1023) / 1024);
}

}  // namespace

void DeleteOldFiles() {
  for (const char* file : kOldFiles) DeleteFileIfExists(DestDir + file);
}

void TForm3::RunInstallation() {
  LZHBatch1->SetOverwriteExisting(true);
  LZHBatch1->Extract();

  ProgressBar1->SetMax(100);
  ProgressBar1->SetPosition(0);
  Label14->SetCaption("Creating shorcuts...");
  Repaint();
  PrepareShortcutFolder();

  TBusyScope::Wait(kStepPauseMs);
  ProgressBar1->SetPosition(20);
  WriteShortcut(kProgramShortcut, DestDir + kProgram, "Quorvel 2.0", DestDir + kProgram);
  TBusyScope::Wait(kStepPauseMs);
  ProgressBar1->SetPosition(40);
  WriteShortcut(kReadmeShortcut, DestDir + kReadme, "Readme", "");
  TBusyScope::Wait(kStepPauseMs);
  ProgressBar1->SetPosition(60);
  WriteShortcut(kUninstallShortcut, DestDir + kUninstaller, "Uninstall Quorvel", "");
  TBusyScope::Wait(kStepPauseMs);
  ProgressBar1->SetPosition(80);
  ShortcutLink1->SetShowCmd(scShowMaximized);
  WriteShortcut(kHelpShortcut, DestDir + kHelp, "Quorvel Help", "");

  WriteUninstallEntry();
  WriteShellVerbs();

  TBusyScope::Wait(kStepPauseMs);
  ProgressBar1->SetPosition(100);
  TBusyScope::Wait(kFinalPauseMs);
}

void TForm3::WriteShortcut(const std::string& file, const std::string& target, const std::string& description,
                           const std::string& iconLocation) {
  ShortcutLink1->SetTarget(target);
  ShortcutLink1->SetDescription(description);
  ShortcutLink1->SetWorkingDir(DestDir);
  ShortcutLink1->SetIconLocation(iconLocation);
  ShortcutLink1->SetShortcutFile(ShortcutLink1->GetProgramsFolder() + file);
  ShortcutLink1->CreateShortcut();
}

void TForm3::WriteUninstallEntry() {
  RegistryEdit1->SetRegKey(kUninstallKey);
  RegistryEdit1->WriteString("DisplayName", identity::kProductName);
  // Quoted: the system runs the value as a command line, and unquoted a destination with
  // spaces would let it start "C:\Program.exe" first.
  RegistryEdit1->WriteString("UninstallString", Quoted(DestDir + kUninstaller));
  // What Programs and Features shows beside the name, and how scripts remove it quietly.
  RegistryEdit1->WriteString("DisplayIcon", DestDir + kProgram);
  RegistryEdit1->WriteString("DisplayVersion", identity::kProductVersion);
  RegistryEdit1->WriteString("Publisher", identity::kPublisher);
  RegistryEdit1->WriteString("InstallLocation", DestDir);
  RegistryEdit1->WriteInteger("EstimatedSize", EstimatedSizeKb(*LZHBatch1));
  RegistryEdit1->WriteInteger("NoModify", 1);
  RegistryEdit1->WriteInteger("NoRepair", 1);
  RegistryEdit1->WriteString("QuietUninstallString", Quoted(DestDir + kUninstaller) + " /S");
}

void TForm3::WriteShellVerbs() {
  if (CheckBox2->Checked()) {
    RegistryEdit2->OpenKey(std::string(kEditVerb) + "\\command");
    RegistryEdit2->SetRegKey(RegistryEdit2->RegKey() + "\\" + kEditVerb);
    RegistryEdit2->WriteString("", kEditVerb);
    RegistryEdit2->SetRegKey(RegistryEdit2->RegKey() + "\\command");
    RegistryEdit2->WriteString("", VerbCommand());
  }
  if (CheckBox3->Checked()) {
    RegistryEdit2->SetRegKey(".htm\\OpenWithList");
    RegistryEdit2->OpenKey("Quorvel 2.0\\shell\\edit\\command");
    RegistryEdit2->SetRegKey(RegistryEdit2->RegKey() + "\\Quorvel 2.0\\shell\\edit\\command");
    RegistryEdit2->WriteString("", VerbCommand());
  }
}

void TForm3::PrepareShortcutFolder() {
  const std::string programs = ShortcutLink1->GetProgramsFolder();
  for (const char* shortcut : {kProgramShortcut, kHelpShortcut, kUninstallShortcut, kReadmeShortcut}) {
    DeleteFileIfExists(programs + shortcut);
  }
  if (!DirectoryExists(programs + kGroupFolder)) CreateDirectoryOrRaise(programs + kGroupFolder);
}

void TForm3::KeepForRollback(TInstallTransaction& transaction) {
  transaction.KeepKey(HKEY_LOCAL_MACHINE, RegistryEdit1->RegKey());
  transaction.KeepKey(HKEY_LOCAL_MACHINE, kUninstallKey);
  transaction.KeepKey(HKEY_CLASSES_ROOT, RegistryEdit2->RegKey() + "\\" + kEditVerb);
  transaction.KeepKey(HKEY_CLASSES_ROOT, kOpenWithEntry);
  const std::string programs = ShortcutLink1->GetProgramsFolder();
  for (const char* shortcut : {kProgramShortcut, kReadmeShortcut, kUninstallShortcut, kHelpShortcut}) {
    transaction.KeepCopy(programs + shortcut);
  }
  for (const char* file : kOldFiles) transaction.MoveAside(DestDir + file);
  for (const std::string& target : LZHBatch1->TargetPaths()) transaction.MoveAside(target);
}

void TForm3::FinishActions() {
  // Quoted, so that a destination with spaces cannot start "C:\Program.exe" instead.
  if (CheckBox1->Checked()) {
    ExecFile1->SetCommandLine(Quoted(DestDir + kProgram));
    ExecFile1->SetParameters("");
    ExecFile1->Execute();
  }
  if (CheckBox4->Checked()) {
    ExecFile1->SetCommandLine(WindowsProgram("notepad.exe"));
    ExecFile1->SetParameters(Quoted(DestDir + kReadme));
    ExecFile1->Execute();
  }
}

}  // namespace kavrix
