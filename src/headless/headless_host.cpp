#include "headless/headless_host.h"

namespace tolvaro::headless {

HeadlessHost::HeadlessHost(std::function<void(int ms)> sleep, bool goOn) {
    onSleep(std::move(sleep));
    onMessage([this, goOn](const ui::MessageRecord& box) {
        if (box.buttons == ui::Buttons::Ok)
            return ui::Answer::Ok;
        if (!goOn && declined_.empty())
            declined_ = box.text;
        if (box.buttons == ui::Buttons::YesNo)
            return goOn ? ui::Answer::Yes : ui::Answer::No;
        return goOn ? ui::Answer::Ok : ui::Answer::Cancel;
    });
}

std::vector<ui::MessageRecord> HeadlessHost::takeMessages() {
    const auto& all = messages();
    std::vector<ui::MessageRecord> out(all.begin() + static_cast<std::ptrdiff_t>(taken_),
                                       all.end());
    taken_ = all.size();
    return out;
}

} // namespace tolvaro::headless
