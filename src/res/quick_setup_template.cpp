// Quick Setup page: Internet access, the ISDN switch type and the router's
// own address.
#include "res/ids/quick_setup_ids.h"
#include "res/layout.h"

namespace tolvaro::res {
namespace {

using namespace layout;
namespace ids = quick_setup;
namespace cap = captions::quick_setup;

const ui::TemplateRegistration reg{[] {
    ui::Template t = page(ids::kTemplate, cap::kPage);
    auto& c = t.controls;

    // Two columns inside "Internet Access": the account on the left, the
    // numbers to dial on the right.
    constexpr int labelX = 14;
    constexpr int fieldX = 84;
    constexpr int fieldWidth = 60;
    constexpr int phoneLabelX = 150;
    constexpr int phoneX = 196;
    constexpr int phoneNoteX = 242;
    c.push_back(group(cap::kInternetAccess, 7, 7, 286, 123));
    c.push_back(check(ids::kEnableInternet, cap::kEnableInternet, labelX, 19, 200));
    c.push_back(label(cap::kAccountName, labelX, 34, 68));
    c.push_back(edit(ids::kAccountName, fieldX, 34, fieldWidth));
    c.push_back(label(cap::kAccountPassword, labelX, 49, 68));
    c.push_back(edit(ids::kAccountPassword, fieldX, 49, fieldWidth, ui::kPassword));
    c.push_back(label("Verify", labelX, 64, 68));
    c.push_back(edit(ids::kVerifyPassword, fieldX, 64, fieldWidth, ui::kPassword));

    c.push_back(label(cap::kTelephone1, phoneLabelX, 34, 44));
    c.push_back(edit(ids::kTelephone1, phoneX, 34, 44));
    c.push_back(label("( Required )", phoneNoteX, 34, 46));
    c.push_back(label(cap::kTelephone2, phoneLabelX, 49, 44));
    c.push_back(edit(ids::kTelephone2, phoneX, 49, 44));
    c.push_back(label("( Optional )", phoneNoteX, 49, 46));
    c.push_back(label(cap::kTelephone3, phoneLabelX, 64, 44));
    c.push_back(edit(ids::kTelephone3, phoneX, 64, 44));
    c.push_back(label("( Optional )", phoneNoteX, 64, 46));

    c.push_back(label(cap::kAddressFromIsp, labelX, 80, 70));
    c.push_back(radio(ids::kDynamic, "Dynamic", 86, 81, 46, ui::kGroupStart));
    c.push_back(radio(ids::kFixed, "Fixed", 134, 81, 34));
    // The address fields end the radio group.
    const std::size_t fixedIp = c.size();
    addAddress(c, ids::kFixedIp, 172, 80, ui::kDigitsOnly);
    c[fixedIp].flags |= ui::kGroupStart;

    c.push_back(label(cap::kDns, labelX, 96, 68));
    addAddress(c, ids::kDns, fieldX, 96, ui::kDigitsOnly);

    c.push_back(label(cap::kIdleTimeout, labelX, 112, 68));
    c.push_back(edit(ids::kIdleTimeout, fieldX, 112, 22, ui::kDigitsOnly));
    c.push_back(label("minutes  (0 = Unlimited)", fieldX + 26, 112, 110, ids::kIdleTimeoutUnit));

    c.push_back(group("ISDN", 7, 134, 190, 73));
    c.push_back(label(cap::kCountry, labelX, 146, 40));
    c.push_back(combo(ids::kCountry, 56, 146, 110, ui::kVScroll));
    c.push_back(text("For USA, The following data is required:", labelX, 163, 176, ids::kSpidNote));
    c.push_back(label(cap::kSpid1, labelX, 174, 84, ids::kSpid1Label));
    c.push_back(edit(ids::kSpid1, 100, 174, 90));
    c.push_back(label(cap::kSpid2, labelX, 189, 84, ids::kSpid2Label));
    c.push_back(edit(ids::kSpid2, 100, 189, 90));

    c.push_back(group("TCP/IP", 201, 134, 92, 73));
    c.push_back(text("Device IP Address", 208, 148, 78));
    c.push_back(text("", 208, 159, 78, ids::kDeviceIp));
    c.push_back(text("Network Mask", 208, 176, 78));
    c.push_back(text("", 208, 187, 78, ids::kNetworkMask));
    return t;
}()};

} // namespace
} // namespace tolvaro::res
