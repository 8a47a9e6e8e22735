#pragma once
// The two permissions needed to work on other applications: accessibility trust (reading and focusing
// their fields) and posting synthetic key events to them. Every call answers from state the backend keeps
// up to date and never blocks; changed() follows each change.

#include <QObject>

class Permissions : public QObject {
    Q_OBJECT
public:
    // Accessibility trust, checked without asking.
    virtual bool isTrusted() const = 0;
    // Permission to post key events to other applications, checked without asking.
    virtual bool canPostEvents() const = 0;

    // Asks for trust (the system may prompt) and answers whether it is held now; a grant that comes later
    // arrives through changed().
    virtual bool requestTrust() = 0;
    // Asks for the event-posting permission; answers whether it is held afterwards.
    virtual bool requestEventPosting() = 0;

    // Opens the system's accessibility settings; false when there is none to open.
    virtual bool openAccessibilitySettings() = 0;

Q_SIGNALS:
    // isTrusted() or canPostEvents() changed.
    void changed();

protected:
    using QObject::QObject;
};
