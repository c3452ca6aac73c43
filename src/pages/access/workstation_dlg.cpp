#include "pages/access/workstation_dlg.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "device/device_record.h"
#include "pages/octet_edits.h"
#include "res/ids/workstation_ids.h"
#include "res/list_contents.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace ids = res::workstation;

namespace {

namespace text {
inline constexpr const char* kFillName = "Please fill Workstation name.";
inline constexpr const char* kNameInUse =
    "Name error.\nThis name is already in use.\nYou must use a different name.";
inline constexpr const char* kHardwareInUse =
    "Hardware address error.\nThis address is already in use.\nYou must use a different address.";
inline constexpr const char* kFillHardware = "Please fill each blank in H/W address field.";
inline constexpr const char* kHardwareNotHex = "Each H/W addree field should be hexdecimal value.";
inline constexpr const char* kFillAddress = "Each IP address field should not be empty";
inline constexpr const char* kAddressRange =
    "IP Address error.\nFor an IP Address, each field must have a value between 0 and 255.";
inline constexpr const char* kOutsideDhcp = "IP Address error\n.The reserved IP address must be "
                                            "within the range\n allocated by the DHCP Server.";
inline constexpr const char* kEveryone = "Everyone";
inline constexpr const char* kYes = "Yes";
inline constexpr const char* kNo = "No";
} // namespace text

// A character's worth in a hardware-address field; anything but a
// hexadecimal digit counts 0.
unsigned hexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<unsigned>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<unsigned>(c - 'a' + 10);
    return 0;
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Only the first two characters count: a field holds one byte.
std::string_view hardwareField(std::string_view text) {
    return text.substr(0, ids::kHardwareByteLimit);
}

std::uint8_t hardwareByte(std::string_view field) {
    unsigned value = 0;
    for (const char c : hardwareField(field))
        value = value * 16 + hexDigitValue(c);
    return static_cast<std::uint8_t>(value);
}

std::string hexByte(std::uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "%02hX", static_cast<unsigned short>(byte));
    return text;
}

std::uint32_t addressValue(const device::Octets& o) {
    return std::uint32_t{o[0]} << 24 | std::uint32_t{o[1]} << 16 | std::uint32_t{o[2]} << 8 |
           std::uint32_t{o[3]};
}

} // namespace

CWorkstationNode::CWorkstationNode(const WkInfo& source) {
    std::memcpy(&record, &source, sizeof record);
    refreshTexts();
}

void CWorkstationNode::refreshTexts() {
    nameText = device::fieldText(record.name);
    groupText = record.group == 0 ? text::kEveryone : std::to_string(record.group);
    hardwareText.clear();
    for (std::size_t i = 0; i < std::size(record.hardware); ++i)
        hardwareText += (i == 0 ? "" : " : ") + hexByte(record.hardware[i]);
    const std::uint8_t* a = record.address;
    ipText = std::to_string(a[0]) + " . " + std::to_string(a[1]) + " . " + std::to_string(a[2]) +
             " . " + std::to_string(a[3]);
    reservedText = record.reserve != 0 ? text::kYes : text::kNo;
}

std::array<std::string, 5> CWorkstationNode::columns() const {
    return {nameText, groupText, hardwareText, ipText, reservedText};
}

CWorkstationDlg::CWorkstationDlg(const WorkstationList& workstations, WkInfo& record, int mode,
                                 int row, const device::Octets& dhcpStart,
                                 const device::Octets& dhcpEnd)
    : ui::Dialog(ids::kTemplate), workstations_(workstations), record_(record), original_(record),
      mode_(mode), row_(mode == kAdd ? kNoRow : row), dhcpStart_(dhcpStart), dhcpEnd_(dhcpEnd) {}

void CWorkstationDlg::onInitDialog() {
    original_ = record_;
    limitText(ids::kName, ids::kNameLimit);
    for (const int id : ids::kHardwareAddress)
        limitText(id, ids::kHardwareByteLimit);
    for (const int id : ids::kReservedIp)
        limitText(id, ids::kOctetLimit);
    ui::ComboRef group = combo(ids::kGroup);
    group.reset();
    for (const auto item : res::lists::kGroups)
        group.add(item);

    if (mode_ == kEdit) {
        setText(ids::kName, device::fieldText(record_.name));
        for (std::size_t i = 0; i < ids::kHardwareAddress.size(); ++i)
            setText(ids::kHardwareAddress[i], hexByte(record_.hardware[i]));
        setOctetEdits(
            *this, ids::kReservedIp,
            {record_.address[0], record_.address[1], record_.address[2], record_.address[3]});
        group.select(record_.group);
        setChecked(ids::kReserve, record_.reserve != 0);
    } else {
        group.select(0);
    }
}

void CWorkstationDlg::copyFieldsToRecord() {
    device::setField(record_.name, text(ids::kName));
    for (std::size_t i = 0; i < ids::kHardwareAddress.size(); ++i)
        record_.hardware[i] = hardwareByte(text(ids::kHardwareAddress[i]));
    // A router may hold a group the list does not offer; with no entry
    // picked the record keeps it rather than taking the no-selection value.
    const int group = combo(ids::kGroup).selection();
    if (group >= 0)
        record_.group = static_cast<std::uint8_t>(group);
    record_.reserve = isChecked(ids::kReserve) ? 1 : 0;
    std::memset(record_.address, 0, sizeof record_.address);
}

const char* CWorkstationDlg::duplicateMessage() const {
    const std::string name = device::fieldText(record_.name);
    int row = 0;
    for (const CWorkstationNode& node : workstations_) {
        if (row++ == row_)
            continue;
        if (device::fieldText(node.record.name) == name)
            return text::kNameInUse;
        if (std::equal(std::begin(node.record.hardware), std::end(node.record.hardware),
                       std::begin(record_.hardware)))
            return text::kHardwareInUse;
    }
    return nullptr;
}

void CWorkstationDlg::onOK() {
    copyFieldsToRecord();
    if (record_.name[0] == '\0') {
        host().messageBox(text::kFillName);
        return;
    }
    // Duplicates come before malformed fields: a stray character counts 0,
    // and the address it gives may already belong to another row.
    if (const char* message = duplicateMessage()) {
        host().messageBox(message);
        return;
    }
    std::array<std::string, 6> hardware;
    for (std::size_t i = 0; i < hardware.size(); ++i)
        hardware[i] = std::string(hardwareField(text(ids::kHardwareAddress[i])));
    if (std::any_of(hardware.begin(), hardware.end(), [](const auto& f) { return f.empty(); })) {
        host().messageBox(text::kFillHardware);
        return;
    }
    if (std::any_of(hardware.begin(), hardware.end(), [](const std::string& f) {
            return !std::all_of(f.begin(), f.end(), isHexDigit);
        })) {
        host().messageBox(text::kHardwareNotHex);
        return;
    }
    if (!isChecked(ids::kReserve)) {
        endDialog(ui::kIdOk);
        return;
    }

    const OctetEdits address = readOctetEdits(*this, ids::kReservedIp);
    if (address.anyEmpty()) {
        host().messageBox(text::kFillAddress);
        return;
    }
    if (address.anyAbove(255)) {
        host().messageBox(text::kAddressRange);
        return;
    }
    const std::uint32_t value = address.value();
    if (value < addressValue(dhcpStart_) || value > addressValue(dhcpEnd_)) {
        host().messageBox(text::kOutsideDhcp);
        return;
    }
    const device::Octets octets = address.octets();
    std::copy(octets.begin(), octets.end(), record_.address);
    endDialog(ui::kIdOk);
}

void CWorkstationDlg::onCancel() {
    if (mode_ == kAdd) {
        record_.group = kCancelledGroup;
    } else {
        // A refused OK has already copied its values; giving up must not
        // leave an empty or duplicate name in the list.
        record_ = original_;
    }
    endDialog(ui::kIdCancel);
}

} // namespace tolvaro::pages
