// The standard library's ECMAScript engine as the fuzz target's oracle for the reader's line patterns.
// It is compiled without coverage instrumentation: the fuzzer is steered by the reader's code, not by
// the oracle's, and the oracle's counters would only slow every run.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sv::test {

// Matches `pattern` at the start of `line`; `pattern` must stay where it is for the whole run. On a match, `groups`
// holds every group (empty for one that took no part) and the result is true.
bool oracleMatch(const std::string& pattern, std::string_view line, std::vector<std::string>& groups);

}  // namespace sv::test
