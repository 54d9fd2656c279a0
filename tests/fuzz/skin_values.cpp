// Fuzz target for the values the skin's layouts give the device picture's buttons: image
// descriptions, rectangles and hexadecimal colours. Any text must parse without a crash, the same
// way twice, and a parsed value must keep the ranges the painting code relies on.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ui/ImageDesc.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool SameDesc(const orlo::ui::CImageDesc& a, const orlo::ui::CImageDesc& b) {
  return a.file == b.file && a.source == b.source && a.dest == b.dest && a.corner == b.corner &&
         a.mask == b.mask && a.fade == b.fade && a.hole == b.hole && a.xtiled == b.xtiled &&
         a.ytiled == b.ytiled;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orlo::ui;
  const std::string text(reinterpret_cast<const char*>(data), size);

  const auto desc = ParseImageDesc(text);
  const auto again = ParseImageDesc(text);
  Check(desc.has_value() == again.has_value());
  if (desc) {
    Check(SameDesc(*desc, *again));
    Check(desc->fade >= 0 && desc->fade <= 255);
  }

  const auto rect = ParseRectValue(text);
  Check(rect.has_value() == ParseRectValue(text).has_value());

  // Up to six digits are opaque; a colour with its alpha byte keeps it.
  if (const auto colour = ParseHexColour(text)) {
    std::string_view digits(text);
    if (digits.starts_with('#')) digits.remove_prefix(1);
    else if (digits.starts_with("0x") || digits.starts_with("0X")) digits.remove_prefix(2);
    if (digits.size() <= 6) Check((*colour >> 24) == 0xFF);
  }
  return 0;
}
