// The whole check pass against a local HTTPS server: the requests as they arrive, the rows and
// the window state that come of the answers, and servers that must not be believed.
#include <gtest/gtest.h>

#include "UpdateTestHome.h"
#include "update/CurlHttpClient.h"
#include "update/UpdateCheck.h"
#include "update/UpdateRows.h"
#include "update/UpdateTimeFile.h"

namespace orlo::update {
namespace {

using test::CannedReply;
using test::RecordedRequest;

class UpdateCheckTest : public test::UpdateTestHome {
 protected:
  // One pass with the mouse at firmware 0x0019 (and the application at `app`, 0 for none).
  CUpdateList Check(const std::string& origin, const CurlClientOptions& options, int32_t app) {
    CCurlHttpClient client(options);
    CUpdateQuery query(client, origin + "/api/", root_ + "/cache/UpdateData/");
    CUpdateTimeFile timeFile;
    CUpdateList list;
    CUpdateCheck(query, timeFile).RunInto(list, MakeUpdateRows({0x0019, 0, 0}, app));
    return list;
  }
  std::string TimeFilePath() const { return root_ + "/data/Tavrin ORLO/updatetime.config"; }
};

CannedReply Json(const std::string& body) {
  CannedReply r;
  r.body = body;
  return r;
}

TEST_F(UpdateCheckTest, NewerHexadecimalFirmwareIsOffered) {
  auto server = Serve([](const RecordedRequest& req) {
    if (req.body == "app_key=VELKO_1_QX20M07A_MS_1&version=19")
      return Json(R"({"path":"https://127.0.0.1/pkg/ms.bin","name":"MS firmware","version_name":"Spring",)"
                  R"("version":"1A","device_id":7})");
    if (req.body == "app_key=VELKO_0_ALL_R40_PT6_PT5_1&version=10")
      return Json(R"({"path":"https://127.0.0.1/pkg/app.deb","name":"app","version":"10","device_id":0})");
    return Json("unexpected request");
  });

  const CUpdateList list = Check(server->Origin(), TrustingOptions(), 10);

  const auto seen = server->Requests();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].method, "POST");
  EXPECT_EQ(seen[0].target, "/api/updates");
  EXPECT_EQ(seen[0].body, "app_key=VELKO_1_QX20M07A_MS_1&version=19");
  EXPECT_EQ(seen[0].Header("Content-Length"), "40");
  EXPECT_EQ(seen[0].Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(seen[0].Header("Accept"), "application/prs.Velko.v1+json");
  EXPECT_EQ(seen[1].target, "/api/updates");
  EXPECT_EQ(seen[1].body, "app_key=VELKO_0_ALL_R40_PT6_PT5_1&version=10");
  EXPECT_EQ(seen[1].Header("Content-Length"), "44");

  ASSERT_EQ(list.Rows().size(), 2u);
  const UpdateListRow& ms = list.Rows()[0];
  EXPECT_EQ(ms.name, "MS");
  EXPECT_EQ(ms.status, 1);
  EXPECT_EQ(ms.currentText, "V0019");
  EXPECT_EQ(ms.newText, "V1A");
  EXPECT_EQ(ms.deviceId, 7);
  EXPECT_EQ(ms.package, "MS firmware");
  EXPECT_EQ(ms.path, "https://127.0.0.1/pkg/ms.bin");
  EXPECT_EQ(ms.localFile, root_ + "/cache/UpdateData/MS_firmware.bin");
  EXPECT_TRUE(ms.checkEnabled);
  const UpdateListRow& app = list.Rows()[1];
  EXPECT_EQ(app.name, "AP");
  EXPECT_EQ(app.status, 7);
  EXPECT_EQ(app.currentText, "V10");
  EXPECT_EQ(app.newText, "");
  EXPECT_FALSE(app.checkEnabled);
  EXPECT_EQ(list.State(), kStateHaveUpdate);

  const std::string today = CUpdateTimeFile::Today();
  EXPECT_EQ(list.LastCheckDate(), today);
  EXPECT_EQ(CUpdateTimeFile(TimeFilePath()).Stored(), today);
}

TEST_F(UpdateCheckTest, UntrustedOrBrokenServersReportNothing) {
  const std::string offer = R"({"path":"https://127.0.0.1/p.bin","name":"MS","version":"FFFF"})";
  struct Case {
    const char* what;
    CannedReply reply;
    bool trustCa;
  };
  const Case cases[] = {
      {"authority not trusted", Json(offer), false},
      {"reply stops half way", {CannedReply::Kind::Stall, 200, {}, offer.substr(0, 20), offer.size()}, true},
      {"error status", {CannedReply::Kind::Whole, 503, {}, offer, 0}, true},
      {"not a document", Json("<html>maintenance</html>"), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto server = Serve(test::Always(c.reply));
    CurlClientOptions options = TrustingOptions();
    if (!c.trustCa) options.caFile.clear();

    const CUpdateList list = Check(server->Origin(), options, 0);
    ASSERT_EQ(list.Rows().size(), 1u);
    EXPECT_TRUE(list.Rows()[0].failed);
    EXPECT_EQ(list.Rows()[0].status, 7);
    EXPECT_EQ(list.Rows()[0].newText, "");
    EXPECT_FALSE(list.Rows()[0].checkEnabled);
    EXPECT_EQ(list.State(), kStateNoUpdateInfo);
    EXPECT_FALSE(list.UpdateButtonEnabled());
    EXPECT_EQ(list.LastCheckDate(), "");
    EXPECT_EQ(CUpdateTimeFile(TimeFilePath()).Stored(), "");
  }
}

}  // namespace
}  // namespace orlo::update
