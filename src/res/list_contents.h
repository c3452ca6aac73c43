// Fixed contents of the drop-down lists, in the order the lists show them.
// The stored value of each list is the zero-based position of its entry, so
// the order here is part of the router's data and must not be sorted.
#pragma once

#include <array>
#include <string_view>

namespace tolvaro::res::lists {

// Quick Setup "Country": the ISDN switch type by country.
inline constexpr std::array<std::string_view, 28> kCountries{
    "Australia",
    "Belgium",
    "China",
    "Colombia",
    "Denmark",
    "Netherlands",
    "Euro ISDN",
    "Finland",
    "France",
    "Germany",
    "Israel",
    "Italy",
    "Japan",
    "Korea",
    "Korea-CountrySide",
    "Singapore",
    "Slovenia",
    "South Africa",
    "Spain",
    "Sweden",
    "Switzerland",
    "Taiwan",
    "U.K",
    "USA (AT&T Multi-P)",
    "USA (AT&T P-T-P)",
    "USA (NI-1)",
    "USA (NI-2)",
    "USA (NTI/DMS)",
};
// Entries after this position are the North American switch types, the only
// ones that need SPIDs.
inline constexpr int kLastCountryWithoutSpid = 22;

// ISDN "Line Speed".
inline constexpr std::array<std::string_view, 2> kLineSpeeds{"64 Kbps", "56 Kbps"};

// Routing entry "Interface": 0 = LAN, 1 = WAN.
inline constexpr std::array<std::string_view, 2> kInterfaces{"LAN", "WAN"};

// Protocol of a virtual server, a special application range and a filter
// port: 0 = UDP, 1 = TCP.
inline constexpr std::array<std::string_view, 2> kProtocols{"UDP", "TCP"};

// Workstation groups of the Access Control page and the WorkStation dialog;
// the position is the group number.
inline constexpr std::array<std::string_view, 5> kGroups{"Everyone", "Group1", "Group2", "Group3",
                                                         "Group4"};

} // namespace tolvaro::res::lists
