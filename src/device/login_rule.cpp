#include "device/login_rule.h"

#include <algorithm>
#include <iterator>

namespace tolvaro::device {

std::string recordPassword(const DEVICE_INFO& record) {
    // A record is read only up to its own end, terminated or not.
    const char* end = std::find(std::begin(record.password), std::end(record.password), '\0');
    return std::string(std::begin(record.password), end);
}

bool passwordMatches(const DEVICE_INFO& record, std::string_view typed) {
    return typed == recordPassword(record);
}

std::string acceptedCommunity(const DEVICE_INFO& record) {
    return record.family == 1 ? kFixedCommunity : recordPassword(record);
}

std::optional<std::string> sequenceCommunity(const DEVICE_INFO& record, LoginFor operation) {
    const std::string password = recordPassword(record);
    if (operation == LoginFor::Setup || operation == LoginFor::Load)
        return password.empty() ? std::string(kFixedCommunity) : password;
    if (password.empty() && operation == LoginFor::Save)
        return std::string(kFixedCommunity);
    return std::nullopt;
}

std::optional<std::string> loginCommunity(const DEVICE_INFO& record, LoginFor operation) {
    if (auto community = sequenceCommunity(record, operation))
        return community;
    if (!recordPassword(record).empty())
        return acceptedCommunity(record);
    return std::nullopt;
}

bool loginSetsPort(LoginFor operation) {
    return operation != LoginFor::IpAddress;
}

} // namespace tolvaro::device
