#include "ui/NotchListSearchClearButton.h"

NotchListSearchClearButton::NotchListSearchClearButton(QWidget *parent)
    : QAbstractButton(parent)
{
    setToolTip(label);
    setAccessibleName(label);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    hide();
}
