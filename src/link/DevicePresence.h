#pragma once
// Keeps the port in step with devices coming and going: an arrival reopens a
// closed port with the stored settings, a removal that took the port with it
// closes it. Both are logged and shown in the status text.
#include <cstdint>

#include "link/LinkContext.h"

namespace korvane {

constexpr uint32_t kDeviceArrival = 0x8000;
constexpr uint32_t kDeviceRemoveComplete = 0x8004;

// Called on the UI thread with every device event. A removal while an
// operation runs never closes the port under the worker: the worker is told
// to stop (its operation ends with an error) and the close waits for its end;
// an arrival meanwhile reopens the port after that close.
void OnDeviceChange(LinkContext& link, uint32_t event);

// Carries out a close that a removal deferred, and the reopen an arrival
// meanwhile asked for; the runner calls it once the worker has ended.
void FinishPendingClose(LinkContext& link);

}  // namespace korvane
