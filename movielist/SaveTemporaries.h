#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <optional>

namespace cinevan::savetemporaries {

// A save writes the new list to a hidden file beside it first (".list.mls.<writer>.<random>")
// and renames it over the list once complete. The writer part names the writing process and the
// machine it runs on, so that what a killed save left behind can be told from the file of a
// save still going on, here or on another machine sharing the folder.
struct Writer {
    pid_t pid = 0;
    QByteArray host;  // a short tag of the machine's name
};

// The writer part for this process on this machine.
Writer thisWriter();

// The temporary name for saving `target` (a full path) by `writer`, with `random` telling
// apart several saves of one writer.
QByteArray nameFor(const QByteArray& target, const Writer& writer, quint32 random);

// The writer a file name of the folder of `target` tells of, when it is such a temporary of
// `target`; nothing for every other name.
std::optional<Writer> writerOf(const QByteArray& target, const QByteArray& fileName);

// Removes the temporaries of `target` that saves killed before they finished left behind:
// regular files of this user, written on this machine by a process that no longer exists.
// Returns how many were removed; failures leave the files in place.
int removeLeftovers(const QByteArray& target);

}  // namespace cinevan::savetemporaries
