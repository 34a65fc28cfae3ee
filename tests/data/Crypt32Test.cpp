#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

#include "data/Crypt32.h"
#include "data/XMLManager.h"
#include "support/ScratchFolder.h"

namespace orvane {
namespace {

using testing::ScratchFolder;

std::string Hex(const std::string& bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (const unsigned char byte : bytes) text += std::string{kHex[byte >> 4], kHex[byte & 15]};
  return text;
}

// Expected values computed outside the program: a separate RC4 written in
// Python, keyed with the first forty bits of the password's MD5 digest.
TEST(Crypt32, EncryptionMatchesAnIndependentRc4) {
  const std::string plain = "<OrvaneData Version=\"1.1\"/>";
  const struct { std::string password; const char* cipher; } rows[] = {
      {std::string("Ov\x01rn\x7f", 6), "11ac6c5c7fe399d6f175155bcb86dc175b5db8701d6f2453f048e7"},
      {"Orvane", "a3bb66fdff774eb6a35ada9b36a067e8797393d32f23cde06f95ab"},
  };
  for (const auto& row : rows) {
    std::string text = plain;
    EncryptString(text, row.password, true);
    EXPECT_EQ(Hex(text), row.cipher);
    EncryptString(text, row.password, false);
    EXPECT_EQ(text, plain);
  }
}

TEST(Crypt32, KeepsLengthAndEveryByteValue) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  for (const std::string& plain : {std::string(), std::string(1, '\0'), all}) {
    std::string text = plain;
    EncryptString(text, DataFilePassword(), true);
    EXPECT_EQ(text.size(), plain.size());
    if (plain.size() > 8) {
      EXPECT_NE(text, plain);
    }
    EncryptString(text, DataFilePassword(), false);
    EXPECT_EQ(text, plain);
  }
}

int RunTool(const std::string& arguments) {
  const int status = std::system((std::string(ORVANE_BINARY_DIR) + "/ovm-encrypt " + arguments + " 2>/dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(OvmEncryptTool, RoundTripGivesAFileTheStoreLoads) {
  ScratchFolder folder;
  const std::string xml = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<OrvaneData Version=\"1.1\">"
                          "<Colors><NarrowHighLightColor>caf\xE9</NarrowHighLightColor></Colors></OrvaneData>\r\n";
  folder.Write("in.xml", xml);
  std::filesystem::create_directories(folder.Path() + "Data");
  ASSERT_EQ(RunTool(folder.Path() + "in.xml " + folder.Path() + "Data/data.ovm"), 0);

  const std::string cipher = folder.Read("Data/data.ovm");
  std::string expected = xml;
  EncryptString(expected, DataFilePassword(), true);
  EXPECT_EQ(cipher, expected);

  const TXMLManager store(folder.Path() + "Data/");
  ASSERT_TRUE(store.Loaded());
  EXPECT_EQ(store.ReadString(store.Section("Colors"), "NarrowHighLightColor", false), "caf\xE9");

  ASSERT_EQ(RunTool("--decrypt " + folder.Path() + "Data/data.ovm " + folder.Path() + "back.xml"), 0);
  EXPECT_EQ(folder.Read("back.xml"), xml);
}

TEST(OvmEncryptTool, FailsOnBadArgumentsAndUnreadableInput) {
  ScratchFolder folder;
  EXPECT_NE(RunTool(""), 0);
  EXPECT_NE(RunTool("--decrypt only-one"), 0);
  EXPECT_NE(RunTool(folder.Path() + "missing.xml " + folder.Path() + "out.ovm"), 0);
  EXPECT_FALSE(std::filesystem::exists(folder.Path() + "out.ovm"));
  folder.Write("in.xml", "<a/>");
  EXPECT_NE(RunTool(folder.Path() + "in.xml " + folder.Path() + "no/such/folder/out.ovm"), 0);
}

}  // namespace
}  // namespace orvane
