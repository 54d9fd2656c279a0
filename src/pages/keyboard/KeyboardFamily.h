#pragma once

namespace orlo {

// The keyboard family: its page class ("CKeyboardPageUI") and its driver.
void RegisterKeyboardFamily();

}  // namespace orlo
