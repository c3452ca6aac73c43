#include "routersim/state_file.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace routersim {
namespace {

constexpr const char* kHeader = "tolvaro-routerd state 1";
// Big enough for any valid file: about 130 values of at most 1500 bytes.
constexpr std::uintmax_t kMaxFileSize = 1 << 20;

const char* kindName(ipslan::VarKind kind) {
    switch (kind) {
    case ipslan::VarKind::Integer:
        return "integer";
    case ipslan::VarKind::Text:
        return "text";
    case ipslan::VarKind::Bytes:
        return "bytes";
    }
    return "?";
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) {
        return "-";
    }
    std::string text;
    text.reserve(bytes.size() * 2);
    static const char digits[] = "0123456789abcdef";
    for (std::uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 0xf];
    }
    return text;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::vector<std::uint8_t>> unhex(const std::string& text) {
    if (text == "-") {
        return std::vector<std::uint8_t>{};
    }
    if (text.empty() || text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hexValue(text[i]);
        const int low = hexValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

template <typename T> std::optional<T> number(const std::string& text, int base = 10) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> result;
    std::string word;
    while (in >> word) {
        result.push_back(word);
    }
    return result;
}

} // namespace

std::filesystem::path stateFilePath(const std::filesystem::path& directory,
                                    const HardwareAddress& hardware) {
    char name[32];
    std::snprintf(name, sizeof name, "router-%02x%02x%02x%02x%02x%02x.state", hardware[0],
                  hardware[1], hardware[2], hardware[3], hardware[4], hardware[5]);
    return directory / name;
}

std::string formatState(const Settings& settings) {
    std::string text = std::string(kHeader) + "\n";
    text += "family " + std::to_string(settings.family) + "\n";
    text += "address " + ipslan::wire::formatIpv4(settings.address) + "\n";
    text += "netmask " + ipslan::wire::formatIpv4(settings.netmask) + "\n";
    for (const auto& [key, value] : settings.values) {
        char head[48];
        std::snprintf(head, sizeof head, "value %d %04x %s ", key.mode, key.variable,
                      kindName(value.kind));
        text += head;
        text += value.kind == ipslan::VarKind::Integer ? std::to_string(value.integer)
                                                       : hex(value.bytes);
        text += "\n";
    }
    return text;
}

ParsedState parseState(const std::string& text, const Settings& factory) {
    Settings settings = factory;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    bool sawFamily = false;
    auto fail = [&lineNumber](const std::string& why) {
        return ParsedState{std::nullopt, "line " + std::to_string(lineNumber) + ": " + why};
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        if (lineNumber == 1) {
            if (line != kHeader) {
                return fail("not a tolvaro-routerd state file");
            }
            continue;
        }
        const auto w = words(line);
        if (w.empty()) {
            continue;
        }
        if (w[0] == "family" && w.size() == 2) {
            const auto family = number<int>(w[1]);
            if (!family || *family != factory.family) {
                return fail("written by a router of family " + w[1] +
                            "; this router is of family " + std::to_string(factory.family));
            }
            sawFamily = true;
        } else if ((w[0] == "address" || w[0] == "netmask") && w.size() == 2) {
            const auto address = ipslan::wire::parseIpv4(w[1]);
            if (!address) {
                return fail("\"" + w[1] + "\" is not a dotted address");
            }
            (w[0] == "address" ? settings.address : settings.netmask) = *address;
        } else if (w[0] == "value" && w.size() == 5) {
            const auto mode = number<int>(w[1]);
            const auto variable = number<int>(w[2], 16);
            const ipslan::VariableInfo* info =
                mode && variable ? ipslan::findVariable(*variable, *mode) : nullptr;
            if (info == nullptr || !info->writable ||
                !factory.values.contains({*variable, *mode})) {
                return fail("no stored variable " + w[2] + " in mode " + w[1]);
            }
            if (w[3] != kindName(info->kind)) {
                return fail("variable " + w[2] + " holds " + kindName(info->kind) + ", not " +
                            w[3]);
            }
            Value value{info->kind, 0, {}};
            if (info->kind == ipslan::VarKind::Integer) {
                const auto integer = number<std::int32_t>(w[4]);
                if (!integer) {
                    return fail("\"" + w[4] + "\" is not a 32-bit integer");
                }
                value.integer = *integer;
            } else {
                auto bytes = unhex(w[4]);
                if (!bytes || bytes->size() > info->maxLength) {
                    return fail("bad or over-long value for variable " + w[2]);
                }
                value.bytes = std::move(*bytes);
            }
            settings.values[{*variable, *mode}] = std::move(value);
        } else {
            return fail("cannot read \"" + line.substr(0, 40) + "\"");
        }
    }
    if (lineNumber == 0) {
        return ParsedState{std::nullopt, "the file is empty"};
    }
    if (!sawFamily) {
        return ParsedState{std::nullopt, "the family line is missing"};
    }
    if (!isLoopback(settings.address) || !isUsableAddress(settings.address, settings.netmask)) {
        return ParsedState{std::nullopt, "the stored address " +
                                             ipslan::wire::formatIpv4(settings.address) + " mask " +
                                             ipslan::wire::formatIpv4(settings.netmask) +
                                             " is not a usable loopback address"};
    }
    return ParsedState{std::move(settings), {}};
}

ParsedState loadState(const std::filesystem::path& file, const Settings& factory) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return {};
    }
    const auto size = std::filesystem::file_size(file, error);
    if (error || size > kMaxFileSize) {
        return ParsedState{std::nullopt, file.string() + ": unreadable or too large"};
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof()) {
        return ParsedState{std::nullopt, file.string() + ": cannot be read"};
    }
    auto parsed = parseState(text.str(), factory);
    if (!parsed.settings) {
        parsed.error = file.string() + ": " + parsed.error;
    }
    return parsed;
}

std::string saveState(const std::filesystem::path& file, const Settings& settings) {
    const std::string text = formatState(settings);
    std::filesystem::path temporary = file;
    temporary += ".tmp";
    // 0600: the state holds the administrator password.
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || ::fchmod(fd, 0600) != 0) {
        if (fd >= 0)
            ::close(fd);
        return "cannot create " + temporary.string();
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            ::close(fd);
            ::unlink(temporary.c_str());
            return "cannot write " + temporary.string();
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        ::unlink(temporary.c_str());
        return "cannot flush " + temporary.string();
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return "cannot replace " + file.string();
    }
    return {};
}

} // namespace routersim
