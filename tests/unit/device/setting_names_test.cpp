#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>

#include <ipslan/records.h>

#include "device/catalogue.h"
#include "device/config_store.h"
#include "device/setting_names.h"

namespace tolvaro::device {
namespace {

_snmp_packet textEntry(std::string_view text) {
    _snmp_packet entry{};
    entry.type = 4;
    setEntryText(entry, text);
    return entry;
}

_snmp_packet bytesEntry(const std::uint8_t* bytes, std::size_t size) {
    _snmp_packet entry{};
    entry.type = 4;
    std::memcpy(entry.value, bytes, size);
    setEntryLength(entry, size);
    return entry;
}

// A slot without a name would show up in a diff as an anonymous variable.
TEST(SettingNames, EveryCatalogueSlotAndModeOneVariableIsNamed) {
    for (const Family family : {Family::One, Family::Two}) {
        for (int slot = 0; slot < slotCount(family); ++slot) {
            const int variable = variableAt(family, slot);
            EXPECT_NE(settingName(variable, 0), nullptr)
                << "family " << static_cast<int>(family) << " slot " << slot;
        }
    }
    for (const int variable : kMode1Block)
        EXPECT_NE(settingName(variable, 1), nullptr) << std::hex << variable;
    EXPECT_NE(settingName(kIdleSecondsVariable, 0), nullptr);
}

// Two settings under one key or one name would be told apart by nobody.
TEST(SettingNames, KeysAndNamesAreUniqueExceptAcrossTheVariablesOfOneTable) {
    std::set<std::pair<std::string_view, int>> seen;
    std::set<std::pair<std::string_view, int>> seenNames;
    for (const SettingName& s : allSettingNames()) {
        EXPECT_FALSE(s.name.empty()) << s.key;
        EXPECT_TRUE(seen.insert({s.key, s.firstRecord}).second) << s.key;
        EXPECT_TRUE(seenNames.insert({s.name, s.firstRecord}).second) << s.name;
        if (s.shown == Shown::Table) {
            EXPECT_FALSE(recordFields(s.table).empty()) << s.key;
            for (const RecordField& f : recordFields(s.table))
                EXPECT_FALSE(f.key.empty() || f.label.empty()) << s.key;
        }
    }
}

// Names are made of the windows' captions by one rule, and keep the texts
// users already have in scripts and snapshot lists.
TEST(SettingNames, CaptionsReadAsTheNamesUsersHave) {
    const std::pair<std::string_view, std::string_view> rule[] = {
        {"SPID ( 1st B Channel )", "SPID (1st B Channel)"},
        {"End   IP Address", "End IP Address"},
        {"Telephone 2 ", "Telephone 2"},
        {"Firmware Version:", "Firmware Version"},
        {"Login Using : Name", "Login Using : Name"},
        {"Disable Internet Access && Dial-in", "Disable Internet Access & Dial-in"},
        {"&Help", "Help"},
    };
    for (const auto& [caption, name] : rule)
        EXPECT_EQ(captionAsName(caption), name) << caption;

    const std::pair<std::string_view, std::string_view> names[] = {
        {"quick_setup.spid_2", "Quick Setup / SPID (2nd B Channel)"},
        {"quick_setup.idle_timeout", "Quick Setup / Idle Time-out (minutes)"},
        {"lan.dhcp_end", "LAN / End IP Address"},
        {"lan_to_lan.enabled", "LAN-to-LAN / Enable LAN to LAN"},
        {"lan_to_lan.login_name", "LAN-to-LAN / Act as a Receiver / Login Name"},
        {"lan_to_lan.remote_login_name", "LAN-to-LAN / Login Using : Name"},
        {"access_control.group_everyone", "Access Control / Group Everyone"},
        {"access_control.udp_port", "Access Control / Filter Port (UDP)"},
        {"access_control.port_value_16", "Access Control / Filter Port 16 Port Number"},
        {"incoming.dial_out", "Incoming profile / dial-out flag"},
    };
    for (const auto& [key, name] : names) {
        const auto all = allSettingNames();
        const auto it = std::find_if(all.begin(), all.end(),
                                     [&](const SettingName& s) { return s.key == key; });
        ASSERT_NE(it, all.end()) << key;
        EXPECT_EQ(it->name, name);
    }
    const auto special = recordFields(TableKind::SpecialApps);
    ASSERT_EQ(special.size(), 8u);
    EXPECT_EQ(special[4].label, "Outgoing Data Range: End");
    EXPECT_EQ(recordFields(TableKind::VirtualServers)[5].label, "Internal Port");
}

// Every field of a table record must come out of the decoder, or the named
// difference would silently fall back to raw bytes.
TEST(SettingNames, EveryRecordFieldOfANonEmptyRecordIsDescribed) {
    for (const SettingName& s : allSettingNames()) {
        if (s.shown != Shown::Table || s.firstRecord != 0 || s.table == TableKind::Opaque)
            continue;
        std::uint8_t bytes[kEntryValueSize] = {};
        // A record whose texts are "a" and whose other bytes are 1.
        std::memset(bytes, 1, sizeof bytes);
        for (std::size_t i = 0; i < sizeof bytes; ++i)
            if (i % 2 == 1)
                bytes[i] = 0;
        const auto described = describeEntry(s, bytesEntry(bytes, 1500));
        std::set<std::string> keys;
        for (const NamedValue& v : described)
            keys.insert(v.key);
        for (const RecordField& f : recordFields(s.table)) {
            const bool found = std::any_of(keys.begin(), keys.end(), [&](const std::string& k) {
                return k.ends_with("." + std::string(f.key)) && !k.ends_with(".bytes");
            });
            EXPECT_TRUE(found) << s.key << " field " << f.key;
        }
    }
}

TEST(SettingNames, SecretsAreNeverShownInClear) {
    const SettingName& account = *settingName(0x4003, 0);
    EXPECT_EQ(describeEntry(account, textEntry("hunter2"))[0].value, "(set)");
    const auto diff = diffEntries(account, textEntry("hunter2"), textEntry("swordfish"));
    ASSERT_EQ(diff.size(), 1u);
    EXPECT_EQ(diff[0].before, "(set)");
    EXPECT_EQ(diff[0].after, "(set, differs)");
    const auto cleared = diffEntries(account, textEntry("hunter2"), textEntry(""));
    ASSERT_EQ(cleared.size(), 1u);
    EXPECT_EQ(cleared[0].before, "(set)");
    EXPECT_EQ(cleared[0].after, "(empty)");
    EXPECT_TRUE(diffEntries(account, textEntry("same"), textEntry("same")).empty());

    UserInfo user{};
    std::strcpy(user.name, "ann");
    std::strcpy(user.password, "pw1");
    std::uint8_t was[235] = {}, now[235] = {};
    IPSConvUserToByte(was, &user, ipslan::kUserBytes);
    std::strcpy(user.password, "pw2");
    IPSConvUserToByte(now, &user, ipslan::kUserBytes);
    const SettingName& users = *settingName(0x3201, 0);
    const auto userDiff = diffEntries(users, bytesEntry(was, 235), bytesEntry(now, 235));
    ASSERT_EQ(userDiff.size(), 1u);
    EXPECT_EQ(userDiff[0].key, "dialin.user[1].password");
    EXPECT_EQ(userDiff[0].after, "(set, differs)");
    for (const NamedValue& v : describeEntry(users, bytesEntry(now, 235)))
        EXPECT_EQ(v.value.find("pw2"), std::string::npos) << v.key;
}

struct ScalarRow {
    const char* name;
    int variable;
    int mode;
    const char* before;
    const char* after;
    const char* shownBefore;
    const char* shownAfter;
    std::uint8_t afterType = kTypeOctetString;
};

class ScalarDiffs : public testing::TestWithParam<ScalarRow> {};

TEST_P(ScalarDiffs, DecodeBothSides) {
    const ScalarRow& row = GetParam();
    _snmp_packet after = textEntry(row.after);
    after.type = row.afterType;
    const auto diff =
        diffEntries(*settingName(row.variable, row.mode), textEntry(row.before), after);
    ASSERT_EQ(diff.size(), 1u);
    EXPECT_EQ(diff[0].before, row.shownBefore);
    EXPECT_EQ(diff[0].after, row.shownAfter);
}

INSTANTIATE_TEST_SUITE_P(
    SettingNames, ScalarDiffs,
    testing::Values(ScalarRow{"Text", 0x4002, 0, "old", "new", "\"old\"", "\"new\""},
                    ScalarRow{"Switch", 0x3004, 0, "0", "1", "off", "on"},
                    ScalarRow{"OffSwitchSaysWhatItTurnsOff", 0x4027, 0, "0", "1", "on", "off"},
                    ScalarRow{"TcpAgainstUdpPort", 0x3701, 0, "80", "3473408", "TCP 80", "UDP 53"},
                    ScalarRow{"ModeOneIdleTime", 0x4018, 1, "5", "10", "5", "10"},
                    // Same digits, sent as an integer: the router sees a change.
                    ScalarRow{"TypeAlone", 0x3801, 0, "5", "5", "octet string", "integer",
                              kTypeInteger}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingNames, EqualEntriesHaveNoDifferenceAndARouteChangeNamesRowAndField) {
    S_ROUTE route{};
    std::strcpy(route.name, "office");
    route.gateway[0] = 10;
    std::uint8_t was[240] = {}, now[240] = {};
    IPSConvRouteToByte(was + 24, &route, 24);
    route.metric = 3;
    IPSConvRouteToByte(now + 24, &route, 24);
    const SettingName& routes = *settingName(0x3602, 0);
    EXPECT_TRUE(diffEntries(routes, bytesEntry(was, 240), bytesEntry(was, 240)).empty());
    const auto diff = diffEntries(routes, bytesEntry(was, 240), bytesEntry(now, 240));
    ASSERT_EQ(diff.size(), 1u);
    EXPECT_EQ(diff[0].key, "lan.route[12].metric");
    EXPECT_EQ(diff[0].name, "LAN / Static Routing Table / Row 12 / Metric");
    EXPECT_EQ(diff[0].before, "0");
    EXPECT_EQ(diff[0].after, "3");
}

} // namespace
} // namespace tolvaro::device
