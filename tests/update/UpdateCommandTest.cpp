// Runs the built orloctl's "update check" against a local HTTPS server with simulated devices:
// the printed document, which settings win, and failures that report nothing.
#include <gtest/gtest.h>
#include <json/json.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "UpdateTestHome.h"

namespace orlo::update {
namespace {

using test::CannedReply;
using test::RecordedRequest;

class UpdateCommandTest : public test::UpdateTestHome {
 protected:
  void SetUp() override {
    UpdateTestHome::SetUp();
    binary_ = ORLO_TEST_BINARY_DIR "/../orloctl";
    if (!std::filesystem::exists(binary_)) GTEST_SKIP() << "orloctl is not built";
  }

  struct Result {
    int code;
    std::string out, err;
  };
  // env and args are single-quoted where they hold paths; none contains a quote.
  Result Run(const std::string& env, const std::string& args) {
    const std::string out = root_ + "/stdout", err = root_ + "/stderr";
    const std::string cmd = "XDG_DATA_HOME='" + root_ + "/data' XDG_STATE_HOME='" + root_ + "/state' XDG_CACHE_HOME='" +
                            root_ + "/cache' " + env + " '" + binary_ + "' " + args + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
  }
  static Json::Value Parse(const std::string& text) {
    Json::Value v;
    std::istringstream in(text);
    std::string errors;
    EXPECT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &v, &errors)) << text;
    return v;
  }

  std::string binary_;
};

CannedReply Answer(const RecordedRequest& req) {
  CannedReply r;
  if (req.body == "app_key=VELKO_1_QX20M07A_MS_1&version=105")
    r.body = R"({"path":"https://127.0.0.1/ms.bin","name":"MS fw","version_name":"Summer","version":"106","device_id":3})";
  else if (req.body == "app_key=VELKO_0_ALL_R40_PT6_PT5_1&version=10")
    r.body = R"({"path":"https://127.0.0.1/app.deb","name":"app","version":"9","device_id":0})";
  else
    r.status = 404;
  return r;
}

TEST_F(UpdateCommandTest, PrintsTheRowsOfTheDevicesPresent) {
  auto server = Serve(Answer);
  const std::string base = server->Origin() + "/api/";
  // The flags win over the environment, which points at a closed port and a missing file.
  const Result r = Run("ORLO_UPDATE_URL=https://127.0.0.1:9/api/ ORLO_UPDATE_CA=/nonexistent.pem",
                       "--simulate mouse-receiver,mouse update check --url " + base + " --ca '" + ca_->PemFile() + "'");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const Json::Value doc = Parse(r.out);
  EXPECT_EQ(doc["available"], true);
  ASSERT_EQ(doc["rows"].size(), 2u);
  const Json::Value& ms = doc["rows"][0];
  EXPECT_EQ(ms["row"], 0);
  EXPECT_EQ(ms["key"], "VELKO_1_QX20M07A_MS_1");
  EXPECT_EQ(ms["name"], "MS");
  EXPECT_EQ(ms["current"], "V0105");
  EXPECT_EQ(ms["new"], "V106");
  EXPECT_EQ(ms["path"], "https://127.0.0.1/ms.bin");
  EXPECT_EQ(ms["device_id"], 3);
  EXPECT_EQ(ms["status"], 1);
  EXPECT_EQ(ms["available"], true);
  const Json::Value& app = doc["rows"][1];
  EXPECT_EQ(app["row"], 3);
  EXPECT_EQ(app["key"], "VELKO_0_ALL_R40_PT6_PT5_1");
  EXPECT_EQ(app["name"], "AP");
  EXPECT_EQ(app["current"], "V10");
  EXPECT_EQ(app["new"], "");
  EXPECT_EQ(app["status"], 7);
  EXPECT_EQ(app["available"], false);
  EXPECT_EQ(server->Requests().size(), 2u);

  // The environment alone is used when there are no flags; no device: only the application.
  const Result env = Run("ORLO_UPDATE_URL=" + base + " ORLO_UPDATE_CA='" + ca_->PemFile() + "'",
                         "--simulate headset update check");
  ASSERT_EQ(env.code, 0) << env.err;
  const Json::Value only = Parse(env.out);
  EXPECT_EQ(only["available"], false);
  ASSERT_EQ(only["rows"].size(), 1u);
  EXPECT_EQ(only["rows"][0]["name"], "AP");
  // The command leaves the window's last check date alone.
  EXPECT_FALSE(std::filesystem::exists(root_ + "/data/Tavrin ORLO/updatetime.config"));
}

TEST_F(UpdateCommandTest, FailuresReportNothingAvailable) {
  auto server = Serve(Answer);
  const std::string base = server->Origin() + "/api/";
  struct Case {
    const char* what;
    std::string args;
    int code;
  };
  const Case cases[] = {
      {"authority not trusted", "--simulate mouse update check --url " + base, 1},
      {"server answers 404 for the keyboard", "--simulate keyboard update check --url " + base + " --ca " + ca_->PemFile(), 1},
      {"no server set", "--simulate mouse update check", 1},
      {"plain http", "--simulate mouse update check --url http://127.0.0.1:9/api/", 1},
      {"unknown flag", "update check --proxy x", 2},
      {"flag without value", "update check --url", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result r = Run("", c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.out, "");
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.rfind("orloctl: ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;  // one line
  }
}

}  // namespace
}  // namespace orlo::update
