#include "PipeSecurity.h"

bool PipeSecurity::Build() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  DWORD length = 0;
  BOOL read = GetTokenInformation(token, TokenUser, user, sizeof user, &length);
  CloseHandle(token);
  if (!read) return false;
  PSID sid = reinterpret_cast<TOKEN_USER*>(user)->User.Sid;
  PACL dacl = reinterpret_cast<PACL>(acl);
  if (!IsValidSid(sid) || !InitializeAcl(dacl, sizeof acl, ACL_REVISION) ||
      !AddAccessAllowedAce(dacl, ACL_REVISION, GENERIC_ALL, sid) ||
      !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, dacl, FALSE) ||
      !SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
    return false;
  }
  attributes = {sizeof attributes, &descriptor, FALSE};
  return true;
}
