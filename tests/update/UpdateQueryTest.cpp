// The version query without a network: request fields per row, reading the server's answer into
// the row's result, and the numbers and names taken from it.
#include <gtest/gtest.h>

#include "sim/SimBackend.h"
#include "update/TableRow.h"
#include "update/UpdateQuery.h"
#include "update/UpdateRows.h"
#include "update/UpdateSettings.h"

namespace orlo::update {
namespace {

// Answers every request with one reply and keeps the last request.
class FakeClient : public HttpClient {
 public:
  explicit FakeClient(HttpReply reply) : reply_(std::move(reply)) {}
  HttpReply Send(const HttpRequest& request) override {
    last = request;
    return reply_;
  }
  HttpRequest last;

 private:
  HttpReply reply_;
};

HttpReply Answer(const std::string& body) {
  HttpReply r;
  r.failure = HttpFailure::None;
  r.status = 200;
  r.body = body;
  return r;
}

TEST(UpdateQueryTest, RequestPerRow) {
  EXPECT_EQ(CUpdateQuery::Body(Row(0, 0x0105)), "app_key=VELKO_1_QX20M07A_MS_1&version=105");
  EXPECT_EQ(CUpdateQuery::Body(Row(1, 0x00ff)), "app_key=VELKO_1_QX20M06A_KB_1&version=ff");
  EXPECT_EQ(CUpdateQuery::Body(Row(2, 0x1a2b)), "app_key=VELKO_2_QX20M09A_1_R40_1&version=1a2b");
  EXPECT_EQ(CUpdateQuery::Body(Row(3, 1027)), "app_key=VELKO_0_ALL_R40_PT6_PT5_1&version=1027");
  EXPECT_EQ(CUpdateQuery::Body(Row(0, 0)), "app_key=NULL&version=0");
  EXPECT_EQ(CUpdateQuery::CurrentText(Row(0, 0x19)), "V0019");
  EXPECT_EQ(CUpdateQuery::CurrentText(Row(3, 1027)), "V1027");

  FakeClient client(Answer("{}"));
  CUpdateQuery(client, "https://h.test/api/", "/c/").Query(Row(0, 0x0105));
  EXPECT_EQ(client.last.method, HttpMethod::Post);
  EXPECT_EQ(client.last.url, "https://h.test/api/updates");
  EXPECT_EQ(client.last.body, "app_key=VELKO_1_QX20M07A_MS_1&version=105");
  EXPECT_EQ(client.last.replyLimit, 102399u);
  EXPECT_FALSE(client.last.cutIsFailure);
  // A base without its closing slash still ends in /updates.
  EXPECT_EQ(CUpdateQuery::UpdatesUrl("https://h.test/api"), "https://h.test/api/updates");
}

TEST(UpdateQueryTest, AnswerReadIntoTheResult) {
  const std::string newer =
      R"({"path":"https://h.test/f/ms.BIN?t=1","name":"MS firmware","version_name":"Spring",)"
      R"("version":"1A","device_id":12})";
  const UpdateResult hex = CUpdateQuery::Interpret(Row(0, 0x0019), Answer(newer), "/cache/UpdateData/");
  EXPECT_FALSE(hex.failed);
  EXPECT_EQ(hex.status, 1);
  EXPECT_EQ(hex.currentText, "V0019");
  EXPECT_EQ(hex.newText, "V1A");
  EXPECT_EQ(hex.newName, "Spring");
  EXPECT_EQ(hex.name, "MS firmware");
  EXPECT_EQ(hex.path, "https://h.test/f/ms.BIN?t=1");
  EXPECT_EQ(hex.deviceId, 12);
  EXPECT_EQ(hex.localFile, "/cache/UpdateData/MS_firmware.bin");

  // A decimal row reads "1A" as 1: not newer than 25.
  UpdateEntry decimal = Row(3, 25);
  EXPECT_EQ(CUpdateQuery::Interpret(decimal, Answer(newer), "/c/").status, 7);
  // The same version is not newer.
  EXPECT_EQ(CUpdateQuery::Interpret(Row(0, 0x1a), Answer(newer), "/c/").status, 7);
  // No version at all: nothing newer, no new version text.
  const UpdateResult bare = CUpdateQuery::Interpret(Row(0, 1), Answer(R"({"name":"n"})"), "/c/");
  EXPECT_EQ(bare.status, 7);
  EXPECT_EQ(bare.newText, "");
  EXPECT_FALSE(bare.failed);
}

TEST(UpdateQueryTest, UnusableAnswersAreFailures) {
  struct Case {
    const char* what;
    HttpReply reply;
    const char* failure;
  };
  HttpReply down;
  down.failure = HttpFailure::Connect;
  down.detail = "refused";
  HttpReply cut = Answer(R"({"name":"n","path":")" + std::string(102399 - 20, 'a'));
  cut.cut = true;
  const Case cases[] = {
      {"no connection", down, "cannot connect to the server: refused"},
      {"empty", Answer(""), "the reply is not a JSON object"},
      {"not JSON", Answer("<html>busy</html>"), "the reply is not a JSON object"},
      {"an array", Answer(R"([{"version":"FF"}])"), "the reply is not a JSON object"},
      {"trailing text", Answer(R"({"version":"FF"} tail)"), "the reply is not a JSON object"},
      {"cut", cut, "the reply is longer than 102399 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const UpdateResult r = CUpdateQuery::Interpret(Row(0, 0x0105), c.reply, "/c/");
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.failure, c.failure);
    EXPECT_EQ(r.status, 7);
    EXPECT_EQ(r.newText, "");
    EXPECT_EQ(r.path, "");
    EXPECT_EQ(r.currentText, "V0105");
  }
}

TEST(UpdateQueryTest, NumbersAndNamesFromOutside) {
  EXPECT_EQ(VersionNumber("1.0.2.7"), 1027);
  EXPECT_EQ(VersionNumber("2.0.0.0"), 2000);
  EXPECT_EQ(VersionNumber("0.1.0"), 10);
  EXPECT_EQ(VersionNumber("1.2-rc1"), 12);
  EXPECT_EQ(VersionNumber(""), 0);
  EXPECT_EQ(VersionNumber("99.999.999.999"), 0);  // does not fit

  EXPECT_EQ(CUpdateQuery::ServerVersion("1A", true), 0x1Au);
  EXPECT_EQ(CUpdateQuery::ServerVersion("1A", false), 1u);
  EXPECT_EQ(CUpdateQuery::ServerVersion("-5", false), 0u);
  EXPECT_EQ(CUpdateQuery::ServerVersion("123456789ABCDEF", true), 0xFFFFFFFFu);

  EXPECT_EQ(CUpdateQuery::LocalFile("/d/", "../x y", "https://h/p/pkg.DEB?a=1"), "/d/___x_y.deb");
  EXPECT_EQ(CUpdateQuery::LocalFile("/d/", "", "https://h/p/"), "/d/package");
  EXPECT_EQ(CUpdateQuery::LocalFile("/d/", "fw", "https://h/p.d/file"), "/d/fw");
  EXPECT_EQ(CUpdateQuery::LocalFile("/d/", "fw", "https://h/p/file.tar-gz"), "/d/fw");
  EXPECT_EQ(CUpdateQuery::LocalFile("/d/", std::string(100, 'n'), "https://h/a.bin"),
            "/d/" + std::string(64, 'n') + ".bin");
}

TEST(UpdateQueryTest, RowsCarryTheVersionsOfTheDevicesPresent) {
  const auto rows = MakeUpdateRows({0x0105, 0, 0x0101}, 10);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].rowVersion, 0x0105);
  EXPECT_EQ(rows[1].rowVersion, 0);
  EXPECT_EQ(rows[2].rowVersion, 0x0101);
  EXPECT_EQ(rows[3].rowVersion, 10);
  EXPECT_EQ(rows[3].model, "ALL");

  sim::SimOptions inMemory;
  inMemory.persist = false;
  const std::vector<uint32_t> wired{0x0105, 0x0103, 0};
  EXPECT_EQ(WiredFirmwareVersions(sim::MakeSimBackend("mouse,keyboard", inMemory)), wired);
  // A device reached only through its receiver reports no firmware version of its own.
  const std::vector<uint32_t> none{0, 0, 0};
  EXPECT_EQ(WiredFirmwareVersions(sim::MakeSimBackend("mouse-receiver,headset", inMemory)), none);
}

}  // namespace
}  // namespace orlo::update
