#pragma once
// TFileStorage: carries the bytes of one whole file inside the saved data of the form
// it sits on. The installer's backdrop holds the product archive in one; at run time
// the bytes come back when the form is read and go to disk with SaveToFile. The bytes
// are opaque here.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "foundation/Component.h"
#include "foundation/Exceptions.h"

namespace kavrix {

// A file that cannot be found, opened or sized for loading.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

inline constexpr char kStorageReadError[] = "Read error or disk is corrupted.";

class TFileStorage : public TComponent {
 public:
  explicit TFileStorage(TComponent* owner = nullptr);
  ~TFileStorage() override;

  // The path of the last successful LoadFromFile; assigning it changes nothing.
  const std::string& FileName() const noexcept { return fileName_; }
  void SetFileName(const std::string&) noexcept {}
  // The number of bytes held; assigning it changes nothing.
  int32_t DataSize() const noexcept { return dataSize_; }
  void SetDataSize(int32_t) noexcept {}

  bool Empty() const noexcept { return empty_; }
  std::span<const uint8_t> Data() const noexcept { return data_; }

  // After the property and child lists: the empty flag, then the size and raw bytes.
  // From a stream that outlives the component the bytes are kept where they lie, not
  // copied: a payload of many megabytes inside a loaded program is not held twice.
  void ReadState(TReader& reader) override;
  void WriteState(TWriter& writer) override;

  // Writes the held bytes (none when empty) to `fileName` in one write; false on any
  // failure, and nothing is shown.
  bool SaveToFile(const std::string& fileName) const;

  // Replaces the held bytes with the whole file. A file that cannot be opened or
  // sized raises EInOutError; a failed read shows "Read error or disk is corrupted."
  // and leaves the component empty.
  virtual void LoadFromFile(const std::string& fileName);

 protected:
  bool ReadProperty(const std::string& name, TReader& reader) override;
  void WriteProperties(TWriter& writer) override;

 private:
  // A new zeroed block of `size` bytes that becomes the held data; returns it to fill.
  uint8_t* Allocate(int32_t size);
  void Release() noexcept;

  int32_t dataSize_ = 0;
  std::unique_ptr<uint8_t[]> owned_;  // the bytes when they are a copy of the component's own
  std::span<const uint8_t> data_;     // exactly dataSize_ bytes: owned_, or the stream's
  bool empty_ = true;
  std::string fileName_;
};

}  // namespace kavrix
