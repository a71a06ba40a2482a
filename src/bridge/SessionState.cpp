#include "SessionState.h"

#include <string.h>

void SessionState::NoteRow(const unsigned char* cells, int count) {
  if (!cells && count > 0) return;
  int n = count < DriverLimits::kCells ? count : DriverLimits::kCells;
  memset(row, 0, sizeof row);
  if (n > 0) memcpy(row, cells, n);
}

bool SessionState::RowBlank() const {
  static const unsigned char kBlank[DriverLimits::kCells] = {};
  return memcmp(row, kBlank, sizeof row) == 0;
}

Message SessionState::InitRequest() const {
  Message request(MessageKind::kInit);
  request.PutInt(1);
  request.PutInt(callback != nullptr);
  request.PutString(settings);
  return request;
}

Message SessionState::RowRequest() const {
  Message request(MessageKind::kDisplay);
  request.PutInt(DriverLimits::kCells);
  request.PutInt(1);
  request.PutBytes(row, sizeof row);
  return request;
}
