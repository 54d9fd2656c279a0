#pragma once
// A fresh temporary home for one update test: data and cache folders below it, no proxy taken
// from the environment, no update settings from the environment, and a throwaway certificate
// authority whose PEM file lies in it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "TlsTestServer.h"
#include "update/CurlHttpClient.h"

namespace orlo::test {

class UpdateTestHome : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orlo-update-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root_ + "/cache").c_str(), 1);
    for (const char* v : {"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "ORLO_UPDATE_URL", "ORLO_UPDATE_CA"})
      unsetenv(v);
    ca_ = std::make_unique<TestCa>(root_);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  // Trusts the test authority; waits bounded to a second where a test waits for a time-out.
  update::CurlClientOptions TrustingOptions() const {
    update::CurlClientOptions o;
    o.caFile = ca_->PemFile();
    o.timeouts = {5000, 1000, 0};
    o.userAgent = "Tavrin ORLO/0.1.0";
    return o;
  }
  // A server for 127.0.0.1 with a valid certificate from the test authority.
  std::unique_ptr<TlsTestServer> Serve(TlsTestServer::Handler handler) const {
    return std::make_unique<TlsTestServer>(ca_->Issue("IP:127.0.0.1"), std::move(handler));
  }

  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::string root_;
  std::unique_ptr<TestCa> ca_;
};

}  // namespace orlo::test
