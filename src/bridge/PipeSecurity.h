// Security attributes that give the current user, and nobody else, access to an
// object: a protected DACL with one entry, for the user of the process token.
// Not inheritable.
#pragma once

#include <windows.h>

class PipeSecurity {
 public:
  // False when the token's user cannot be read or the DACL not built.
  bool Build();
  SECURITY_ATTRIBUTES* Attributes() { return &attributes; }

 private:
  alignas(8) unsigned char user[256] = {};
  alignas(8) unsigned char acl[256] = {};
  SECURITY_DESCRIPTOR descriptor = {};
  SECURITY_ATTRIBUTES attributes = {};
};
