// How --decode's rows are written in one format: each register set as
// given, what it means with the parameters in use, and the problems found.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plan/readers/register_set.h"

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

}  // namespace kestrova::plan
