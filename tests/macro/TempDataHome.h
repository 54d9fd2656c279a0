#pragma once
// Points XDG_DATA_HOME at a fresh temporary folder for one test and removes it afterwards.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/Paths.h"

namespace orlo::test {

class TempDataHome : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orlo-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    setenv("XDG_DATA_HOME", root_.c_str(), 1);
    folder_ = paths::AppDataFolder() + "mouse/";
    ASSERT_TRUE(paths::EnsureFolder(folder_));
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void Spit(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  std::string root_;
  std::string folder_;
};

}  // namespace orlo::test
