#pragma once

namespace orlo {

// Registers the headset page and the headset driver (its chip found as sim::FindHeadsetChip says).
void RegisterHeadsetFamily();

}  // namespace orlo
