// TLZHBatch: its published properties in the form's component stream.

#include <array>
#include <iterator>

#include "archive/Lzh_btch.h"
#include "foundation/ComponentStream.h"

namespace kavrix {

namespace {

constexpr std::array<const char*, 3> kDirectoryInfoNames = {"diNone", "diRelativePath", "diFullPath"};
constexpr std::array<const char*, 2> kArchiveModeNames = {"amNew", "amAdd"};

// The index of the identifier that the reader holds among `names`.
template <size_t N>
uint8_t ReadIdentifier(TReader& reader, const std::array<const char*, N>& names) {
  if (reader.ReadValue() != TValueType::vaIdent) throw EReadError(kInvalidPropertyValue);
  const std::string identifier = reader.ReadStr();
  for (size_t i = 0; i < N; ++i) {
    if (identifier == names[i]) return static_cast<uint8_t>(i);
  }
  throw EReadError(kInvalidPropertyValue);
}

void WriteIdentifier(TWriter& writer, const char* property, const char* identifier) {
  writer.WriteStr(property);
  writer.WriteValue(TValueType::vaIdent);
  writer.WriteStr(identifier);
}

}  // namespace

void TLZHBatch::ReadState(TReader& reader) {
  loading_ = true;
  try {
    TCustomLZHCompressor::ReadState(reader);
  } catch (...) {
    loading_ = false;
    throw;
  }
  loading_ = false;
  ReadContents();
}

const TLZHBatch::BooleanProperty TLZHBatch::kBooleanProperties[] = {
    {"OverwriteExisting", &TLZHBatch::overwriteExisting_, true},
    {"RecurseDirectories", &TLZHBatch::recurseDirectories_, false},
    {"RestoreAttributes", &TLZHBatch::restoreAttributes_, false},
    {"RestoreFileDate", &TLZHBatch::restoreFileDate_, false},
    {"UseDirectoryNames", &TLZHBatch::useDirectoryNames_, false},
};

bool TLZHBatch::ReadProperty(const std::string& name, TReader& reader) {
  if (name == "DirectoryInfo") {
    directoryInfo_ = static_cast<TDirectoryInfo>(ReadIdentifier(reader, kDirectoryInfoNames));
  } else if (name == "InputFiles.Strings") {
    if (reader.ReadValue() != TValueType::vaList) throw EReadError(kInvalidPropertyValue);
    inputFiles_.Clear();
    while (!reader.EndOfList()) inputFiles_.Add(reader.ReadString());
    reader.ReadListEnd();
  } else if (name == "ArchiveFileName") {
    SetArchiveFileName(reader.ReadString());
  } else if (name == "ArchiveMode") {
    archiveMode_ = static_cast<TArchiveMode>(ReadIdentifier(reader, kArchiveModeNames));
  } else if (name == "OutputDirectory") {
    SetOutputDirectory(reader.ReadString());
  } else if (name == "RootDirectory") {
    SetRootDirectory(reader.ReadString());
  } else {
    for (const BooleanProperty& property : kBooleanProperties) {
      if (name == property.name) {
        this->*property.field = reader.ReadBoolean();
        return true;
      }
    }
    return false;
  }
  return true;
}

void TLZHBatch::WriteProperties(TWriter& writer) {
  const auto writeString = [&writer](const char* property, const std::string& value) {
    if (value.empty()) return;
    writer.WriteStr(property);
    writer.WriteString(value);
  };
  const auto writeBoolean = [this, &writer](const BooleanProperty& property) {
    if (this->*property.field == property.defaultValue) return;
    writer.WriteStr(property.name);
    writer.WriteBoolean(this->*property.field);
  };
  if (directoryInfo_ != diNone) WriteIdentifier(writer, "DirectoryInfo", kDirectoryInfoNames[directoryInfo_]);
  if (inputFiles_.Count() > 0) {
    writer.WriteStr("InputFiles.Strings");
    writer.WriteValue(TValueType::vaList);
    for (int i = 0; i < inputFiles_.Count(); ++i) writer.WriteString(inputFiles_.Strings(i));
    writer.WriteListEnd();
  }
  writeString("ArchiveFileName", archiveFileName_);
  if (archiveMode_ != amNew) WriteIdentifier(writer, "ArchiveMode", kArchiveModeNames[archiveMode_]);
  writeString("OutputDirectory", outputDirectory_);
  writeBoolean(kBooleanProperties[0]);  // OverwriteExisting is declared before RootDirectory
  writeString("RootDirectory", rootDirectory_);
  for (size_t i = 1; i < std::size(kBooleanProperties); ++i) writeBoolean(kBooleanProperties[i]);
}

}  // namespace kavrix
