// See RegexOracle.h. One compiled expression per pattern text, kept for the whole run.
#include "RegexOracle.h"

#include <locale>
#include <map>
#include <regex>

namespace sv::testing {

bool oracleMatch(const std::string& pattern, std::string_view line, std::vector<std::string>& groups) {
  static std::map<std::string, std::regex> compiled;
  auto [oracle, added] = compiled.try_emplace(pattern);
  if (added) {
    oracle->second.imbue(std::locale::classic());
    oracle->second.assign(pattern);
  }
  std::match_results<std::string_view::const_iterator> match;
  groups.clear();
  if (!std::regex_search(line.begin(), line.end(), match, oracle->second, std::regex_constants::match_continuous)) {
    return false;
  }
  for (const auto& group : match) groups.push_back(group.str());
  return true;
}

}  // namespace sv::testing
