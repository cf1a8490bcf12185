// How --decode's rows are written in one format: each register set as
// given, what it means with the parameters in use, and the problems found.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plan/formats/register_set.h"

namespace kestrova::plan {

struct DecodedSet {
    RegisterSet set;
    std::int64_t n = 0;                   // 32 P + S
    std::optional<std::string> achieved;  // as the window writes Fout, without its sign blank
    std::vector<std::string> problems;    // empty when the set agrees
};

class SetWriter {
public:
    virtual ~SetWriter() = default;
    virtual void Begin(std::string& out) const = 0;
    virtual void Row(const DecodedSet& set, bool first, std::string& out) const = 0;
    virtual void End(bool any, std::string& out) const = 0;
};

// The five registers in the window's order, given or not.
inline std::array<const RegisterText*, 5> Registers(const RegisterSet& set) {
    return {&set.r, &set.s, &set.p, set.c ? &*set.c : nullptr, set.g ? &*set.g : nullptr};
}

// The problems found, joined by "; ".
inline std::string Problems(const DecodedSet& set) {
    std::string joined;
    for (const std::string& problem : set.problems) joined += (joined.empty() ? "" : "; ") + problem;
    return joined;
}

}  // namespace kestrova::plan
