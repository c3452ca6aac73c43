// The windowing host of a program without windows: the scripted backend,
// with waits on a clock the caller hands in and every message box kept as
// output. A question is answered by the caller's policy; whether it was
// answered "go on" is remembered, so a refusal can be told from a note.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "operation/commit.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::headless {

// The wait after a reset, which a caller may want to shorten or stretch.
using operation::kResetWaitMs;

class HeadlessHost : public ui::ScriptedHost {
public:
    // `sleep` runs every wait the windows ask for; `goOn` answers the
    // questions (OK or Yes when true, else Cancel or No).
    HeadlessHost(std::function<void(int ms)> sleep, bool goOn);

    // The message boxes shown since the last call.
    std::vector<ui::MessageRecord> takeMessages();
    // The first question declined, if any: its text.
    const std::string& declined() const { return declined_; }

private:
    std::size_t taken_ = 0;
    std::string declined_;
};

} // namespace tolvaro::headless
