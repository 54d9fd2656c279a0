// Two processes change one document at the same moments, round after round: the window and the
// command-line front end saving different parts of one profile, or editing the one profile
// list. After every round both changes must be there.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "profile/BasicProfiledata.h"
#include "profile/JsonFile.h"
#include "profile/ProfileList.h"

namespace orlo {
namespace {

constexpr int kRounds = 250;

// Bulk for the document, so that each read-modify-write takes long enough for the two writers
// to overlap in most rounds.
Json::Value Padding() {
  Json::Value padding(Json::arrayValue);
  for (int i = 0; i < 500; ++i) padding.append(i);
  return padding;
}

// A child process that runs work(round) each time it reads a byte from its go pipe, and answers
// on its done pipe with 1 when the change was saved, 0 when not.
class Writer {
 public:
  explicit Writer(const std::function<bool(int)>& work) {
    int go[2], done[2];
    if (::pipe(go) != 0 || ::pipe(done) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(go[1]);
      ::close(done[0]);
      char c;
      for (int round = 0; ::read(go[0], &c, 1) == 1; ++round) {
        char saved = work(round) ? 1 : 0;
        if (::write(done[1], &saved, 1) != 1) break;
      }
      ::_exit(0);
    }
    ::close(go[0]);
    ::close(done[1]);
    go_ = go[1];
    done_ = done[0];
  }
  ~Writer() {
    if (go_ >= 0) ::close(go_);  // the child's read ends, and so does the child
    if (done_ >= 0) ::close(done_);
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
  }
  bool Started() const { return pid_ > 0 && go_ >= 0; }
  void Go() const {
    char c = 1;
    ASSERT_EQ(::write(go_, &c, 1), 1);
  }
  // 1 saved, 0 refused, -1 the child is gone.
  int Result() const {
    char c;
    return ::read(done_, &c, 1) == 1 ? c : -1;
  }

 private:
  pid_t pid_ = -1;
  int go_ = -1;
  int done_ = -1;
};

class ConcurrentWritersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A memory-backed folder when there is one: the test is about locking, not about the disk.
    std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/orlo-writers-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern + "/";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Starts both writers together each round, waits for both, then checks the result.
  void RunRounds(const std::function<bool(int)>& a, const std::function<bool(int)>& b,
                 const std::function<void(int)>& check) {
    Writer first(a), second(b);
    ASSERT_TRUE(first.Started() && second.Started());
    for (int round = 0; round < kRounds; ++round) {
      first.Go();
      second.Go();
      ASSERT_EQ(first.Result(), 1) << "round " << round;
      ASSERT_EQ(second.Result(), 1) << "round " << round;
      check(round);
      if (HasFatalFailure() || HasNonfatalFailure()) return;
    }
  }

  std::string folder_;
};

TEST_F(ConcurrentWritersTest, TwoProcessesSavingDifferentSectionsKeepBoth) {
  const std::string path = folder_ + "shared.Json";
  Json::Value doc;
  doc["profilename"] = "Shared";
  doc["Padding"] = Padding();
  doc["Device"][0]["Round"] = -1;
  doc["Device"][1]["Round"] = -1;
  ASSERT_EQ(CJsonFile().WriteDocument(path, doc), 0);

  // Two saves a round: a writer that comes back for its second save while the other still
  // works on the file the first one replaced must wait for it too.
  auto saver = [&](int index) {
    return [&, index](int round) {
      CBasicProfiledata profile;
      profile.SetDeviceIndex(index);
      Json::Value section;
      section["Round"] = round;
      section["Writer"] = index;
      bool saved = true;
      for (int step = 0; step < 2; ++step) {
        section["Step"] = step;
        saved = profile.SaveSection(section, path) == 1 && saved;
      }
      return saved;
    };
  };
  RunRounds(saver(0), saver(1), [&](int round) {
    Json::Value now = CJsonFile().ReadDocument(path);
    ASSERT_EQ(now["Device"].size(), 2u) << "round " << round;
    EXPECT_EQ(now["Device"][0]["Round"].asInt(), round) << "round " << round;
    EXPECT_EQ(now["Device"][1]["Round"].asInt(), round) << "round " << round;
    EXPECT_EQ(now["Device"][0]["Step"].asInt(), 1) << "round " << round;
    EXPECT_EQ(now["Device"][1]["Step"].asInt(), 1) << "round " << round;
    EXPECT_EQ(now["Device"][1]["Writer"].asInt(), 1) << "round " << round;
    EXPECT_EQ(now["profilename"].asString(), "Shared") << "round " << round;
    EXPECT_EQ(now["Padding"].size(), 500u) << "round " << round;
  });
  // Nothing but the document is left behind.
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder_)) files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 1);
}

TEST_F(ConcurrentWritersTest, TwoProcessesRenamingDifferentProfilesKeepBoth) {
  const std::string defaults = folder_ + "default.Json";
  Json::Value def;
  def["Device"][0]["LightInfo"]["Red"] = 1;
  ASSERT_EQ(CJsonFile().WriteDocument(defaults, def), 0);
  CProfileList list;
  list.SetDeviceKind(2);
  list.SetPaths(folder_, defaults);
  ASSERT_TRUE(list.Init());
  ASSERT_EQ(list.AddProfile(), 1);
  Json::Value padded = CJsonFile().ReadDocument(list.ListPath());
  padded["Padding"] = Padding();
  ASSERT_EQ(CJsonFile().WriteDocument(list.ListPath(), padded), 0);

  auto renamer = [&](int index, const std::string& prefix) {
    return [&, index, prefix](int round) {
      CProfileList mine;
      mine.SetDeviceKind(2);
      mine.SetPaths(folder_, defaults);
      const std::string name = prefix + std::to_string(round);
      return mine.RenameProfileAt(index, name + "-first") == CProfileList::kRenameDone &&
             mine.RenameProfileAt(index, name) == CProfileList::kRenameDone;
    };
  };
  RunRounds(renamer(0, "a"), renamer(1, "b"), [&](int round) {
    auto entries = list.ReadEntries();
    ASSERT_EQ(entries.size(), 2u) << "round " << round;
    EXPECT_EQ(entries[0].name, "a" + std::to_string(round));
    EXPECT_EQ(entries[1].name, "b" + std::to_string(round));
    for (int i = 0; i < 2; ++i) {
      Json::Value doc = CJsonFile().ReadDocument(list.GetProfilePathAt(i));
      EXPECT_EQ(doc["profilename"].asString(), entries[static_cast<size_t>(i)].name) << "round " << round;
      EXPECT_EQ(doc["Device"][0]["LightInfo"]["Red"].asInt(), 1) << "round " << round;
    }
  });
}

}  // namespace
}  // namespace orlo
