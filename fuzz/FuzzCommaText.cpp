// libFuzzer entry for the comma text of movie entries: every line of the input is split into
// fields, and fields written back and read again must come out unchanged.
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "movielist/CommaText.h"
#include "movielist/MovieListFile.h"

using namespace cinevan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input = fuzz::bytesOf(data, size);
    for (const QByteArray& line : movielistfile::splitLines(input)) {
        fuzz::require(!line.contains('\0') && !line.contains('\n') && !line.contains('\r'),
                      "split lines hold no NUL and no line break");
        const QByteArrayList fields = commatext::read(line);
        // A trailing empty field is not written (a comma at the end adds none).
        if (fields.isEmpty() || fields.back().isEmpty()) {
            continue;
        }
        const QByteArray written = commatext::write(fields);
        fuzz::require(commatext::read(written) == fields, "written fields read back unchanged");
        fuzz::require(commatext::write(commatext::read(written)) == written, "writing is stable");
    }
    return 0;
}
