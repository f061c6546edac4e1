#include "settings/PlacementText.h"

#include <QRegularExpression>

namespace cinevan::placement {

int ToInt(const QString& text, int fallback) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    int value = 0;
    if (trimmed.size() > 2 &&
        (trimmed.startsWith(QLatin1String("0x")) || trimmed.startsWith(QLatin1String("0X")))) {
        // Hexadecimal texts hold the bit pattern of a 32-bit number.
        value = static_cast<int>(trimmed.mid(2).toUInt(&ok, 16));
    } else {
        value = trimmed.toInt(&ok, 10);
    }
    return ok ? value : fallback;
}

QStringList Words(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[, ]+"));
    return text.split(separators, Qt::SkipEmptyParts);
}

int WordAsInt(const QStringList& words, int index, int fallback) {
    return index < words.size() ? ToInt(words.at(index), fallback) : fallback;
}

QString FourNumbers(int a, int b, int c, int d) {
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

QString ResolutionSuffix(const QSize& screen) {
    return QStringLiteral("(%1x%2)").arg(screen.width()).arg(screen.height());
}

ShowState StateOfShowCmd(int showCmd) {
    switch (showCmd) {
        case 2:
        case 6:
        case 7:
            return ShowState::Minimized;
        case 3:
            return ShowState::Maximized;
        default:
            return ShowState::Normal;
    }
}

}  // namespace cinevan::placement
