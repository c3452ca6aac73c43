// User records and the table values the router holds them in.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include <ipslan/records.h>

namespace tolvaro::test {

inline UserInfo makeUser(const std::string& name, std::uint8_t flags = 0x02,
                         std::uint16_t limit = 0, const std::string& callback = {}) {
    UserInfo u{};
    name.copy(u.name, sizeof u.name - 1); // the record is zeroed: the rest stays NUL
    u.flags = flags;
    u.timeLimit = limit;
    callback.copy(u.callback, sizeof u.callback - 1);
    return u;
}

inline std::vector<std::uint8_t> userBytes(const std::vector<UserInfo>& users) {
    std::vector<std::uint8_t> bytes(users.size() * ipslan::kUserBytes);
    for (std::size_t i = 0; i < users.size(); ++i)
        IPSConvUserToByte(bytes.data() + i * ipslan::kUserBytes, &users[i], ipslan::kUserBytes);
    return bytes;
}

// The records of a table value up to the first empty name.
inline std::vector<UserInfo> usersIn(const std::uint8_t* bytes, std::size_t length) {
    std::vector<UserInfo> users;
    for (std::size_t at = 0;; at += ipslan::kUserBytes) {
        UserInfo u{};
        if (at >= length || IPSConvByteToUser(&u, bytes + at, length - at) == 0 || !u.name[0])
            return users;
        users.push_back(u);
    }
}

} // namespace tolvaro::test
