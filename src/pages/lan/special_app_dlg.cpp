#include "pages/lan/special_app_dlg.h"

#include <array>
#include <string>

#include "pages/port_range.h"
#include "res/ids/special_app_ids.h"
#include "res/list_contents.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace ids = res::special_app;
namespace text = special_app_text;

namespace {

enum EditFlag : unsigned {
    kIncomingStartChanged = 0x01,
    kIncomingEndChanged = 0x02,
    kOutgoingStartChanged = 0x04,
    kOutgoingEndChanged = 0x08,
    kAllChanged = 0x0f,
    kRewriteByIncomingStart = 0x10,
    kRewriteByIncomingEnd = 0x20,
    kRewriteByOutgoingStart = 0x40,
    kRewriteByOutgoingEnd = 0x80,
};

// What happens when the focus leaves one port edit: a number above the
// highest port only gets a warning; otherwise an end below its start is
// raised to the start, provided the user has touched the other edit of the
// range and the other rule of the range is not already rewriting the end.
struct RangeRule {
    int edit;
    int start;
    int end;
    const char* warning;
    unsigned changed;        // set by the edit's own change notification
    unsigned otherChanged;   // the other edit of the range must have changed
    unsigned otherRewriting; // ... and its rule must not be rewriting the end
    unsigned rewriting;
};

// In the order OK runs them.
constexpr std::array<RangeRule, 4> kRangeRules{{
    {ids::kIncomingStart, ids::kIncomingStart, ids::kIncomingEnd, text::kPortRange,
     kIncomingStartChanged, kIncomingEndChanged, kRewriteByIncomingEnd, kRewriteByIncomingStart},
    {ids::kOutgoingStart, ids::kOutgoingStart, ids::kOutgoingEnd, text::kOutgoingStartRange,
     kOutgoingStartChanged, kOutgoingEndChanged, kRewriteByOutgoingEnd, kRewriteByOutgoingStart},
    {ids::kIncomingEnd, ids::kIncomingStart, ids::kIncomingEnd, text::kPortRange,
     kIncomingEndChanged, kIncomingStartChanged, kRewriteByIncomingStart, kRewriteByIncomingEnd},
    {ids::kOutgoingEnd, ids::kOutgoingStart, ids::kOutgoingEnd, text::kPortRange,
     kOutgoingEndChanged, kOutgoingStartChanged, kRewriteByOutgoingStart, kRewriteByOutgoingEnd},
}};

const RangeRule* ruleOf(int id) {
    for (const RangeRule& rule : kRangeRules)
        if (rule.edit == id)
            return &rule;
    return nullptr;
}

} // namespace

CSpecialAppDlg::CSpecialAppDlg(SP_AP& record, EditMode mode, int* cancelled,
                               const SpecialAppList& apps)
    : ui::Dialog(ids::kTemplate), record_(record), mode_(mode), cancelled_(cancelled), apps_(apps) {
}

void CSpecialAppDlg::onInitDialog() {
    limitText(ids::kName, ids::kNameLimit);
    for (const RangeRule& rule : kRangeRules)
        limitText(rule.edit, ids::kPortLimit);
    for (const int id : {ids::kOutgoingProtocol, ids::kIncomingProtocol}) {
        auto protocol = combo(id);
        protocol.reset();
        for (const auto item : res::lists::kProtocols)
            protocol.add(item);
    }

    if (mode_ == EditMode::New) {
        flags_ = 0;
        combo(ids::kOutgoingProtocol).select(0);
        combo(ids::kIncomingProtocol).select(0);
        return;
    }
    flags_ = kAllChanged;
    setText(ids::kName, recordName(record_.name));
    setChecked(ids::kEnable, record_.enabled == 1);
    // Any protocol byte other than 0 is TCP, as the page's list shows it.
    combo(ids::kOutgoingProtocol).select(record_.outProtocol == 0 ? 0 : 1);
    setNumber(ids::kOutgoingStart, record_.outStart);
    setNumber(ids::kOutgoingEnd, record_.outEnd);
    combo(ids::kIncomingProtocol).select(record_.inProtocol == 0 ? 0 : 1);
    setNumber(ids::kIncomingStart, record_.inStart);
    setNumber(ids::kIncomingEnd, record_.inEnd);
}

void CSpecialAppDlg::onCommand(int id, ui::Notify notification) {
    const RangeRule* rule = ruleOf(id);
    if (rule == nullptr)
        return;
    if (notification == ui::Notify::TextChanged)
        flags_ |= rule->changed;
    else if (notification == ui::Notify::FocusLost)
        applyRangeRule(id);
}

void CSpecialAppDlg::applyRangeRule(int id) {
    const RangeRule* rule = ruleOf(id);
    if (rule == nullptr)
        return;
    if (number(rule->edit) > kHighestPort) {
        host().messageBox(rule->warning);
        return;
    }
    const unsigned start = number(rule->start);
    if (number(rule->end) >= start)
        return;
    if ((flags_ & rule->otherChanged) == 0 || (flags_ & rule->otherRewriting) != 0)
        return;
    flags_ |= rule->rewriting;
    setNumber(rule->end, start);
    flags_ &= ~rule->rewriting;
}

void CSpecialAppDlg::onOK() {
    // Every end below its start is raised before anything is checked, an
    // empty end included; the rules' warnings do not stop the OK.
    flags_ = kAllChanged;
    for (const RangeRule& rule : kRangeRules)
        applyRangeRule(rule.edit);

    const std::string name = text(ids::kName).substr(0, ids::kNameLimit);
    const bool enabled = isChecked(ids::kEnable);
    const int outProtocol = combo(ids::kOutgoingProtocol).selection();
    const int inProtocol = combo(ids::kIncomingProtocol).selection();
    const unsigned outStart = number(ids::kOutgoingStart);
    const unsigned outEnd = number(ids::kOutgoingEnd);
    const unsigned inStart = number(ids::kIncomingStart);
    const unsigned inEnd = number(ids::kIncomingEnd);
    const bool outStartEmpty = text(ids::kOutgoingStart).empty();
    const bool inStartEmpty = text(ids::kIncomingStart).empty();

    const char* refusal = nullptr;
    if (name.empty())
        refusal = text::kNoName;
    else if (mode_ == EditMode::New && specialAppNameInUse(apps_, name))
        refusal = text::kNameInUse;
    else if (outStartEmpty)
        refusal = text::kNoOutgoingStart;
    else if (inStartEmpty)
        refusal = text::kNoIncomingStart;
    else if (!isPortInRange(inStart))
        refusal = text::kIncomingStartRange;
    else if (!isPortInRange(inEnd))
        refusal = text::kIncomingEndRange;
    else if (!isPortInRange(outStart))
        refusal = text::kOutgoingStartValue;
    else if (!isPortInRange(outEnd))
        refusal = text::kOutgoingEndRange;
    if (refusal != nullptr) {
        host().messageBox(refusal);
        return;
    }

    record_.enabled = enabled ? 1 : 0;
    setRecordName(record_.name, name);
    record_.outProtocol = static_cast<std::uint8_t>(outProtocol > 0 ? outProtocol : 0);
    record_.outStart = static_cast<std::uint16_t>(outStart);
    record_.outEnd = static_cast<std::uint16_t>(outEnd);
    record_.inProtocol = static_cast<std::uint8_t>(inProtocol > 0 ? inProtocol : 0);
    record_.inStart = static_cast<std::uint16_t>(inStart);
    record_.inEnd = static_cast<std::uint16_t>(inEnd);
    endDialog(ui::kIdOk);
}

void CSpecialAppDlg::onCancel() {
    *cancelled_ = 1;
    endDialog(ui::kIdCancel);
}

} // namespace tolvaro::pages
