#include "ProductTestSupport.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kavrix::testing {

std::string TempFolder() {
  char temp[MAX_PATH + 1];
  const DWORD length = ::GetTempPathA(sizeof temp, temp);
  return std::string(temp, length > 0 && length <= MAX_PATH ? length - 1 : 0);
}

ScratchFolder::ScratchFolder() {
  static unsigned counter = 0;
  path_ = TempFolder() + "\\kavrix product test " + std::to_string(::GetCurrentProcessId()) + "-" +
          std::to_string(++counter);
  RemoveTree(path_);
  MakeDirectory(path_);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

void RemoveTree(const std::string& path) {
  if (!DirectoryExists(path)) return;
  std::string from = path;
  from.push_back('\0');  // the shell wants a list ending in two zeros
  SHFILEOPSTRUCTA operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_NO_UI;
  ::SHFileOperationA(&operation);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool FileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeDirectory(const std::string& path) {
  if (!::CreateDirectoryA(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
    throw std::runtime_error("cannot create " + path);
  }
}

void CopyProgram(const char* builtPath, const std::string& target) {
  if (!::CopyFileA(builtPath, target.c_str(), FALSE)) {
    throw std::runtime_error(std::string("cannot copy ") + builtPath + " to " + target);
  }
}

UniqueHandle StartProcess(const std::string& commandLine) {
  std::string command = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
    ADD_FAILURE() << "cannot start " << commandLine << ": error " << ::GetLastError();
    return UniqueHandle();
  }
  ::CloseHandle(process.hThread);
  return UniqueHandle(process.hProcess);
}

int WaitForExit(HANDLE process, DWORD milliseconds) {
  if (::WaitForSingleObject(process, milliseconds) != WAIT_OBJECT_0) {
    ::TerminateProcess(process, 255);
    ::WaitForSingleObject(process, 5000);
    return -1;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process, &code);
  return static_cast<int>(code);
}

}  // namespace kavrix::testing
