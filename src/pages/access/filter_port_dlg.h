// The Filter Port dialog: one user-defined port (name, protocol, number) for
// the Group Setup dialog's port list. It refuses a name or a port that the
// list already holds, the well-known ports included.
//
// It writes into three variables of its caller: the name (at most 5
// characters and a NUL), the port value, and the accepted flag (1 after OK,
// 0 after Cancel). After a refused OK the name and port value may already
// hold the rejected input; the caller uses them only when the flag is 1.
#pragma once

#include <cstdint>

#include "pages/access/group_setup_dlg.h"
#include "ui/dialog.h"

namespace tolvaro::pages {

inline constexpr int kFilterPortNameBytes = 6;

class CFilterPortDlg : public ui::Dialog {
public:
    // All four must outlive the dialog's run.
    CFilterPortDlg(const FilterPortList& ports, char (&name)[kFilterPortNameBytes],
                   std::uint32_t& portValue, int& accepted);

protected:
    void onInitDialog() override;
    void onOK() override;
    void onCancel() override;

private:
    const FilterPortList& ports_;
    char (&name_)[kFilterPortNameBytes];
    std::uint32_t& portValue_;
    int& accepted_;
};

} // namespace tolvaro::pages
