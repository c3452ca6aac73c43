// The templates of the settings pages, their editor dialogs and the Remote
// Management dialog: identity, the controls the page logic addresses, and
// the layout rules these templates keep (nothing outside its frame, nothing
// overlapping, radio groups that start and end where they should). Unique
// ids and controls inside the window are checked for every template by the
// windowing layer's own tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "res/layout.h"
#include "res/list_contents.h"
#include "ui/template.h"

namespace tolvaro::res {
namespace {

using ui::ControlKind;
using ui::ControlSpec;
using ui::Template;

struct TemplateRow {
    const char* name;
    int number;
    const char* caption;
    int width;
    int height;
    bool page;
};

const TemplateRow kTemplates[] = {
    {"QuickSetup", 149, "Quick Setup", 300, 225, true},
    {"Isdn", 157, "ISDN", 300, 225, true},
    {"LanToLan", 159, "LAN-to-LAN", 300, 225, true},
    {"Option", 160, "Option", 300, 225, true},
    {"Status", 158, "Status", 300, 225, true},
    {"Lan", 152, "LAN", 300, 225, true},
    {"InternetApplication", 156, "Internet Application", 300, 225, true},
    {"DialIn", 142, "Dial-in", 300, 225, true},
    {"AccessControl", 151, "Access Control", 300, 225, true},
    {"RoutingEntry", 163, "Routing Entry", 150, 124, false},
    {"DhcpLeaseStatus", 155, "DHCP Lease Status", 240, 160, false},
    {"VirtualServer", 164, "Virtual Server Setup", 201, 111, false},
    {"SpecialApplication", 166, "Special Application Setup", 230, 149, false},
    {"User", 161, "User", 210, 139, false},
    {"GroupSetup", 154, "Group Setup", 230, 187, false},
    {"FilterPort", 168, "Filter Port", 167, 58, false},
    {"WorkStation", 162, "WorkStation", 230, 105, false},
    {"RemoteManagement", 180, "Remote Management", 182, 136, false},
};

std::string rowName(const testing::TestParamInfo<TemplateRow>& info) {
    return info.param.name;
}

void PrintTo(const TemplateRow& row, std::ostream* os) {
    *os << row.name;
}

// What a control covers while the window is at rest: a drop-down list's
// rectangle includes its opened list, of which only the field shows.
ui::Rect restingRect(const ControlSpec& c) {
    ui::Rect r = c.rect;
    if (c.kind == ControlKind::ComboList || c.kind == ControlKind::ComboEdit) {
        r.h = std::min(r.h, layout::kEditHeight);
    }
    return r;
}

bool overlaps(const ui::Rect& a, const ui::Rect& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

bool contains(const ui::Rect& outer, const ui::Rect& inner) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

std::string describe(const ControlSpec& c) {
    return std::to_string(c.id) + " \"" + c.text + "\"";
}

class TemplateShape : public testing::TestWithParam<TemplateRow> {
protected:
    const Template& tmpl() {
        const Template* t = ui::findTemplate(GetParam().number);
        if (t == nullptr) {
            ADD_FAILURE() << "template " << GetParam().number << " is not registered";
            static const Template empty;
            return empty;
        }
        return *t;
    }
};

TEST_P(TemplateShape, IsRegisteredWithCaptionSizeAndStyle) {
    const TemplateRow& row = GetParam();
    const Template& t = tmpl();
    EXPECT_EQ(t.caption, row.caption);
    EXPECT_EQ(t.width, row.width);
    EXPECT_EQ(t.height, row.height);
    if (row.page) {
        EXPECT_TRUE(t.style & ui::kChild);
    } else {
        EXPECT_FALSE(t.style & ui::kChild);
        EXPECT_TRUE(t.style & ui::kSystemMenu);
    }
}

TEST_P(TemplateShape, ShownControlsDoNotOverlap) {
    const Template& t = tmpl();
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const ControlSpec& a = t.controls[i];
        if (a.kind == ControlKind::GroupBox || (a.flags & ui::kHidden)) {
            continue;
        }
        for (std::size_t j = i + 1; j < t.controls.size(); ++j) {
            const ControlSpec& b = t.controls[j];
            if (b.kind == ControlKind::GroupBox || (b.flags & ui::kHidden)) {
                continue;
            }
            EXPECT_FALSE(overlaps(restingRect(a), restingRect(b)))
                << describe(a) << " overlaps " << describe(b);
        }
    }
}

// A control whose corner lies inside a frame must not stick out of it, and
// frames do not cut through each other.
TEST_P(TemplateShape, ControlsStayInsideTheirGroupBox) {
    const Template& t = tmpl();
    for (const ControlSpec& g : t.controls) {
        if (g.kind != ControlKind::GroupBox) {
            continue;
        }
        for (const ControlSpec& c : t.controls) {
            if (&c == &g || (c.flags & ui::kHidden)) {
                continue;
            }
            const ui::Rect r = restingRect(c);
            const ui::Rect corner{r.x, r.y, 1, 1};
            if (overlaps(g.rect, corner)) {
                EXPECT_TRUE(contains(g.rect, r)) << describe(c) << " leaves \"" << g.text << "\"";
            }
        }
    }
}

// Radio buttons are exclusive from a group start to the next one: the first
// button of a run starts its group, the others do not, and the control after
// the run starts a new group so that the run ends there.
TEST_P(TemplateShape, RadioGroupsStartAndEndWithTheirButtons) {
    const Template& t = tmpl();
    const auto& cs = t.controls;
    for (std::size_t i = 0; i < cs.size(); ++i) {
        if (cs[i].kind != ControlKind::RadioButton) {
            continue;
        }
        const bool firstOfRun = i == 0 || cs[i - 1].kind != ControlKind::RadioButton;
        EXPECT_EQ(static_cast<bool>(cs[i].flags & ui::kGroupStart), firstOfRun) << describe(cs[i]);
        const bool lastOfRun = i + 1 == cs.size() || cs[i + 1].kind != ControlKind::RadioButton;
        if (lastOfRun && i + 1 < cs.size()) {
            EXPECT_TRUE(cs[i + 1].flags & ui::kGroupStart) << describe(cs[i + 1]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Templates, TemplateShape, testing::ValuesIn(kTemplates), rowName);

// Controls the page logic addresses. Ids are the numbers the router's pages
// have always used; a row with kNoId finds a frame or label by its text.
struct ControlRow {
    const char* name;
    int number;
    int id;
    ControlKind kind;
    const char* text; // nullptr: not checked
    unsigned flags;   // all of these must be set
    unsigned absent;  // none of these may be set
};

constexpr unsigned kPw = ui::kPassword;
constexpr unsigned kLower = ui::kLowerCase;
constexpr unsigned kDigits = ui::kDigitsOnly;
constexpr unsigned kHiddenOff = ui::kHidden | ui::kDisabled;

const ControlRow kControls[] = {
    // Quick Setup
    {"QsEnableInternet", 149, 1045, ControlKind::CheckBox,
     "Enable Internet Access / Disable Lan to Lan", 0, 0},
    {"QsAccountPasswordMasked", 149, 1047, ControlKind::Edit, nullptr, kPw, 0},
    {"QsVerifyMasked", 149, 1009, ControlKind::Edit, nullptr, kPw, 0},
    {"QsDynamicStartsGroup", 149, 1044, ControlKind::RadioButton, "Dynamic", ui::kGroupStart, 0},
    {"QsFixedOctetDigits", 149, 1145, ControlKind::Edit, nullptr, kDigits, 0},
    {"QsDnsOctetDigits", 149, 1199, ControlKind::Edit, nullptr, kDigits, 0},
    {"QsIdleDigits", 149, 1132, ControlKind::Edit, nullptr, kDigits, 0},
    {"QsIdleUnit", 149, 1203, ControlKind::Static, "minutes  (0 = Unlimited)", 0, 0},
    {"QsTelephone2Label", 149, ui::kNoId, ControlKind::Static, "Telephone 2 ", 0, 0},
    {"QsCountry", 149, 1053, ControlKind::ComboList, nullptr, 0, ui::kSorted},
    {"QsSpidNote", 149, 1119, ControlKind::Static, "For USA, The following data is required:", 0,
     0},
    {"QsSpid2Label", 149, 1121, ControlKind::Static, "SPID ( 2nd B Channel)", 0, 0},
    {"QsDeviceIp", 149, 1017, ControlKind::Static, nullptr, 0, 0},
    // ISDN
    {"IsdnOneChannelStartsGroup", 157, 1113, ControlKind::RadioButton, "Always use 1 B channel",
     ui::kGroupStart, 0},
    {"IsdnOutgoingMsnDigits", 157, 1004, ControlKind::Edit, nullptr, kDigits, 0},
    {"IsdnIncomingSadAnyText", 157, 1003, ControlKind::Edit, nullptr, 0, kDigits},
    {"IsdnNote", 157, ui::kNoId, ControlKind::Static,
     "Only change if advised to do so by Telephone company.", 0, 0},
    // LAN-to-LAN
    {"L2lSwitchShowsOneAmpersand", 159, 1070, ControlKind::CheckBox,
     "Enable LAN to LAN / Disable Internet Access && Dial-in", 0, 0},
    {"L2lRemoteIpDigits", 159, 1187, ControlKind::Edit, nullptr, kDigits, 0},
    {"L2lRemoteMaskAnyText", 159, 1194, ControlKind::Edit, nullptr, 0, kDigits},
    {"L2lChapHiddenDisabled", 159, 1122, ControlKind::RadioButton, "CHAP", kHiddenOff, 0},
    {"L2lPasswordMasked", 159, 1072, ControlKind::Edit, nullptr, kPw, 0},
    {"L2lLoginNamePlain", 159, 1071, ControlKind::Edit, nullptr, 0, kPw},
    {"L2lTimeoutUnit", 159, 1206, ControlKind::Static, "Seconds( 0 =Unlimited)", 0, 0},
    // Option
    {"OptPasswordMasked", 160, 1055, ControlKind::Edit, nullptr, kPw, 0},
    {"OptRemoteManagementFrame", 160, 1214, ControlKind::GroupBox, "Remote Management", 0, 0},
    {"OptIcmpFrame", 160, 1215, ControlKind::GroupBox, "ICMP", 0, 0},
    {"OptRemoteManagement", 160, 1216, ControlKind::CheckBox,
     "Enable Remote Management (manage from Internet)", 0, 0},
    {"OptUtilityPortLabel", 160, 1220, ControlKind::Static, "Port Number (Windows utility)", 0, 0},
    // Status
    {"StatusFirmwarePlaceholder", 158, 1078, ControlKind::Static, "123456789", 0, 0},
    {"StatusLineText", 158, 1133, ControlKind::Edit, nullptr, ui::kMultiLine | ui::kReadOnly,
     ui::kVScroll},
    {"StatusLog", 158, 1130, ControlKind::Edit, nullptr,
     ui::kMultiLine | ui::kReadOnly | ui::kVScroll, 0},
    {"StatusDialUp", 158, 1023, ControlKind::Button, "Dial up", 0, 0},
    // LAN
    {"LanDhcpEnable", 152, 1057, ControlKind::CheckBox, "Enable", 0, 0},
    {"LanPoolOctetsTakeAnyText", 152, 1146, ControlKind::Edit, nullptr, 0, kDigits},
    {"LanEndLabel", 152, ui::kNoId, ControlKind::Static, "End   IP Address", 0, 0},
    {"LanRip", 152, 1213, ControlKind::CheckBox, "RIP 1 (Routing Information Protocol 1) ", 0, 0},
    {"LanAllocated", 152, 1060, ControlKind::Button, "Allocated", 0, 0},
    // Internet Application
    {"IaSpecialKeepsSelection", 156, 1025, ControlKind::ListView, nullptr, ui::kAlwaysShowSel, 0},
    {"IaEditServer", 156, 1019, ControlKind::Button, "Edit", 0, 0},
    {"IaExposedEnable", 156, 1001, ControlKind::CheckBox, "Enable", 0, 0},
    {"IaExposedOctet", 156, 1182, ControlKind::Edit, nullptr, kDigits, 0},
    // Dial-in
    {"DialInEnable", 142, 1064, ControlKind::CheckBox, "Enable Dial-in Access", 0, 0},
    {"DialInIdleDigits", 142, 1068, ControlKind::Edit, nullptr, kDigits, 0},
    {"DialInDisableStartsGroup", 142, 1065, ControlKind::RadioButton, "Disable", ui::kGroupStart,
     0},
    {"DialInChapHiddenDisabled", 142, 1117, ControlKind::RadioButton, "CHAP", kHiddenOff, 0},
    // Access Control
    {"AccessGroups", 151, 1017, ControlKind::ComboList, nullptr, 0, ui::kSorted},
    {"AccessSetup", 151, 1081, ControlKind::Button, "Setup", 0, 0},
    {"AccessListKeepsSelection", 151, 1082, ControlKind::ListView, nullptr, ui::kAlwaysShowSel, 0},
    // Routing Entry
    {"RouteNameLowerCase", 163, 1166, ControlKind::Edit, nullptr, kLower, 0},
    {"RouteGatewayDigits", 163, 1178, ControlKind::Edit, nullptr, kDigits, 0},
    {"RouteMetricDigits", 163, 1098, ControlKind::Edit, nullptr, kDigits, 0},
    {"RouteOkDefault", 163, 1, ControlKind::Button, "OK", ui::kDefault, 0},
    // DHCP Lease Status
    {"LeaseCloseIsOk", 155, 1, ControlKind::Button, "Close", ui::kDefault, ui::kHidden},
    {"LeaseCancelHidden", 155, 2, ControlKind::Button, "Cancel", ui::kHidden, 0},
    // Virtual Server Setup
    {"VsNameLowerCase", 164, 1002, ControlKind::Edit, nullptr, kLower, 0},
    {"VsExternalDigits", 164, 1003, ControlKind::Edit, nullptr, kDigits, 0},
    {"VsInternalDigits", 164, 1004, ControlKind::Edit, nullptr, kDigits, 0},
    {"VsUnusedAddressHidden", 164, 1008, ControlKind::IpAddress, nullptr, kHiddenOff, 0},
    // Special Application Setup
    {"SaNameLowerCase", 166, 1002, ControlKind::Edit, nullptr, kLower, 0},
    {"SaIncomingEnd", 166, 1006, ControlKind::Edit, nullptr, kDigits, 0},
    {"SaHelp", 166, ui::kIdHelp, ControlKind::Button, "&Help", 0, 0},
    // User
    {"UserNameLowerCase", 161, 1102, ControlKind::Edit, nullptr, kLower, 0},
    {"UserPasswordShown", 161, 1103, ControlKind::Edit, nullptr, 0, kPw},
    {"UserTimeLimitDigits", 161, 1107, ControlKind::Edit, nullptr, kDigits, 0},
    {"UserDisableStartsGroup", 161, 1105, ControlKind::RadioButton, "Disable", ui::kGroupStart, 0},
    {"UserCallBackNumber", 161, 1091, ControlKind::Edit, nullptr, 0, kDigits},
    // Group Setup
    {"GroupNoRestrictionStartsGroup", 154, 1006, ControlKind::RadioButton, "No Restriction",
     ui::kGroupStart, 0},
    {"GroupUseList", 154, 1027, ControlKind::RadioButton, "Use List Below", 0, 0},
    {"GroupHeading", 154, ui::kNoId, ControlKind::Static, "Internet Access Control", 0, 0},
    // Filter Port
    {"FilterNameLowerCase", 168, 1002, ControlKind::Edit, nullptr, kLower, 0},
    {"FilterPortDigits", 168, 1003, ControlKind::Edit, nullptr, kDigits, 0},
    // WorkStation
    {"WsNameLowerCase", 162, 1097, ControlKind::Edit, nullptr, kLower, 0},
    {"WsHardwareByteTakesLetters", 162, 1006, ControlKind::Edit, nullptr, 0, kDigits},
    {"WsReserve", 162, 1095, ControlKind::CheckBox, "Reserve IP Address for This Workstation", 0,
     0},
    {"WsReservedOctetDigits", 162, 1198, ControlKind::Edit, nullptr, kDigits, 0},
    // Remote Management
    {"RemoteAddressEditable", 180, 1224, ControlKind::ComboEdit, nullptr, ui::kVScroll,
     ui::kSorted},
    {"RemotePasswordShown", 180, 1226, ControlKind::Edit, nullptr, ui::kAutoHScroll, kPw},
    {"RemoteConnectDefault", 180, 1, ControlKind::Button, "Connect", ui::kDefault, 0},
    {"RemoteHelp", 180, ui::kIdHelp, ControlKind::Button, "Help", 0, 0},
};

void PrintTo(const ControlRow& row, std::ostream* os) {
    *os << row.name;
}

const ControlSpec* findControl(const Template& t, const ControlRow& row) {
    if (row.id != ui::kNoId) {
        return t.find(row.id);
    }
    for (const ControlSpec& c : t.controls) {
        if (c.kind == row.kind && c.text == row.text) {
            return &c;
        }
    }
    return nullptr;
}

class KeyControl : public testing::TestWithParam<ControlRow> {};

TEST_P(KeyControl, IsPresentWithItsKindTextAndFlags) {
    const ControlRow& row = GetParam();
    const Template* t = ui::findTemplate(row.number);
    ASSERT_NE(t, nullptr);
    const ControlSpec* c = findControl(*t, row);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->kind, row.kind);
    if (row.text != nullptr) {
        EXPECT_EQ(c->text, row.text);
    }
    EXPECT_EQ(c->flags & row.flags, row.flags);
    EXPECT_EQ(c->flags & row.absent, 0u);
}

INSTANTIATE_TEST_SUITE_P(Templates, KeyControl, testing::ValuesIn(kControls),
                         [](const testing::TestParamInfo<ControlRow>& info) {
                             return std::string(info.param.name);
                         });

// Address fields: the page logic walks these ids in order, so each must be
// an edit, and they must run left to right.
struct FieldRowCase {
    const char* name;
    int number;
    std::vector<int> ids;
};

const FieldRowCase kFieldRows[] = {
    {"QsFixedIp", 149, {1142, 1143, 1144, 1145}},
    {"QsDns", 149, {1199, 1200, 1201, 1202}},
    {"L2lRemoteIp", 159, {1187, 1188, 1189, 1190}},
    {"L2lRemoteMask", 159, {1191, 1192, 1193, 1194}},
    {"LanDhcpStart", 152, {1146, 1147, 1148, 1149}},
    {"LanDhcpEnd", 152, {1150, 1151, 1152, 1153}},
    {"LanDns1", 152, {1154, 1155, 1156, 1157}},
    {"LanDns2", 152, {1158, 1159, 1160, 1161}},
    {"IaExposed", 156, {1179, 1180, 1181, 1182}},
    {"RouteDestination", 163, {1167, 1168, 1169, 1170}},
    {"RouteMask", 163, {1171, 1172, 1173, 1174}},
    {"RouteGateway", 163, {1175, 1176, 1177, 1178}},
    {"VsServerIp", 164, {1183, 1184, 1185, 1186}},
    {"WsHardwareAddress", 162, {1108, 1109, 1110, 1111, 1006, 1007}},
    {"WsReservedIp", 162, {1195, 1196, 1197, 1198}},
};

void PrintTo(const FieldRowCase& row, std::ostream* os) {
    *os << row.name;
}

class FieldRow : public testing::TestWithParam<FieldRowCase> {};

TEST_P(FieldRow, EditsRunLeftToRightOnOneLine) {
    const FieldRowCase& row = GetParam();
    const Template* t = ui::findTemplate(row.number);
    ASSERT_NE(t, nullptr);
    const ControlSpec* previous = nullptr;
    for (int id : row.ids) {
        const ControlSpec* c = t->find(id);
        ASSERT_NE(c, nullptr) << id;
        EXPECT_EQ(c->kind, ControlKind::Edit) << id;
        if (previous != nullptr) {
            EXPECT_EQ(c->rect.y, previous->rect.y) << id;
            EXPECT_GT(c->rect.x, previous->rect.x) << id;
        }
        previous = c;
    }
}

INSTANTIATE_TEST_SUITE_P(Templates, FieldRow, testing::ValuesIn(kFieldRows),
                         [](const testing::TestParamInfo<FieldRowCase>& info) {
                             return std::string(info.param.name);
                         });

// 1.6 gives exact positions for the Remote Management dialog.
TEST(RemoteManagementTemplate, KeepsTheGivenPositions) {
    struct Row {
        int id;
        ui::Rect rect;
    };
    const Row rows[] = {
        {1224, {91, 18, 75, 65}},          {1225, {91, 35, 48, 62}},
        {1226, {91, 52, 75, 14}},          {1227, {18, 90, 127, 8}},
        {ui::kIdOk, {24, 115, 40, 14}},    {ui::kIdCancel, {71, 115, 40, 14}},
        {ui::kIdHelp, {118, 115, 40, 14}},
    };
    const Template* t = ui::findTemplate(180);
    ASSERT_NE(t, nullptr);
    for (const Row& row : rows) {
        const ControlSpec* c = t->find(row.id);
        ASSERT_NE(c, nullptr) << row.id;
        EXPECT_EQ(c->rect.x, row.rect.x) << row.id;
        EXPECT_EQ(c->rect.y, row.rect.y) << row.id;
        EXPECT_EQ(c->rect.w, row.rect.w) << row.id;
        EXPECT_EQ(c->rect.h, row.rect.h) << row.id;
    }
    bool frameFound = false;
    for (const ControlSpec& c : t->controls) {
        if (c.kind == ControlKind::GroupBox && c.text == "Remote Device") {
            frameFound = true;
            EXPECT_EQ(c.rect.x, 7);
            EXPECT_EQ(c.rect.y, 7);
            EXPECT_EQ(c.rect.w, 168);
            EXPECT_EQ(c.rect.h, 63);
        }
    }
    EXPECT_TRUE(frameFound);
}

// The stored value of a list is the position of its entry, so positions are
// what matters here.
struct ListEntryRow {
    const char* name;
    std::string_view actual;
    const char* expected;
};

const ListEntryRow kListEntries[] = {
    {"FirstCountry", lists::kCountries[0], "Australia"},
    {"LastWithoutSpid", lists::kCountries[lists::kLastCountryWithoutSpid], "U.K"},
    {"FirstNorthAmerican", lists::kCountries[lists::kLastCountryWithoutSpid + 1],
     "USA (AT&T Multi-P)"},
    {"LastCountry", lists::kCountries[27], "USA (NTI/DMS)"},
    {"LineSpeed1", lists::kLineSpeeds[1], "56 Kbps"},
    {"ProtocolUdpFirst", lists::kProtocols[0], "UDP"},
    {"GroupEveryone", lists::kGroups[0], "Everyone"},
};

void PrintTo(const ListEntryRow& row, std::ostream* os) {
    *os << row.name;
}

class ListEntry : public testing::TestWithParam<ListEntryRow> {};

TEST_P(ListEntry, SitsAtItsStoredPosition) {
    EXPECT_EQ(GetParam().actual, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Lists, ListEntry, testing::ValuesIn(kListEntries),
                         [](const testing::TestParamInfo<ListEntryRow>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace tolvaro::res
