#pragma once
// Centres a window on the screen under the pointer the first time it takes the keyboard, and again the first
// time after each close, so that the window reopens where the user is. Put it into a window with
// setWindow(); it follows that window until it is moved to another (or to none).

#include <QObject>
#include <QPointer>

class Clock;
class Panel;
class Screens;

class WindowCenteringView : public QObject {
    Q_OBJECT
public:
    WindowCenteringView(Screens &screens, Clock &clock, QObject *parent = nullptr);
    ~WindowCenteringView() override;

    Panel *observedWindow() const { return m_observedWindow; }
    bool needsCentering() const { return m_needsCentering; }

    // The view moves into `window` (nullptr: out of any window).
    void setWindow(Panel *window);

    // Moves the window's centre onto the centre of the available geometry of the screen under the pointer
    // (else the window's own screen, else the primary screen), once per need.
    void centerWindow(Panel *window);

private:
    Screens &m_screens;
    Clock &m_clock;
    QPointer<Panel> m_observedWindow;
    bool m_needsCentering = true;
    QList<QMetaObject::Connection> m_connections;
    quint64 m_yieldTimer = 0;
};
