// The registry file's text: reading, writing, editing, and damaged files.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/RegistryText.h"

namespace {

using platform::formatRegistryText;
using platform::parseRegistryText;
using platform::RegistryDocument;
using platform::RegistryValue;

constexpr const char* kBrevan = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Valtern\\Brevan";

std::optional<std::string> stringAt(RegistryDocument& doc, const std::string& key,
                                    const std::string& name) {
  auto* k = doc.findKey(key);
  if (!k) return std::nullopt;
  auto* v = k->findValue(name);
  if (!v) return std::nullopt;
  return v->stringValue();
}

TEST(RegistryTextTest, ReadsEveryValueForm) {
  RegistryDocument doc = parseRegistryText(
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Valtern\\Brevan]\r\n"
      "\"Exename\"=\"C:\\\\VALTERN\\\\BREVAN\\\\PICTDESK.EXE\"\r\n"
      "\"Quoted\"=\"say \\\"hi\\\"\"\r\n"
      "@=\"default\"\r\n"
      "\"Count\"=dword:0000000a\r\n"
      "\"Blob\"=hex:00,0c,FF\r\n"
      "\"Long\"=hex:01,02,\\\r\n"
      "  03,04\r\n"
      "\"Wide\"=hex(1):41,00,00,82,00,00\r\n"
      "\"Empty\"=hex:\r\n"
      "\"日本語の名前\"=\"表示ソフト\"\r\n");
  ASSERT_EQ(doc.keys.size(), 1u);
  auto* key = doc.findKey(kBrevan);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(stringAt(doc, kBrevan, "Exename"), "C:\\VALTERN\\BREVAN\\PICTDESK.EXE");
  EXPECT_EQ(stringAt(doc, kBrevan, "Quoted"), "say \"hi\"");
  EXPECT_EQ(stringAt(doc, kBrevan, ""), "default");
  EXPECT_EQ(stringAt(doc, kBrevan, "日本語の名前"), "表示ソフト");
  EXPECT_EQ(stringAt(doc, kBrevan, "Wide"), "A\xE8\x88\x80");  // UTF-16LE U+8200
  const RegistryValue* count = key->findValue("count");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->type, platform::kRegDword);
  EXPECT_EQ(count->data, std::string("\x0a\0\0\0", 4));
  EXPECT_EQ(stringAt(doc, kBrevan, "Count"), std::nullopt);  // not a string
  EXPECT_EQ(key->findValue("BLOB")->data, std::string("\x00\x0c\xff", 3));
  EXPECT_EQ(key->findValue("Long")->data, "\x01\x02\x03\x04");
  EXPECT_EQ(key->findValue("Empty")->data, "");
  EXPECT_EQ(key->findValue("Missing"), nullptr);
}

TEST(RegistryTextTest, KeysMatchWithoutRegardToCaseAndStrayBackslashes) {
  RegistryDocument doc = parseRegistryText(
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Valtern\\Brevan]\n"
      "\"Exename\"=\"x\"\n");  // LF line ends
  for (const char* path : {"hkey_local_machine\\software\\VALTERN\\brevan",
                           "HKEY_LOCAL_MACHINE\\\\SOFTWARE\\Valtern\\Brevan\\"}) {
    SCOPED_TRACE(path);
    EXPECT_NE(doc.findKey(path), nullptr);
    EXPECT_EQ(stringAt(doc, path, "EXENAME"), "x");
  }
  EXPECT_EQ(doc.findKey("HKEY_CURRENT_USER\\SOFTWARE\\Valtern\\Brevan"), nullptr);
  EXPECT_EQ(doc.findKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Valtern"), nullptr);
}

TEST(RegistryTextTest, ParentsOfAKeyExistWithoutSectionsOfTheirOwn) {
  RegistryDocument doc = parseRegistryText("[HKEY_CURRENT_USER\\Software\\A\\B]\r\n");
  struct Row {
    const char* path;
    bool exists;
  };
  const Row rows[] = {
      {"HKEY_CURRENT_USER\\Software\\A\\B", true},
      {"HKEY_CURRENT_USER\\software\\a", true},
      {"HKEY_CURRENT_USER\\Software", true},
      {"HKEY_CURRENT_USER", true},
      {"HKEY_LOCAL_MACHINE", true},  // roots always exist
      {"HKEY_CURRENT_USER\\Software\\A\\B\\C", false},
      {"HKEY_CURRENT_USER\\Software\\AB", false},  // a prefix of a name is no parent
      {"HKEY_LOCAL_MACHINE\\Software", false},
      {"", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(doc.keyExists(row.path), row.exists);
  }
}

TEST(RegistryTextTest, CreatingAKeyAddsItsMissingParentsInTreeOrder) {
  RegistryDocument doc = parseRegistryText(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Valtern\\Brevan]\r\n\"Exename\"=\"x\"\r\n");
  doc.createKey("HKEY_CURRENT_USER\\software\\AHOEM011\\JanSDK8")
      .setValue(RegistryValue::bytes("ReadOption", platform::kRegBinary, std::string(12, '\0')));
  std::vector<std::string> paths;
  for (const auto& k : doc.keys) paths.push_back(k.path);
  // The existing parent keeps its spelling; the new keys follow its tree, before HKLM.
  EXPECT_EQ(paths, (std::vector<std::string>{
                       "HKEY_CURRENT_USER\\Software",
                       "HKEY_CURRENT_USER\\Software\\Other",
                       "HKEY_CURRENT_USER\\Software\\AHOEM011",
                       "HKEY_CURRENT_USER\\Software\\AHOEM011\\JanSDK8",
                       "HKEY_LOCAL_MACHINE\\SOFTWARE\\Valtern\\Brevan",
                   }));
  // Creating it again changes nothing.
  doc.createKey("HKEY_CURRENT_USER\\Software\\AHOEM011\\JanSDK8");
  EXPECT_EQ(doc.keys.size(), 5u);
}

TEST(RegistryTextTest, WritesTheRegistryEditorSyntax) {
  RegistryDocument doc;
  auto& key = doc.createKey("HKEY_CURRENT_USER\\Software\\AHOEM011");
  key.setValue(RegistryValue::bytes("ReadOption", platform::kRegBinary, std::string(12, '\0')));
  key.setValue(RegistryValue::text("Path", "C:\\a \"b\""));
  key.setValue(RegistryValue::text("", "def"));
  RegistryValue dword{"Count", RegistryValue::Form::Dword, platform::kRegDword,
                      std::string("\x0a\x01\0\0", 4)};
  key.setValue(dword);
  key.setValue(RegistryValue::bytes("Multi", 7, std::string("a\0\0\0", 4)));
  EXPECT_EQ(formatRegistryText(doc),
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software]\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\AHOEM011]\r\n"
            "\"ReadOption\"=hex:00,00,00,00,00,00,00,00,00,00,00,00\r\n"
            "\"Path\"=\"C:\\\\a \\\"b\\\"\"\r\n"
            "@=\"def\"\r\n"
            "\"Count\"=dword:0000010a\r\n"
            "\"Multi\"=hex(7):61,00,00,00\r\n"
            "\r\n");
}

TEST(RegistryTextTest, ReplacingAValueKeepsItsPlaceAndTheStoredNameCase) {
  RegistryDocument doc = parseRegistryText(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Valtern\\Brevan]\r\n"
      "\"Exename\"=\"c:\\\\valtern\\\\brevan\\\\old_bin\\\\pictdesk.exe\"\r\n\"After\"=\"y\"\r\n");
  doc.findKey(kBrevan)->setValue(
      RegistryValue::text("exename", "C:\\VALTERN\\BREVAN\\PICTDESK.EXE"));
  EXPECT_EQ(formatRegistryText(doc),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Valtern\\Brevan]\r\n"
            "\"Exename\"=\"C:\\\\VALTERN\\\\BREVAN\\\\PICTDESK.EXE\"\r\n"
            "\"After\"=\"y\"\r\n\r\n");
}

TEST(RegistryTextTest, LongBinaryValuesContinueOnLinesEndingInBackslash) {
  RegistryDocument doc;
  std::string bytes;
  for (int i = 0; i < 100; ++i) bytes += static_cast<char>(i);
  doc.createKey("HKEY_CURRENT_USER\\K")
      .setValue(RegistryValue::bytes("Blob", platform::kRegBinary, bytes));
  const std::string text = formatRegistryText(doc);
  size_t begin = 0;
  int lines = 0;
  while (begin < text.size()) {
    const size_t end = text.find("\r\n", begin);
    EXPECT_LE(end - begin, 80u) << text.substr(begin, end - begin);
    begin = end + 2;
    ++lines;
  }
  EXPECT_GT(lines, 6);
  RegistryDocument again = parseRegistryText(text);
  EXPECT_EQ(again.findKey("HKEY_CURRENT_USER\\K")->findValue("Blob")->data, bytes);
}

TEST(RegistryTextTest, StringsWithLineBreaksOrNulsStayOnOneLine) {
  const std::string texts[] = {"two\r\nlines", std::string("nul\0inside", 10), "tab\tand 表"};
  for (const std::string& value : texts) {
    SCOPED_TRACE(value);
    RegistryDocument doc;
    doc.createKey("HKEY_CURRENT_USER\\K").setValue(RegistryValue::text("V", value));
    RegistryDocument again = parseRegistryText(formatRegistryText(doc));
    ASSERT_EQ(again.keys.size(), 1u);
    auto read = stringAt(again, "HKEY_CURRENT_USER\\K", "V");
    // A NUL ends a registry string, as it does for the program reading it.
    EXPECT_EQ(read, value.substr(0, value.find('\0')));
  }
}

TEST(RegistryTextTest, LinesItCannotReadSurviveARewrite) {
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n"
      "; written by hand\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n"
      "\"Good\"=\"1\"\r\n"
      "\"Bad\"=hex:zz,00\r\n"
      "\"Gone\"=-\r\n"
      "\"Unclosed\"=\"abc\r\n"
      "\"Cut\"=hex:00,\\\r\n"
      "\r\n"
      "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Deleted]\r\n"
      "\r\n";
  RegistryDocument doc = parseRegistryText(text);
  EXPECT_EQ(doc.preamble, std::vector<std::string>{"; written by hand"});
  // The deletion is kept but never taken for a key.
  EXPECT_EQ(doc.findKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Deleted"), nullptr);
  EXPECT_EQ(doc.findKey("-HKEY_LOCAL_MACHINE\\SOFTWARE\\Deleted"), nullptr);
  doc.findKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\A")->setValue(RegistryValue::text("New", "2"));
  const std::string written = formatRegistryText(doc);
  for (const char* line :
       {"; written by hand", "\"Bad\"=hex:zz,00", "\"Gone\"=-", "\"Unclosed\"=\"abc",
        "\"Cut\"=hex:00,\\", "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Deleted]", "\"New\"=\"2\""}) {
    SCOPED_TRACE(line);
    EXPECT_NE(written.find(std::string(line) + "\r\n"), std::string::npos) << written;
  }
  // Writing what was read gives the same text again.
  EXPECT_EQ(formatRegistryText(parseRegistryText(written)), written);
}

TEST(RegistryTextTest, AKeptLineEndingInBackslashNeverJoinsTheNextOne) {
  // The blank line stops the continuation; the line after it must not be joined on rewrite.
  RegistryDocument doc = parseRegistryText("[HKEY_CURRENT_USER\\K]\n\"A\"=hex:00,\\\n\n01\n");
  EXPECT_EQ(doc.findKey("HKEY_CURRENT_USER\\K")->findValue("A"), nullptr);
  const std::string written = formatRegistryText(doc);
  RegistryDocument again = parseRegistryText(written);
  EXPECT_EQ(again.findKey("HKEY_CURRENT_USER\\K")->findValue("A"), nullptr) << written;
  EXPECT_EQ(formatRegistryText(again), written);
}

TEST(RegistryTextTest, LaterSectionsAndValuesOfTheSameNameMergeIntoTheFirst) {
  RegistryDocument doc = parseRegistryText(
      "[HKEY_CURRENT_USER\\K]\n\"A\"=\"1\"\n\"B\"=\"1\"\n"
      "[hkey_current_user\\k]\n\"a\"=\"2\"\n\"C\"=\"3\"\n");
  ASSERT_EQ(doc.keys.size(), 1u);
  EXPECT_EQ(doc.keys[0].lines.size(), 3u);
  EXPECT_EQ(stringAt(doc, "HKEY_CURRENT_USER\\K", "A"), "2");
  EXPECT_EQ(doc.keys[0].lines[0].value->name, "A");
  EXPECT_EQ(stringAt(doc, "HKEY_CURRENT_USER\\K", "C"), "3");
}

TEST(RegistryTextTest, ToleratesOddButReadableFiles) {
  struct Row {
    const char* name;
    std::string text;
  };
  const Row rows[] = {
      {"byte-order mark",
       "\xEF\xBB\xBFWindows Registry Editor Version "
       "5.00\r\n[HKEY_CURRENT_USER\\K]\r\n\"V\"=\"x\"\r\n"},
      {"old version line", "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"V\"=\"x\"\n"},
      {"no version line", "[HKEY_CURRENT_USER\\K]\n\"V\"=\"x\""},
      {"blanks around", "  [HKEY_CURRENT_USER\\K]  \n\t\"V\" = \"x\"  \n"},
      {"dword in capitals", "[HKEY_CURRENT_USER\\K]\n\"V\"=\"x\"\n\"D\"=DWORD:FFFFFFFF\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RegistryDocument doc = parseRegistryText(row.text);
    EXPECT_EQ(stringAt(doc, "HKEY_CURRENT_USER\\K", "V"), "x");
  }
}

TEST(RegistryTextTest, DamagedFilesGiveWhatCanBeRead) {
  std::string junk;
  for (int i = 0; i < 200000; ++i) junk += static_cast<char>((i * 7919 + 13) & 0xFF);
  const std::string good = "\n[HKEY_CURRENT_USER\\K]\n\"V\"=\"x\"\n";
  struct Row {
    const char* name;
    std::string text;
    bool keepsGood;
  };
  const Row rows[] = {
      {"binary junk", junk, false},
      {"junk before a good key", junk + good, true},
      {"one line of 1 MB", std::string(1 << 20, 'a') + good, true},
      {"a 1 MB header", "[" + std::string(1 << 20, 'k') + "]" + good, true},
      {"a 1 MB hex value", "[HKEY_CURRENT_USER\\K]\n\"B\"=hex:" + std::string(1 << 20, '0') + good,
       true},
      {"many headers",
       [] {
         std::string s;
         for (int i = 0; i < 100000; ++i)
           s += "[HKEY_CURRENT_USER\\K" + std::to_string(i % 500) + "]\n";
         return s;
       }() +
           good,
       true},
      {"invalid UTF-8", "[HKEY_CURRENT_USER\\\xFF\xFE]\n\"\xC3\"=\"\xE3\x81\"\n" + good, true},
      {"NULs", std::string("\0\0[\0]\0\n", 7) + good, true},
      {"only carriage returns", "[HKEY_CURRENT_USER\\K]\r\"V\"=\"x\"\r", false},
      {"endless continuation",
       "[HKEY_CURRENT_USER\\K]\n\"B\"=hex:" +
           [] {
             std::string s;
             for (int i = 0; i < 50000; ++i) s += "00,\\\n";
             return s;
           }() +
           good,
       true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RegistryDocument doc = parseRegistryText(row.text);
    if (row.keepsGood) {
      EXPECT_EQ(stringAt(doc, "HKEY_CURRENT_USER\\K", "V"), "x");
    }
    // What was read can be written and read again to the same document.
    const std::string written = formatRegistryText(doc);
    EXPECT_EQ(formatRegistryText(parseRegistryText(written)), written);
  }
}

TEST(RegistryTextTest, KeyPathsJoinUnderTheirRoot) {
  EXPECT_EQ(platform::registryKeyPath("HKEY_LOCAL_MACHINE", "SOFTWARE\\Valtern\\Brevan"), kBrevan);
  EXPECT_EQ(platform::registryKeyPath("HKEY_LOCAL_MACHINE", "\\SOFTWARE\\\\Valtern\\Brevan\\"),
            kBrevan);
  EXPECT_EQ(platform::registryKeyPath("HKEY_CURRENT_USER", ""), "HKEY_CURRENT_USER");
  EXPECT_FALSE(platform::registryNameStorable("a\nb"));
  EXPECT_FALSE(platform::registryNameStorable(std::string("a\0b", 3)));
  EXPECT_TRUE(platform::registryNameStorable("表\\ソ"));
}

}  // namespace
