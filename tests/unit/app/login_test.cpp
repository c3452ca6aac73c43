#include "app/login.h"

#include <gtest/gtest.h>

#include "app/password_dlg.h"
#include "operation/app_context.h"
#include "support/recording_device.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::app {
namespace {

using test::DeviceOp;
using test::makeRouter;

enum class Typed { NoPrompt, Right, WrongCase, Escape };

struct LoginCase {
    const char* name;
    LoginFor operation;
    const char* password; // the router's
    int family;
    bool remote;
    Typed typed;
    std::vector<std::string> calls; // community and port settings, in order
    bool goesOn;
    int loginResult;
    bool wrongMessage;
};

struct LoginFixture {
    AppState state;
    ui::ScriptedHost host;
    test::RecordingDevice device;
    AppContext context{state, host, device};

    std::vector<std::string> settings() const {
        std::vector<std::string> out;
        for (const auto& c : device.calls()) {
            if (c.op == DeviceOp::SetCommunity) {
                out.push_back("community " + c.text);
            } else if (c.op == DeviceOp::SetSnmpPort) {
                out.push_back("port " + std::to_string(c.number));
            }
        }
        return out;
    }
};

class LoginSequence : public testing::TestWithParam<LoginCase> {};

TEST_P(LoginSequence, SetsCommunityAndPortAsTheOperationNeeds) {
    const auto& c = GetParam();
    LoginFixture f;
    f.state.devices[3] = makeRouter("Office", "192.168.1.1", c.password, c.family);
    f.state.selectedIndex = 3;
    f.state.remoteFlag = c.remote ? 1 : 0;
    f.state.remotePort = 8161;
    if (c.typed != Typed::NoPrompt) {
        f.host.expectDialog(kPasswordTemplate, [&](ui::ScriptedDialogDriver& d) {
            switch (c.typed) {
            case Typed::Right:
                d.type(kPasswordEdit, c.password);
                d.click(ui::kIdOk);
                break;
            case Typed::WrongCase:
                d.type(kPasswordEdit, "PW");
                d.click(ui::kIdOk);
                break;
            default:
                d.pressEscape();
                break;
            }
        });
    }

    EXPECT_EQ(runLogin(f.context, c.operation), c.goesOn);

    EXPECT_EQ(f.settings(), c.calls);
    EXPECT_EQ(f.state.loginResult, c.loginResult);
    EXPECT_EQ(f.host.messageTexts(), c.wrongMessage ? std::vector<std::string>{"Wrong Password"}
                                                    : std::vector<std::string>{});
    const auto& shown = f.host.dialogsShown();
    EXPECT_EQ(shown.size(), c.typed == Typed::NoPrompt ? 0u : 1u);
}

const std::vector<std::string> kNone;

INSTANTIATE_TEST_SUITE_P(
    Table, LoginSequence,
    testing::Values(LoginCase{"setup_no_password",
                              LoginFor::Setup,
                              "",
                              2,
                              false,
                              Typed::NoPrompt,
                              {"community TiLvOrA", "port 161"},
                              true,
                              0,
                              false},
                    LoginCase{"setup_no_password_remote",
                              LoginFor::Setup,
                              "",
                              2,
                              true,
                              Typed::NoPrompt,
                              {"community TiLvOrA", "port 8161"},
                              true,
                              0,
                              false},
                    LoginCase{"setup_family1_accepted",
                              LoginFor::Setup,
                              "pw",
                              1,
                              false,
                              Typed::Right,
                              {"community TiLvOrA", "community pw", "port 161"},
                              true,
                              1,
                              false},
                    LoginCase{"setup_family2_accepted",
                              LoginFor::Setup,
                              "pw",
                              2,
                              false,
                              Typed::Right,
                              {"community pw", "community pw", "port 161"},
                              true,
                              1,
                              false},
                    LoginCase{"setup_other_case_refused", LoginFor::Setup, "pw", 2, false,
                              Typed::WrongCase, kNone, false, 0, true},
                    LoginCase{"setup_cancelled", LoginFor::Setup, "pw", 2, false, Typed::Escape,
                              kNone, false, 2, false},
                    LoginCase{"load_family1_accepted_remote",
                              LoginFor::Load,
                              "pw",
                              1,
                              true,
                              Typed::Right,
                              {"community TiLvOrA", "community pw", "port 8161"},
                              true,
                              1,
                              false},
                    LoginCase{"load_no_password",
                              LoginFor::Load,
                              "",
                              1,
                              false,
                              Typed::NoPrompt,
                              {"community TiLvOrA", "port 161"},
                              true,
                              0,
                              false},
                    LoginCase{"load_wrong", LoginFor::Load, "pw", 1, false, Typed::WrongCase, kNone,
                              false, 0, true},
                    LoginCase{"save_family1_keeps_fixed_community",
                              LoginFor::Save,
                              "pw",
                              1,
                              false,
                              Typed::Right,
                              {"community TiLvOrA", "port 161"},
                              true,
                              1,
                              false},
                    LoginCase{"save_family2_keeps_password",
                              LoginFor::Save,
                              "pw",
                              2,
                              false,
                              Typed::Right,
                              {"community pw", "port 161"},
                              true,
                              1,
                              false},
                    LoginCase{"save_no_password_sets_both",
                              LoginFor::Save,
                              "",
                              2,
                              false,
                              Typed::NoPrompt,
                              {"community TiLvOrA", "port 161"},
                              true,
                              0,
                              false},
                    LoginCase{"save_no_password_remote",
                              LoginFor::Save,
                              "",
                              2,
                              true,
                              Typed::NoPrompt,
                              {"community TiLvOrA", "port 8161"},
                              true,
                              0,
                              false},
                    LoginCase{"save_wrong", LoginFor::Save, "pw", 2, false, Typed::WrongCase, kNone,
                              false, 0, true},
                    LoginCase{"save_cancelled", LoginFor::Save, "pw", 2, false, Typed::Escape,
                              kNone, false, 2, false},
                    LoginCase{"ip_no_password_sets_nothing", LoginFor::IpAddress, "", 2, false,
                              Typed::NoPrompt, kNone, true, 0, false},
                    LoginCase{"ip_family1_prompt_chooses_fixed",
                              LoginFor::IpAddress,
                              "pw",
                              1,
                              false,
                              Typed::Right,
                              {"community TiLvOrA"},
                              true,
                              1,
                              false},
                    LoginCase{"ip_family2_prompt_chooses_password",
                              LoginFor::IpAddress,
                              "pw",
                              2,
                              false,
                              Typed::Right,
                              {"community pw"},
                              true,
                              1,
                              false},
                    LoginCase{"ip_wrong", LoginFor::IpAddress, "pw", 2, false, Typed::WrongCase,
                              kNone, false, 0, true},
                    LoginCase{"ip_cancelled", LoginFor::IpAddress, "pw", 2, false, Typed::Escape,
                              kNone, false, 2, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct PromptCase {
    const char* name;
    const char* routerPassword;
    const char* typed;
    int loginResult;
};

class PasswordPrompt : public testing::TestWithParam<PromptCase> {};

TEST_P(PasswordPrompt, ComparesExactly) {
    const auto& c = GetParam();
    LoginFixture f;
    f.state.devices[0] = makeRouter("Office", "192.168.1.1", c.routerPassword, 2);
    CPasswordDlg dialog(f.context);
    auto d = f.host.open(dialog);
    d.type(kPasswordEdit, c.typed);
    d.click(ui::kIdOk);
    EXPECT_FALSE(d.isOpen());
    EXPECT_EQ(f.state.loginResult, c.loginResult);
}

INSTANTIATE_TEST_SUITE_P(Texts, PasswordPrompt,
                         testing::Values(PromptCase{"equal", "secret", "secret", 1},
                                         PromptCase{"letter_case_differs", "secret", "Secret", 0},
                                         PromptCase{"nine_characters", "abcdefghi", "abcdefghi", 1},
                                         PromptCase{"tenth_character_refused_by_field", "abcdefghi",
                                                    "abcdefghij", 1},
                                         PromptCase{"empty_entry", "secret", "", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tolvaro::app
