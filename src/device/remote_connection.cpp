#include "device/remote_connection.h"

#include <algorithm>

#include "device/device_link.h"
#include "device/login_rule.h"

namespace tolvaro::device {

std::optional<int> remotePort(std::string_view text) {
    if (text.empty() || text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int port = std::stoi(std::string(text));
    if (port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

std::string_view remoteMessage(RemoteOutcome outcome) {
    switch (outcome) {
    case RemoteOutcome::Answered:
        return {};
    case RemoteOutcome::NoResponse:
        return remote_text::kNoResponse;
    case RemoteOutcome::EmptyAddress:
        return remote_text::kEnterAddress;
    case RemoteOutcome::EmptyPort:
        return remote_text::kEnterPort;
    case RemoteOutcome::AddressTooLong:
        return remote_text::kAddressTooLong;
    case RemoteOutcome::PortInvalid:
        return remote_text::kPortInvalid;
    case RemoteOutcome::PasswordTooLong:
        return remote_text::kPasswordTooLong;
    }
    return {};
}

RemoteField remoteField(RemoteOutcome outcome) {
    switch (outcome) {
    case RemoteOutcome::EmptyAddress:
    case RemoteOutcome::AddressTooLong:
        return RemoteField::Address;
    case RemoteOutcome::EmptyPort:
    case RemoteOutcome::PortInvalid:
        return RemoteField::Port;
    case RemoteOutcome::PasswordTooLong:
        return RemoteField::Password;
    case RemoteOutcome::Answered:
    case RemoteOutcome::NoResponse:
        break;
    }
    return RemoteField::None;
}

RemoteOutcome checkRemoteFields(std::string_view address, std::string_view portText,
                                std::string_view password) {
    if (address.empty())
        return RemoteOutcome::EmptyAddress;
    if (portText.empty())
        return RemoteOutcome::EmptyPort;
    // Refused rather than cut, so that the router tested is the router the
    // later operations reach through the remote entry's fixed fields.
    if (address.size() > kRemoteAddressLimit)
        return RemoteOutcome::AddressTooLong;
    if (!remotePort(portText))
        return RemoteOutcome::PortInvalid;
    if (password.size() > kRemotePasswordLimit)
        return RemoteOutcome::PasswordTooLong;
    return RemoteOutcome::Answered;
}

RemoteTest prepareRemoteConnection(DeviceLink& link, const std::string& address,
                                   const std::string& portText, const std::string& password) {
    RemoteTest test;
    test.outcome = checkRemoteFields(address, portText, password);
    if (test.outcome != RemoteOutcome::Answered)
        return test;
    test.port = *remotePort(portText);
    link.setCommunity(password.empty() ? kFixedCommunity : password.c_str());
    link.setSnmpPort(test.port);
    return test;
}

RemoteTest testRemoteConnection(DeviceLink& link, const std::string& address,
                                const std::string& portText, const std::string& password) {
    RemoteTest test = prepareRemoteConnection(link, address, portText, password);
    if (test.outcome != RemoteOutcome::Answered)
        return test;
    MIB_RESPONSE answer{};
    const int variable = kConnectionTestVariable;
    test.result = link.getInfo(address.c_str(), 0, 1, &variable, &answer);
    test.outcome = test.result == 0 ? RemoteOutcome::NoResponse : RemoteOutcome::Answered;
    return test;
}

} // namespace tolvaro::device
