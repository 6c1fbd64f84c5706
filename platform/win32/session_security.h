// Security attributes for the named objects shared between vantor.exe, vantor-cli and msghook.dll inside
// other applications: a DACL that admits only the logon session of the calling process's user (its logon
// SID), so that programs of other sessions or users cannot open them. Header-only, because msghook.dll is
// built from its own source alone. Under Wine the descriptor is accepted and not enforced.
// Threads: any; the attributes are built once per process (the first call) and never change afterwards.
#pragma once

#include <windows.h>

#include "platform/win32/scoped_win.h"

namespace vantor {
namespace win32 {

// The attributes to create a named object with; null (the default security) when the token names no
// logon session or the descriptor cannot be built.
struct SessionOnlySecurity {
    SECURITY_ATTRIBUTES attributes;
    SECURITY_DESCRIPTOR descriptor;
    DWORD acl[64]; // 256 bytes, DWORD-aligned: one ACE with the SID
    bool ready;
};

// Builds b in place (the descriptor points into it). False when the token names no logon session.
inline bool buildSessionOnly(SessionOnlySecurity* b) {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
    ScopedHandle token(opened);
    DWORD groupBytes[1024]; // 4 KB of TOKEN_GROUPS
    DWORD length = 0;
    PSID logon = nullptr;
    if (GetTokenInformation(token.get(), TokenGroups, groupBytes, sizeof groupBytes, &length)) {
        const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(groupBytes);
        for (DWORD i = 0; i < groups->GroupCount && logon == nullptr; ++i)
            if ((groups->Groups[i].Attributes & SE_GROUP_LOGON_ID) == SE_GROUP_LOGON_ID)
                logon = groups->Groups[i].Sid;
    }
    // The ACE copies the SID, so the token's groups may go once it is added.
    PACL acl = reinterpret_cast<PACL>(b->acl);
    const bool built = logon != nullptr && IsValidSid(logon) &&
                       InitializeAcl(acl, sizeof b->acl, ACL_REVISION) &&
                       AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, logon) &&
                       InitializeSecurityDescriptor(&b->descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                       SetSecurityDescriptorDacl(&b->descriptor, TRUE, acl, FALSE);
    if (!built) return false;
    b->attributes.nLength = sizeof b->attributes;
    b->attributes.lpSecurityDescriptor = &b->descriptor;
    b->attributes.bInheritHandle = FALSE;
    return true;
}

// The attributes to create a named object with; null (the default security) when the token names no
// logon session or the descriptor cannot be built.
inline SECURITY_ATTRIBUTES* sessionOnlyAttributes() {
    // Built once, on the first call (thread-safe), read-only afterwards.
    struct Built {
        SessionOnlySecurity security{};
        bool ready = buildSessionOnly(&security);
    };
    static Built built;
    return built.ready ? &built.security.attributes : nullptr;
}

} // namespace win32
} // namespace vantor
