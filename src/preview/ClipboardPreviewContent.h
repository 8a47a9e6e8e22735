#pragma once
// What the preview shows of one item, worked out away from the main thread: the text (cut to what can be
// laid out at once), the image decoded no larger than it can be shown, the files with their folders and
// whether they are still there, the link, and every captured format with its size. Bad content yields a
// placeholder text instead, never an error.

#include "model/PasteboardPayload.h"
#include "model/ClipboardItem.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <optional>

struct ClipboardPreviewContent {
    enum class Kind { text, image, files, link, formatsOnly };

    struct FileEntry {
        QString name;
        // The containing folder, with the home folder shown as "~".
        QString folder;
        bool exists = false;
        bool isFolder = false;
    };

    struct Format {
        // Which item of the capture the format belongs to (0 for most copies).
        int itemIndex = 0;
        QString type;
        qint64 byteCount = 0;
        std::optional<OmissionReason> omissionReason;
    };

    // More text than this is cut: laying out much more at once would stall the window.
    static constexpr qsizetype maximumTextLength = 200'000;
    // A run without a break opportunity longer than this is wrapped anywhere, not at word boundaries
    // (breaking such a run at word boundaries costs time that grows with the square of its length).
    static constexpr qsizetype longestWordWrappedRun = 1'000;
    static constexpr qsizetype maximumListedFiles = 1'000;

    Kind kind = Kind::formatsOnly;

    QString text;
    // Characters of the item's text; more than text.size() when the text was cut.
    qsizetype fullTextLength = 0;
    bool wrapsAnywhere = false;

    QImage image;
    QSize imagePixelSize;
    // Why there is no image (empty when there is one).
    QString imageProblem;

    QList<FileEntry> files;
    // Files the item names; more than files.size() when the list was cut.
    qsizetype fileCount = 0;

    QString link;

    QList<Format> formats;
    int captureItemCount = 0;
    // Why the formats cannot be listed (empty when they can, or when nothing was captured).
    QString formatsProblem;

    bool isTextCut() const { return fullTextLength > text.size(); }

    // Builds the content of `item`, decoding its image to fit `maximumImageSide` pixels. Safe on any thread
    // for an item copy that no other thread changes.
    static ClipboardPreviewContent make(const ClipboardItem &item, int maximumImageSide);

    // `text` cut to at most `maximumLength` characters, never inside a surrogate pair.
    static QString cutText(const QString &text, qsizetype maximumLength);
    // The longest run of characters without whitespace in `text`.
    static qsizetype longestUnbrokenRun(const QString &text);
    // "~/Documents" for a folder in the home folder; other folders as they are.
    static QString displayFolder(const QString &folder, const QString &home);
};
