#include "app/registry.hpp"

#include "settings_fixture.hpp"

using namespace std::string_literals;

namespace {

const std::string kRoot = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnex\\Korvel\\Plicato\\";

std::vector<uint8_t> bytes(std::initializer_list<int> list) {
  std::vector<uint8_t> out;
  for (int b : list) out.push_back(static_cast<uint8_t>(b));
  return out;
}

}  // namespace

using RegistryTest = SettingsTest;

TEST_F(RegistryTest, WritesTheRegedit4FormAndReadsItBack) {
  Registry reg(config.file("r.reg"));
  ASSERT_TRUE(reg.setString(kRoot + "Editor\\TabSize", "", "8"));
  ASSERT_TRUE(reg.setString(kRoot + "Compiler\\CMDLine", "", "icc \"a b\" C:\\tmp\\"));
  ASSERT_TRUE(reg.setBinary(kRoot + "MainWindowPlacement", "flags", bytes({2, 0, 0, 0})));
  ASSERT_TRUE(reg.setBinary(kRoot + "MainWindowPlacement", "rcNormal", bytes({0xff, 0x10})));
  EXPECT_EQ(readFile(reg.path()),
            "REGEDIT4\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnex\\Korvel\\Plicato\\Editor\\TabSize]\n"
            "@=\"8\"\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnex\\Korvel\\Plicato\\Compiler\\CMDLine]\n"
            "@=\"icc \\\"a b\\\" C:\\\\tmp\\\\\"\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnex\\Korvel\\Plicato\\MainWindowPlacement]\n"
            "\"flags\"=hex:02,00,00,00\n"
            "\"rcNormal\"=hex:ff,10\n\n");

  Registry again(reg.path());
  again.load();
  EXPECT_EQ(again.getString(kRoot + "Editor\\TabSize"), "8");
  EXPECT_EQ(again.getString(kRoot + "Compiler\\CMDLine"), "icc \"a b\" C:\\tmp\\");
  EXPECT_EQ(again.getBinary(kRoot + "MainWindowPlacement", "FLAGS"), bytes({2, 0, 0, 0}));
  EXPECT_EQ(again.serialise(), readFile(reg.path()));
}

TEST_F(RegistryTest, LineBreaksInAStringSurviveTheLineFormat) {
  Registry reg(config.file("r.reg"));
  reg.setString(kRoot + "X", "", "one\r\ntwo\n[HKEY_LOCAL_MACHINE\\Y]");
  Registry again(reg.path());
  again.load();
  EXPECT_EQ(again.getString(kRoot + "X"), "one\r\ntwo\n[HKEY_LOCAL_MACHINE\\Y]");
  EXPECT_FALSE(again.hasKey("HKEY_LOCAL_MACHINE\\Y"));
}

TEST_F(RegistryTest, ReadsAHandWrittenFile) {
  config.write("r.reg",
               "\xEF\xBB\xBFREGEDIT4\r\n"
               "\r\n"
               "; written by hand\r\n"
               "[hkey_local_machine\\software\\varnex\\korvel\\plicato\\editor\\tabsize]\r\n"
               "@ = \"12\"\r\n"
               "\r\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnex\\Korvel\\Plicato\\\\File1Placement\\]\r\n"
               "\"rcNormal\"=hex:0a,00,00,00,14,00,00,00,\\\r\n"
               "  1e,00,00,00,28,00,00,00\r\n"
               "\"showCmd\"=dword:00000003\r\n"
               "\"Name\"=\"first\"\r\n"
               "\"name\"=\"second\"\r\n"
               "\"gone\"=\"x\"\r\n"
               "\"gone\"=-\r\n");
  Registry reg(config.file("r.reg"));
  reg.load();
  EXPECT_EQ(reg.getString(kRoot + "Editor\\TabSize"), "12");
  std::string placement = kRoot + "File1Placement";
  EXPECT_EQ(reg.getBinary(placement, "rcnormal"),
            bytes({10, 0, 0, 0, 20, 0, 0, 0, 30, 0, 0, 0, 40, 0, 0, 0}));
  EXPECT_EQ(reg.getBinary(placement, "showCmd"), bytes({3, 0, 0, 0}));
  EXPECT_EQ(reg.getString(placement, "NAME"), "second");  // the later line wins
  EXPECT_FALSE(reg.getString(placement, "gone"));
  EXPECT_FALSE(reg.getString(placement, "showCmd")) << "a binary value is not a string";
  EXPECT_TRUE(reg.hasKey(kRoot + "Editor"));
  EXPECT_TRUE(reg.hasKey("HKEY_LOCAL_MACHINE\\SOFTWARE"));
  EXPECT_FALSE(reg.hasKey(kRoot + "Edit"));
}

// Every bad line is dropped; the good lines around it still load.
TEST_F(RegistryTest, SurvivesMalformedFiles) {
  struct Case {
    const char* what;
    std::string junk;
  };
  const Case cases[] = {
      {"binary junk", "\x00\x01\xff\xfe[\x00]\n@=\"\x00\"\n\x7f\x80\n"s},
      {"line without =", "\"flags\" hex:02,00\n@\n"},
      {"truncated hex", "\"flags\"=hex:02,00,0\n\"showCmd\"=hex:02,\n\"x\"=hex:zz\n"},
      {"unclosed string", "@=\"never closed\n\"half=\"1\"\n"},
      {"bad dword", "\"d\"=dword:123456789\n\"e\"=dword:xyz\n"},
      {"unknown value form", "\"v\"=qword:1\n\"w\"=1234\n"},
      {"huge line", "@=\"" + std::string(1 << 20, 'a') + "\"\n"},
      {"key without bracket", "[HKEY_LOCAL_MACHINE\\Broken\n@=\"lost\"\n"},
      {"huge key line", "[" + std::string(1 << 20, 'K') + "]\n@=\"lost\"\n"},
      {"continuation at the end", "\"c\"=hex:01,\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string text = "REGEDIT4\n\n[" + kRoot + "Good]\n@=\"before\"\n" + c.junk +
                       "\n[" + kRoot + "After]\n@=\"after\"\n\"b\"=hex:01\n\n" + c.junk;
    Registry reg("/nonexistent");
    reg.parse(text);
    EXPECT_EQ(reg.getString(kRoot + "Good"), "before");
    EXPECT_EQ(reg.getString(kRoot + "After"), "after");
    EXPECT_EQ(reg.getBinary(kRoot + "After", "b"), bytes({1}));
    for (const char* name : {"flags", "showCmd", "x", "d", "e", "v", "w", "c", "half"}) {
      EXPECT_FALSE(reg.getBinary(kRoot + "Good", name)) << name;
      EXPECT_FALSE(reg.getBinary(kRoot + "After", name)) << name;
    }
    EXPECT_FALSE(reg.hasKey("HKEY_LOCAL_MACHINE\\Broken"));
  }
}

// Found by fuzz_registry: key names of blanks and separators. What is
// written reads back to the same file, and a name that is nothing once
// tidied makes no key at all.
TEST_F(RegistryTest, KeyNamesOfBlanksAndSeparatorsReadBackAsWritten) {
  Registry reg("/nonexistent");
  reg.parse("REGEDIT4\n\n[\t\t\\\\\t\t\t\\\\\t]\n@=\"x\"\n"
            "[ \\\\ ]\n@=\"y\"\n"
            "[\\A\\\\B\\ ]\n@=\"z\"\n");
  const std::string written = reg.serialise();
  EXPECT_EQ(written, "REGEDIT4\n\n[A\\B]\n@=\"z\"\n\n");
  Registry again("/nonexistent");
  again.parse(written);
  EXPECT_EQ(again.serialise(), written);
}

TEST_F(RegistryTest, ABatchWritesTheFileOnce) {
  Registry reg(config.file("r.reg"));
  reg.beginBatch();
  reg.setString("HKEY_LOCAL_MACHINE\\A", "", "1");
  reg.createKey("HKEY_LOCAL_MACHINE\\Empty");
  EXPECT_FALSE(fileExists(reg.path()));
  EXPECT_TRUE(reg.endBatch());
  Registry again(reg.path());
  again.load();
  EXPECT_EQ(again.getString("HKEY_LOCAL_MACHINE\\A"), "1");
  EXPECT_TRUE(again.hasKey("HKEY_LOCAL_MACHINE\\Empty"));
}
