#pragma once

namespace orlo {

// The mouse family: its page class ("CMousePageUI") and its driver.
void RegisterMouseFamily();

}  // namespace orlo
