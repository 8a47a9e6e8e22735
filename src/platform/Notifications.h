#pragma once
// Desktop notifications: how Tavlen tells a person about a failure a program started at login would
// otherwise only write to a log nobody reads. Posting never blocks and never fails loudly: where the
// desktop shows no notifications, nothing is shown and nothing else changes.

#include <QObject>
#include <QString>

class Notifications : public QObject {
    Q_OBJECT
public:
    virtual void post(const QString &summary, const QString &body) = 0;

protected:
    using QObject::QObject;
};
