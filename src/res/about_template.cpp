// About box: reached through window-menu commands 16 to 31 of the main window.
#include "res/ids/about_ids.h"
#include "tolvaro_version.h"
#include "ui/template.h"

namespace tolvaro::res {
namespace {

using ui::ControlKind;

const ui::TemplateRegistration reg{[] {
    ui::Template t{about::kAboutTemplate, "About Tolvaro", 217, 55, ui::kSystemMenu};
    t.controls = {
        {ui::kNoId, ControlKind::Icon, "", {11, 17, 20, 20}},
        {about::kAboutVersionText,
         ControlKind::Static,
         "Tolvaro Version " TOLVARO_VERSION_SHORT,
         {40, 10, 119, 8}},
        {ui::kNoId, ControlKind::Static, "ISDN router configuration utility", {40, 25, 119, 8}},
        {ui::kIdOk, ControlKind::Button, "OK", {178, 7, 32, 14}, ui::kDefault | ui::kGroupStart},
    };
    return t;
}()};

} // namespace
} // namespace tolvaro::res
