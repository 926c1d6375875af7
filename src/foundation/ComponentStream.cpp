#include "foundation/ComponentStream.h"

#include <cstring>
#include <stdexcept>

namespace kavrix {

// --- TReader ---

class TReader::NestingScope {
 public:
  explicit NestingScope(TReader& reader) : reader_(reader) {
    if (++reader_.nesting_ > kMaxNesting) {
      --reader_.nesting_;
      throw EReadError(kInvalidStreamFormat);
    }
  }
  ~NestingScope() { --reader_.nesting_; }
  NestingScope(const NestingScope&) = delete;
  NestingScope& operator=(const NestingScope&) = delete;

 private:
  TReader& reader_;
};

void TReader::Need(size_t count) const {
  if (count > Remaining()) throw EReadError(kStreamReadError);
}

uint8_t TReader::ReadByte() {
  Need(1);
  return stream_[position_++];
}

void TReader::Skip(size_t count) {
  Need(count);
  position_ += count;
}

void TReader::Read(void* dest, size_t count) {
  Need(count);
  if (count != 0) std::memcpy(dest, stream_.data() + position_, count);
  position_ += count;
}

std::span<const uint8_t> TReader::ReadInPlace(size_t count) {
  Need(count);
  const auto bytes = stream_.subspan(position_, count);
  position_ += count;
  return bytes;
}

int32_t TReader::ReadRawInteger(size_t size) {
  Need(size);
  uint32_t value = 0;
  for (size_t i = 0; i < size; ++i) value |= static_cast<uint32_t>(stream_[position_ + i]) << (8 * i);
  position_ += size;
  if (size < 4) {
    const uint32_t sign = 1u << (8 * size - 1);
    value = (value ^ sign) - sign;  // sign-extend
  }
  return static_cast<int32_t>(value);
}

uint32_t TReader::ReadUInt32() { return static_cast<uint32_t>(ReadRawInteger(4)); }

void TReader::ReadRootComponent(TComponent& root) {
  Need(sizeof kFormSignature);
  if (std::memcmp(stream_.data() + position_, kFormSignature, sizeof kFormSignature) != 0) {
    throw EReadError(kInvalidStreamFormat);
  }
  position_ += sizeof kFormSignature;
  root_ = &root;
  std::string className;
  std::string name;
  ReadComponentHeader(className, name);
  root.ReadState(*this);
}

void TReader::ReadComponentHeader(std::string& className, std::string& name) {
  // An optional prefix byte F0..FF carries filer flags; flag 2 adds a child position.
  constexpr uint8_t kFlagsPrefix = 0xF0;
  constexpr uint8_t kChildPosFlag = 0x02;
  Need(1);
  if ((stream_[position_] & 0xF0) == kFlagsPrefix) {
    const uint8_t flags = ReadByte() & 0x0F;
    if (flags & kChildPosFlag) ReadInteger();
  }
  className = ReadStr();
  name = ReadStr();
}

void TReader::ReadChildren() {
  while (!EndOfList()) {
    std::string className;
    std::string name;
    ReadComponentHeader(className, name);
    TComponent* child = root_ ? root_->FindComponent(name) : nullptr;
    if (!child) throw EReadError(Format("Component %s not found", name + " (" + className + ")"));
    const NestingScope nested(*this);
    child->ReadState(*this);
  }
  ReadListEnd();
}

bool TReader::EndOfList() const {
  Need(1);
  return stream_[position_] == static_cast<uint8_t>(TValueType::vaNull);
}

void TReader::ReadListEnd() {
  if (ReadValue() != TValueType::vaNull) throw EReadError(kInvalidPropertyValue);
}

TValueType TReader::ReadValue() { return static_cast<TValueType>(ReadByte()); }

std::string TReader::ReadStr() {
  const size_t length = ReadByte();
  Need(length);
  std::string text(reinterpret_cast<const char*>(stream_.data() + position_), length);
  position_ += length;
  return text;
}

int32_t TReader::ReadInteger() {
  switch (ReadValue()) {
    case TValueType::vaInt8: return ReadRawInteger(1);
    case TValueType::vaInt16: return ReadRawInteger(2);
    case TValueType::vaInt32: return ReadRawInteger(4);
    default: throw EReadError(kInvalidPropertyValue);
  }
}

bool TReader::ReadBoolean() {
  switch (ReadValue()) {
    case TValueType::vaTrue: return true;
    case TValueType::vaFalse: return false;
    default: throw EReadError(kInvalidPropertyValue);
  }
}

std::string TReader::ReadString() {
  size_t length = 0;
  switch (ReadValue()) {
    case TValueType::vaString: length = ReadByte(); break;
    case TValueType::vaLString: length = ReadUInt32(); break;
    default: throw EReadError(kInvalidPropertyValue);
  }
  Need(length);
  std::string text(reinterpret_cast<const char*>(stream_.data() + position_), length);
  position_ += length;
  return text;
}

void TReader::SkipPropertyList() {
  while (!EndOfList()) {
    ReadStr();
    SkipValue();
  }
  ReadListEnd();
}

void TReader::SkipValue() {
  switch (ReadValue()) {
    case TValueType::vaNull:
    case TValueType::vaFalse:
    case TValueType::vaTrue:
    case TValueType::vaNil: return;
    case TValueType::vaList: {
      const NestingScope nested(*this);
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      return;
    }
    case TValueType::vaInt8: Skip(1); return;
    case TValueType::vaInt16: Skip(2); return;
    case TValueType::vaInt32:
    case TValueType::vaSingle: Skip(4); return;
    case TValueType::vaCurrency:
    case TValueType::vaDate:
    case TValueType::vaInt64: Skip(8); return;
    case TValueType::vaExtended: Skip(10); return;
    case TValueType::vaString:
    case TValueType::vaIdent: Skip(ReadByte()); return;
    case TValueType::vaBinary:
    case TValueType::vaLString:
    case TValueType::vaUTF8String: Skip(ReadUInt32()); return;
    case TValueType::vaWString: {
      const uint32_t characters = ReadUInt32();
      if (characters > Remaining() / 2) throw EReadError(kStreamReadError);
      Skip(size_t{characters} * 2);
      return;
    }
    case TValueType::vaSet:
      while (!ReadStr().empty()) {}
      return;
    case TValueType::vaCollection: {
      const NestingScope nested(*this);
      while (!EndOfList()) {
        const auto order = static_cast<TValueType>(stream_[position_]);
        if (order == TValueType::vaInt8 || order == TValueType::vaInt16 || order == TValueType::vaInt32) {
          ReadInteger();
        }
        SkipPropertyList();
      }
      ReadListEnd();
      return;
    }
  }
  throw EReadError(kInvalidPropertyValue);
}

// --- TWriter ---

void TWriter::WriteSignature() { output_.insert(output_.end(), std::begin(kFormSignature), std::end(kFormSignature)); }

void TWriter::WriteComponentHeader(const std::string& className, const std::string& name) {
  WriteStr(className);
  WriteStr(name);
}

void TWriter::WriteListEnd() { WriteValue(TValueType::vaNull); }

void TWriter::WriteStr(const std::string& name) {
  if (name.size() > 255) throw std::length_error("component stream names are at most 255 characters");
  output_.push_back(static_cast<uint8_t>(name.size()));
  output_.insert(output_.end(), name.begin(), name.end());
}

void TWriter::WriteValue(TValueType type) { output_.push_back(static_cast<uint8_t>(type)); }

void TWriter::WriteLittleEndian(uint32_t value, size_t size) {
  for (size_t i = 0; i < size; ++i) output_.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void TWriter::WriteInteger(int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  if (value >= -128 && value <= 127) {
    WriteValue(TValueType::vaInt8);
    WriteLittleEndian(bits, 1);
  } else if (value >= -32768 && value <= 32767) {
    WriteValue(TValueType::vaInt16);
    WriteLittleEndian(bits, 2);
  } else {
    WriteValue(TValueType::vaInt32);
    WriteLittleEndian(bits, 4);
  }
}

void TWriter::WriteBoolean(bool value) { WriteValue(value ? TValueType::vaTrue : TValueType::vaFalse); }

void TWriter::WriteString(const std::string& value) {
  if (value.size() <= 255) {
    WriteValue(TValueType::vaString);
    output_.push_back(static_cast<uint8_t>(value.size()));
  } else {
    WriteValue(TValueType::vaLString);
    WriteLittleEndian(static_cast<uint32_t>(value.size()), 4);
  }
  output_.insert(output_.end(), value.begin(), value.end());
}

void TWriter::Write(std::span<const uint8_t> bytes) { output_.insert(output_.end(), bytes.begin(), bytes.end()); }

}  // namespace kavrix
