#include "link/OperationKind.h"

namespace korvane {

namespace {

constexpr bool EveryRowIsItsKind() {
  int k = 1;
  for (const OperationInfo& op : kOperations)
    if (op.kind != k++) return false;
  return true;
}
static_assert(EveryRowIsItsKind(), "the table is looked up by position");

}  // namespace

const char* OperationKey(int kind) {
  const OperationInfo* op = OperationInfoOf(kind);
  return op ? op->key : "COMMAND_UNKNOWN_REQ";
}

bool IsChipOperation(int kind) {
  const OperationInfo* op = OperationInfoOf(kind);
  return op && op->ToChip();
}

bool IsWriteOperation(int kind) {
  const OperationInfo* op = OperationInfoOf(kind);
  return op && op->Writes();
}

bool IsToolWriteOperation(int kind) {
  const OperationInfo* op = OperationInfoOf(kind);
  return op && op->Writes() && op->target == TargetKind::Tool;
}

bool OperationServes(int kind, OpDirection direction) {
  const OperationInfo* op = OperationInfoOf(kind);
  return op && op->Serves(direction);
}

}  // namespace korvane
