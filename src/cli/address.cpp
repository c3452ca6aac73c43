// address: a new LAN address for a router, as the IP Address dialog gives
// it (its fields, checks, messages and broadcast by hardware address), then
// the router found again at its new address.
#include <chrono>
#include <iostream>

#include "cli/cli.h"
#include "device/device_record.h"
#include "device/write_session.h"
#include "headless/address.h"

namespace tolvaro::cli {
namespace {

// Discovery after the restart; a slow router gets more looks for a while,
// measured on the clock (each look takes a discovery window too).
constexpr std::chrono::milliseconds kLookFor{5000};
constexpr std::chrono::milliseconds kLookApart{1000};

int address(Context& context, const std::string& wanted, const std::string& newAddress,
            const std::optional<std::string>& mask) {
    if (remoteTarget(context.options, wanted))
        throw UsageError{"address works on routers on this network only, by discovery"};
    DEVICE_INFO router = login(context, wanted, device::LoginFor::IpAddress);
    const std::string hardware = announcedHardware(router);
    device::WaitClock& clock = context.clock;
    headless::HeadlessHost host([&clock](int ms) { clock.sleepFor(std::chrono::milliseconds(ms)); },
                                true);
    const headless::AddressChange change =
        headless::changeAddress(host, context.link(), router, newAddress, mask);
    if (change.outcome != headless::AddressChange::Outcome::Changed) {
        std::string text;
        for (const std::string& message : change.messages)
            text += (text.empty() ? "" : "\n") + message;
        // The dialog's own checks refuse the input; a failed send is a failure.
        if (text == "IPSUdpSetIP fail")
            throw Failure{text};
        std::cerr << text << "\n";
        return kExitUsage;
    }
    std::cout << "address " << change.address << " mask " << change.mask << " sent to "
              << escaped(device::fieldText(router.name)) << " (" << hardware << ")\n";
    clock.sleepFor(std::chrono::milliseconds(context.options.resetWaitMs));
    if (hardware.empty())
        return kExitOk;
    const auto deadline = clock.now() + kLookFor;
    while (true) {
        for (const DEVICE_INFO& found : discover(context.link())) {
            if (announcedHardware(found) != hardware)
                continue;
            std::cout << "found " << escaped(device::fieldText(found.name)) << " at "
                      << escaped(device::fieldText(found.ipAddress)) << "\n";
            return device::fieldText(found.ipAddress) == change.address ? kExitOk : kExitFailed;
        }
        if (clock.now() >= deadline)
            break;
        clock.sleepFor(kLookApart);
    }
    throw Failure{"the router did not answer discovery after the change"};
}

Runner setUp(CLI::App& command) {
    auto router = std::make_shared<std::string>();
    auto newAddress = std::make_shared<std::string>();
    auto mask = std::make_shared<std::optional<std::string>>();
    command.add_option("ROUTER", *router,
                       "The router: its IP address, hardware address or name as discovery "
                       "lists it.");
    command.add_option("NEW-ADDRESS", *newAddress, "The new address, a.b.c.d.");
    command.add_option("MASK", *mask, "The new network mask (default: the router's current one).");
    return [router, newAddress, mask](Context& context) {
        if (router->empty() || newAddress->empty())
            throw UsageError{"address needs ROUTER and NEW-ADDRESS"};
        return address(context, *router, *newAddress, *mask);
    };
}

const Registration kAddress{
    74, "address ROUTER NEW-ADDRESS [MASK]",
    "Give a router on this network a new LAN address (and mask) as the IP Address dialog does: "
    "sent by its hardware address, so it works while the current address is unreachable. The "
    "dialog's checks refuse bad input with its message (status 2). After the restart wait "
    "(--reset-wait) the router is looked for at its new address.",
    setUp};

} // namespace
} // namespace tolvaro::cli
