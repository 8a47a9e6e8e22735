#pragma once
// A plain column of two-line rows (a title, a detail line and an optional badge) for the preview's file
// list and its list of captured formats; section rows title groups. Paints only the rows in view.

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

class ClipboardPreviewRowList : public QWidget {
    Q_OBJECT
public:
    struct Row {
        QString title;
        QString detail;
        // A short word drawn at the trailing edge ("Missing"); empty: none.
        QString badge;
        // Drawn dimmed (a file that is gone, a format without data).
        bool isDimmed = false;
        // A group title instead of an entry.
        bool isSection = false;
    };

    struct Colors {
        QColor title;
        QColor detail;
        QColor badge;
        QColor separator;
    };

    static constexpr int rowHeight = 46;
    static constexpr int sectionHeight = 28;

    explicit ClipboardPreviewRowList(QWidget *parent = nullptr);

    void setRows(QList<Row> rows);
    const QList<Row> &rows() const { return m_rows; }
    void setColors(const Colors &colors);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int heightOf(const Row &row) const { return row.isSection ? sectionHeight : rowHeight; }

    QList<Row> m_rows;
    Colors m_colors;
};
