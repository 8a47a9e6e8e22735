#pragma once
// The two permissions needed to work on other applications: accessibility trust (reading and focusing
// their fields) and posting synthetic key events to them.

#include <QObject>

class Permissions : public QObject {
    Q_OBJECT
public:
    // Accessibility trust, checked without asking.
    virtual bool isTrusted() const = 0;
    // Permission to post key events to other applications, checked without asking.
    virtual bool canPostEvents() const = 0;

    // Asks for trust (the system may prompt); answers whether it is held afterwards.
    virtual bool requestTrust() = 0;
    // Asks for the event-posting permission; answers whether it is held afterwards.
    virtual bool requestEventPosting() = 0;

    // Opens the system's accessibility settings; false when there is none to open.
    virtual bool openAccessibilitySettings() = 0;

protected:
    using QObject::QObject;
};
