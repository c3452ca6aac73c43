// ISDN page: B-channel usage, call ids, line speed and initial string.
#include "res/ids/isdn_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = isdn;

const ui::TemplateRegistration reg{[] {
    ui::Template t = page(ids::kTemplate, "ISDN");
    auto& c = t.controls;

    c.push_back(group("Usage", 7, 7, 286, 52));
    c.push_back(
        radio(ids::kUsageOneChannel, "Always use 1 B channel", 14, 19, 160, ui::kGroupStart));
    c.push_back(radio(ids::kUsageDynamic, "Dynamically use 2 B Channels", 14, 31, 160));
    c.push_back(radio(ids::kUsageTwoChannels, "Always use 2 B Channels", 14, 43, 160));

    c.push_back(group("Outgoing Call ID", 7, 63, 140, 47, ui::kNoId, ui::kGroupStart));
    c.push_back(label("MSN", 14, 75, 22));
    c.push_back(edit(ids::kOutgoingMsn, 38, 75, 100, ui::kDigitsOnly));
    c.push_back(label("SAD", 14, 91, 22));
    c.push_back(edit(ids::kOutgoingSad, 38, 91, 60));

    c.push_back(group("Incoming Call ID", 153, 63, 140, 47));
    c.push_back(label("MSN", 160, 75, 22));
    c.push_back(edit(ids::kIncomingMsn, 184, 75, 100, ui::kDigitsOnly));
    c.push_back(label("SAD", 160, 91, 22));
    c.push_back(edit(ids::kIncomingSad, 184, 91, 60));

    c.push_back(group("Advanced B Channel Settings", 7, 114, 286, 62));
    c.push_back(text("Only change if advised to do so by Telephone company.", 14, 126, 272));
    c.push_back(label("Line Speed", 14, 140, 50));
    c.push_back(combo(ids::kLineSpeed, 66, 140, 70));
    c.push_back(label("Initial String", 14, 156, 50));
    c.push_back(edit(ids::kInitialString, 66, 156, 220));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
