// libFuzzer entry for the reader of the options file and the message catalog: the input is
// stored as an initialisation file and the sections the program reads are read from it, with
// the buffer limits the reader promises to keep.
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "platform/PrivateProfile.h"

using namespace cinevan;

namespace {

// Two sections the program reads, and the first one the input names itself.
QByteArrayList sectionsOf(const QByteArray& input) {
    QByteArrayList sections{"Options", "Fatal Errors"};
    const qsizetype open = input.indexOf('[');
    const qsizetype close = input.indexOf(']', open + 1);
    if (open >= 0 && close > open) {
        sections.append(input.mid(open + 1, close - open - 1).trimmed());
    }
    return sections;
}

void readSection(const PrivateProfile& profile, const QByteArray& section) {
    const QByteArrayList names = profile.ReadKeyNames(section);
    qsizetype used = 1;
    for (const QByteArray& name : names) {
        used += name.size() + 1;
    }
    fuzz::require(used <= PrivateProfile::kNamesBufferSize, "key names fit their buffer");
    const QByteArrayList small = profile.ReadKeyNames(section, 16);
    fuzz::require(small == names.first(small.size()), "a smaller buffer keeps a prefix");
    // The first keys read one by one, as the catalog loads them.
    for (qsizetype i = 0; i < std::min<qsizetype>(names.size(), 2); ++i) {
        const QByteArray value = profile.ReadString(section, names[i], "-", 8);
        fuzz::require(value.size() <= 7, "a value fits its buffer");
    }
    for (const auto& [name, value] : profile.ReadSectionValues(section)) {
        fuzz::require(!value.isEmpty() && names.contains(name), "pairs come from the names");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFile file(".ini");
    const QByteArray input = fuzz::bytesOf(data, size);
    file.write(input);
    const PrivateProfile profile(file.path());
    for (const QByteArray& section : sectionsOf(input)) {
        readSection(profile, section);
    }
    return 0;
}
