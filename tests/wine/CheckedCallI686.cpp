// The i686 check: pushes two arguments, calls, pops them as a cdecl caller does,
// then compares esp, ebx, esi, edi and ebp with the values set before the call. A
// stdcall export (ret 8) or a driver that called the stdcall key callback as cdecl
// leaves the stack pointer off by 8 bytes.
#include "CheckedCall.h"

extern "C" {
void* savedStack;
int checkedResult;
}

asm(R"(
  .text
  .globl _CheckedCall
_CheckedCall:
  push %ebp
  push %ebx
  push %esi
  push %edi
  mov 20(%esp), %eax
  mov 24(%esp), %ecx
  mov 28(%esp), %edx
  mov %esp, _savedStack
  push %edx
  push %ecx
  mov $0x11111111, %ebx
  mov $0x22222222, %esi
  mov $0x33333333, %edi
  mov $0x44444444, %ebp
  call *%eax
  add $8, %esp
  mov %eax, _checkedResult
  xor %eax, %eax
  cmp _savedStack, %esp
  jne 1f
  cmp $0x11111111, %ebx
  jne 1f
  cmp $0x22222222, %esi
  jne 1f
  cmp $0x33333333, %edi
  jne 1f
  cmp $0x44444444, %ebp
  je 2f
1:
  mov _savedStack, %esp
  mov $1, %eax
2:
  pop %edi
  pop %esi
  pop %ebx
  pop %ebp
  ret
)");
