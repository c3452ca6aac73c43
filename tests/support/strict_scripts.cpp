// Linked into every test program: a scripted host that goes with scripts or
// answers still queued fails the test that owned it, since the step those
// answers were written for never happened.
#include <gtest/gtest.h>

#include "ui/scripted/scripted_host.h"

namespace {

[[maybe_unused]] const bool installed = [] {
    tolvaro::ui::ScriptedHost::onUnused([](const std::string& text) { ADD_FAILURE() << text; });
    return true;
}();

} // namespace
