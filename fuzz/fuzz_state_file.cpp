// The simulated router's state file, which a user may edit by hand: a text
// is read whole or refused with a reason, and what it reads to is written
// and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>

#include "check.h"
#include "routersim/state_file.h"

namespace {

routersim::Settings factory(int family) {
    routersim::RouterConfig config;
    config.family = family;
    config.address = "127.0.0.4";
    return routersim::factorySettings(*routersim::resolve(config).config);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const routersim::Settings factories[] = {factory(1), factory(2)};
    if (size == 0) {
        return 0;
    }
    const routersim::Settings& base = factories[data[0] & 1];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    const auto parsed = routersim::parseState(text, base);
    if (!parsed.settings) {
        FUZZ_CHECK(!parsed.error.empty());
        return 0;
    }
    FUZZ_CHECK(parsed.settings->family == base.family);
    const std::string formatted = routersim::formatState(*parsed.settings);
    const auto again = routersim::parseState(formatted, base);
    FUZZ_CHECK(again.settings.has_value());
    FUZZ_CHECK(*again.settings == *parsed.settings);
    FUZZ_CHECK(routersim::formatState(*again.settings) == formatted);
    return 0;
}
