#include <gtest/gtest.h>

#include "base/OvException.h"
#include "data/Crypt32.h"
#include "data/XMLManager.h"
#include "support/ScratchFolder.h"

namespace orvane {
namespace {

using testing::ScratchFolder;

std::string DataFile(const std::string& version, const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<OrvaneData" + version + ">" + body + "</OrvaneData>\n";
}

std::string Encrypted(std::string text) {
  EncryptString(text, DataFilePassword(), true);
  return text;
}

TEST(XMLManager, VersionMustNotBeBelowOneOneByteWise) {
  const struct { const char* attribute; bool loads; } rows[] = {
      {" Version=\"1.1\"", true},  {" Version=\"1.2\"", true},  {" Version=\"10\"", true}, {" Version=\"2\"", true},
      {" Version=\"1.09\"", false}, {" Version=\"1.0\"", false}, {" Version=\"\"", false},  {"", false},
      {" version=\"1.1\"", false},
  };
  for (const auto& row : rows) {
    ScratchFolder folder;
    folder.Write("data.xml", DataFile(row.attribute, "<rank/>"));
    try {
      EXPECT_TRUE(TXMLManager(folder.Path()).Section("rank")) << row.attribute;
      EXPECT_TRUE(row.loads) << row.attribute;
    } catch (const TOvException& e) {
      EXPECT_FALSE(row.loads) << row.attribute;
      EXPECT_EQ(e.Message(), "Invalid version") << row.attribute;
    }
  }
}

TEST(XMLManager, EncryptedFileLoadsUnlessAPlainOneIsBeside) {
  const auto colors = [](const char* value) {
    return DataFile(" Version=\"1.1\"", std::string("<Colors><NarrowHighLightColor>") + value +
                                             "</NarrowHighLightColor></Colors>");
  };
  const auto color = [](const TXMLManager& store) {
    return store.ReadString(store.Section("Colors"), "NarrowHighLightColor", false);
  };
  ScratchFolder folder;
  folder.Write("data.ovm", Encrypted(colors("ovm")));
  EXPECT_EQ(color(TXMLManager(folder.Path())), "ovm");
  folder.Write("data.xml", colors("plain"));
  EXPECT_EQ(color(TXMLManager(folder.Path())), "plain");

  ScratchFolder other;
  std::string text = colors("other");
  EncryptString(text, "not ours", true);
  other.Write("data.ovm", text);
  EXPECT_THROW(TXMLManager store(other.Path()), TOvException);
}

TEST(XMLManager, FolderWithoutDataFileGivesAnEmptyStore) {
  ScratchFolder folder;
  folder.Write("Data.XML.bak", DataFile(" Version=\"1.1\"", "<rank/>"));
  const TXMLManager store(folder.Path());
  EXPECT_FALSE(store.Loaded());
  EXPECT_FALSE(store.Section("rank"));
  EXPECT_EQ(store.ReadString(store.Section("rank"), "x", true), "");
  EXPECT_FALSE(TXMLManager(folder.Path() + "no/such/").Loaded());
}

TEST(XMLManager, MalformedXmlRaises) {
  for (const char* text : {"<OrvaneData Version=\"1.1\"><rank></OrvaneData>", "", "not xml at all"}) {
    ScratchFolder folder;
    folder.Write("data.xml", text);
    EXPECT_THROW(TXMLManager store(folder.Path()), TOvException) << text;
  }
}

class XMLManagerReads : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("data.xml", DataFile(" Version=\"1.1\"",
                                       "<s Zero=\"0\" False=\"false\" Empty=\"\" Twelve=\"12\" Bad=\"12x\" Half=\"0.5\">"
                                       "<Zero>0</Zero><False>false</False><Empty/><Twelve>12</Twelve>"
                                       "<Bad>12x</Bad><Half>-2.5e1</Half><Padded> 7 </Padded>"
                                       "<Latin>caf\xE9 \xFF</Latin>"
                                       "<Split><![CDATA[a]]]]><![CDATA[>b]]>&lt;c<!-- note -->d</Split>"
                                       "</s><s Twelve=\"99\"/>"));
    store_ = std::make_unique<TXMLManager>(folder_.Path());
    node_ = store_->Section("s");
  }
  ScratchFolder folder_;
  std::unique_ptr<TXMLManager> store_;
  pugi::xml_node node_;
};

TEST_F(XMLManagerReads, BoolIsTrueUnlessExactlyZeroAndNumbersFallBackToZero) {
  for (bool fromAttribute : {true, false}) {
    for (const char* name : {"False", "Empty", "Twelve"}) EXPECT_TRUE(store_->ReadBool(node_, name, fromAttribute));
    EXPECT_FALSE(store_->ReadBool(node_, "Zero", fromAttribute));
    EXPECT_FALSE(store_->ReadBool(node_, "Absent", fromAttribute));
    EXPECT_EQ(store_->ReadInteger(node_, "Twelve", fromAttribute), 12);
    for (const char* name : {"Bad", "Empty", "Absent"}) EXPECT_EQ(store_->ReadInteger(node_, name, fromAttribute), 0);
    EXPECT_EQ(store_->ReadFloat(node_, "Bad", fromAttribute), 0.0);
    EXPECT_EQ(store_->ReadFloat(node_, "Twelve", fromAttribute), 12.0);
  }
  EXPECT_EQ(store_->ReadFloat(node_, "Half", true), 0.5);
  EXPECT_EQ(store_->ReadFloat(node_, "Half", false), -25.0);
}

TEST_F(XMLManagerReads, AttributeAndChildElementAreDistinctSources) {
  EXPECT_EQ(store_->ReadString(node_, "Latin", true), "");
  EXPECT_EQ(store_->ReadString(node_, "Latin", false), "caf\xE9 \xFF");
  EXPECT_EQ(store_->ReadString(node_, "Padded", false), " 7 ");
  // The first section of a name is the one read.
  EXPECT_EQ(store_->ReadInteger(store_->Section("s"), "Twelve", true), 12);
  EXPECT_FALSE(store_->Section("S"));
  EXPECT_EQ(store_->ReadString(pugi::xml_node(), "Twelve", true), "");
  // Element text joins all its text pieces.
  EXPECT_EQ(store_->ReadString(node_, "Split", false), "a]]>b<cd");
}

}  // namespace
}  // namespace orvane
