// libFuzzer entry for the movie-list file: the input is stored as a ".mls" file, added to a
// movie list the way the command line and the editor add one, and every field of every entry
// is read; names are made absolute, so file and cover names always start with a slash.
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "movielist/MovieList.h"

using namespace cinevan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFile file(".mls");
    file.write(fuzz::bytesOf(data, size));
    MovieList list;
    list.AddMovies({QFile::encodeName(file.path())}, false);
    fuzz::require(list.Current() == (list.MovieCount() > 0 ? 0 : -1),
                  "the first entry is current after adding to an empty list");
    for (int i = 0; i < list.MovieCount(); ++i) {
        for (int field = 0; field < 5; ++field) {
            const QByteArray value = list.GetMovieField(i, field);
            if ((field == 0 || field == 2) && !value.isEmpty()) {
                fuzz::require(value.startsWith('/'), "file and cover names are absolute");
            }
        }
    }
    return 0;
}
