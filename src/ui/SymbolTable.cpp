#include "ui/SymbolTable.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPainter>
#include <QStandardPaths>
#include <QSvgRenderer>

#include <cmath>

namespace {

Q_LOGGING_CATEGORY(lcSymbols, "tavlen.symbols")

const QStringList themes{QStringLiteral("Adwaita"), QStringLiteral("hicolor")};
const QStringList contexts{QStringLiteral("actions"), QStringLiteral("places"), QStringLiteral("status"),
                           QStringLiteral("mimetypes"), QStringLiteral("categories"), QStringLiteral("devices"),
                           QStringLiteral("emblems"), QStringLiteral("apps"), QStringLiteral("ui"),
                           QStringLiteral("legacy")};

} // namespace

const QList<SymbolTable::Entry> &SymbolTable::entries()
{
    static const QList<Entry> table{
        // Launcher header, search and rows.
        {"magnifyingglass", "edit-find-symbolic"},
        {"xmark", "window-close-symbolic"},
        {"trash.fill", "user-trash-symbolic"},
        {"trash", "user-trash-symbolic"},
        {"gearshape.fill", "emblem-system-symbolic"},
        {"gearshape", "emblem-system-symbolic"},
        {"chevron.down", "pan-down-symbolic"},
        {"chevron.up", "pan-up-symbolic"},
        {"chevron.left", "pan-start-symbolic"},
        {"chevron.right", "pan-end-symbolic"},
        {"clock.arrow.circlepath", "document-open-recent-symbolic"},
        {"bookmark.fill", "user-bookmarks-symbolic"},
        {"text.cursor", "insert-text-symbolic"},
        {"arrow.right", "go-next-symbolic"},
        // Filters.
        {"link", "insert-link-symbolic"},
        {"photo", "image-x-generic-symbolic"},
        {"text.alignleft", "format-justify-left-symbolic"},
        {"doc", "text-x-generic-symbolic"},
        {"doc.text", "x-office-document-symbolic"},
        {"folder", "folder-symbolic"},
        // The theme has no braces: a prompt reads as code, apart from the page of "doc".
        {"curlybraces", "utilities-terminal-symbolic"},
        {"envelope", "mail-unread-symbolic"},
        {"line.3.horizontal.decrease", "view-list-symbolic"},
        {"tag", "bookmark-new-symbolic"},
        {"star", "starred-symbolic"},
        // Preview and settings.
        {"doc.on.doc", "edit-copy-symbolic"},
        {"arrow.up.right.square", "send-to-symbolic"},
        {"square.and.arrow.down", "document-save-symbolic"},
        {"eye", "view-reveal-symbolic"},
        {"info.circle", "dialog-information-symbolic"},
        {"exclamationmark.triangle", "dialog-warning-symbolic"},
        {"plus", "list-add-symbolic"},
        {"minus", "list-remove-symbolic"},
        {"line.3.horizontal", "list-drag-handle-symbolic"},
        {"keyboard", "input-keyboard-symbolic"},
        {"paintpalette", "preferences-color-symbolic"},
        {"sparkles", "starred-symbolic"},
        {"checkmark", "object-select-symbolic"},
        // Text actions and the spelling check.
        {"text.redaction", "format-justify-fill-symbolic"},
        {"wand.and.sparkles", "document-edit-symbolic"},
        {"textformat.abc", "tools-check-spelling-symbolic"},
        {"character.book.closed", "accessories-dictionary-symbolic"},
        {"checklist", "view-list-bullet-symbolic"},
    };
    return table;
}

QString SymbolTable::iconName(const QString &symbol)
{
    for (const Entry &entry : entries()) {
        if (symbol == QLatin1String(entry.symbol))
            return QString::fromLatin1(entry.iconName);
    }
    return {};
}

SymbolTable::SymbolTable(QStringList searchRoots)
    : m_roots(std::move(searchRoots))
{
    if (m_roots.isEmpty()) {
        const QStringList data = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
        for (const QString &folder : data)
            m_roots.append(QDir(folder).filePath(QStringLiteral("icons")));
        m_roots.append(QStringLiteral("/usr/share/icons"));
        m_roots.removeDuplicates();
    }
}

QString SymbolTable::filePath(const QString &symbol) const
{
    if (auto it = m_paths.constFind(symbol); it != m_paths.constEnd())
        return *it;
    QString found;
    const QString icon = iconName(symbol);
    if (!icon.isEmpty()) {
        for (const QString &root : m_roots) {
            for (const QString &theme : themes) {
                for (const QString &context : contexts) {
                    const QString candidate = QStringLiteral("%1/%2/scalable/%3/%4.svg").arg(root, theme, context, icon);
                    if (QFileInfo::exists(candidate)) {
                        found = candidate;
                        break;
                    }
                }
                if (!found.isEmpty())
                    break;
            }
            if (!found.isEmpty())
                break;
        }
    }
    if (found.isEmpty() && !m_reported.contains(symbol)) {
        m_reported.insert(symbol);
        if (icon.isEmpty())
            qCWarning(lcSymbols, "No icon is mapped to the symbol \"%s\"; it is not drawn.", qPrintable(symbol));
        else
            qCWarning(lcSymbols, "The icon \"%s\" for the symbol \"%s\" is not installed (the Adwaita icon theme "
                                 "comes with scripts/install-deps); it is not drawn.",
                      qPrintable(icon), qPrintable(symbol));
    }
    m_paths.insert(symbol, found);
    return found;
}

QPixmap SymbolTable::pixmap(const QString &symbol, int logicalSize, const QColor &color, double devicePixelRatio) const
{
    if (logicalSize <= 0 || color.alpha() == 0)
        return {};
    // "<name>.circle.fill": a disc of the colour with the symbol cut out of it.
    static const QString circleFill = QStringLiteral(".circle.fill");
    if (symbol.endsWith(circleFill) && iconName(symbol).isEmpty()) {
        const QString inner = symbol.chopped(circleFill.size());
        return circledPixmap(inner, logicalSize, color, devicePixelRatio);
    }
    const QString path = filePath(symbol);
    if (path.isEmpty())
        return {};
    const QString key = QStringLiteral("%1|%2|%3|%4").arg(symbol).arg(logicalSize).arg(color.rgba(), 0, 16).arg(devicePixelRatio);
    if (auto it = m_pixmaps.constFind(key); it != m_pixmaps.constEnd())
        return *it;

    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    const int side = std::max(1, int(std::lround(logicalSize * devicePixelRatio)));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        QSizeF size = renderer.defaultSize();
        if (size.isEmpty())
            size = QSizeF(16, 16);
        const QSizeF fitted = size.scaled(side, side, Qt::KeepAspectRatio);
        renderer.render(&painter, QRectF(QPointF((side - fitted.width()) / 2, (side - fitted.height()) / 2), fitted));
        // The icon's own colours give only its shape: paint the tint through it.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), color);
    }
    QPixmap pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    if (m_pixmapOrder.size() >= maximumCachedPixmaps)
        m_pixmaps.remove(m_pixmapOrder.takeFirst());
    m_pixmaps.insert(key, pixmap);
    m_pixmapOrder.append(key);
    return pixmap;
}

QPixmap SymbolTable::circledPixmap(const QString &inner, int logicalSize, const QColor &color, double devicePixelRatio) const
{
    const int innerSize = std::max(1, int(std::lround(logicalSize * 0.6)));
    const QPixmap cut = pixmap(inner, innerSize, Qt::black, devicePixelRatio);
    if (cut.isNull())
        return {};
    const int side = std::max(1, int(std::lround(logicalSize * devicePixelRatio)));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(QRectF(0, 0, side, side));
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        const QSizeF cutSize = QSizeF(cut.size());
        painter.drawPixmap(QPointF((side - cutSize.width()) / 2, (side - cutSize.height()) / 2), cut);
    }
    QPixmap result = QPixmap::fromImage(std::move(image));
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

void SymbolTable::draw(QPainter &painter, const QString &symbol, const QRectF &rect, const QColor &color) const
{
    const int size = int(std::lround(std::min(rect.width(), rect.height())));
    const double dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap image = pixmap(symbol, size, color, dpr);
    if (image.isNull())
        return;
    const QPointF topLeft(rect.center().x() - size / 2.0, rect.center().y() - size / 2.0);
    painter.drawPixmap(QRectF(topLeft, QSizeF(size, size)), image, QRectF(image.rect()));
}
