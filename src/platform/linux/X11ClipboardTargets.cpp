#include "platform/linux/X11ClipboardTargets.h"

#include <QMimeData>

#include <algorithm>

namespace {

// Text targets in the order we prefer to read them. COMPOUND_TEXT needs an ISO 2022 decoder and every
// owner that offers it offers UTF8_STRING too.
const QList<QByteArray> &textTargets()
{
    static const QList<QByteArray> targets = {
        "UTF8_STRING", "text/plain;charset=utf-8", "text/plain;charset=UTF-8", "text/plain", "STRING", "TEXT",
    };
    return targets;
}

// Image formats for the one image representation, best first; anything else announced under image/ is
// taken only when none of these is there.
const QList<QByteArray> &imageTargets()
{
    static const QList<QByteArray> targets = {
        "image/png", "image/tiff", "image/jpeg", "image/gif", "image/webp", "image/bmp",
    };
    return targets;
}

bool isImageTarget(const QByteArray &target)
{
    return target.startsWith("image/") || target == "application/x-qt-image" || target == "PIXMAP"
        || target == "BITMAP";
}

// The image target to read among those announced (empty when there is none worth reading).
QByteArray chosenImageTarget(const QList<QByteArray> &targets)
{
    for (const QByteArray &preferred : imageTargets()) {
        if (targets.contains(preferred))
            return preferred;
    }
    for (const QByteArray &target : targets) {
        if (target.startsWith("image/"))
            return target;
    }
    return {};
}

} // namespace

bool X11ClipboardTargets::isMetaTarget(const QByteArray &target)
{
    static const QList<QByteArray> meta = {
        "TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS", "DELETE", "INSERT_SELECTION", "INSERT_PROPERTY",
    };
    return meta.contains(target);
}

bool X11ClipboardTargets::carries(const QByteArray &target, const QByteArray &type, int format)
{
    if (target == "TARGETS")
        return format == 32 && (type == "ATOM" || type == "TARGETS");
    if (format != 8)
        return false;
    if (target == "UTF8_STRING" || target == "STRING")
        return type == target;
    if (target == "TEXT")
        return type == "UTF8_STRING" || type == "STRING";
    return true;
}

bool X11ClipboardTargets::isTextTarget(const QByteArray &target)
{
    return textTargets().contains(target) || target == "COMPOUND_TEXT";
}

QStringList X11ClipboardTargets::typesFromTargets(const QList<QByteArray> &targets)
{
    const QByteArray image = chosenImageTarget(targets);
    QStringList types;
    bool textTaken = false;
    bool hasReadableText = std::any_of(targets.begin(), targets.end(),
                                       [](const QByteArray &t) { return textTargets().contains(t); });
    for (const QByteArray &target : targets) {
        if (target.isEmpty() || isMetaTarget(target))
            continue;
        if (isTextTarget(target)) {
            if (hasReadableText && !textTaken)
                types.append(PasteboardType::plainText);
            textTaken = true;
            continue;
        }
        if (isImageTarget(target)) {
            if (target == image)
                types.append(QString::fromLatin1(target));
            continue;
        }
        const QString type = QString::fromUtf8(target);
        if (!types.contains(type))
            types.append(type);
    }
    return types;
}

QList<QByteArray> X11ClipboardTargets::targetsForType(const QString &type, const QList<QByteArray> &targets)
{
    if (type == PasteboardType::plainText) {
        QList<QByteArray> candidates;
        for (const QByteArray &target : textTargets()) {
            if (targets.contains(target))
                candidates.append(target);
        }
        return candidates;
    }
    const QByteArray target = type.toUtf8();
    if (targets.contains(target))
        return {target};
    return {};
}

QByteArray X11ClipboardTargets::toUtf8Text(const QByteArray &target, const QByteArray &data)
{
    if (target == "STRING")
        return QString::fromLatin1(data).toUtf8();
    return data;
}

PasteboardItemData X11ClipboardTargets::mergedItem(const QList<PasteboardItemData> &items)
{
    PasteboardItemData merged;
    const auto find = [&merged](const QString &type) {
        return std::find_if(merged.begin(), merged.end(), [&type](const auto &rep) { return rep.first == type; });
    };
    for (const PasteboardItemData &item : items) {
        for (const auto &[type, data] : item) {
            const auto existing = find(type);
            if (existing == merged.end()) {
                merged.append({type, data});
            } else if (type == PasteboardType::plainText) {
                existing->second += '\n' + data;
            } else if (type == PasteboardType::uriList) {
                if (!existing->second.endsWith('\n'))
                    existing->second += "\r\n";
                existing->second += data;
            }
        }
    }
    return merged;
}

QList<QPair<QByteArray, QByteArray>> X11ClipboardTargets::offeredTargets(const QString &type, const QByteArray &data)
{
    if (type != PasteboardType::plainText)
        return {{type.toUtf8(), data}};
    QList<QPair<QByteArray, QByteArray>> offered;
    for (const QByteArray &target : textTargets())
        offered.append({target, target == "STRING" ? QString::fromUtf8(data).toLatin1() : data});
    return offered;
}

void X11ClipboardTargets::setPlainText(QMimeData &mime, const QByteArray &utf8)
{
    mime.setText(QString::fromUtf8(utf8));
    mime.setData(PasteboardType::plainText, utf8);
}
