// The removal of -o's temporary file when a signal ends the process, so that
// a run stopped half-way leaves the old output as it was. Process state, so
// it belongs to the program's start, which installs it once.
#pragma once

#include <functional>
#include <string>

namespace kestrova::plan {

// What a run tells its temporary file to (PlanIo::pendingTemporary). From
// the first file on, every signal whose default action ends the process
// (all but SIGKILL) removes the file that is pending, if any, and then ends
// the process as it would have; a signal that was ignored stays ignored.
// SIGXFSZ is ignored, so that a file size limit is a failed write, reported
// as one.
std::function<void(const std::string&)> RemoveTemporaryOnEndingSignals();

}  // namespace kestrova::plan
