#include "app/AlterEgo.h"
#include "app/ProgramEntry.h"
#include "platform/MallocArenas.h"

int main(int argc, char** argv) {
    // Before any thread starts: the movie engines' threads share the allocator's arenas.
    cinevan::limitMallocArenas(cinevan::kMovieMallocArenas);
    // A second start of the same program file ends silently, before any window exists.
    if (!cinevan::FirstInstance()) {
        return 0;
    }
    return cinevan::RunProgram(argc, argv);
}
