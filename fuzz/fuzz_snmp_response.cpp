// What the client accepts from a router's SNMP response: a response passes
// only when it names exactly the requested variables in order without an
// error status, and its values become read entries only when every one has
// an entry form; integers of write entries parse strictly.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <ipslan/detail/snmp_client.h>
#include <ipslan/ipslan.h>
#include <ipslan/wire.h>

#include "check.h"

namespace {

using ipslan::wire::VariableOid;

struct PduDeleter {
    void operator()(netsnmp_pdu* pdu) const { snmp_free_pdu(pdu); }
};

constexpr u_char kTypes[] = {ASN_INTEGER,   ASN_COUNTER,   ASN_GAUGE,        ASN_TIMETICKS,
                             ASN_OCTET_STR, ASN_IPADDRESS, ASN_OPAQUE,       ASN_NULL,
                             ASN_OBJECT_ID, ASN_COUNTER64, SNMP_NOSUCHOBJECT};

bool isIntegerType(u_char type) {
    return type == ASN_INTEGER || type == ASN_COUNTER || type == ASN_GAUGE || type == ASN_TIMETICKS;
}

bool isStringType(u_char type) {
    return type == ASN_OCTET_STR || type == ASN_IPADDRESS || type == ASN_OPAQUE;
}

std::size_t lengthOf(const MIB_RESPONSE& entry) {
    return entry.length[0] | static_cast<std::size_t>(entry.length[1]) << 8;
}

void checkEntry(const netsnmp_variable_list& var, const MIB_RESPONSE& entry) {
    FUZZ_CHECK(entry.type == var.type && entry.reserved == 0);
    std::size_t used = 0;
    if (isIntegerType(var.type)) {
        FUZZ_CHECK(lengthOf(entry) == 4);
        const auto bits = static_cast<std::uint32_t>(*var.val.integer);
        for (int i = 0; i < 4; ++i) {
            FUZZ_CHECK(entry.value[i] == static_cast<std::uint8_t>(bits >> (8 * i)));
        }
        used = 4;
    } else {
        FUZZ_CHECK(isStringType(var.type));
        FUZZ_CHECK(lengthOf(entry) == var.val_len && var.val_len <= kEntryValueSize);
        FUZZ_CHECK(var.val_len == 0 || std::memcmp(entry.value, var.val.string, var.val_len) == 0);
        used = var.val_len;
    }
    FUZZ_CHECK(std::all_of(entry.value + used, entry.value + kEntryValueSize,
                           [](std::uint8_t b) { return b == 0; }));
}

void checkResponse(FuzzedDataProvider& input) {
    std::vector<VariableOid> requested(input.ConsumeIntegralInRange<std::size_t>(1, 4));
    for (auto& id : requested) {
        id = *ipslan::wire::variableOid(input.ConsumeIntegralInRange<int>(0, 0xffff),
                                        input.ConsumeIntegralInRange<int>(0, 1));
    }

    std::unique_ptr<netsnmp_pdu, PduDeleter> response(snmp_pdu_create(SNMP_MSG_RESPONSE));
    response->errstat = input.ConsumeBool() ? SNMP_ERR_NOERROR : input.ConsumeIntegral<long>();
    const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, requested.size() + 1);
    bool exact = response->errstat == SNMP_ERR_NOERROR && count == requested.size();
    bool convertible = true;
    for (std::size_t i = 0; i < count; ++i) {
        // Mostly the requested name, sometimes another or a malformed one.
        std::vector<oid> name;
        if (i < requested.size() && input.ConsumeBool()) {
            name.assign(requested[i].begin(), requested[i].end());
        } else {
            name.assign(ipslan::wire::kPrivateSubtree.begin(), ipslan::wire::kPrivateSubtree.end());
            name.resize(input.ConsumeIntegralInRange<std::size_t>(1, 14));
            const std::size_t from = input.ConsumeIntegralInRange<std::size_t>(0, name.size() - 1);
            for (std::size_t k = from; k < name.size(); ++k) {
                name[k] = input.ConsumeIntegralInRange<oid>(0, 0x1ffff);
            }
        }
        exact = exact && i < requested.size() &&
                std::equal(name.begin(), name.end(), requested[i].begin(), requested[i].end());

        const u_char type =
            input.ConsumeBool() ? input.PickValueInArray(kTypes) : input.ConsumeIntegral<u_char>();
        netsnmp_variable_list* added = nullptr;
        if (isIntegerType(type)) {
            const long value = input.ConsumeIntegral<std::int32_t>();
            added = snmp_pdu_add_variable(response.get(), name.data(), name.size(), type, &value,
                                          sizeof value);
        } else {
            const auto bytes = input.ConsumeBytes<std::uint8_t>(
                input.ConsumeIntegralInRange<std::size_t>(0, kEntryValueSize + 8));
            added = snmp_pdu_add_variable(response.get(), name.data(), name.size(), type,
                                          bytes.empty() ? nullptr : bytes.data(), bytes.size());
            convertible = convertible && isStringType(type) &&
                          (added == nullptr || added->val_len <= kEntryValueSize);
        }
        if (added == nullptr) {
            return;
        }
    }

    FUZZ_CHECK(ipslan::detail::responseAnswers(*response, requested) == exact);
    const auto entries = ipslan::detail::readEntries(*response);
    FUZZ_CHECK(entries.has_value() == convertible);
    if (entries) {
        FUZZ_CHECK(entries->size() == count);
        std::size_t i = 0;
        for (auto* var = response->variables; var != nullptr; var = var->next_variable, ++i) {
            checkEntry(*var, (*entries)[i]);
        }
    }
}

void checkIntegerText(FuzzedDataProvider& input) {
    const auto text = input.ConsumeBytes<std::uint8_t>(
        input.ConsumeIntegralInRange<std::size_t>(0, kEntryValueSize));
    const auto parsed = ipslan::detail::parseIntegerText(text.data(), text.size());
    if (!parsed) {
        return;
    }
    // The same 32 bits, written signed or unsigned, parse back to the value.
    for (const std::string& again :
         {std::to_string(*parsed), std::to_string(static_cast<std::uint32_t>(*parsed))}) {
        const auto reparsed = ipslan::detail::parseIntegerText(
            reinterpret_cast<const std::uint8_t*>(again.c_str()), again.size() + 1);
        FUZZ_CHECK(reparsed == parsed);
    }
}

void checkOidText(FuzzedDataProvider& input) {
    const std::string text = input.ConsumeRandomLengthString(600);
    const auto parts = ipslan::wire::oidFromText(text);
    if (parts) {
        FUZZ_CHECK(!parts->empty());
        FUZZ_CHECK(ipslan::wire::oidFromText(ipslan::wire::oidToText(*parts)) == parts);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ipslan::detail::initSnmp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
    case 0:
        checkResponse(input);
        break;
    case 1:
        checkIntegerText(input);
        break;
    default:
        checkOidText(input);
        break;
    }
    return 0;
}
