#pragma once
// The system alert sound.

#include <QObject>

class Beeper : public QObject {
    Q_OBJECT
public:
    virtual void beep() = 0;

protected:
    using QObject::QObject;
};
