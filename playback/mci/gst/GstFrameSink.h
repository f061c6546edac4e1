#pragma once

#include <gst/app/gstappsink.h>

#include <QImage>
#include <QMutex>
#include <QObject>
#include <atomic>

namespace cinevan::mci::gst {

// Takes the decoded pictures from an appsink (BGRx) on the streaming thread and keeps the
// latest one for the video surface. Every picture is copied once, and only while someone
// wants to see it; the GUI thread learns of a new picture through frameArrived(), emitted
// on the thread this object lives on.
class GstFrameSink : public QObject {
    Q_OBJECT
public:
    explicit GstFrameSink(QObject* parent = nullptr);

    // Installs the callbacks on `appsink`. The appsink must be stopped (pipeline in NULL)
    // before this object goes away.
    void attach(GstAppSink* appsink);

    // Whether pictures are copied at all; without a host they are dropped right away.
    void setWanted(bool wanted) { wanted_.store(wanted); }

    // Copies the picture the sink shows now (e.g. when a paused video gets a host).
    void takeLastSample(GstElement* appsink);

    QImage frame() const;

signals:
    void frameArrived();

private:
    static GstFlowReturn onNewSample(GstAppSink* appsink, gpointer self);
    static GstFlowReturn onNewPreroll(GstAppSink* appsink, gpointer self);
    void store(GstSample* sample);

    mutable QMutex mutex_;
    QImage frame_;
    std::atomic<bool> wanted_{false};
    std::atomic<bool> notifyPending_{false};
};

}  // namespace cinevan::mci::gst
