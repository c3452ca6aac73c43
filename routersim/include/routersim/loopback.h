// Loopback helpers for whatever runs simulated routers (tests, benchmarks):
// a free port, and a loopback network of its own.
#pragma once

#include <cstdint>
#include <string>

namespace routersim {

// A UDP port that is free on 127.0.0.1 at the time of the call. Throws
// std::runtime_error when the system has no socket or port to give.
std::uint16_t freeUdpPort();

// "127.a.b." with random a and b, so that suites running side by side do not
// meet; the caller appends the host number.
std::string randomLoopbackNetwork();

} // namespace routersim
