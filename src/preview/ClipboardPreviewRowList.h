#pragma once
// A plain column of two-line rows (a title, a detail line and an optional badge) for the preview's file
// list and its list of captured formats; section rows title groups. Paints only the rows in view.

#include "ui/Palette.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>

class SymbolTable;

class ClipboardPreviewRowList : public QWidget {
    Q_OBJECT
public:
    struct Row {
        // A symbol name drawn before the text; empty for none.
        QString symbol;
        QString title;
        QString detail;
        // A short word drawn at the trailing edge ("Missing"); empty: none.
        QString badge;
        // Drawn dimmed (a file that is gone, a format without data).
        bool isDimmed = false;
        // A group title instead of an entry.
        bool isSection = false;
    };

    static constexpr int rowHeight = 46;
    static constexpr int sectionHeight = 28;
    static constexpr int symbolSize = 18;

    ClipboardPreviewRowList(const SymbolTable &symbols, std::function<Palette()> palette, QWidget *parent = nullptr);

    void setRows(QList<Row> rows);
    const QList<Row> &rows() const { return m_rows; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int heightOf(const Row &row) const { return row.isSection ? sectionHeight : rowHeight; }

    const SymbolTable &m_symbols;
    std::function<Palette()> m_palette;
    QList<Row> m_rows;
};
