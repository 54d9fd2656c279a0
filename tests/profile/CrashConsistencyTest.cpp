// A process killed while it saves a profile must leave a document that parses and holds either
// the section it had or the one being written, with its other root members intact.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "macro/TempDataHome.h"
#include "profile/BasicProfiledata.h"
#include "profile/JsonFile.h"

namespace orlo {
namespace {

// Large enough that one save takes many write calls' worth of text.
Json::Value MakeSection(int tag) {
  Json::Value s(Json::objectValue);
  s["Tag"] = tag;
  for (int i = 0; i < 400; ++i) {
    Json::Value& k = s["KeyList"][i];
    k["Assignment"] = tag * 1000 + i;
    k["DefaultAssignment"] = i;
  }
  s["LightInfo"]["Mode"] = tag;
  return s;
}

class CrashConsistencyTest : public test::TempDataHome {};

TEST_F(CrashConsistencyTest, SaveKilledAtRandomMomentsLeavesOldOrNewSection) {
  const Json::Value a = MakeSection(1), b = MakeSection(2);
  const std::string path = folder_ + "2024_03_05_14_07_09_042.Json";
  Json::Value doc;
  doc["profilename"] = "Game";
  doc["profileUUID"] = "2024_03_05_14_07_09_042";
  doc["Device"][0] = a;
  ASSERT_EQ(CJsonFile().WriteDocument(path, doc), 0);

  // How long one save takes here (sanitizers and a loaded machine make it much slower), so
  // that the random kill moments spread over a whole save whatever the speed.
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < 3; ++i) CBasicProfiledata().SaveSection(a, folder_ + "timing.Json");
  const auto saveUs = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - t0).count() / 3;
  std::mt19937 rng(20240305);
  std::uniform_int_distribution<long> delayUs(0, 2 * saveUs + 1000);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  int changed = 0;
  Json::Value before = a;
  for (int round = 0; round < 200; ++round) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "round " << round;
    // The child keeps saving the section the document does not hold yet.
    const Json::Value& next = before == a ? b : a;
    // The child reports each finished save on a pipe. Every other round the kill waits for the
    // first report, so some kills surely land after a save has completed, the rest at any moment.
    int done[2];
    ASSERT_EQ(pipe(done), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(done[0]);
      CBasicProfiledata profile;
      for (;;) {
        profile.SaveSection(next, path);
        char c = 1;
        (void)!write(done[1], &c, 1);
      }
    }
    close(done[1]);
    if (round % 2 == 1) {
      char c;
      ASSERT_EQ(read(done[0], &c, 1), 1) << "round " << round;
    }
    usleep(static_cast<useconds_t>(delayUs(rng)));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    close(done[0]);

    Json::Value now = CJsonFile().ReadDocument(path);
    ASSERT_TRUE(now.isObject()) << "round " << round << ": the document does not parse";
    EXPECT_EQ(now["profilename"].asString(), "Game") << "round " << round;
    EXPECT_EQ(now["profileUUID"].asString(), "2024_03_05_14_07_09_042") << "round " << round;
    ASSERT_EQ(now["Device"].size(), 1u) << "round " << round;
    const Json::Value& section = now["Device"][0];
    ASSERT_TRUE(section == before || section == next) << "round " << round << ": a mixed section";
    if (section != before) ++changed;
    before = section;
  }
  // The kills must have landed while saves were under way, or the test proved nothing.
  EXPECT_GT(changed, 0);
}

}  // namespace
}  // namespace orlo
