// The one line that says what a plan was made from.
#include "plan/channel/provenance.h"

#include "plan/channel/channel.h"

namespace kestrova::plan {

std::string MadeFrom(const Provenance& provenance) {
    std::string made = provenance.program + ":";
    for (std::size_t i = 0; i < provenance.parameters.size(); ++i) {
        made += i == 0 ? " " : ", ";
        made += Info(provenance.parameters[i].first).term;
        made += ' ';
        made += Trimmed(provenance.parameters[i].second);
    }
    return made;
}

}  // namespace kestrova::plan
