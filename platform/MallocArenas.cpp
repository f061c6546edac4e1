#include "platform/MallocArenas.h"

#include <malloc.h>

namespace cinevan {

bool limitMallocArenas(int count) {
    return count > 0 && mallopt(M_ARENA_MAX, count) == 1;
}

}  // namespace cinevan
