#include "ui/template.h"

#include <algorithm>
#include <map>

namespace tolvaro::ui {

namespace {

// Function-local statics: registrations run during static initialisation of
// other translation units, in no particular order.
std::map<int, Template>& registry() {
    static std::map<int, Template> templates;
    return templates;
}

std::vector<int>& duplicates() {
    static std::vector<int> numbers;
    return numbers;
}

} // namespace

const ControlSpec* Template::find(int id) const {
    if (id == kNoId) {
        return nullptr;
    }
    auto it = std::find_if(controls.begin(), controls.end(),
                           [id](const ControlSpec& c) { return c.id == id; });
    return it == controls.end() ? nullptr : &*it;
}

std::vector<int> Template::radioSiblings(int id) const {
    const auto self = std::find_if(controls.begin(), controls.end(),
                                   [id](const ControlSpec& s) { return s.id == id; });
    if (self == controls.end()) {
        return {};
    }
    auto first = self;
    while (first != controls.begin() && !(first->flags & kGroupStart)) {
        --first;
    }
    std::vector<int> siblings;
    for (auto it = first; it != controls.end(); ++it) {
        if (it != first && (it->flags & kGroupStart)) {
            break;
        }
        if (it->kind == ControlKind::RadioButton && it->id != id) {
            siblings.push_back(it->id);
        }
    }
    return siblings;
}

const Template* findTemplate(int number) {
    auto it = registry().find(number);
    return it == registry().end() ? nullptr : &it->second;
}

std::vector<const Template*> allTemplates() {
    std::vector<const Template*> all;
    for (const auto& [number, t] : registry()) {
        all.push_back(&t);
    }
    return all;
}

TemplateRegistration::TemplateRegistration(Template t) {
    const int number = t.number;
    if (!registry().emplace(number, std::move(t)).second) {
        duplicates().push_back(number);
    }
}

std::vector<int> duplicateTemplateNumbers() {
    return duplicates();
}

} // namespace tolvaro::ui
