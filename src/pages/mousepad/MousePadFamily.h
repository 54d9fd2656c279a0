#pragma once

namespace orlo {

// Registers the mousepad page and the mousepad driver.
void RegisterMousePadFamily();

}  // namespace orlo
