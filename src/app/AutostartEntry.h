#pragma once
// Starting with the desktop session: an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/org.tavrin.orlo.desktop (~/.config when the variable is unset or
// not absolute), that starts the program minimised to the tray. The settings window switches it.
#include <string>

namespace orlo {

class CAutostartEntry {
 public:
  // configHome empty: the user's configuration folder as above.
  explicit CAutostartEntry(std::string configHome = {});

  std::string Path() const;
  bool Enabled() const;
  // Writes the entry (atomically) for the program at `program`, an absolute path. False when
  // it could not be written; a former entry is then left as it was.
  bool Enable(const std::string& program);
  // Removes the entry; true when none is left.
  bool Disable();

  // The entry's text for `program`.
  static std::string Content(const std::string& program);
  // One argument of an Exec line: as it is when it holds only plain characters, else in double
  // quotes with '"', '`', '$' and '\' escaped; '%' doubled, and every '\' doubled once more
  // for the desktop entry's own string escapes.
  static std::string ExecArgument(const std::string& argument);

 private:
  std::string configHome_;
};

}  // namespace orlo
