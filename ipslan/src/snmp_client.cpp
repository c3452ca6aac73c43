// SNMPv1 reads and writes of router variables through Net-SNMP's
// single-session API: writes and single reads wait for each answer. Batches
// and fleets of reads are in fleet_reads.cpp.
#include "ipslan/detail/snmp_client.h"

#include <charconv>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "ipslan/detail/state.h"
#include "ipslan/diagnostics.h"
#include "ipslan/ipslan.h"
#include "ipslan/send_rule.h"
#include "ipslan/variables.h"
#include "ipslan/wire.h"
#include "snmp_entries.h"
#include "snmp_session.h"

namespace ipslan::detail {
namespace {

struct Request {
    std::string peer;
    std::vector<wire::VariableOid> oids;
};

// Validates the common arguments and builds the peer name and the OIDs; the
// router must be named by dotted-decimal text (never a host name or a
// transport specifier, which Net-SNMP would otherwise act on).
std::optional<Request> prepare(const char* ip, int mode, int count, const int* variables) {
    if (ip == nullptr || variables == nullptr || count < 1 || count > kMaxRequestVariables) {
        return std::nullopt;
    }
    const auto address = wire::parseIpv4(std::string_view(ip, strnlen(ip, 64)));
    if (!address) {
        return std::nullopt;
    }
    Request request;
    request.peer =
        "udp:" + wire::formatIpv4(*address) + ":" + std::to_string(snmpPortFor(*address));
    for (int i = 0; i < count; ++i) {
        const auto oid = wire::variableOid(variables[i], mode);
        if (!oid) {
            return std::nullopt;
        }
        request.oids.push_back(*oid);
    }
    return request;
}

void noteRequestFailure(const Request& request, RequestFailure::Kind kind, int errorStatus = 0,
                        std::size_t index = 0, int valueType = 0) {
    noteFailure(request.peer, kind, errorStatus,
                index < request.oids.size() ? &request.oids[index] : nullptr, valueType);
}

// The router's response when it passes responseAnswers(); else null.
PduPtr accepted(const Request& request, PduPtr answer) {
    if (!answer || !responseAnswers(*answer, request.oids)) {
        return nullptr;
    }
    return answer;
}

// Sends one request and waits for its answer (see accepted()).
PduPtr exchange(const Request& request, PduPtr pdu) {
    void* handle = threadSession().get(request.peer, settings());
    if (handle == nullptr) {
        return nullptr;
    }
    netsnmp_pdu* response = nullptr;
    // The request PDU is consumed in every case. A late answer to an earlier,
    // timed-out request carries another request id and is dropped.
    const int status = snmp_sess_synch_response(handle, pdu.release(), &response);
    PduPtr answer(response);
    if (status == STAT_ERROR) {
        threadSession().close();
    }
    if (status != STAT_SUCCESS || !answer) {
        noteRequestFailure(request, RequestFailure::NoResponse);
        return nullptr;
    }
    if (answer->errstat != SNMP_ERR_NOERROR) {
        const long index = answer->errindex;
        noteRequestFailure(request, RequestFailure::ErrorStatus, static_cast<int>(answer->errstat),
                           index > 0 ? static_cast<std::size_t>(index - 1) : request.oids.size());
        return nullptr;
    }
    PduPtr checked = accepted(request, std::move(answer));
    if (!checked) {
        noteRequestFailure(request, RequestFailure::WrongVariables, 0, request.oids.size());
        return nullptr;
    }
    clearFailure();
    return checked;
}

PduPtr getPdu(const Request& request) {
    PduPtr pdu(snmp_pdu_create(SNMP_MSG_GET));
    for (const auto& id : request.oids) {
        const std::vector<::oid> name(id.begin(), id.end());
        snmp_add_null_var(pdu.get(), name.data(), name.size());
    }
    return pdu;
}

void putLe32(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::size_t entryLength(const _snmp_packet& entry) {
    return static_cast<std::size_t>(entry.length[0]) | static_cast<std::size_t>(entry.length[1])
                                                           << 8;
}

// The read entries of an accepted answer; nullopt without one. Decoding
// comes before touching the caller's area, so that a failed read leaves it
// as it was.
std::optional<std::vector<MIB_RESPONSE>> decode(const PduPtr& answer) {
    if (!answer) {
        return std::nullopt;
    }
    return readEntries(*answer);
}

} // namespace

void putLe16(std::uint8_t* out, std::size_t value) {
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

bool toEntry(const netsnmp_variable_list& var, MIB_RESPONSE& entry) {
    entry = MIB_RESPONSE{};
    entry.type = var.type;
    switch (var.type) {
    case ASN_INTEGER:
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS:
        if (var.val.integer == nullptr) {
            return false;
        }
        putLe32(entry.value, static_cast<std::uint32_t>(*var.val.integer));
        putLe16(entry.length, 4);
        return true;
    case ASN_OCTET_STR:
    case ASN_IPADDRESS:
    case ASN_OPAQUE:
        if (var.val_len > kEntryValueSize || (var.val_len > 0 && var.val.string == nullptr)) {
            return false;
        }
        if (var.val_len > 0) {
            std::memcpy(entry.value, var.val.string, var.val_len);
        }
        putLe16(entry.length, var.val_len);
        return true;
    default:
        return false;
    }
}

bool responseAnswers(const netsnmp_pdu& response, std::span<const wire::VariableOid> requested) {
    if (response.errstat != SNMP_ERR_NOERROR) {
        return false;
    }
    std::size_t i = 0;
    for (auto* var = response.variables; var != nullptr; var = var->next_variable, ++i) {
        if (i >= requested.size() ||
            wire::variableFromOid(var->name, var->name_length) !=
                wire::variableFromOid(requested[i].data(), requested[i].size())) {
            return false;
        }
    }
    return i == requested.size();
}

std::optional<std::vector<MIB_RESPONSE>> readEntries(const netsnmp_pdu& response) {
    std::vector<MIB_RESPONSE> entries;
    for (auto* var = response.variables; var != nullptr; var = var->next_variable) {
        if (!toEntry(*var, entries.emplace_back())) {
            return std::nullopt;
        }
    }
    return entries;
}

std::optional<std::int32_t> parseIntegerText(const std::uint8_t* value, std::size_t size) {
    if (value == nullptr) {
        return std::nullopt;
    }
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(value, 0, size));
    if (end == nullptr) {
        return std::nullopt;
    }
    std::string_view text(reinterpret_cast<const char*>(value),
                          static_cast<std::size_t>(end - value));
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::uint64_t magnitude = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (text.empty() || error != std::errc{} || stop != text.data() + text.size()) {
        return std::nullopt;
    }
    // Negative texts reach -2^31; positive ones up to 2^32-1 so that a 32-bit
    // value written unsigned arrives with the same bits.
    if ((negative && magnitude > 0x80000000ull) || (!negative && magnitude > 0xffffffffull)) {
        return std::nullopt;
    }
    const std::uint32_t bits = static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude);
    return static_cast<std::int32_t>(bits);
}

int getInfo(const char* ip, int mode, int count, const int* variables, MIB_RESPONSE* result) {
    clearFailure();
    if (result == nullptr) {
        return 0;
    }
    const auto request = prepare(ip, mode, count, variables);
    if (!request) {
        return 0;
    }
    PduPtr answer = exchange(*request, getPdu(*request));
    const auto entries = decode(answer);
    if (!entries) {
        if (answer) {
            // The first value without an entry form names the variable.
            std::size_t index = 0;
            for (auto* var = answer->variables; var != nullptr; var = var->next_variable) {
                MIB_RESPONSE probe;
                if (!toEntry(*var, probe)) {
                    noteRequestFailure(*request, RequestFailure::BadValue, 0, index, var->type);
                    break;
                }
                ++index;
            }
        }
        return 0;
    }
    std::memcpy(result, entries->data(), entries->size() * sizeof(MIB_RESPONSE));
    return 1;
}

int setInfo(const char* ip, int mode, int count, const int* variables, const _snmp_packet* values) {
    clearFailure();
    if (values == nullptr) {
        return 0;
    }
    const auto request = prepare(ip, mode, count, variables);
    if (!request) {
        return 0;
    }
    PduPtr pdu(snmp_pdu_create(SNMP_MSG_SET));
    for (int i = 0; i < count; ++i) {
        const _snmp_packet& entry = values[i];
        const auto& id = request->oids[static_cast<std::size_t>(i)];
        const std::vector<::oid> name(id.begin(), id.end());
        int added = 0;
        if (checkSend(variables[i], mode, entry) != SendCheck::Sendable) {
            return 0;
        }
        if (sendsInteger(variables[i], mode, entry)) {
            const long value = *parseIntegerText(entry.value, kEntryValueSize);
            added = snmp_pdu_add_variable(pdu.get(), name.data(), name.size(), ASN_INTEGER, &value,
                                          sizeof value) != nullptr;
        } else {
            const std::size_t length = entryLength(entry);
            added = snmp_pdu_add_variable(pdu.get(), name.data(), name.size(), ASN_OCTET_STR,
                                          entry.value, length) != nullptr;
        }
        if (!added) {
            return 0;
        }
    }
    return exchange(*request, std::move(pdu)) ? 1 : 0;
}

} // namespace ipslan::detail

int PSSetCommunity(const char* community) {
    if (community == nullptr) {
        return 0;
    }
    const std::size_t length = strnlen(community, ipslan::detail::kMaxCommunity + 1);
    if (length > ipslan::detail::kMaxCommunity) {
        return 0;
    }
    ipslan::detail::setCommunity(std::string(community, length));
    return 1;
}

int PSSetSnmpPort(int port) {
    if (port < 1 || port > 65535) {
        return 0;
    }
    ipslan::detail::setSnmpPort(port);
    return 1;
}

int IPSGetInfo(const char* ip, int mode, int count, const int* variables, MIB_RESPONSE* result) {
    return ipslan::detail::getInfo(ip, mode, count, variables, result);
}

int IPSSetInfo(const char* ip, int mode, int count, const int* variables,
               const _snmp_packet* values) {
    return ipslan::detail::setInfo(ip, mode, count, variables, values);
}

namespace ipslan {

bool sendsInteger(int variable, int mode, const _snmp_packet& entry) {
    const VariableInfo* info = findVariable(variable, mode);
    if (info == nullptr) {
        return entry.type == kTypeInteger;
    }
    // The program sends untouched entries for tables the user never edited:
    // they must leave the router's values alone rather than fail the write.
    const bool untouched = detail::entryLength(entry) == 0 && entry.value[0] == 0;
    return info->kind == VarKind::Integer && !(info->keepOnEmpty && untouched);
}

SendCheck checkSend(int variable, int mode, const _snmp_packet& entry) {
    if (sendsInteger(variable, mode, entry)) {
        return detail::parseIntegerText(entry.value, kEntryValueSize) ? SendCheck::Sendable
                                                                      : SendCheck::NotANumber;
    }
    const VariableInfo* info = findVariable(variable, mode);
    const std::size_t limit = info != nullptr ? info->maxLength : kEntryValueSize;
    return detail::entryLength(entry) > std::min(limit, kEntryValueSize) ? SendCheck::TooLong
                                                                         : SendCheck::Sendable;
}

} // namespace ipslan
