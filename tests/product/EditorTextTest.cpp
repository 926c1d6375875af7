// The editor's text rules and its file reading and writing.

#include <gtest/gtest.h>

#include "ProductTestSupport.h"
#include "editor/EditorText.h"
#include "editor/TextFile.h"

namespace kavrix {
namespace {

TEST(FileArgument, TakesTheFileAsTheShellVerbsAndShortcutsPassIt) {
  // The verb's command text: the program and %1, both quoted.
  EXPECT_EQ(FileArgument(LR"("C:\Program Files\Quorvel 2.0\quorvel.exe" "C:\My Pages\a b.htm")"),
            LR"(C:\My Pages\a b.htm)");
  // Unquoted, spaces included, surrounding blanks dropped.
  EXPECT_EQ(FileArgument(L"quorvel.exe   C:\\My Pages\\a b.htm  "), L"C:\\My Pages\\a b.htm");
  EXPECT_EQ(FileArgument(L"\"C:\\Q 2\\quorvel.exe\"C:\\x.txt"), L"C:\\x.txt");
  // A quote left open runs to the end of the line.
  EXPECT_EQ(FileArgument(L"quorvel.exe \"C:\\x y.txt"), L"C:\\x y.txt");
}

TEST(FileArgument, IsEmptyWhenNoFileIsNamed) {
  EXPECT_EQ(FileArgument(L"quorvel.exe"), L"");
  EXPECT_EQ(FileArgument(L"\"C:\\Program Files\\Quorvel 2.0\\quorvel.exe\"  "), L"");
  EXPECT_EQ(FileArgument(L""), L"");
}

TEST(DetectEncoding, ByByteOrderMarkThenByWellFormedUtf8) {
  EXPECT_EQ(DetectEncoding("\xFF\xFEh\0i\0"), TextEncoding::kUtf16Le);
  EXPECT_EQ(DetectEncoding("\xEF\xBB\xBFplain"), TextEncoding::kUtf8Bom);
  EXPECT_EQ(DetectEncoding("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"), TextEncoding::kUtf8);
  EXPECT_EQ(DetectEncoding("plain ASCII"), TextEncoding::kAnsi);
  EXPECT_EQ(DetectEncoding(""), TextEncoding::kAnsi);
  EXPECT_EQ(DetectEncoding("caf\xE9"), TextEncoding::kAnsi);          // Latin-1 e acute
  EXPECT_EQ(DetectEncoding("\xC0\xAF"), TextEncoding::kAnsi);         // overlong '/'
  EXPECT_EQ(DetectEncoding("\xED\xA0\x80"), TextEncoding::kAnsi);     // a surrogate
  EXPECT_EQ(DetectEncoding("\xF4\x90\x80\x80"), TextEncoding::kAnsi); // beyond U+10FFFF
  EXPECT_EQ(DetectEncoding("ends in \xE2\x82"), TextEncoding::kAnsi); // cut short
}

TEST(LineEnds, EveryKindOfLineBreakReachesTheEditAsCrLfAndGoesBackAsItCame) {
  EXPECT_EQ(DetectLineEnds(L"a\nb\r\n"), LineEnds::kLf);
  EXPECT_EQ(DetectLineEnds(L"a\r\nb\n"), LineEnds::kCrLf);
  EXPECT_EQ(DetectLineEnds(L"a\rb"), LineEnds::kCr);
  EXPECT_EQ(DetectLineEnds(L"one line"), LineEnds::kCrLf);

  EXPECT_EQ(ToEditLineEnds(L"a\nb\r\nc\rd\n\ne\r"), L"a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
  for (const auto& [text, ends] : {std::pair{L"a\nb\n\nc", LineEnds::kLf}, std::pair{L"a\rb\r\rc", LineEnds::kCr},
                                   std::pair{L"a\r\nb\r\n\r\nc", LineEnds::kCrLf}}) {
    EXPECT_EQ(FromEditLineEnds(ToEditLineEnds(text), ends), text);
  }
}

class TextFileTest : public ::testing::Test {
 protected:
  std::wstring Path(const char* name) const {
    const std::string path = folder_.Path() + "\\" + name;
    return std::wstring(path.begin(), path.end());
  }
  static std::string Narrow(const std::wstring& path) { return std::string(path.begin(), path.end()); }

  testing::ScratchFolder folder_;
};

TEST_F(TextFileTest, WritesBackTheEncodingAndLineEndsItRead) {
  const std::pair<std::string, TextEncoding> cases[] = {
      {"\xEF\xBB\xBFone\ntwo \xC3\xA9\n", TextEncoding::kUtf8Bom},
      {"one\r\ntwo \xE2\x82\xAC\r\n", TextEncoding::kUtf8},
      {"one\rtwo\r", TextEncoding::kAnsi},
      {std::string("\xFF\xFEo\0n\0e\0\n\0", 10), TextEncoding::kUtf16Le},
  };
  for (const auto& [original, encoding] : cases) {
    testing::WriteFile(Narrow(Path("doc.txt")), original);
    TextDocument document;
    ASSERT_EQ(LoadTextFile(Path("doc.txt"), document), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(document.encoding, encoding);
    EXPECT_NE(document.text.find(L"\r\n"), std::wstring::npos);
    ASSERT_EQ(SaveTextFile(Path("copy.txt"), document), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(testing::ReadFile(Narrow(Path("copy.txt"))), original);
  }
}

TEST_F(TextFileTest, TextTheCodePageCannotHoldIsSavedAsUtf8) {
  TextDocument document{L"snow \u2603\r\n", TextEncoding::kAnsi, LineEnds::kLf};
  ASSERT_EQ(SaveTextFile(Path("snow.txt"), document), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(document.encoding, TextEncoding::kUtf8);
  EXPECT_EQ(testing::ReadFile(Narrow(Path("snow.txt"))), "snow \xE2\x98\x83\n");
}

TEST_F(TextFileTest, AFailedSaveReportsTheErrorAndKeepsTheOldFile) {
  testing::WriteFile(Narrow(Path("kept.txt")), "old text");
  ::SetFileAttributesW(Path("kept.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  TextDocument document{L"new text", TextEncoding::kAnsi, LineEnds::kCrLf};
  EXPECT_NE(SaveTextFile(Path("kept.txt"), document), static_cast<DWORD>(ERROR_SUCCESS));
  ::SetFileAttributesW(Path("kept.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(testing::ReadFile(Narrow(Path("kept.txt"))), "old text");
  EXPECT_FALSE(testing::FileExists(Narrow(Path("kept.txt.quorvel-save"))));

  EXPECT_EQ(SaveTextFile(Path("no such folder\\x.txt"), document), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(TextFileTest, ReportsAMissingFileAndKeepsTheDocument) {
  TextDocument document{L"unchanged", TextEncoding::kUtf8, LineEnds::kLf};
  EXPECT_EQ(LoadTextFile(Path("missing.htm"), document), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(document.text, L"unchanged");
}

TEST_F(TextFileTest, OpensFilesOfSeveralMegabytes) {
  std::string big;
  for (int line = 0; big.size() < 3 * 1024 * 1024; ++line) big += "<p>line " + std::to_string(line) + "</p>\n";
  testing::WriteFile(Narrow(Path("big.htm")), big);
  TextDocument document;
  ASSERT_EQ(LoadTextFile(Path("big.htm"), document), static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_EQ(SaveTextFile(Path("big copy.htm"), document), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(testing::ReadFile(Narrow(Path("big copy.htm"))), big);
}

}  // namespace
}  // namespace kavrix
