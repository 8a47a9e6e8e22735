#pragma once
// The clipboard tab's one-line search field: Down, Up and Return go to the panel (the keyboard moves the
// selection and pastes from the field); Tab and Shift+Tab end editing and leave the keys to the list;
// every other key edits the text. A new focus request number asks
// for the focus once; focus changes and edits are reported back.

#include <QColor>
#include <QLineEdit>

#include <functional>
#include <optional>

class NotchClipboardSearchTextField : public QLineEdit {
    Q_OBJECT
public:
    static inline const QString placeholder = QStringLiteral("Search…");
    static inline const QString identifier = QStringLiteral("notchClipboardSearchField");
    // What a screen reader calls the field: what it is, not how tests find it.
    static inline const QString accessibleTitle = QStringLiteral("Search the clipboard history");

    explicit NotchClipboardSearchTextField(QWidget *parent = nullptr);

    std::function<void()> onArrowDown;
    std::function<void()> onArrowUp;
    std::function<void()> onSubmit;
    // The focus flag the panel keeps: called when editing begins (true) or ends (false).
    std::function<void(bool)> onFocusChanged;
    // Whether the arrows have moved into the list: a screen reader's focus is on its active row then.
    std::function<bool()> isListNavigated;

    // Takes the focus when `focused` and the request is new (or the field is not being edited);
    // gives it up when not `focused`.
    void update(bool focused, int focusRequest);
    std::optional<int> lastFocusRequest() const { return m_lastFocusRequest; }

    // The colours of the text, the placeholder and the selection: the field draws on whatever its bar sits on.
    void setColors(const QColor &text, const QColor &placeholder, const QColor &selection);
    QColor textColor() const;
    QColor placeholderColor() const { return m_placeholderColor; }
    // Where the caret stands in the empty field, and where the placeholder is drawn: just after the caret,
    // never under it.
    double caretX() const;
    QRectF placeholderRect() const;
    static constexpr double placeholderGap = 3;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent *event) override;

private:
    std::optional<int> m_lastFocusRequest;
    bool m_wantsFocus = false;
    QColor m_placeholderColor = QColor(235, 235, 245, 153);
};
