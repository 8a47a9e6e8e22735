#include "SnapshotCheck.h"

#include "DesktopTest.h"

#include "ui/ActivityIndicator.h"

#include <QAbstractButton>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <optional>

namespace SnapshotCheck {

namespace {

// A region in points as the picture's pixels, kept inside the picture.
QRect pixels(const QImage &image, const QRectF &region)
{
    const double dpr = image.devicePixelRatio();
    const QRect scaled(QPoint(int(region.left() * dpr), int(region.top() * dpr)),
                       QPoint(int(std::ceil(region.right() * dpr)) - 1, int(std::ceil(region.bottom() * dpr)) - 1));
    return scaled.intersected(image.rect());
}

// The text a widget shows, and whether it is one this check knows how to look at.
std::optional<QString> shownText(const QWidget &widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(&widget))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(&widget))
        return button->text();
    if (const auto *indicator = qobject_cast<const ActivityIndicator *>(&widget))
        return indicator->label();
    if (const auto *edit = qobject_cast<const QPlainTextEdit *>(&widget))
        return edit->toPlainText();
    if (const auto *edit = qobject_cast<const QTextEdit *>(&widget))
        return edit->toPlainText();
    return std::nullopt;
}

// Whether the widget is too small for its text. Text views scroll, so they are never cut.
bool isCutByItsOwnSize(const QWidget &widget)
{
    if (qobject_cast<const QPlainTextEdit *>(&widget) || qobject_cast<const QTextEdit *>(&widget))
        return false;
    if (const auto *label = qobject_cast<const QLabel *>(&widget); label && label->wordWrap())
        return label->heightForWidth(label->width()) > label->height();
    const QSize needed = widget.sizeHint();
    return needed.width() > widget.width() || needed.height() > widget.height();
}

} // namespace

QImage over(const QImage &picture, const QColor &backdrop)
{
    QImage out(picture.size(), QImage::Format_RGB32);
    out.setDevicePixelRatio(picture.devicePixelRatio());
    out.fill(backdrop);
    QPainter painter(&out);
    painter.drawImage(QPointF(0, 0), picture);
    return out;
}

double strongestContrast(const QImage &image, const QRectF &region, const QColor &background)
{
    const QRect area = pixels(image, region);
    double best = 1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            best = std::max(best, DesktopTest::contrast(image.pixelColor(x, y), background));
    }
    return best;
}

QColor dominantColor(const QImage &image, const QRectF &region)
{
    const QRect area = pixels(image, region);
    QHash<QRgb, int> counts;
    QRgb best = 0;
    int bestCount = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const int count = ++counts[pixel];
            if (count > bestCount) {
                best = pixel;
                bestCount = count;
            }
        }
    }
    return QColor::fromRgba(best);
}

double inkContrast(const QImage &image, const QRectF &region)
{
    return strongestContrast(image, region, dominantColor(image, region));
}

QStringList unreadableTexts(const QImage &picture, const QWidget &root, double minimumContrast)
{
    QStringList faults;
    const QRectF shown(QPointF(0, 0), QSizeF(picture.size()) / picture.devicePixelRatio());
    for (const QWidget *widget : root.findChildren<QWidget *>()) {
        const std::optional<QString> text = shownText(*widget);
        if (!text || text->trimmed().isEmpty() || !widget->isVisibleTo(&root))
            continue;
        const QString name = QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(widget->metaObject()->className()),
                                                              text->left(40));
        const QRectF area(widget->mapTo(&root, QPoint(0, 0)), QSizeF(widget->size()));
        // Cut by the window's edge or by a parent too small to hold it.
        QRectF visible = area.intersected(shown);
        for (const QWidget *parent = widget->parentWidget(); parent && parent != &root; parent = parent->parentWidget())
            visible = visible.intersected(QRectF(parent->mapTo(&root, QPoint(0, 0)), QSizeF(parent->size())));
        if (visible != area || isCutByItsOwnSize(*widget))
            faults.append(name + QStringLiteral(" is cut"));
        if (widget->isEnabled() && inkContrast(picture, visible) < minimumContrast)
            faults.append(name + QStringLiteral(" has a contrast of %1").arg(inkContrast(picture, visible), 0, 'f', 2));
    }
    return faults;
}

bool showsText(const QWidget &root, const QString &text)
{
    const QList<QWidget *> widgets = root.findChildren<QWidget *>();
    return std::any_of(widgets.begin(), widgets.end(), [&](const QWidget *widget) {
        return widget->isVisibleTo(&root) && shownText(*widget) == text;
    });
}

} // namespace SnapshotCheck
