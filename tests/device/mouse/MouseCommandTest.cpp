// `orloctl apply mouse` writes the selected profile as its document holds it: the first-contact
// read must not put the mouse's own lighting into the document before it is written.
#include "profile/JsonFile.h"
#include "support/CtlRunner.h"

namespace orlo {
namespace {

class MouseCommandTest : public testing_support::CtlRunner {
 protected:
  void SetUp() override { Prepare("mouse"); }
};

TEST_F(MouseCommandTest, ApplyWritesTheDocumentsLightingAsStored) {
  // First contact makes the profile document; another machine's lighting is then written into it.
  const Json::Value first = Read("mouse");
  const std::string path = first["profile"].asString();
  ASSERT_FALSE(path.empty());
  CJsonFile file;
  Json::Value doc = file.ReadDocument(path);
  Json::Value& light = doc["Device"][0]["LightInfo"];
  light["SelectItem"] = 3, light["Speed"] = 1, light["Red"] = 10, light["Green"] = 20, light["Blue"] = 30;
  ASSERT_EQ(file.WriteDocument(path, doc), 0);

  const Result r = Run("apply mouse");
  ASSERT_EQ(r.code, 0) << r.err;
  const Json::Value v = Read("mouse");
  EXPECT_EQ(v["settings"]["modeCode"].asInt(), 3);
  EXPECT_EQ(v["settings"]["speed"].asInt(), 1);
  EXPECT_EQ(v["settings"]["colour"].asString(), "0a 14 1e");
}

}  // namespace
}  // namespace orlo
