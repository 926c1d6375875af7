#include "archive/FStorage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "foundation/ComponentStream.h"
#include "foundation/ErrorBox.h"
#include "support/TestData.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kavrix {
namespace {

using V = std::vector<uint8_t>;
namespace fs = std::filesystem;

class FStorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kavrix-fstorage-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::create_directories(dir_);
    previousHook_ = SetErrorBoxHook([this](const std::string& text, const std::string&) { boxes_.push_back(text); });
  }
  void TearDown() override {
    SetErrorBoxHook(std::move(previousHook_));
    fs::remove_all(dir_);
  }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  static void WriteFile(const std::string& path, const V& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
  }
  static V ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  // A form holding `storage` as its only child, as the build writes it.
  static V SaveForm(TFileStorage& storage) {
    V stream;
    TWriter writer(stream);
    writer.WriteSignature();
    writer.WriteComponentHeader("TForm1", "Form1");
    writer.WriteListEnd();
    writer.WriteComponentHeader("TFileStorage", "FileStorage1");
    storage.WriteState(writer);
    writer.WriteListEnd();
    return stream;
  }

  fs::path dir_;
  std::vector<std::string> boxes_;
  TErrorBoxHook previousHook_;
};

// The bytes of the storage's own record: after its property list and child list.
V OwnRecord(const V& form, size_t dataSize) {
  const size_t end = form.size() - 1;  // the form's closing child-list marker
  const size_t headerLength = end - dataSize;
  auto at = form.begin();
  // Find "00 00" that ends the storage's lists: the flag follows it.
  for (size_t i = 0; i + 2 < headerLength; ++i) {
    if (form[i] == 0 && form[i + 1] == 0 && (form[i + 2] == 0x08 || form[i + 2] == 0x09)) {
      at = form.begin() + static_cast<std::ptrdiff_t>(i);
    }
  }
  return {at, form.begin() + static_cast<std::ptrdiff_t>(end)};
}

TEST_F(FStorageTest, RecordsTheSizeInItsShortestFormAndReadsItBack) {
  const std::pair<size_t, V> cases[] = {{100, {0x02, 0x64}},
                                        {1000, {0x03, 0xE8, 0x03}},
                                        {1711008, {0x04, 0xA0, 0x1B, 0x1A, 0x00}}};
  for (const auto& [size, sizeBytes] : cases) {
    const V payload = testing::RandomBytes(size, size);
    WriteFile(PathOf("payload"), payload);
    TFileStorage source;
    source.LoadFromFile(PathOf("payload"));
    ASSERT_FALSE(source.Empty());
    const V form = SaveForm(source);

    V expected = {0x00, 0x00, 0x08};
    expected.insert(expected.end(), sizeBytes.begin(), sizeBytes.end());
    expected.insert(expected.end(), payload.begin(), payload.end());
    EXPECT_EQ(OwnRecord(form, size), expected) << size;
    EXPECT_EQ(form.back(), 0x00);

    TComponent owner;
    auto* storage = new TFileStorage(&owner);
    storage->SetName("FileStorage1");
    TReader reader(form);
    reader.ReadRootComponent(owner);
    EXPECT_EQ(reader.Remaining(), 0u);
    EXPECT_EQ(storage->DataSize(), static_cast<int32_t>(size));
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), storage->Data().begin()));
    EXPECT_EQ(storage->FileName(), "") << "the build machine's path means nothing at run time";
  }
}

// A payload inside a loaded program is kept where the program holds it, not copied a
// second time; from any other stream the storage owns a copy that survives the stream.
TEST_F(FStorageTest, KeepsALongLivedStreamsBytesInPlaceAndCopiesOthers) {
  const V payload = testing::RandomBytes(5000, 7);
  WriteFile(PathOf("payload"), payload);
  TFileStorage source;
  source.LoadFromFile(PathOf("payload"));
  V form = SaveForm(source);
  const auto inForm = [&form](std::span<const uint8_t> bytes) {
    return bytes.data() >= form.data() && bytes.data() + bytes.size() <= form.data() + form.size();
  };

  TComponent mapped;
  auto* kept = new TFileStorage(&mapped);
  kept->SetName("FileStorage1");
  TReader(form, TStreamLifetime::OutlivesComponents).ReadRootComponent(mapped);
  EXPECT_TRUE(inForm(kept->Data()));
  EXPECT_TRUE(std::ranges::equal(kept->Data(), payload));

  TComponent copied;
  auto* copy = new TFileStorage(&copied);
  copy->SetName("FileStorage1");
  TReader(form).ReadRootComponent(copied);
  EXPECT_FALSE(inForm(copy->Data()));
  std::ranges::fill(form, uint8_t{0});
  EXPECT_TRUE(std::ranges::equal(copy->Data(), payload));

  // Loading a file replaces a view with bytes of the storage's own.
  kept->LoadFromFile(PathOf("payload"));
  EXPECT_FALSE(inForm(kept->Data()));
  EXPECT_TRUE(std::ranges::equal(kept->Data(), payload));
}

TEST_F(FStorageTest, EmptyFlagIsFollowedDirectlyByTheEnclosingStream) {
  TFileStorage empty;
  const V form = SaveForm(empty);
  ASSERT_GE(form.size(), 4u);
  EXPECT_EQ((V{form.end() - 4, form.end()}), (V{0x00, 0x00, 0x09, 0x00}));

  TComponent owner;
  auto* storage = new TFileStorage(&owner);
  storage->SetName("FileStorage1");
  TReader reader(form);
  reader.ReadRootComponent(owner);
  EXPECT_TRUE(storage->Empty());
  EXPECT_EQ(storage->DataSize(), 0);
}

TEST_F(FStorageTest, DamagedRecordsRaiseTheReaderErrors) {
  const auto messageFor = [](const V& record) {
    V stream = {'T', 'P', 'F', '0', 1, 'F', 1, 'f', 0, 12};
    const std::string cls = "TFileStorage";
    stream.insert(stream.end(), cls.begin(), cls.end());
    stream.push_back(1);
    stream.push_back('s');
    stream.insert(stream.end(), record.begin(), record.end());
    TComponent owner;
    (new TFileStorage(&owner))->SetName("s");
    try {
      TReader(stream).ReadRootComponent(owner);
    } catch (const EReadError& e) {
      return e.Message();
    }
    return std::string("no error");
  };
  EXPECT_EQ(messageFor({0, 0, 0x08, 0x06, 0x01, 'x', 0}), "Invalid property value");
  EXPECT_EQ(messageFor({0, 0, 0x08, 0x02, 0x64, 1, 2, 3}), "Stream read error");
  EXPECT_EQ(messageFor({0, 0, 0x08}), "Stream read error");
  EXPECT_EQ(messageFor({0, 0, 0x08, 0x04, 0xFF, 0xFF, 0xFF, 0x7F, 1}), "Stream read error")
      << "a size beyond the stream is refused before allocating it";
  EXPECT_EQ(messageFor({0, 0, 0x08, 0x02, 0xFF, 0}), "Invalid property value") << "negative size";
  EXPECT_EQ(messageFor({0, 0, 0x08, 0x02, 0x02, 'o', 'k', 0}), "no error");
}

TEST_F(FStorageTest, SaveToFileWritesExactlyTheHeldBytes) {
  const V payload = testing::TextLike(5000, 9);
  WriteFile(PathOf("in"), payload);
  TFileStorage storage;
  storage.LoadFromFile(PathOf("in"));
  EXPECT_EQ(storage.FileName(), PathOf("in"));
  ASSERT_TRUE(storage.SaveToFile(PathOf("out")));
  EXPECT_EQ(ReadFile(PathOf("out")), payload);

  TFileStorage empty;
  WriteFile(PathOf("stale"), V(10, 1));
  EXPECT_TRUE(empty.SaveToFile(PathOf("stale")));
  EXPECT_TRUE(ReadFile(PathOf("stale")).empty()) << "an existing file is truncated";

  EXPECT_FALSE(storage.SaveToFile(PathOf("missing-dir/out")));
  EXPECT_TRUE(boxes_.empty()) << "a failed save shows nothing";
}

TEST_F(FStorageTest, PropertyWritesAreIgnored) {
  WriteFile(PathOf("in"), V(100, 7));
  TFileStorage storage;
  storage.LoadFromFile(PathOf("in"));
  storage.SetDataSize(5);
  storage.SetFileName("elsewhere");
  EXPECT_EQ(storage.DataSize(), 100);
  EXPECT_EQ(storage.FileName(), PathOf("in"));
  const V form = SaveForm(storage);
  EXPECT_EQ(OwnRecord(form, 100).size(), 3u + 2u + 100u);
}

TEST_F(FStorageTest, LoadingAMissingFileRaisesAndLeavesTheComponentEmpty) {
  WriteFile(PathOf("in"), V(10, 7));
  TFileStorage storage;
  storage.LoadFromFile(PathOf("in"));
  EXPECT_THROW(storage.LoadFromFile(PathOf("absent")), EInOutError);
  EXPECT_TRUE(storage.Empty());
  EXPECT_EQ(storage.DataSize(), 0);
  EXPECT_TRUE(boxes_.empty());
}

// A file that opens and has a size but whose bytes cannot be read: on Windows one locked
// by another handle, elsewhere a kernel attribute file, which claims a page and holds less.
TEST_F(FStorageTest, AFailedReadShowsTheBoxAndLeavesTheComponentEmpty) {
  WriteFile(PathOf("in"), V(10, 7));
  TFileStorage storage;
  storage.LoadFromFile(PathOf("in"));
#ifdef _WIN32
  const std::string unreadable = PathOf("locked");
  WriteFile(unreadable, V(100, 7));
  const HANDLE holder = ::CreateFileA(unreadable.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  OVERLAPPED whole{};
  ASSERT_TRUE(::LockFileEx(holder, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 100, 0, &whole));
  {
    // Windows refuses other handles' reads of a locked range; Wine 8 lets them through.
    const HANDLE reader = ::CreateFileA(unreadable.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    char byte = 0;
    DWORD done = 0;
    const BOOL read = ::ReadFile(reader, &byte, 1, &done, nullptr);
    ::CloseHandle(reader);
    if (read) {
      ::UnlockFileEx(holder, 0, 100, 0, &whole);
      ::CloseHandle(holder);
      GTEST_SKIP() << "this system does not refuse reads of a locked range";
    }
  }
#else
  const std::string unreadable = "/sys/kernel/profiling";
  if (!fs::exists(unreadable)) GTEST_SKIP() << "no " << unreadable << " here";
#endif
  storage.LoadFromFile(unreadable);
#ifdef _WIN32
  ::UnlockFileEx(holder, 0, 100, 0, &whole);
  ::CloseHandle(holder);
#endif
  ASSERT_EQ(boxes_, std::vector<std::string>{kStorageReadError});
  EXPECT_EQ(boxes_.front(), "Read error or disk is corrupted.");
  EXPECT_TRUE(storage.Empty());
  EXPECT_EQ(storage.DataSize(), 0);
  EXPECT_EQ(storage.FileName(), "");
}

}  // namespace
}  // namespace kavrix
