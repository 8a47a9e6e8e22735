#pragma once
// The clipboard tab's one-line search field: Down, Up and Return go to the panel (the keyboard moves the
// selection and pastes from the field); every other key edits the text. A new focus request number asks
// for the focus once; focus changes and edits are reported back.

#include <QLineEdit>

#include <functional>
#include <optional>

class NotchClipboardSearchTextField : public QLineEdit {
    Q_OBJECT
public:
    static inline const QString placeholder = QStringLiteral("Search…");
    static inline const QString identifier = QStringLiteral("notchClipboardSearchField");

    explicit NotchClipboardSearchTextField(QWidget *parent = nullptr);

    std::function<void()> onArrowDown;
    std::function<void()> onArrowUp;
    std::function<void()> onSubmit;
    // The focus flag the panel keeps: called when editing begins (true) or ends (false).
    std::function<void(bool)> onFocusChanged;

    // Takes the focus when `focused` and the request is new (or the field is not being edited);
    // gives it up when not `focused`.
    void update(bool focused, int focusRequest);
    std::optional<int> lastFocusRequest() const { return m_lastFocusRequest; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    std::optional<int> m_lastFocusRequest;
};
