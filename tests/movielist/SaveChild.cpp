// Helper process for the interrupted-save tests: loads a movie list, says "ready", waits for
// one line on its input and then saves the list under another name, saying "saved" after.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

#include "movielist/MovieList.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " SOURCE.mls TARGET.mls\n";
        return 2;
    }
    cinevan::MovieList list;
    list.AddMovies({QByteArray(argv[1])}, false);
    std::cout << "ready " << list.MovieCount() << std::endl;
    std::string go;
    std::getline(std::cin, go);
    try {
        list.SaveMovies(QByteArray(argv[2]));
    } catch (const std::exception& error) {
        std::cout << error.what() << std::endl;
        return 1;
    }
    std::cout << "saved" << std::endl;
    return 0;
}
