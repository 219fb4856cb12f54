#pragma once
// The libFuzzer entry shared by the targets: a finding is printed and ends
// the run, so that libFuzzer keeps the input.

#include "FuzzChecks.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace mv::fuzz {

inline int Report(const std::string& finding) {
    if (finding.empty()) return 0;
    std::fprintf(stderr, "FINDING: %s\n", finding.c_str());
    std::abort();
}

} // namespace mv::fuzz
