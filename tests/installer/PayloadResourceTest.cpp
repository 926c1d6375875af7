#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "archive/PayloadForm.h"
#include "installer/PayloadCheck.h"
#include "installer/Unit1.h"
#include "toolkit/FormResource.h"

namespace kavrix {
namespace {

using V = std::vector<uint8_t>;
namespace fs = std::filesystem;

V ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// setup.exe mapped as data, as a resource-only module, for the life of a test.
class SetupModule {
 public:
  SetupModule() : module_(::LoadLibraryExA(KAVRIX_SETUP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~SetupModule() {
    if (module_) ::FreeLibrary(module_);
  }
  SetupModule(const SetupModule&) = delete;
  SetupModule& operator=(const SetupModule&) = delete;
  HMODULE Get() const { return module_; }

 private:
  HMODULE module_;
};

SIZE_T PeakPrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  return counters.PeakPagefileUsage;
}

TEST(PayloadResource, TheBackdropFormHandsBackExactlyTheArchiveTheBuildPacked) {
  SetupModule setup;
  ASSERT_NE(setup.Get(), nullptr) << KAVRIX_SETUP_EXE;
  const V packed = ReadFile(KAVRIX_PAYLOAD_ARCHIVE);
  ASSERT_FALSE(packed.empty());

  const SIZE_T before = PeakPrivateBytes();
  TForm1 form(nullptr, setup.Get());
  const SIZE_T after = PeakPrivateBytes();
  std::printf("payload %zu bytes; peak private memory grew by %lu bytes while loading it\n", packed.size(),
              static_cast<unsigned long>(after - before));

  ASSERT_EQ(form.FileStorage1->DataSize(), static_cast<int32_t>(packed.size()));
  EXPECT_EQ(form.FileStorage1->FileName(), "") << "a name from the build is not carried into the run";
  const fs::path saved = fs::temp_directory_path() / "kavrix-payload-test.qv2";
  ASSERT_TRUE(form.FileStorage1->SaveToFile(saved.string()));
  EXPECT_TRUE(ReadFile(saved) == packed) << "the written file is the packed archive, byte for byte";
  fs::remove(saved);
}

// The system's provider, as setup.exe hashes; kvpayload passes OpenSSL's.
V SystemSha256(std::span<const uint8_t> bytes) {
  const std::optional<Sha256Digest> digest = Sha256::Of(bytes);
  return digest ? V(digest->begin(), digest->end()) : V();
}

TEST(PayloadResource, TheBuildCheckAcceptsTheProgramAndRefusesDamagedCopies) {
  const V program = ReadFile(KAVRIX_SETUP_EXE);
  const V packed = ReadFile(KAVRIX_PAYLOAD_ARCHIVE);
  const std::string scratch = (fs::temp_directory_path() / "kavrix-payload-check.qv2").string();
  const auto VerifyCarriedPayload = [](std::span<const uint8_t> carrier, std::span<const uint8_t> archive,
                                       const std::string& scratchFile) {
    return kavrix::VerifyCarriedPayload(carrier, archive, scratchFile, SystemSha256);
  };
  EXPECT_GE(VerifyCarriedPayload(program, packed, scratch), 1);
  EXPECT_FALSE(fs::exists(scratch));

  // The archive's last byte, inside the program.
  const auto at = std::search(program.begin(), program.end(), packed.end() - 16, packed.end());
  ASSERT_NE(at, program.end());
  V damaged = program;
  damaged[static_cast<size_t>(at - program.begin()) + 15] ^= 0xFF;
  EXPECT_THROW(VerifyCarriedPayload(damaged, packed, scratch), EPayloadError);
  EXPECT_THROW(VerifyCarriedPayload(V{'M', 'Z'}, packed, scratch), EPayloadError);

  // The digest beside the form data.
  const V digest = SystemSha256(packed);
  const auto stored = std::search(program.begin(), program.end(), digest.begin(), digest.end());
  ASSERT_NE(stored, program.end()) << "the program carries the archive's digest";
  V wrongDigest = program;
  wrongDigest[static_cast<size_t>(stored - program.begin()) + 31] ^= 0x01;
  EXPECT_THROW(VerifyCarriedPayload(wrongDigest, packed, scratch), EPayloadError);
  EXPECT_FALSE(fs::exists(scratch));
}

TEST(PayloadResource, TheStartUpCheckRefusesAPayloadOtherThanTheOneBuilt) {
  SetupModule setup;
  TForm1 form(nullptr, setup.Get());
  EXPECT_TRUE(form.PayloadIntact());
  const std::optional<Sha256Digest> stored = StoredPayloadDigest(setup.Get());
  ASSERT_TRUE(stored);
  EXPECT_EQ(SystemSha256(ReadFile(KAVRIX_PAYLOAD_ARCHIVE)), V(stored->begin(), stored->end()));
  V other = ReadFile(KAVRIX_PAYLOAD_ARCHIVE);
  other[other.size() / 2] ^= 0x01;
  EXPECT_FALSE(HasDigest(other, *stored));
  EXPECT_FALSE(StoredPayloadDigest(::GetModuleHandleA(nullptr))) << "the test program carries none";
}

TEST(PayloadResource, AProgramWithoutTheFormDataSaysSo) {
  try {
    TForm1 form(nullptr, ::GetModuleHandleA(nullptr));
    FAIL() << "the test program carries no backdrop form";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Resource TForm1 not found");
  }
}

}  // namespace
}  // namespace kavrix
