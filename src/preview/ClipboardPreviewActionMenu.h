#pragma once
// The preview's menu of text actions: a button in the header ("Actions") that opens a list of the five
// actions, each with its symbol, title and a line on what it does. While an action runs, the button shows
// it with a spinning mark and takes no new one.

#include "intelligence/ClipboardAIAction.h"
#include "ui/Palette.h"

#include <QAbstractButton>
#include <QPointer>

#include <functional>
#include <optional>

class ActivityIndicator;
class Clock;
class SymbolTable;

class ClipboardPreviewActionMenu : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int height = 28;
    static constexpr int menuWidth = 300;
    static constexpr int rowHeight = 48;
    static constexpr int menuPadding = 6;

    // What the menu says an action does, under its title.
    static QString subtitle(ClipboardAIAction action);

    ClipboardPreviewActionMenu(const SymbolTable &symbols, std::function<Palette()> palette, Clock &clock,
                               QWidget *parent = nullptr);
    ~ClipboardPreviewActionMenu() override;

    // Runs when the person picks an action.
    std::function<void(ClipboardAIAction)> onAction;

    // The action being run, shown on the button; none when idle.
    std::optional<ClipboardAIAction> runningAction() const { return m_running; }
    void setRunningAction(std::optional<ClipboardAIAction> action);

    void openMenu();
    void closeMenu();
    // The open list, or null.
    QWidget *menu() const { return m_menu; }
    // Picks the action as a click on its row would.
    void choose(ClipboardAIAction action);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString label() const;

    const SymbolTable &m_symbols;
    std::function<Palette()> m_palette;
    ActivityIndicator *m_indicator = nullptr;
    std::optional<ClipboardAIAction> m_running;
    QPointer<QWidget> m_menu;
};
