#pragma once
// Text ids → texts of the current interface language. Language files live in <skin>/lang/ as
// XML, one <text id="...">...</text> per line; a later entry with the same id wins, so new ids
// are appended before the closing tag. Widgets take their texts from the dynamic properties
// "textid" (text, or window title for a window) and "tooltipid"; ReloadText re-applies them.
#include <map>
#include <string>

class QWidget;

namespace orlo::ui {

class CLanguageStore {
 public:
  static CLanguageStore& GetInstance();

  void SetLanguage(const std::string& name) { language_ = name; }
  const std::string& GetLanguage() const { return language_; }
  // Replaces the texts with those of `file` (relative to <skin>/lang/, or absolute). On failure
  // the previous texts stay and false is returned.
  bool LoadLanguage(const std::string& file);
  // Parses a language file's content; false on malformed XML (nothing is changed then).
  bool LoadFromString(const std::string& xml);

  bool Has(const std::string& id) const;
  // The text of `id`, or the id itself when the language does not have it.
  std::string Text(const std::string& id) const;
  std::size_t Size() const { return texts_.size(); }

  // Applies the ids of every widget of every top-level window.
  void ReloadText() const;
  // Applies the ids of one tree.
  void ApplyTexts(QWidget* tree) const;

  // Sets `id` as the widget's text id (isKey) or a plain text, and shows it.
  void SetControlText(QWidget* control, const std::string& text, bool isKey) const;

 private:
  CLanguageStore() = default;
  std::string language_;
  std::map<std::string, std::string> texts_;
};

// Formats a language text that holds one integer placeholder ("%d") with `value`. The text comes
// from a file, so it is never used as a printf format: only the first "%d" is replaced, "%%"
// becomes "%", and any other directive is left as it stands.
std::string FormatTextWithNumber(const std::string& text, long long value);

// Short form for code: the current language's text of `id`.
std::string TextOf(const std::string& id);
// A key name's text; a key without a translation shows its legend (the part of a
// "keyboard_key_" id after the prefix).
std::string KeyNameText(const std::string& id);

inline constexpr const char* kTextIdProperty = "textid";
inline constexpr const char* kToolTipIdProperty = "tooltipid";

}  // namespace orlo::ui
