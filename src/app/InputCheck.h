// The step that adding a file performs before it creates a track: the check for the
// file's kind, and on refusal the beep and the Yes/No question of the system.
#pragma once

#include <cstdint>
#include <string>

#include "Prompter.h"
#include "Trackinfo.h"

namespace varnel {

// Runs the check for the path's kind. Accepted → true with `mode` and `info` filled.
// Refused → false after asking, without icon, "\"" + path + "\"" + the kind's message;
// `goOn` is the answer: Yes to go on with the next chosen file, No to stop.
bool CheckInputFile(TPrompter& prompter, const std::string& path, int32_t& mode, WaveDataInfo& info,
                    bool& goOn);

}  // namespace varnel
