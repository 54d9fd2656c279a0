// Assignments by the names the command line takes.
#include <gtest/gtest.h>

#include "profile/AssignmentNames.h"

namespace orlo {
namespace {

TEST(AssignmentNames, EachTableNamesItsFunctions) {
  const std::pair<const char*, AssignCode> named[] = {
      {"mouse_key_back", {0x10, 0x08, 0x00}},  {"MOUSE_KEY_DPI_ADD", {0x13, 0x01, 0x00}},
      {"media_play", {0x30, 0xCD, 0x00}},      {"web_search", {0x30, 0x21, 0x02}},
      {"system_sleep", {0x40, 0x02, 0x00}},    {"A", {0x20, 0x00, 0x04}},
      {"keyboard_key_F5", {0x20, 0x00, 0x3E}}, {"num 1", {0x20, 0x00, 0x59}},
      {"RShift", {0x20, 0x20, 0x00}},          {"Volume Up", {0x30, 0xE9, 0x00}},
      {"Ctrl+C", {0x20, 0x01, 0x06}},          {"ctrl+=", {0x20, 0x01, 0x2E}},
  };
  for (const auto& [name, code] : named) {
    const auto found = AssignmentByName(name);
    ASSERT_TRUE(found.has_value()) << name;
    EXPECT_EQ(*found, code) << name;
  }
  // The keyboard's own keys and unknown names are not functions a key can be given.
  for (const char* name : {"FN", "keyboard_key_M1", "GM", "", "Ctrl+B", "mouse_key"})
    EXPECT_FALSE(AssignmentByName(name).has_value()) << name;
}

}  // namespace
}  // namespace orlo
