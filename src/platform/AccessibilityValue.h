#pragma once
// One answer to an attribute read: missing, or a value of one type. A reader that expects a string gets
// none from a number: every accessor answers only for its own type, so a wrong type counts as missing.

#include "platform/AccessibilityAttribute.h"
#include "platform/AccessibilityElement.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <variant>

// A text range in characters; a plain caret has length 0.
struct AccessibilityTextRange {
    qint64 location = 0;
    qint64 length = 0;
    friend bool operator==(const AccessibilityTextRange &, const AccessibilityTextRange &) = default;
};

class AccessibilityValue {
public:
    using Storage = std::variant<std::monostate, QString, bool, double, QUrl, QStringList, AccessibilityElement,
                                 QRectF, QPointF, QSizeF, AccessibilityTextRange, AccessibilityRole>;

    AccessibilityValue() = default;
    template<typename T>
    AccessibilityValue(T value)
        : m_value(std::move(value))
    {
    }
    AccessibilityValue(const char *text)
        : m_value(QString::fromUtf8(text))
    {
    }

    bool isMissing() const { return std::holds_alternative<std::monostate>(m_value); }

    std::optional<QString> string() const { return get<QString>(); }
    std::optional<bool> boolean() const { return get<bool>(); }
    std::optional<double> number() const { return get<double>(); }
    std::optional<QUrl> url() const { return get<QUrl>(); }
    std::optional<QStringList> stringList() const { return get<QStringList>(); }
    std::optional<AccessibilityElement> element() const
    {
        const auto e = get<AccessibilityElement>();
        return e && !e->isNull() ? e : std::nullopt;
    }
    std::optional<QRectF> rect() const { return get<QRectF>(); }
    std::optional<QPointF> point() const { return get<QPointF>(); }
    std::optional<QSizeF> size() const { return get<QSizeF>(); }
    std::optional<AccessibilityTextRange> range() const { return get<AccessibilityTextRange>(); }
    std::optional<AccessibilityRole> role() const { return get<AccessibilityRole>(); }

private:
    template<typename T>
    std::optional<T> get() const
    {
        if (const T *v = std::get_if<T>(&m_value))
            return *v;
        return std::nullopt;
    }

    Storage m_value;
};
