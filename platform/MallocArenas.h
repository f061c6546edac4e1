#pragma once

namespace cinevan {

// glibc's allocator gives threads heaps ("arenas") of their own, up to eight per core, and a
// freed block goes back to the arena it came from, which keeps the pages around it. The movie
// engines start new decoding, output and software-rendering threads for every movie, so a
// looping list spreads short-lived buffers across all of those arenas and the program's
// resident memory climbs by tens of megabytes before it levels off.
//
// Keeps all threads to at most `count` arenas. Call it first thing in main(), before any
// thread exists: glibc settles its limit for good once threads have made more than eight
// arenas. Answers whether the allocator took the setting (an allocator other than glibc's,
// such as a sanitizer's, does not).
bool limitMallocArenas(int count);

// How many arenas the program's movie engines may share; one lets malloc_trim() hand back
// everything a closed movie freed.
constexpr int kMovieMallocArenas = 1;

}  // namespace cinevan
