// Building user records and user tables as the router holds them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <ipslan/records.h>

namespace tolvaro::test {

inline UserInfo makeUser(const std::string& name, std::uint8_t flags = 0x02,
                         std::uint16_t limit = 0, const std::string& callback = {},
                         const std::string& password = "pw") {
    UserInfo u{};
    std::strncpy(u.name, name.c_str(), sizeof u.name - 1);
    std::strncpy(u.password, password.c_str(), sizeof u.password - 1);
    u.flags = flags;
    u.timeLimit = limit;
    std::strncpy(u.callback, callback.c_str(), sizeof u.callback - 1);
    return u;
}

// The byte forms of `users`, back to back.
inline std::vector<std::uint8_t> userBytes(const std::vector<UserInfo>& users) {
    std::vector<std::uint8_t> bytes(users.size() * ipslan::kUserBytes);
    std::size_t position = 0;
    for (const UserInfo& u : users)
        position += static_cast<std::size_t>(
            IPSConvUserToByte(bytes.data() + position, &u, bytes.size() - position));
    return bytes;
}

// The names in a table value, read until the first empty name or the end.
inline std::vector<std::string> userNames(const std::uint8_t* bytes, std::size_t length) {
    std::vector<std::string> names;
    std::size_t position = 0;
    for (;;) {
        UserInfo u{};
        const int n = IPSConvByteToUser(&u, bytes + position, length - position);
        if (n == 0 || u.name[0] == '\0')
            return names;
        names.emplace_back(u.name);
        position += static_cast<std::size_t>(n);
    }
}

} // namespace tolvaro::test
