#include "archive/FStorage.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "foundation/ComponentStream.h"
#include "foundation/ErrorBox.h"

namespace kavrix {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The size of a file in bytes, or EInOutError when it cannot be opened or does not
// fit the 32-bit size the storage records.
int32_t SizeOfFile(const std::string& fileName) {
  FilePtr file(std::fopen(fileName.c_str(), "rb"));
  if (!file) throw EInOutError(Format("Cannot open file %s", fileName) + ": " + std::strerror(errno));
  if (std::fseek(file.get(), 0, SEEK_END) != 0) throw EInOutError("I/O error sizing " + fileName);
  const long size = std::ftell(file.get());
  if (size < 0 || size > std::numeric_limits<int32_t>::max()) {
    throw EInOutError("File too large to store: " + fileName);
  }
  return static_cast<int32_t>(size);
}

}  // namespace

TFileStorage::TFileStorage(TComponent* owner) : TComponent(owner) {}

TFileStorage::~TFileStorage() = default;

uint8_t* TFileStorage::Allocate(int32_t size) {
  owned_.reset(new uint8_t[static_cast<size_t>(size)]());
  data_ = {owned_.get(), static_cast<size_t>(size)};
  dataSize_ = size;
  return owned_.get();
}

void TFileStorage::Release() noexcept {
  owned_.reset();
  data_ = {};
  dataSize_ = 0;
  empty_ = true;
}

bool TFileStorage::ReadProperty(const std::string& name, TReader& reader) {
  // Both are saved like any property, but the size that counts is the one in the
  // component's own data, and a file name from the build machine means nothing here.
  if (name == "FileName") {
    SetFileName(reader.ReadString());
    return true;
  }
  if (name == "DataSize") {
    SetDataSize(reader.ReadInteger());
    return true;
  }
  return false;
}

void TFileStorage::WriteProperties(TWriter& writer) {
  writer.WriteStr("FileName");
  writer.WriteString(fileName_);
  writer.WriteStr("DataSize");
  writer.WriteInteger(dataSize_);
}

void TFileStorage::ReadState(TReader& reader) {
  TComponent::ReadState(reader);
  Release();
  if (reader.ReadValue() == TValueType::vaTrue) return;
  const int32_t size = reader.ReadInteger();
  // A negative size, or one the stream cannot hold, is damaged data: refuse it before
  // allocating rather than reserving memory for bytes that are not there.
  if (size < 0) throw EReadError(kInvalidPropertyValue);
  if (static_cast<size_t>(size) > reader.Remaining()) throw EReadError(kStreamReadError);
  if (reader.Lifetime() == TStreamLifetime::OutlivesComponents) {
    data_ = reader.ReadInPlace(static_cast<size_t>(size));
    dataSize_ = size;
  } else {
    reader.Read(Allocate(size), static_cast<size_t>(size));
  }
  empty_ = false;
}

void TFileStorage::WriteState(TWriter& writer) {
  TComponent::WriteState(writer);
  writer.WriteBoolean(empty_);
  if (empty_) return;
  writer.WriteInteger(dataSize_);
  writer.Write(Data());
}

bool TFileStorage::SaveToFile(const std::string& fileName) const {
  FilePtr file(std::fopen(fileName.c_str(), "wb"));
  if (!file) return false;
  const size_t size = static_cast<size_t>(dataSize_);
  if (size != 0 && std::fwrite(data_.data(), 1, size, file.get()) != size) return false;
  // Closing flushes; a failure there (a full disk) is a failed save too.
  return std::fclose(file.release()) == 0;
}

void TFileStorage::LoadFromFile(const std::string& fileName) {
  Release();
  const int32_t size = SizeOfFile(fileName);
  uint8_t* bytes = Allocate(size);
  FilePtr file(std::fopen(fileName.c_str(), "rb"));
  if (file && std::fread(bytes, 1, static_cast<size_t>(size), file.get()) == static_cast<size_t>(size)) {
    empty_ = false;
    fileName_ = fileName;
    return;
  }
  ShowErrorBox(kStorageReadError, "Error");
  Release();
  fileName_.clear();
}

}  // namespace kavrix
