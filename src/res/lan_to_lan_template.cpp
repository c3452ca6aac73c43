// LAN-to-LAN page: the remote LAN and the two roles, receiver and initiator.
#include "res/ids/lan_to_lan_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = lan_to_lan;
namespace cap = captions::lan_to_lan;

const ui::TemplateRegistration reg{[] {
    ui::Template t = page(ids::kTemplate, cap::kPage);
    auto& c = t.controls;

    constexpr int labelX = 14;
    constexpr int fieldX = 100;
    constexpr int verifyLabelX = 176;
    constexpr int verifyX = 204;

    c.push_back(check(ids::kEnableLanToLan, cap::kEnable, 7, 7, 260));

    c.push_back(group(cap::kRemoteSite, 7, 21, 286, 33));
    c.push_back(label(cap::kRemoteAddress, labelX, 35, 40));
    addAddress(c, ids::kRemoteIp, 56, 35, ui::kDigitsOnly);
    c.push_back(label(cap::kRemoteMask, 146, 35, 56));
    addAddress(c, ids::kRemoteMask, 204, 35);

    c.push_back(group(cap::kReceiver, 7, 58, 286, 60));
    c.push_back(check(ids::kReceiverEnable, "Enable", labelX, 71, 44));
    c.push_back(label("Authentication", 64, 70, 54));
    c.push_back(radio(ids::kAuthDisable, "Disable", 120, 71, 40, ui::kGroupStart));
    c.push_back(radio(ids::kAuthEnable, "Enable", 164, 71, 40));
    c.push_back(radio(ids::kAuthChap, "CHAP", 208, 71, 34, ui::kHidden | ui::kDisabled));
    c.push_back(label(cap::kLoginName, labelX, 85, 80, ui::kNoId, ui::kGroupStart));
    c.push_back(edit(ids::kLoginName, fieldX, 85, 100));
    c.push_back(label(cap::kPassword, labelX, 100, 80));
    c.push_back(edit(ids::kPassword, fieldX, 100, 70, ui::kPassword));
    c.push_back(label("Verify", verifyLabelX, 100, 26));
    c.push_back(edit(ids::kVerifyPassword, verifyX, 100, 70, ui::kPassword));

    c.push_back(group("Initiate Connection to Remote Site", 7, 122, 286, 89));
    c.push_back(check(ids::kInitiatorEnable, "Enable", labelX, 134, 50));
    c.push_back(label(cap::kPhoneNumber, labelX, 148, 84));
    c.push_back(edit(ids::kPhoneNumber, fieldX, 148, 120));
    c.push_back(label(cap::kLoginUsing, labelX, 163, 46));
    c.push_back(label(cap::kRemoteLoginName, 62, 163, 36));
    c.push_back(edit(ids::kRemoteLoginName, fieldX, 163, 120));
    c.push_back(label(cap::kRemotePassword, 62, 178, 36));
    c.push_back(edit(ids::kRemotePassword, fieldX, 178, 70, ui::kPassword));
    c.push_back(label("Verify", verifyLabelX, 178, 26));
    c.push_back(edit(ids::kRemoteVerifyPassword, verifyX, 178, 70, ui::kPassword));
    c.push_back(label("LAN to LAN time_out", labelX, 193, 84));
    c.push_back(edit(ids::kTimeout, fieldX, 193, 22));
    c.push_back(label("Seconds( 0 =Unlimited)", fieldX + 26, 193, 110, ids::kTimeoutUnit));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
