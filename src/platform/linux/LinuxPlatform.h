#pragma once
// The real desktop: builds every Linux backend once, for the running program.

#include "platform/Platform.h"

#include <QObject>

#include <memory>

class XcbSession;

class LinuxPlatform : public QObject {
    Q_OBJECT
public:
    enum class Purpose {
        application,    // the running program: every backend
        serviceRequest, // a command that hands the selection to the running program: only the workspace,
                        // accessibility, the selection and the services (never the clipboard or hot keys)
    };

    explicit LinuxPlatform(QObject *parent = nullptr);
    explicit LinuxPlatform(Purpose purpose, QObject *parent = nullptr);
    ~LinuxPlatform() override;

    Platform platform() const { return m_platform; }

    // Empty when an X11 display can be opened; otherwise what stands in the way, for the user.
    static QString displayProblem();
    // In a Wayland session (where Tavlen runs through XWayland), what it cannot count on there, for the user;
    // empty in an X11 session.
    static QString sessionLimits();
    // Before the application object is made: Qt draws the windows on the X server, the way they are drawn
    // best for Tavlen.
    static void useX11Windows();

private:
    // One X connection for the backends that neither block on it nor select root input of their own.
    std::unique_ptr<XcbSession> m_x11;
    Platform m_platform;
};
