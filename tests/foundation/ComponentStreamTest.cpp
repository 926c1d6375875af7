#include "foundation/ComponentStream.h"

#include <gtest/gtest.h>

namespace kavrix {
namespace {

using V = std::vector<uint8_t>;

// Remembers the integer and string properties it is given.
class Recorder : public TComponent {
 public:
  using TComponent::TComponent;
  int32_t left = 0;
  std::string caption;

 protected:
  bool ReadProperty(const std::string& name, TReader& reader) override {
    if (name == "Left") { left = reader.ReadInteger(); return true; }
    if (name == "Caption") { caption = reader.ReadString(); return true; }
    return false;
  }
  void WriteProperties(TWriter& writer) override {
    writer.WriteStr("Left");
    writer.WriteInteger(left);
    writer.WriteStr("Caption");
    writer.WriteString(caption);
  }
};

V Str(const std::string& s) {
  V v(s.size() + 1);
  v[0] = static_cast<uint8_t>(s.size());
  std::copy(s.begin(), s.end(), v.begin() + 1);
  return v;
}

V Concat(std::initializer_list<V> parts) {
  V all;
  for (const V& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(ComponentStream, ReadsKnownPropertiesAndSkipsEveryOtherKindOfValue) {
  const V stream = Concat({
      V{'T', 'P', 'F', '0'}, Str("TForm1"), Str("Form1"),
      Str("Left"), V{0x03, 0x2C, 0x01},                        // 300
      Str("Font.Name"), V{0x06}, Str("Tahoma"),
      Str("Color"), V{0x07}, Str("clBlack"),                   // identifier
      Str("Visible"), V{0x09},
      Str("Items"), V{0x01, 0x02, 0x05, 0x06}, Str("x"), V{0x00},  // list
      Str("Glyph"), V{0x0A, 0x03, 0x00, 0x00, 0x00, 1, 2, 3},  // binary
      Str("Anchors"), V{0x0B}, Str("akLeft"), Str("akTop"), V{0x00},  // set
      Str("Ratio"), V{0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F},  // extended
      Str("Wide"), V{0x12, 0x02, 0x00, 0x00, 0x00, 'h', 0, 'i', 0},
      Str("Panels"), V{0x0E, 0x02, 0x00}, Str("Width"), V{0x02, 0x10, 0x00, 0x00},  // collection
      Str("Big"), V{0x13, 1, 0, 0, 0, 0, 0, 0, 0},
      V{0x00},                                                 // end of properties
      Str("TRecorder"), Str("Child1"), Str("Caption"), V{0x06}, Str("Next"), V{0x00, 0x00},
      V{0x00},                                                 // end of children
  });
  Recorder form;
  auto* child = new Recorder(&form);
  child->SetName("Child1");
  TReader reader(stream);
  reader.ReadRootComponent(form);
  EXPECT_EQ(form.left, 300);
  EXPECT_EQ(child->caption, "Next");
  EXPECT_EQ(reader.Remaining(), 0u);
}

TEST(ComponentStream, WriterTakesTheShortestIntegerAndReadsBackSignExtended) {
  const std::pair<int32_t, V> cases[] = {
      {100, {0x02, 0x64}},          {-128, {0x02, 0x80}},       {1000, {0x03, 0xE8, 0x03}},
      {-32768, {0x03, 0x00, 0x80}}, {32768, {0x04, 0x00, 0x80, 0x00, 0x00}},
      {1711008, {0x04, 0xA0, 0x1B, 0x1A, 0x00}}, {-1, {0x02, 0xFF}}};
  for (const auto& [value, bytes] : cases) {
    V written;
    TWriter(written).WriteInteger(value);
    EXPECT_EQ(written, bytes) << value;
    TReader reader(bytes);
    EXPECT_EQ(reader.ReadInteger(), value);
  }
}

TEST(ComponentStream, RoundTripsAFormWithALongString) {
  Recorder form;
  form.left = -5;
  form.caption = std::string(300, 'q');
  V stream;
  TWriter writer(stream);
  writer.WriteSignature();
  writer.WriteComponentHeader("TRecorder", "Form1");
  form.WriteState(writer);

  Recorder copy;
  TReader(stream).ReadRootComponent(copy);
  EXPECT_EQ(copy.left, -5);
  EXPECT_EQ(copy.caption, form.caption);
}

TEST(ComponentStream, DamagedStreamsRaiseReadErrors) {
  const auto messageFor = [](const V& stream) {
    Recorder form;
    try {
      TReader(stream).ReadRootComponent(form);
    } catch (const EReadError& e) {
      return e.Message();
    }
    return std::string("no error");
  };
  const V header = Concat({V{'T', 'P', 'F', '0'}, Str("TForm1"), Str("Form1")});
  EXPECT_EQ(messageFor(V{'T', 'P', 'F'}), "Stream read error");
  EXPECT_EQ(messageFor(V{'T', 'P', 'F', '1', 0, 0, 0, 0}), "Invalid stream format");
  EXPECT_EQ(messageFor(Concat({header, Str("Left")})), "Stream read error");
  EXPECT_EQ(messageFor(Concat({header, Str("Left"), V{0x06}})), "Invalid property value");
  EXPECT_EQ(messageFor(Concat({header, Str("Tag"), V{0x7F}})), "Invalid property value");
  EXPECT_EQ(messageFor(Concat({header, Str("Data"), V{0x0A, 0xFF, 0xFF, 0xFF, 0x7F, 1}})), "Stream read error");
  EXPECT_EQ(messageFor(Concat({header, V{0x00}, Str("TThing"), Str("Ghost"), V{0x00, 0x00, 0x00}})),
            "Component Ghost (TThing) not found");
}

TEST(ComponentStream, RegressionDeepNestingIsRefusedInsteadOfExhaustingTheStack) {
  Recorder form;
  V lists = Concat({V{'T', 'P', 'F', '0'}, Str("TForm1"), Str("Form1"), Str("P")});
  lists.insert(lists.end(), 200000, 0x01);  // lists within lists
  try {
    TReader(lists).ReadRootComponent(form);
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Invalid stream format");
  }

  // Child records nest through the components' own reading.
  auto* child = new Recorder(&form);
  child->SetName("C");
  V children = Concat({V{'T', 'P', 'F', '0'}, Str("TForm1"), Str("Form1"), V{0x00}});
  for (int i = 0; i < 100000; ++i) {
    const V record = Concat({Str("TRecorder"), Str("C"), V{0x00}});
    children.insert(children.end(), record.begin(), record.end());
  }
  EXPECT_THROW(TReader(children).ReadRootComponent(form), EReadError);
}

}  // namespace
}  // namespace kavrix
