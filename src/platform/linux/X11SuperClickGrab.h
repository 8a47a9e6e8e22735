#pragma once
// Keeps a Super + double-click away from the application under the pointer from its second click on: a
// passive grab of Super + left button on the root (with each Lock and NumLock combination), on an X
// connection and a thread of its own, so that every grabbed press is decided at once however busy the main
// thread is. A press that starts a click sequence, or lands on one of Tavlen's own windows, is replayed to
// where it was going (the first click still places the caret); a press that continues a double or triple
// click goes nowhere. Raw input events pass grabs, so global monitors still see every press. Where another
// program holds the grab, nothing is kept back.

#include <QObject>
#include <QThread>

#include <memory>

class X11SuperClickGrab : public QObject {
    Q_OBJECT
public:
    explicit X11SuperClickGrab(QObject *parent = nullptr);
    ~X11SuperClickGrab() override;

    // Asks for the grab or gives it up; `interval` (seconds) is the longest gap within a double click.
    void setWanted(bool wanted, double interval);
    // The grab is in place now.
    bool isHeld() const { return m_held; }

Q_SIGNALS:
    // Another program holds Super + left button on the root.
    void refused();

private:
    struct Serving;

    void finishRequest(bool wanted, int error);

    QThread m_thread;
    // The context the work runs in, on m_thread while that runs.
    QObject m_context;
    // Touched on m_thread only.
    std::unique_ptr<Serving> m_serving;
    bool m_wanted = false;
    double m_interval = 0;
    bool m_held = false;
};
