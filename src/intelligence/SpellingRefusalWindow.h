#pragma once
// Why a spelling check did not start, in Tavlen's own look: a small window with the reason and OK. The
// request it answers has already been answered, so nothing waits on it; OK, Return and Escape close it, and
// a newer refusal takes its place. Shown for another program's call, it leaves the keyboard where it is
// (a click on OK closes it).

#include "platform/Platform.h"
#include "ui/BaseWindow.h"
#include "ui/Palette.h"

#include <QString>

#include <functional>

class AlertView;

class SpellingRefusalWindow : public BaseWindow {
    Q_OBJECT
public:
    static constexpr double cornerRadius = 14;

    // `palette` is asked at every paint.
    SpellingRefusalWindow(const Platform &platform, const QString &title, const QString &message, bool takesKeyboard,
                          std::function<Palette()> palette, QObject *parent = nullptr);
    ~SpellingRefusalWindow() override;

    AlertView *alert() const;
    bool takesKeyboard() const { return m_takesKeyboard; }
    // Centred in the upper part of the screen under the pointer, in front, holding the keyboard when it takes it.
    void show();
    // Takes the window off screen for good and deletes it later.
    void close();

private:
    Platform m_platform;
    bool m_takesKeyboard;
    bool m_isClosing = false;
};
