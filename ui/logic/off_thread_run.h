// A sort run that keeps the window alive: the engine works on a thread of
// its own while the window thread waits in a local event loop, repainting
// and answering the user (a second run is still refused by the caller).
// Every box and every clipboard call of the run is made on the window
// thread. For the caller the run stays synchronous.
#ifndef TARNEL_UI_LOGIC_OFF_THREAD_RUN_H_
#define TARNEL_UI_LOGIC_OFF_THREAD_RUN_H_

#include <cstdint>

#include "engine/sort_parameters.h"

namespace tarnel {

/// RunSort on a worker thread; returns its LastResult once the run and all
/// its boxes are over. Call it on the window thread.
std::int32_t RunSortOffThread(const SortRequest& request);

}  // namespace tarnel

#endif  // TARNEL_UI_LOGIC_OFF_THREAD_RUN_H_
