#include "platform/memory.h"

#include <malloc.h>

namespace tabrix::platform {

void release_free_memory() {
    malloc_trim(0);
}

}  // namespace tabrix::platform
