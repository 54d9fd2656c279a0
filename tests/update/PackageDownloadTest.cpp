// The updater's download of one package from a local HTTPS server: the file it leaves, the
// reports the window follows, and downloads that must leave nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "UpdateTestHome.h"
#include "update/CurlHttpClient.h"
#include "update/PackageDownload.h"

namespace orlo::update {
namespace {

using test::CannedReply;
using Report = std::pair<int64_t, int64_t>;
using Reports = std::vector<Report>;

class PackageDownloadTest : public test::UpdateTestHome {
 protected:
  std::string Folder() const { return root_ + "/cache/UpdateData/"; }
  size_t FilesInFolder() const {
    std::error_code ec;
    size_t n = 0;
    for (auto it = std::filesystem::directory_iterator(Folder(), ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec))
      ++n;
    return n;
  }
};

TEST_F(PackageDownloadTest, PackageLandsInTheCacheFolderWithProgress) {
  std::string package;
  for (int i = 0; i < 250000; ++i) package += static_cast<char>('a' + i % 26);
  auto server = Serve(test::Always({CannedReply::Kind::Whole, 200, {}, package, 0}));
  CCurlHttpClient client(TrustingOptions());
  Reports reports;
  const DownloadOutcome out = CPackageDownload(client, Folder(), 300000)
                                  .Download("../MS fw", server->Origin() + "/pkg/ms.BIN",
                                            [&](int64_t a, int64_t b) { reports.emplace_back(a, b); });
  ASSERT_TRUE(out.ok) << out.failure;
  EXPECT_EQ(out.file, Folder() + "___MS_fw.bin");
  EXPECT_EQ(Slurp(out.file), package);
  EXPECT_EQ(FilesInFolder(), 1u);  // no temporary file left

  ASSERT_GE(reports.size(), 3u);
  EXPECT_EQ(reports.front(), Report(4, 0));
  EXPECT_EQ(reports[reports.size() - 2], Report(4, 100));
  EXPECT_EQ(reports.back(), Report(5, 0));
  for (size_t i = 1; i + 1 < reports.size(); ++i) {
    EXPECT_EQ(reports[i].first, 4);
    EXPECT_GT(reports[i].second, reports[i - 1].second);
  }
}

TEST_F(PackageDownloadTest, FailedDownloadsLeaveNothing) {
  struct Case {
    const char* what;
    CannedReply reply;
    bool trustCa;
    const char* failure;
  };
  const Case cases[] = {
      {"untrusted", {CannedReply::Kind::Whole, 200, {}, "pkg", 0}, false, "the server's certificate is not trusted"},
      {"over the cap", {CannedReply::Kind::Whole, 200, {}, std::string(2000, 'x'), 0}, true,
       "the reply is larger than allowed"},
      {"endless", {CannedReply::Kind::Endless, 200, {}, "", 0}, true, "the reply is larger than allowed"},
      {"ends early", {CannedReply::Kind::Truncated, 200, {}, "half", 900}, true, "the reply ended early"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto server = Serve(test::Always(c.reply));
    CurlClientOptions options = TrustingOptions();
    if (!c.trustCa) options.caFile.clear();
    CCurlHttpClient client(options);
    Reports reports;
    const DownloadOutcome out = CPackageDownload(client, Folder(), 1000)
                                    .Download("fw", server->Origin() + "/fw.bin",
                                              [&](int64_t a, int64_t b) { reports.emplace_back(a, b); });
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.failure.rfind(c.failure, 0), 0u) << out.failure;
    EXPECT_EQ(FilesInFolder(), 0u);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), Report(2, 0));
  }
  // A plain http location is refused before anything is fetched.
  CCurlHttpClient client(TrustingOptions());
  Reports reports;
  EXPECT_FALSE(CPackageDownload(client, Folder()).Download("fw", "http://127.0.0.1:9/fw.bin", [&](int64_t a, int64_t b) {
    reports.emplace_back(a, b);
  }).ok);
  EXPECT_EQ(reports.back(), Report(2, 0));
  EXPECT_EQ(FilesInFolder(), 0u);
}

}  // namespace
}  // namespace orlo::update
