// Large-page advice for the pixel stores, the same for both back-ends.
#include <sys/mman.h>

#include "platform/backend.h"

namespace platform {

void AdviseLargePages(void* start, size_t bytes) {
#ifdef MADV_HUGEPAGE
  constexpr size_t kLargePage = size_t(2) << 20;
  madvise(start, (bytes + kLargePage - 1) / kLargePage * kLargePage, MADV_HUGEPAGE);
#else
  (void)start;
  (void)bytes;
#endif
}

}  // namespace platform
