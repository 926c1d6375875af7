// The attacks on a program that does nothing against them, to show that they work on
// this system at all (test only, never shipped):
//
//   unprotected_program load <dll>...     loads each DLL by its bare name
//   unprotected_program run <command>...  starts the words as one command line, as written
//
// Exit code 0 when every load or the start succeeded.

#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string action = argv[1];
  if (action == "load") {
    int failed = 0;
    for (int i = 2; i < argc; ++i) failed += ::LoadLibraryA(argv[i]) == nullptr;
    return failed;
  }
  if (action != "run") return 2;
  std::string command = argv[2];
  for (int i = 3; i < argc; ++i) command += std::string(" ") + argv[i];
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return 1;
  ::WaitForSingleObject(process.hProcess, 30'000);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return 0;
}
