// ISDN page: B-channel usage, call ids, line speed and initial string.
#include "res/ids/isdn_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = isdn;
namespace cap = captions::isdn;

const ui::TemplateRegistration reg{[] {
    ui::Template t = page(ids::kTemplate, cap::kPage);
    auto& c = t.controls;

    c.push_back(group(cap::kUsage, 7, 7, 286, 52));
    c.push_back(
        radio(ids::kUsageOneChannel, "Always use 1 B channel", 14, 19, 160, ui::kGroupStart));
    c.push_back(radio(ids::kUsageDynamic, "Dynamically use 2 B Channels", 14, 31, 160));
    c.push_back(radio(ids::kUsageTwoChannels, "Always use 2 B Channels", 14, 43, 160));

    c.push_back(group(cap::kOutgoingCallId, 7, 63, 140, 47, ui::kNoId, ui::kGroupStart));
    c.push_back(label(cap::kMsn, 14, 75, 22));
    c.push_back(edit(ids::kOutgoingMsn, 38, 75, 100, ui::kDigitsOnly));
    c.push_back(label(cap::kSad, 14, 91, 22));
    c.push_back(edit(ids::kOutgoingSad, 38, 91, 60));

    c.push_back(group(cap::kIncomingCallId, 153, 63, 140, 47));
    c.push_back(label(cap::kMsn, 160, 75, 22));
    c.push_back(edit(ids::kIncomingMsn, 184, 75, 100, ui::kDigitsOnly));
    c.push_back(label(cap::kSad, 160, 91, 22));
    c.push_back(edit(ids::kIncomingSad, 184, 91, 60));

    c.push_back(group("Advanced B Channel Settings", 7, 114, 286, 62));
    c.push_back(text("Only change if advised to do so by Telephone company.", 14, 126, 272));
    c.push_back(label(cap::kLineSpeed, 14, 140, 50));
    c.push_back(combo(ids::kLineSpeed, 66, 140, 70));
    c.push_back(label(cap::kInitialString, 14, 156, 50));
    c.push_back(edit(ids::kInitialString, 66, 156, 220));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
