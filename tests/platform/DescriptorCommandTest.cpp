// Runs the built orloctl's descriptor command on descriptor files written here and on a
// simulated device: the JSON it prints, and the one-line failure on a descriptor cut short.
#include <gtest/gtest.h>
#include <json/json.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A mouse (report id 1) whose button item declares buttons 1-2 and then the consumer page's
// horizontal pan, with a four-byte vendor usage on a feature report (id 2); a consumer control
// (id 3) with a 16-bit array of usages 0-3; a 0x00 padding byte at the end.
const std::vector<uint8_t> kDescriptor = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01,                    //
    0x05, 0x09, 0x09, 0x01, 0x09, 0x02, 0x05, 0x0C, 0x0A, 0x38, 0x02,  // bytes 8..18
    0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02,        //
    0x95, 0x01, 0x75, 0x05, 0x81, 0x01,                                //
    0x05, 0x01, 0x09, 0x30, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x01, 0x81, 0x06,
    0x85, 0x02, 0x0B, 0x01, 0x00, 0x00, 0xFF, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x02, 0xB1, 0x02,
    0xC0,                                                                                            //
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x19, 0x00, 0x29, 0x03, 0x15, 0x00, 0x25, 0x03,  //
    0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0,                                                        //
    0x00};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class DescriptorCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    binary_ = ORLO_TEST_BINARY_DIR "/../orloctl";
    if (!fs::exists(binary_)) GTEST_SKIP() << "orloctl is not built";
    char tmpl[] = "/tmp/orlo-descriptor-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    root_ = tmpl;
  }
  void TearDown() override {
    if (!root_.empty()) fs::remove_all(root_);
  }

  std::string WriteDescriptor(const std::vector<uint8_t>& bytes) {
    const std::string path = root_ + "/descriptor.bin";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  struct Result {
    int code;
    std::string out, err;
  };
  // args are single-quoted for the shell; none of them contains a quote.
  Result Run(const std::string& args) {
    const std::string out = root_ + "/stdout", err = root_ + "/stderr";
    const std::string cmd = "ORLO_SIM_DIR='" + root_ + "/sim' '" + binary_ + "' " + args + " >'" + out + "' 2>'" +
                            err + "'";
    const int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
  }

  // The document a successful run printed.
  static Json::Value Document(const Result& r) {
    Json::Value v;
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Json::Reader().parse(r.out, v)) << r.out;
    return v;
  }
  static void ExpectReport(const Json::Value& report, const char* kind, int id, int bytes) {
    EXPECT_EQ(report["kind"], kind);
    EXPECT_EQ(report["id"], id);
    EXPECT_EQ(report["bytes"], bytes);
  }
  static Json::Value Field(int bit, int size, int count, bool constant, std::vector<std::pair<int, int>> usages) {
    Json::Value f;
    f["bit"] = bit;
    f["size"] = size;
    f["count"] = count;
    f["constant"] = constant;
    f["usages"] = Json::arrayValue;
    for (auto [page, usage] : usages) {
      Json::Value pair(Json::arrayValue);
      pair.append(page);
      pair.append(usage);
      f["usages"].append(pair);
    }
    return f;
  }

  std::string binary_;
  std::string root_;
};

TEST_F(DescriptorCommandTest, FilePrintsCollectionsReportsAndFields) {
  const Result r = Run("descriptor '" + WriteDescriptor(kDescriptor) + "'");
  EXPECT_EQ(r.err, "");
  const Json::Value doc = Document(r);
  ASSERT_EQ(doc["collections"].size(), 2u) << r.out;

  const Json::Value& mouse = doc["collections"][0];
  EXPECT_EQ(mouse["page"], 1);
  EXPECT_EQ(mouse["usage"], 2);
  ASSERT_EQ(mouse["reports"].size(), 2u);
  const Json::Value& input = mouse["reports"][0];
  ExpectReport(input, "input", 1, 2);
  ASSERT_EQ(input["fields"].size(), 3u);
  EXPECT_EQ(input["fields"][0], Field(0, 1, 3, false, {{9, 1}, {9, 2}, {12, 0x238}}));
  EXPECT_EQ(input["fields"][1], Field(3, 5, 1, true, {}));
  EXPECT_EQ(input["fields"][2], Field(8, 8, 1, false, {{1, 0x30}}));
  const Json::Value& feature = mouse["reports"][1];
  ExpectReport(feature, "feature", 2, 2);
  ASSERT_EQ(feature["fields"].size(), 1u);
  EXPECT_EQ(feature["fields"][0], Field(0, 8, 2, false, {{0xFF00, 1}}));

  const Json::Value& consumer = doc["collections"][1];
  EXPECT_EQ(consumer["page"], 12);
  EXPECT_EQ(consumer["usage"], 1);
  ASSERT_EQ(consumer["reports"].size(), 1u);
  ExpectReport(consumer["reports"][0], "input", 3, 2);
  EXPECT_EQ(consumer["reports"][0]["fields"][0], Field(0, 16, 1, false, {{12, 0}, {12, 1}, {12, 2}, {12, 3}}));
}

TEST_F(DescriptorCommandTest, UnreadableDescriptorsFailWithOneLine) {
  // Cut inside the data of the two-byte usage at byte 16.
  const std::string cut = WriteDescriptor(std::vector<uint8_t>(kDescriptor.begin(), kDescriptor.begin() + 18));
  Result r = Run("descriptor '" + cut + "'");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "orloctl: " + cut + ": byte 16: item cut short: 2 data bytes announced, 1 left\n");

  std::vector<uint8_t> overlong = kDescriptor;
  overlong.resize(4097, 0x00);
  const std::string big = WriteDescriptor(overlong);
  r = Run("descriptor '" + big + "'");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "orloctl: " + big + ": byte 4096: descriptor longer than 4096 bytes\n");

  r = Run("descriptor '" + root_ + "/missing.bin'");
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "orloctl: cannot read " + root_ + "/missing.bin: No such file or directory\n");
}

TEST_F(DescriptorCommandTest, DeviceShowsTheDescriptorOfItsCommandInterface) {
  const Json::Value doc = Document(Run("--simulate mouse descriptor mouse"));
  ASSERT_EQ(doc["collections"].size(), 4u);
  const Json::Value& vendor = doc["collections"][3];
  EXPECT_EQ(vendor["page"], 0xFF1C);
  EXPECT_EQ(vendor["usage"], 0x92);
  ASSERT_EQ(vendor["reports"].size(), 2u);
  ExpectReport(vendor["reports"][0], "input", 4, 63);
  EXPECT_EQ(vendor["reports"][0]["fields"][0], Field(0, 8, 63, false, {{0xFF1C, 1}}));
  ExpectReport(vendor["reports"][1], "output", 4, 63);

  // No such device among the simulated ones.
  const Result missing = Run("--simulate mouse descriptor keyboard");
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(missing.err, "orloctl: keyboard: no such device present\n");
}

}  // namespace
