// libFuzzer entry for the stored placement text: the input is a stored value ("left,top,
// right,bottom" and friends) split into words and read as numbers.
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "settings/PlacementText.h"

using namespace cinevan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(fuzz::bytesOf(data, size));
    const QStringList words = placement::Words(text);
    for (qsizetype i = 0; i <= words.size(); ++i) {
        const int fallback = -12345;
        const int value = placement::WordAsInt(words, int(i), fallback);
        if (value != fallback) {
            fuzz::require(placement::ToInt(QString::number(value), fallback - 1) == value,
                          "a number reads back as itself");
        }
        placement::StateOfShowCmd(value);
    }
    const QStringList again = placement::Words(words.join(QLatin1Char(',')));
    fuzz::require(again == words, "joined words split the same way");
    return 0;
}
