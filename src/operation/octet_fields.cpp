#include "operation/octet_fields.h"

#include "ui/text_rules.h"

namespace tolvaro::operation {

OctetFields checkOctetFields(const std::array<std::string, 4>& fields) {
    int empty = 0;
    for (const auto& f : fields) {
        empty += f.empty() ? 1 : 0;
    }
    if (empty == 4) {
        return {};
    }
    if (empty > 0) {
        return {OctetCheck::PartlyEmpty, {}};
    }
    OctetFields result;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const unsigned value = ui::parseDialogNumber(fields[i], nullptr);
        if (value > 255) {
            return {OctetCheck::OutOfRange, {}};
        }
        result.octets[i] = static_cast<std::uint8_t>(value);
    }
    return result;
}

} // namespace tolvaro::operation
