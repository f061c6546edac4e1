#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "settings/WinMinMaxInfo.h"

class QWidget;

namespace cinevan {

class SettingsKey;

// Remembers its window's placement (normal rectangle, state) in the current user's settings.
// Owned by the window, it watches the window's events: every showing restores the placement
// before the window's own show handling; an accepted close saves it after the window's own
// close handling; the window's destruction saves it if it was shown and not saved since.
// A window that was never shown writes nothing.
class TFormPlacement : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(QString IniFileName READ IniFileName WRITE SetIniFileName)
    Q_PROPERTY(QString IniSection READ IniSection WRITE SetIniSection)
    Q_PROPERTY(cinevan::TWinMinMaxInfo MinMaxInfo READ MinMaxInfo WRITE SetMinMaxInfo)
    Q_PROPERTY(TPlacementOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(bool PreventResize READ PreventResize WRITE SetPreventResize)
    Q_PROPERTY(bool UseRegistry READ UseRegistry WRITE SetUseRegistry)
    Q_CLASSINFO("LocalizableProperties", "IniFileName,IniSection")

public:
    // fpActiveControl is accepted but not stored.
    enum TPlacementOption { fpState = 1, fpPosition = 2, fpActiveControl = 4 };
    Q_DECLARE_FLAGS(TPlacementOptions, TPlacementOption)
    Q_FLAG(TPlacementOptions)

    using ErrorDisplay = std::function<void(QWidget* window, const QString& text)>;

    explicit TFormPlacement(QWidget* owner);
    ~TFormPlacement() override;

    bool Active() const { return FActive; }
    void SetActive(bool active) { FActive = active; }
    const QString& IniFileName() const { return FIniFileName; }
    void SetIniFileName(const QString& name) { FIniFileName = name; }
    const QString& IniSection() const { return FIniSection; }
    void SetIniSection(const QString& section) { FIniSection = section; }
    const TWinMinMaxInfo& MinMaxInfo() const { return FMinMaxInfo; }
    void SetMinMaxInfo(const TWinMinMaxInfo& info);
    TPlacementOptions Options() const { return FOptions; }
    void SetOptions(TPlacementOptions options) { FOptions = options; }
    bool PreventResize() const { return FPreventResize; }
    void SetPreventResize(bool prevent);
    // Off: IniFileName names an INI file instead of a key of the user's settings.
    bool UseRegistry() const { return FUseRegistry; }
    void SetUseRegistry(bool use) { FUseRegistry = use; }

    void SaveWindowState();
    void RestoreWindowState();
    // One value of this window's section; inside the placement signals they use the key that
    // is open, elsewhere they open it themselves. Both throw ESettingsError when the value
    // cannot be read (not a text) or written.
    QString ReadValue(const QString& name, const QString& fallback);
    void WriteValue(const QString& name, const QString& value);

    // For a window whose close handler must save before it tears anything down: saves now, as
    // the close hook would, so that the hook does not save again.
    void SaveOnClose();
    // The destroy hook. The window calls it first thing in its destructor when the placement
    // signals reach into its own members; otherwise it runs when the component is deleted
    // with its window.
    void OwnerDestroy();

    bool WasSaved() const { return FWasSaved; }
    bool WasRestored() const { return FWasRestored; }

    // The window whose minimised placement minimises the whole application.
    static void SetApplicationMainWindow(QWidget* window);
    // Shows the errors of saving and restoring; a message box unless replaced.
    static void SetErrorDisplay(ErrorDisplay display);

signals:
    void OnSavePlacement();
    void OnRestorePlacement();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    QWidget* Owner() const { return FOwner; }
    virtual void WriteStoredProps() {}
    virtual void ReadStoredProps() {}

private:
    class KeyScope;

    void WritePlacement();
    void ReadPlacement();
    void ReadPosition();
    void ReadState();
    void AdjustMaximizedPosition();
    void ApplyMinMaxInfo();
    void ApplyNormalRect(int left, int top, int right, int bottom);
    void CorrectFrame();
    QString ReadPositionText(const QString& name);
    void WriteTwice(const QString& name, const QString& value);
    void Guarded(const std::function<void()>& step) const;
    bool IsMainWindow() const;

    QWidget* FOwner;
    bool FActive = true;
    QString FIniFileName;
    QString FIniSection;
    TWinMinMaxInfo FMinMaxInfo;
    TPlacementOptions FOptions = TPlacementOptions(fpState | fpPosition);
    bool FPreventResize = false;
    bool FUseRegistry = true;

    bool FWasSaved = false;
    bool FWasRestored = false;
    bool FInDestroy = false;
    bool FDestroyDone = false;
    bool FDispatchingClose = false;
    SettingsKey* FKey = nullptr;  // open only during one save or restore
    int FFlags = 0;
    QPoint FMinPosition{-1, -1};
    QPoint FMaxPosition{-1, -1};
    // Frame rectangle asked for before the window manager had framed the window; the client
    // rectangle is corrected once the frame is known.
    QRect FPendingFrame;
    QTimer FFrameTimer;
    int FFrameTries = 0;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TFormPlacement::TPlacementOptions)

}  // namespace cinevan
