#include "pages/common/RouteTable.h"

#include <algorithm>
#include <cctype>

namespace orlo {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

}  // namespace

SplitName SplitControlName(std::string_view name) {
  SplitName out;
  const size_t at = name.rfind('_');
  if (at == std::string_view::npos) return out;
  out.split = true;
  out.prefix = std::string(name.substr(0, at + 1));
  std::string_view rest = name.substr(at + 1);
  bool negative = false;
  size_t i = 0;
  if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) negative = rest[i++] == '-';
  long long value = 0;
  for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
    // Saturate: an absurdly long number must not overflow into a valid-looking index.
    if (value > 1'000'000'000LL) {
      value = 1'000'000'000LL;
      continue;
    }
    value = value * 10 + (rest[i] - '0');
  }
  out.index = negative ? -value : value;
  return out;
}

void CRouteTable::OnPrefix(const std::string& type, const std::string& prefix, Handler handler) {
  tables_[type].prefix[Lower(prefix)] = std::move(handler);
}

void CRouteTable::OnName(const std::string& type, const std::string& name, Handler handler) {
  tables_[type].whole[Lower(name)] = std::move(handler);
}

void CRouteTable::OnExactName(const std::string& type, const std::string& name, Handler handler) {
  tables_[type].exact[name] = std::move(handler);
}

bool CRouteTable::Dispatch(ui::TNotifyUI& msg) const {
  auto it = tables_.find(msg.sType);
  if (it == tables_.end()) return false;
  const Table& table = it->second;
  const bool prefixThenWhole = msg.sType == ui::notify::kClick;
  const SplitName split = SplitControlName(msg.sSenderName);
  bool handled = false;
  if (split.split) {
    if (auto p = table.prefix.find(Lower(split.prefix)); p != table.prefix.end()) {
      p->second(msg, split.index);
      handled = true;
      if (!prefixThenWhole) return true;
    }
  }
  if (auto e = table.exact.find(msg.sSenderName); e != table.exact.end()) {
    e->second(msg, split.index);
    return true;
  }
  if (auto w = table.whole.find(Lower(msg.sSenderName)); w != table.whole.end()) {
    w->second(msg, split.index);
    return true;
  }
  return handled;
}

std::vector<std::string> CRouteTable::Names() const {
  std::vector<std::string> names;
  for (const auto& [type, table] : tables_) {
    for (const auto& [name, h] : table.prefix) names.push_back(type + ":" + name + "*");
    for (const auto& [name, h] : table.whole) names.push_back(type + ":" + name);
    for (const auto& [name, h] : table.exact) names.push_back(type + ":" + name);
  }
  return names;
}

}  // namespace orlo
