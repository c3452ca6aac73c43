#include "pages/authentication.h"

namespace tolvaro::pages {

Authentication authenticationOf(int value) {
    switch (value & kAuthenticationMask) {
    case kAuthenticationEnable:
        return Authentication::Enable;
    case kAuthenticationChap:
        return Authentication::Chap;
    default:
        return Authentication::Disable;
    }
}

int withAuthentication(int value, Authentication mode) {
    switch (mode) {
    case Authentication::Enable:
        return (value & 0x9f) | kAuthenticationEnable;
    case Authentication::Chap:
        return (value & 0xaf) | kAuthenticationChap;
    case Authentication::Disable:
        break;
    }
    return value & 0x8f;
}

} // namespace tolvaro::pages
