// The HTTPS client against a local server: what goes on the wire, which servers are trusted, and
// replies that end early, never end, or stop half way.
#include <gtest/gtest.h>

#include "UpdateTestHome.h"
#include "base/StopEvent.h"
#include "update/CurlHttpClient.h"

namespace orlo::update {
namespace {

using test::Always;
using test::CannedReply;

class CurlHttpClientTest : public test::UpdateTestHome {
 protected:
  static HttpRequest Post(const std::string& url) {
    HttpRequest r;
    r.url = url;
    r.body = "a=1&b=two";
    r.headers = {"X-Probe:one"};
    return r;
  }
};

TEST_F(CurlHttpClientTest, PostsTheBodyAndHeadersAndReturnsTheReply) {
  CannedReply reply;
  reply.body = R"({"name":"x"})";
  auto server = Serve(Always(reply));
  CCurlHttpClient client(TrustingOptions());

  const HttpReply r = client.Send(Post(server->Origin() + "/api/updates"));
  ASSERT_TRUE(r.Ok()) << r.detail;
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body, R"({"name":"x"})");
  EXPECT_FALSE(r.cut);

  const auto seen = server->Requests();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].method, "POST");
  EXPECT_EQ(seen[0].target, "/api/updates");
  EXPECT_EQ(seen[0].body, "a=1&b=two");
  EXPECT_EQ(seen[0].Header("Content-Length"), "9");
  EXPECT_EQ(seen[0].Header("X-Probe"), "one");
  EXPECT_EQ(seen[0].Header("User-Agent"), "Tavrin ORLO/0.1.0");
}

TEST_F(CurlHttpClientTest, UntrustedServersAreNeverSentTheRequest) {
  CannedReply reply;
  reply.body = R"({"name":"x"})";
  struct Case {
    const char* what;
    test::Identity identity;
    bool withCa;
  };
  Case cases[] = {
      {"authority not given", ca_->Issue("IP:127.0.0.1"), false},
      {"wrong host name", ca_->Issue("DNS:update.invalid"), true},
      {"expired", ca_->Issue("IP:127.0.0.1", -10, -1), true},
      {"not yet valid", ca_->Issue("IP:127.0.0.1", 2, 30), true},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TlsTestServer server(std::move(c.identity), Always(reply));
    CurlClientOptions options = TrustingOptions();
    if (!c.withCa) options.caFile.clear();
    CCurlHttpClient client(options);

    const HttpReply r = client.Send(Post(server.Origin() + "/api/updates"));
    EXPECT_EQ(r.failure, HttpFailure::Certificate) << r.detail;
    EXPECT_EQ(r.body, "");
    EXPECT_TRUE(server.Requests().empty());
  }
}

TEST_F(CurlHttpClientTest, RepliesThatDoNotEndWellEndCleanly) {
  {
    SCOPED_TRACE("shorter than announced");
    CannedReply reply{CannedReply::Kind::Truncated, 200, {}, R"({"name":"x","pa)", 500};
    auto server = Serve(Always(reply));
    const HttpReply r = CCurlHttpClient(TrustingOptions()).Send(Post(server->Origin() + "/api/updates"));
    EXPECT_EQ(r.failure, HttpFailure::Truncated) << r.detail;
    EXPECT_EQ(r.body, "");
  }
  {
    SCOPED_TRACE("endless: cut at the limit");
    auto server = Serve(Always({CannedReply::Kind::Endless, 200, {}, "", 0}));
    HttpRequest request = Post(server->Origin() + "/api/updates");
    request.replyLimit = 102399;
    const HttpReply r = CCurlHttpClient(TrustingOptions()).Send(request);
    ASSERT_TRUE(r.Ok()) << r.detail;
    EXPECT_TRUE(r.cut);
    ASSERT_EQ(r.body.size(), 102399u);
    EXPECT_EQ(r.body.substr(0, 12), "012345678901");
    EXPECT_EQ(r.body.substr(102389), "9012345678");
  }
  // Over a limit that refuses longer replies: streamed, or announced up front.
  for (const CannedReply& reply : {CannedReply{CannedReply::Kind::Endless, 200, {}, "", 0},
                                   CannedReply{CannedReply::Kind::Whole, 200, {}, std::string(70000, 'x'), 0}}) {
    SCOPED_TRACE(reply.body.size());
    auto server = Serve(Always(reply));
    HttpRequest request = Post(server->Origin() + "/pkg");
    request.replyLimit = 50000;
    request.cutIsFailure = true;
    const HttpReply r = CCurlHttpClient(TrustingOptions()).Send(request);
    EXPECT_EQ(r.failure, HttpFailure::TooLarge) << r.detail;
  }
  {
    SCOPED_TRACE("stalls half way: the idle time-out ends it");
    auto server = Serve(Always({CannedReply::Kind::Stall, 200, {}, R"({"na)", 400}));
    const HttpReply r = CCurlHttpClient(TrustingOptions()).Send(Post(server->Origin() + "/api/updates"));
    EXPECT_EQ(r.failure, HttpFailure::Timeout) << r.detail;
    EXPECT_EQ(r.body, "");
  }
  {
    SCOPED_TRACE("stalls half way: the total time-out ends it");
    auto server = Serve(Always({CannedReply::Kind::Stall, 200, {}, R"({"na)", 400}));
    CurlClientOptions options = TrustingOptions();
    options.timeouts = {5000, 600000, 1000};
    const HttpReply r = CCurlHttpClient(options).Send(Post(server->Origin() + "/api/updates"));
    EXPECT_EQ(r.failure, HttpFailure::Timeout) << r.detail;
  }
}

TEST_F(CurlHttpClientTest, OnlyHttpsIsFollowedAndErrorStatusesFail) {
  // Plain http is refused before any connection.
  EXPECT_EQ(CCurlHttpClient(TrustingOptions()).Send(Post("http://127.0.0.1:9/api/updates")).failure,
            HttpFailure::BadUrl);

  int port = 0;
  auto server = Serve([&port](const test::RecordedRequest& req) {
    CannedReply r;
    const std::string origin = "127.0.0.1:" + std::to_string(port);
    if (req.target == "/api/moved") {
      r.status = 307;
      r.headers = {"Location: https://" + origin + "/api/updates"};
    } else if (req.target == "/api/insecure") {
      r.status = 302;
      r.headers = {"Location: http://" + origin + "/api/updates"};
    } else if (req.target == "/api/broken") {
      r.status = 500;
      r.body = R"({"name":"error page"})";
    } else {
      r.body = "final";
    }
    return r;
  });
  port = server->Port();
  CCurlHttpClient client(TrustingOptions());

  const HttpReply moved = client.Send(Post(server->Origin() + "/api/moved"));
  ASSERT_TRUE(moved.Ok()) << moved.detail;
  EXPECT_EQ(moved.body, "final");
  auto seen = server->Requests();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].method, "POST");  // 307 keeps the method and body
  EXPECT_EQ(seen[1].body, "a=1&b=two");

  const HttpReply insecure = client.Send(Post(server->Origin() + "/api/insecure"));
  EXPECT_EQ(insecure.failure, HttpFailure::Redirect) << insecure.detail;
  EXPECT_EQ(insecure.body, "");
  EXPECT_EQ(server->Requests().size(), 3u);  // the http location was not visited

  const HttpReply broken = client.Send(Post(server->Origin() + "/api/broken"));
  EXPECT_EQ(broken.failure, HttpFailure::Status);
  EXPECT_EQ(broken.status, 500);
  EXPECT_EQ(broken.body, "");
}

TEST_F(CurlHttpClientTest, RaisedStopCancelsAndDownloadsStreamToTheSink) {
  auto server = Serve(Always({CannedReply::Kind::Whole, 200, {}, std::string(300000, 'p'), 0}));
  CStopEvent stop;
  stop.Set();
  CurlClientOptions options = TrustingOptions();
  options.stop = &stop;
  EXPECT_EQ(CCurlHttpClient(options).Send(Post(server->Origin() + "/pkg")).failure, HttpFailure::Cancelled);

  HttpRequest get;
  get.method = HttpMethod::Get;
  get.url = server->Origin() + "/pkg/a.bin";
  std::string sunk;
  uint64_t lastReceived = 0, lastTotal = 0;
  get.sink = [&sunk](const char* d, size_t n) {
    sunk.append(d, n);
    return true;
  };
  get.progress = [&](uint64_t received, uint64_t total) {
    lastReceived = received;
    lastTotal = total;
  };
  const HttpReply r = CCurlHttpClient(TrustingOptions()).Send(get);
  ASSERT_TRUE(r.Ok()) << r.detail;
  EXPECT_EQ(r.body, "");
  EXPECT_EQ(sunk, std::string(300000, 'p'));
  EXPECT_EQ(lastReceived, 300000u);
  EXPECT_EQ(lastTotal, 300000u);
  EXPECT_EQ(server->Requests().back().method, "GET");
}

}  // namespace
}  // namespace orlo::update
