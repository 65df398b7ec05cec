#include "runtime/private_file.h"

#include "runtime/scoped.h"

namespace {

// The process token's user, with room for a SID of any size behind the record.
struct TokenUserBuffer {
  TOKEN_USER user;
  BYTE sid[SECURITY_MAX_SID_SIZE];
};

// A SID of any size, DWORD-aligned as the security functions want it.
struct SidBuffer {
  alignas(DWORD) BYTE bytes[SECURITY_MAX_SID_SIZE];
};

constexpr DWORD kAllowedCount = 3;
// An ACCESS_ALLOWED_ACE ends in the first DWORD of its SID (SidStart).
constexpr DWORD kAclBytes =
    sizeof(ACL) + kAllowedCount * (sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + SECURITY_MAX_SID_SIZE);

// The descriptor and everything it points into; it lives as long as the CreateFileW call.
struct PrivateSecurity {
  TokenUserBuffer user;
  SidBuffer system;
  SidBuffer administrators;
  alignas(DWORD) BYTE acl[kAclBytes];
  SECURITY_DESCRIPTOR descriptor;
};

bool ReadProcessUser(TokenUserBuffer* user) {
  ScopedHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.out())) return false;
  DWORD size = 0;
  return GetTokenInformation(token.get(), TokenUser, user, sizeof *user, &size) != 0;
}

bool WellKnownSid(WELL_KNOWN_SID_TYPE type, SidBuffer* sid) {
  DWORD size = sizeof sid->bytes;
  return CreateWellKnownSid(type, nullptr, sid->bytes, &size) != 0;
}

bool Build(PrivateSecurity* security) {
  if (!ReadProcessUser(&security->user) || !WellKnownSid(WinLocalSystemSid, &security->system) ||
      !WellKnownSid(WinBuiltinAdministratorsSid, &security->administrators)) {
    return false;
  }
  auto* acl = reinterpret_cast<ACL*>(security->acl);
  if (!InitializeAcl(acl, kAclBytes, ACL_REVISION)) return false;
  const PSID allowed[kAllowedCount] = {security->user.user.User.Sid, security->system.bytes,
                                       security->administrators.bytes};
  for (PSID sid : allowed) {
    if (!AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, sid)) return false;
  }
  // Protected: the folder's inheritable entries (Everyone, Users, ...) are not added to the file's.
  return InitializeSecurityDescriptor(&security->descriptor, SECURITY_DESCRIPTOR_REVISION) &&
         SetSecurityDescriptorDacl(&security->descriptor, TRUE, acl, FALSE) &&
         SetSecurityDescriptorControl(&security->descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
}

}  // namespace

HANDLE CreatePrivateFile(const wchar_t* name, DWORD access, DWORD share, DWORD disposition) {
  PrivateSecurity security{};
  if (!Build(&security)) return INVALID_HANDLE_VALUE;  // the last error says why
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &security.descriptor, FALSE};
  return CreateFileW(name, access, share, &attributes, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}
