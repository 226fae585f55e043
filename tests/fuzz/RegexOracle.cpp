// See RegexOracle.h. One compiled expression per pattern, kept for the whole run and found by the
// address of the pattern's text (a long text compared on every look-up would cost more than the match).
#include "RegexOracle.h"

#include <locale>
#include <map>
#include <regex>

namespace sv::test {

bool oracleMatch(const std::string& pattern, std::string_view line, std::vector<std::string>& groups) {
  static std::map<const std::string*, std::regex> compiled;
  static std::match_results<std::string_view::const_iterator> match;
  auto [oracle, added] = compiled.try_emplace(&pattern);
  if (added) {
    oracle->second.imbue(std::locale::classic());
    oracle->second.assign(pattern);
  }
  groups.clear();
  if (!std::regex_search(line.begin(), line.end(), match, oracle->second, std::regex_constants::match_continuous))
    return false;
  for (const auto& group : match) groups.push_back(group.str());
  return true;
}

}  // namespace sv::test
