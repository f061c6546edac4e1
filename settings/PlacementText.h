#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

namespace cinevan::placement {

// The number in `text`: decimal, or hexadecimal after "0x"/"0X"; `fallback` when the text is
// not a number.
int ToInt(const QString& text, int fallback);

// The words of a placement text, separated by commas or blanks (runs count as one).
QStringList Words(const QString& text);

// Word `index` (0-based) of `words` as a number; `fallback` when missing or not a number.
int WordAsInt(const QStringList& words, int index, int fallback);

// "%d,%d,%d,%d" of four numbers.
QString FourNumbers(int a, int b, int c, int d);

// "(WxH)" of a screen size, appended to the names of the values kept per screen size.
QString ResolutionSuffix(const QSize& screen);

// Window show commands as the stored value "ShowCmd" holds them.
enum class ShowState { Normal, Minimized, Maximized };
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
ShowState StateOfShowCmd(int showCmd);

// Placement flag: the minimised window goes back to maximised when restored.
constexpr int kRestoreToMaximized = 2;

}  // namespace cinevan::placement
