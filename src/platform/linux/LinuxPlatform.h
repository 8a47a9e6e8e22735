#pragma once
// The real desktop: builds every Linux backend once, for the running program.

#include "platform/Platform.h"

#include <QObject>

#include <memory>

class LinuxPlatform : public QObject {
    Q_OBJECT
public:
    explicit LinuxPlatform(QObject *parent = nullptr);
    ~LinuxPlatform() override;

    Platform platform() const { return m_platform; }

    // Empty when an X11 display can be opened; otherwise what stands in the way, for the user.
    static QString displayProblem();

private:
    Platform m_platform;
};
