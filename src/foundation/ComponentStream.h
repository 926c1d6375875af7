#pragma once
// The binary component stream in which forms are saved: the signature "TPF0", then
// one component record:
//
//   record   = [flags] class-name object-name property* 00 child-record* 00 [own data]
//   property = name value
//   value    = tag byte + payload (the tags below)
//
// Names are short strings (a length byte and 8-bit characters); integers are
// little-endian. A component may store data of its own after its two end markers,
// which only its ReadState knows how to read. Reader and writer share the tags here.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "foundation/Component.h"
#include "foundation/Exceptions.h"

namespace kavrix {

class EReadError : public Exception {
 public:
  using Exception::Exception;
};

inline constexpr char kStreamReadError[] = "Stream read error";
inline constexpr char kInvalidPropertyValue[] = "Invalid property value";
inline constexpr char kInvalidStreamFormat[] = "Invalid stream format";

enum class TValueType : uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,
  vaInt64 = 19,
  vaUTF8String = 20,
};

inline constexpr uint8_t kFormSignature[4] = {'T', 'P', 'F', '0'};

// Whether the bytes of a stream stay where they are for as long as the components read
// from it live (a loaded module's resource does), so that a component may keep a view of
// its own data instead of a copy.
enum class TStreamLifetime { Transient, OutlivesComponents };

// Reads a component stream held in memory (a form resource is mapped, not copied).
// Every read past the end raises EReadError "Stream read error".
class TReader {
 public:
  explicit TReader(std::span<const uint8_t> stream, TStreamLifetime lifetime = TStreamLifetime::Transient) noexcept
      : stream_(stream), lifetime_(lifetime) {}

  // Reads the signature and the root record into `root`; child records go to the
  // root's components of the same names.
  void ReadRootComponent(TComponent& root);

  // Reads child records up to and including their end marker.
  void ReadChildren();

  bool EndOfList() const;  // true when the next byte is the 00 end marker
  void ReadListEnd();
  TValueType ReadValue();
  std::string ReadStr();       // a name: length byte and characters, no tag
  int32_t ReadInteger();       // vaInt8/16/32, else "Invalid property value"
  bool ReadBoolean();          // vaTrue/vaFalse, else "Invalid property value"
  std::string ReadString();    // vaString/vaLString, else "Invalid property value"
  void SkipValue();
  // Copies `count` raw bytes; the stream must hold them.
  void Read(void* dest, size_t count);
  // Passes over `count` raw bytes and returns them where they lie; the stream must hold
  // them. The view is as long-lived as the stream's bytes (see Lifetime()).
  std::span<const uint8_t> ReadInPlace(size_t count);
  TStreamLifetime Lifetime() const noexcept { return lifetime_; }
  // Untagged signed integer of `size` bytes (1, 2 or 4), little-endian.
  int32_t ReadRawInteger(size_t size);

  size_t Position() const noexcept { return position_; }
  size_t Remaining() const noexcept { return stream_.size() - position_; }

 private:
  void Need(size_t count) const;
  uint8_t ReadByte();
  uint32_t ReadUInt32();
  void Skip(size_t count);
  void ReadComponentHeader(std::string& className, std::string& name);
  void SkipPropertyList();

  // Lists and child records nest; a damaged stream could nest them deeply enough to
  // exhaust the stack, so the depth is limited and beyond it the stream is refused.
  static constexpr int kMaxNesting = 256;
  class NestingScope;

  std::span<const uint8_t> stream_;
  TStreamLifetime lifetime_;
  size_t position_ = 0;
  TComponent* root_ = nullptr;
  int nesting_ = 0;
};

// Writes a component stream, for the build that saves a form with its payload.
class TWriter {
 public:
  explicit TWriter(std::vector<uint8_t>& output) noexcept : output_(output) {}

  void WriteSignature();
  void WriteComponentHeader(const std::string& className, const std::string& name);
  void WriteListEnd();
  void WriteStr(const std::string& name);  // at most 255 characters
  void WriteValue(TValueType type);
  void WriteInteger(int32_t value);        // the shortest of the three forms
  void WriteBoolean(bool value);
  void WriteString(const std::string& value);
  void Write(std::span<const uint8_t> bytes);

 private:
  void WriteLittleEndian(uint32_t value, size_t size);

  std::vector<uint8_t>& output_;
};

}  // namespace kavrix
