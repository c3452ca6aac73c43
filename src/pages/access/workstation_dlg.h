// The WorkStation dialog and the workstation list behind the Access Control
// page.
//
// CWorkstationNode backs one row of the page's workstation list: a copy of
// the workstation's record and the texts of its row. Row i of the list view
// is node i of the page's WorkstationList.
//
// CWorkstationDlg edits one record in place and talks to no router. OK
// copies the fields into the record before it checks them, so a refused OK
// leaves the typed values there. Add mode (0) starts from empty fields; a
// Cancel there sets the record's group to kCancelledGroup, which is how the
// caller tells a cancelled Add from an accepted one. Edit mode (1) fills the
// fields from the record; a Cancel there gives the record back its values
// from when the dialog opened.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <string>

#include <ipslan/records.h>

#include "device/dotted_text.h"
#include "ui/dialog.h"

namespace tolvaro::pages {

inline constexpr int kWorkstationGroups = 5;
// Never stored in the list: marks a cancelled Add.
inline constexpr std::uint8_t kCancelledGroup = 255;

struct CWorkstationNode {
    explicit CWorkstationNode(const WkInfo& source);

    // Recomputes the row's texts from the record.
    void refreshTexts();
    // Name, Group, H/W Address, IP Address, Reserved.
    std::array<std::string, 5> columns() const;

    WkInfo record{};
    std::string nameText;
    std::string groupText;    // "Everyone" for group 0, else the group number
    std::string hardwareText; // "0A : 1B : ..."
    std::string ipText;       // "192 . 168 . 1 . 20"
    std::string reservedText; // "Yes" or "No"
};

using WorkstationList = std::list<CWorkstationNode>;

class CWorkstationDlg : public ui::Dialog {
public:
    enum Mode : int { kAdd = 0, kEdit = 1 };
    // The row index an Add passes: no node has it.
    static constexpr int kNoRow = -1;

    // `workstations` is read for the uniqueness checks; the node at `row` is
    // the one being edited and is skipped. A reserved address must lie within
    // `dhcpStart` to `dhcpEnd` (most significant byte first, both included).
    // Everything passed must outlive the dialog's run.
    CWorkstationDlg(const WorkstationList& workstations, WkInfo& record, int mode, int row,
                    const device::Octets& dhcpStart, const device::Octets& dhcpEnd);

protected:
    void onInitDialog() override;
    void onOK() override;
    void onCancel() override;

private:
    void copyFieldsToRecord();
    // Whether another row than the edited one has the record's name, or its
    // hardware address: the message of the first clash, or nullptr.
    const char* duplicateMessage() const;

    const WorkstationList& workstations_;
    WkInfo& record_;
    WkInfo original_{};
    int mode_;
    int row_;
    const device::Octets& dhcpStart_;
    const device::Octets& dhcpEnd_;
};

} // namespace tolvaro::pages
