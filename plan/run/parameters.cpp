// Loading the parameters.
#include "plan/run/parameters.h"

#include <cerrno>
#include <string>

#include "core/calc_fault.h"
#include "core/numeric_text.h"
#include "settings/settings_file.h"

namespace kestrova::plan {

namespace {

MemoryPanel& Overridden(MemoryPanel& panel, const Options& options) {
    for (const auto& [field, text] : options.values) panel.SetText(field, text);
    return panel;
}

}  // namespace

MemoryPanel Parameters(const Options& options) {
    MemoryPanel panel;
    const std::string path = options.ini.value_or(std::string(kSettingsFileName));
    try {
        ReadIniFile(panel, path);
    } catch (const FileFault& fault) {
        // The options that stand in for the file, and those not given.
        std::string standIns, missing;
        for (Field needed : {Field::Fh, Field::Fstep, Field::Fo, Field::Fref, Field::Fosc, Field::DacGain}) {
            bool given = false;
            for (const auto& value : options.values) given = given || value.first == needed;
            const std::string option(Info(needed).option);
            standIns += (standIns.empty() ? "" : needed == Field::DacGain ? " and " : ", ") + option;
            if (!given) missing += (missing.empty() ? "" : ", ") + option;
        }
        if (!options.ini && missing.empty()) return Overridden(panel, options);
        if (!options.ini && fault.Error() == ENOENT)
            throw UsageError("there is no Kestrova.INI here: give the parameters as " + standIns +
                             (options.values.empty() ? "" : " (still missing: " + missing + ")") +
                             ", or --ini FILE");
        throw UsageError(std::string("cannot read the parameters: ") + fault.what());
    }
    return Overridden(panel, options);
}

double ReadParameter(const CalcPanel& panel, Field field) {
    try {
        return NumberFromText(panel.Text(field));
    } catch (const CalcFault& fault) {
        throw UsageError(std::string(Info(field).term) + " cannot be read: " + fault.what());
    }
}

}  // namespace kestrova::plan
