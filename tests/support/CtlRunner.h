#pragma once
// Runs the built orloctl against simulated devices, with temporary data and device folders of its
// own, and reads `read DEVICE` back as JSON.
#include <gtest/gtest.h>
#include <json/json.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace orlo::testing_support {

class CtlRunner : public ::testing::Test {
 protected:
  struct Result {
    int code;
    std::string out, err;
  };

  // `simulate`: the --simulate list every run uses.
  void Prepare(const std::string& simulate) {
    simulate_ = simulate;
    binary_ = ORLO_TEST_BINARY_DIR "/../orloctl";
    if (!std::filesystem::exists(binary_)) GTEST_SKIP() << "orloctl is not built";
    static int counter = 0;
    root_ = (std::filesystem::temp_directory_path() /
             ("orlo_ctl_" + std::to_string(::getpid()) + "_" + std::to_string(counter++)))
                .string();
    std::filesystem::create_directories(root_);
  }
  void TearDown() override {
    if (!root_.empty()) std::filesystem::remove_all(root_);
  }

  static std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // args contain no quote.
  Result Run(const std::string& args) {
    const std::string out = root_ + "/stdout", err = root_ + "/stderr";
    const std::string cmd = "XDG_DATA_HOME='" + root_ + "/data' ORLO_SIM_DIR='" + root_ + "/sim' ORLO_PROGRAM_DIR='" +
                            ORLO_SOURCE_DIR "' '" + binary_ + "' --simulate " + simulate_ + " " + args + " >'" +
                            out + "' 2>'" + err + "'";
    const int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
  }
  Json::Value Read(const std::string& device) {
    const Result r = Run("read " + device);
    EXPECT_EQ(r.code, 0) << r.err;
    Json::Value v;
    std::istringstream in(r.out);
    in >> v;
    return v;
  }

  std::string simulate_, binary_, root_;
};

}  // namespace orlo::testing_support
