// The standard library's ECMAScript engine as the fuzz target's oracle for the reader's line patterns, built
// without coverage counters: the fuzzer is steered by the reader's code, and they would only slow every run.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sv::test {

// Matches at the start of `line`, filling every group (empty if unused); `pattern` must stay put all the run.
bool oracleMatch(const std::string& pattern, std::string_view line, std::vector<std::string>& groups);

}  // namespace sv::test
