#pragma once

#include <QMetaType>
#include <QObject>

namespace cinevan {

// Size limits of a window: every non-zero field replaces the limit the platform would use.
// Tracking sizes are the smallest and largest size the user can drag the window to.
struct TWinMinMaxInfo {
    Q_GADGET
    Q_PROPERTY(int MaxPosLeft MEMBER MaxPosLeft)
    Q_PROPERTY(int MaxPosTop MEMBER MaxPosTop)
    Q_PROPERTY(int MaxSizeHeight MEMBER MaxSizeHeight)
    Q_PROPERTY(int MaxSizeWidth MEMBER MaxSizeWidth)
    Q_PROPERTY(int MaxTrackHeight MEMBER MaxTrackHeight)
    Q_PROPERTY(int MaxTrackWidth MEMBER MaxTrackWidth)
    Q_PROPERTY(int MinTrackHeight MEMBER MinTrackHeight)
    Q_PROPERTY(int MinTrackWidth MEMBER MinTrackWidth)

public:
    int MaxPosLeft = 0;
    int MaxPosTop = 0;
    int MaxSizeHeight = 0;
    int MaxSizeWidth = 0;
    int MaxTrackHeight = 0;
    int MaxTrackWidth = 0;
    int MinTrackHeight = 0;
    int MinTrackWidth = 0;

    bool IsDefault() const { return *this == TWinMinMaxInfo{}; }
    bool operator==(const TWinMinMaxInfo&) const = default;
};

}  // namespace cinevan

Q_DECLARE_METATYPE(cinevan::TWinMinMaxInfo)
