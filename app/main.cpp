#include "app/AlterEgo.h"
#include "app/ProgramEntry.h"

int main(int argc, char** argv) {
    // A second start of the same program file ends silently, before any window exists.
    if (!cinevan::FirstInstance()) {
        return 0;
    }
    return cinevan::RunProgram(argc, argv);
}
