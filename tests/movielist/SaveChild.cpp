// Helper process for the interrupted-save tests. It loads a movie list once and says
// "ready <entries>"; then, for every line on its input, a forked copy of itself saves the
// list under the target name while this process says "saving <pid>" and, once the copy has
// ended (finished or killed), "ended <status>".
#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <iostream>
#include <string>

#include "movielist/MovieList.h"

namespace {

[[noreturn]] void SaveAndExit(const cinevan::MovieList& list, const char* target) {
    try {
        list.SaveMovies(QByteArray(target));
    } catch (const std::exception&) {
        ::_exit(1);
    }
    ::_exit(0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " SOURCE.mls TARGET.mls\n";
        return 2;
    }
    cinevan::MovieList list;
    list.AddMovies({QByteArray(argv[1])}, false);
    std::cout << "ready " << list.MovieCount() << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
        const pid_t saver = ::fork();
        if (saver == 0) {
            SaveAndExit(list, argv[2]);
        }
        std::cout << "saving " << saver << std::endl;
        int status = 0;
        ::waitpid(saver, &status, 0);
        std::cout << "ended " << status << std::endl;
    }
    return 0;
}
