#include "SystemTestSupport.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <atomic>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kavrix::testing {
namespace {

constexpr char kTestRoot[] = "Software\\Kavrix Tests";

// The system-wide handle table (SystemHandleInformation), counted for this process.
unsigned HandleTableCount() {
  struct Entry {
    ULONG processId;
    UCHAR objectType;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) throw std::runtime_error("no handle table");
  constexpr ULONG kSystemHandleInformation = 16;
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
  std::vector<uint8_t> buffer(1 << 16);
  ULONG length = 0;
  LONG status;
  while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                         &length)) == kInfoLengthMismatch)
    buffer.resize(buffer.size() * 2);
  if (status != 0) throw std::runtime_error("no handle table");
  ULONG count;
  std::memcpy(&count, buffer.data(), sizeof count);
  const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
  unsigned mine = 0;
  for (ULONG i = 0; i < count; ++i)
    if (entries[i].processId == ::GetCurrentProcessId()) ++mine;
  return mine;
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(child.c_str());
      }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryA(path.c_str());
}

}  // namespace

unsigned ProcessHandleCount() {
  // Wine 8 answers GetProcessHandleCount with 0. A live process always holds handles, so
  // 0 means the count is not available and the handle table is counted instead.
  DWORD count = 0;
  if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count > 0) return count;
  return HandleTableCount();
}

TestRegistryKey::TestRegistryKey(const std::string& name) : path_(std::string(kTestRoot) + "\\" + name) {
  ::SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, key_.Put(), nullptr) != ERROR_SUCCESS)
    throw std::runtime_error("cannot create the test key " + path_);
}

TestRegistryKey::~TestRegistryKey() {
  key_.Reset();
  ::SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
  // The common parent goes too once the last test key is gone.
  ::RegDeleteKeyA(HKEY_CURRENT_USER, kTestRoot);
}

UniqueRegKey TestRegistryKey::Create(const std::string& subKey) const {
  UniqueRegKey key;
  if (::RegCreateKeyExA(key_.Get(), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
    throw std::runtime_error("cannot create " + subKey);
  return key;
}

void TestRegistryKey::SetRaw(HKEY key, const std::string& name, DWORD type, const std::string& bytes) {
  if (::RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size())) != ERROR_SUCCESS)
    throw std::runtime_error("cannot write " + name);
}

PredefinedKeyOverride::PredefinedKeyOverride(HKEY predefined, HKEY replacement) : predefined_(predefined) {
  if (::RegOverridePredefKey(predefined, replacement) != ERROR_SUCCESS)
    throw std::runtime_error("cannot redirect a predefined key");
}

PredefinedKeyOverride::~PredefinedKeyOverride() { ::RegOverridePredefKey(predefined_, nullptr); }

TempDirectory::TempDirectory() {
  static std::atomic<unsigned> counter{0};
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  path_ = std::string(temp) + "kavrix-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
          std::to_string(counter++);
  RemoveTree(path_);
  if (!::CreateDirectoryA(path_.c_str(), nullptr)) throw std::runtime_error("cannot create " + path_);
}

TempDirectory::~TempDirectory() {
  // A console program's host process may still hold an inherited output file for a moment
  // after the program itself has ended.
  for (int tries = 0; tries < 100 && FileExists(path_); ++tries) {
    if (tries > 0) ::Sleep(20);
    RemoveTree(path_);
  }
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string ReadTextFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

void WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ProgramDirectory() {
  char path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string result(path, length);
  return result.substr(0, result.find_last_of('\\'));
}

std::string RunAndCapture(const std::string& commandLine) {
  TempDirectory folder;
  const std::string outputPath = folder.File("output.txt");
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  UniqueHandle output(::CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!output) throw std::runtime_error("cannot create " + outputPath);
  STARTUPINFOA startupInfo{};
  startupInfo.cb = sizeof startupInfo;
  startupInfo.dwFlags = STARTF_USESTDHANDLES;
  startupInfo.hStdInput = nullptr;
  startupInfo.hStdOutput = output.Get();
  startupInfo.hStdError = output.Get();
  PROCESS_INFORMATION information{};
  std::vector<char> command(commandLine.begin(), commandLine.end());
  command.push_back('\0');
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startupInfo, &information))
    throw std::runtime_error("cannot run " + commandLine);
  UniqueHandle process(information.hProcess), thread(information.hThread);
  ::WaitForSingleObject(process.Get(), 30000);
  output.Reset();
  return ReadTextFile(outputPath);
}

std::map<std::string, OutsideValue> QueryKeyFromOutside(const std::string& fullKeyName) {
  // Value lines read "    <name>    <type>    <data>"; key lines start without indent.
  std::map<std::string, OutsideValue> values;
  const std::string output = RunAndCapture("reg.exe query \"" + fullKeyName + "\"");
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    std::string line = output.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("    ", 0) != 0) continue;
    const size_t typeAt = line.find("    REG_", 4);
    if (typeAt == std::string::npos) continue;
    std::string name = line.substr(4, typeAt - 4);
    const size_t dataAt = line.find("    ", typeAt + 4);
    OutsideValue value;
    value.type =
        line.substr(typeAt + 4, dataAt == std::string::npos ? std::string::npos : dataAt - typeAt - 4);
    if (dataAt != std::string::npos) value.data = line.substr(dataAt + 4);
    if (name == "(Default)") name.clear();
    for (char& c : name) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    values[name] = value;
  }
  return values;
}

ErrorBoxCapture::ErrorBoxCapture()
    : previous_(SetErrorBoxHook([this](const std::string& text, const std::string& caption) {
        boxes.push_back({text, caption});
      })) {}

ErrorBoxCapture::~ErrorBoxCapture() { SetErrorBoxHook(std::move(previous_)); }

void AddRegistryTree(HKEY root, const std::string& key, std::map<std::string, std::string>& into) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return;
  into[key] = "<key>";
  char name[16384];
  BYTE data[4096];
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = sizeof name;
    DWORD dataLength = sizeof data;
    DWORD type = 0;
    if (::RegEnumValueA(opened, index, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) break;
    into[key + "|" + std::string(name, nameLength)] =
        std::to_string(type) + "|" + std::string(reinterpret_cast<char*>(data), dataLength);
  }
  std::vector<std::string> subKeys;
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = 256;
    if (::RegEnumKeyExA(opened, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subKeys.emplace_back(name, nameLength);
  }
  ::RegCloseKey(opened);
  for (const std::string& subKey : subKeys) AddRegistryTree(root, key + "\\" + subKey, into);
}

}  // namespace kavrix::testing

namespace {

// No test may block on a modal box: outside an ErrorBoxCapture, a box fails the test.
class NoErrorBoxes : public ::testing::Environment {
 public:
  void SetUp() override {
    kavrix::SetErrorBoxHook([](const std::string& text, const std::string&) {
      ADD_FAILURE() << "unexpected error box: " << text;
    });
  }
};

[[maybe_unused]] ::testing::Environment* const kNoErrorBoxes =
    ::testing::AddGlobalTestEnvironment(new NoErrorBoxes);

}  // namespace
