// Handing freed heap memory back to the operating system.
#pragma once

namespace tabrix::platform {

// Returns the free pages of the heap to the system, so that memory freed in many small
// blocks stops counting as resident while a large allocation grows.
void release_free_memory();

}  // namespace tabrix::platform
