#pragma once
// The symbols the views draw, by the names the views and the stored filters use ("magnifyingglass",
// "trash.fill", "link"...: a filter keeps its symbol's name), each mapped to an icon of the freedesktop
// Adwaita theme and tinted with one colour. A name the table lacks, or an icon missing on the machine,
// draws nothing and is logged once.
// Rendered tints are kept in a small cache per table.

#include <QColor>
#include <QHash>
#include <QList>
#include <QPixmap>
#include <QRectF>
#include <QSet>
#include <QString>
#include <QStringList>

class QPainter;

class SymbolTable {
public:
    struct Entry {
        const char *symbol;
        const char *iconName;
    };
    // Every symbol the program draws, with its icon.
    static const QList<Entry> &entries();
    // The icon for a symbol name, or an empty string when the table has none.
    static QString iconName(const QString &symbol);

    // `searchRoots`: folders holding icon themes; the XDG data folders' "icons" when empty.
    explicit SymbolTable(QStringList searchRoots = {});

    // The icon file drawn for a symbol, or empty when there is none.
    QString filePath(const QString &symbol) const;
    // Draws the symbol tinted with `color`, fitted and centred in `rect` (logical pixels).
    void draw(QPainter &painter, const QString &symbol, const QRectF &rect, const QColor &color) const;
    // The tinted symbol at `logicalSize` for a device pixel ratio; null when there is nothing to draw.
    QPixmap pixmap(const QString &symbol, int logicalSize, const QColor &color, double devicePixelRatio) const;

private:
    QPixmap circledPixmap(const QString &inner, int logicalSize, const QColor &color, double devicePixelRatio) const;

    static constexpr int maximumCachedPixmaps = 128;

    QStringList m_roots;
    mutable QHash<QString, QString> m_paths;
    mutable QHash<QString, QPixmap> m_pixmaps;
    mutable QList<QString> m_pixmapOrder;
    mutable QSet<QString> m_reported;
};
