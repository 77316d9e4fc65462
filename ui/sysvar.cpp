#include "ui/sysvar.h"

#include <cstring>

#include "kernel/keyqueue.h"
#include "memory/mcs_api.h"

Value *SysReadVariable(u8 code, Value *out) {
  McsReadVariable(code, out);
  return out;
}

void SysStoreVariable(u8 code, const Value *value) {
  if (ValErrorCode(value) != 0) return;
  if (McsStoreVariable(code, value) == 0 && code == kVarAns) HostPublishAnswer(value);
}

void SysClearVariables() {
  Value zero;
  std::memset(&zero, 0, sizeof zero);
  for (u8 c = 'A'; c <= 'Z'; ++c) McsStoreVariable(c, &zero);
  McsStoreVariable(kVarTheta, &zero);
  McsStoreVariable(kVarR, &zero);
}

u32 SysBusyQuery() { return 0; }
