#pragma once
// The attributes an accessibility element of another application can be asked for, named after what the
// field value engine reads (role, title, placeholder, frame...). Each backend maps them onto its toolkit.

#include <QString>

enum class AccessibilityAttribute {
    role,             // one of AccessibilityRole's names; the backend's own role otherwise
    subrole,
    roleDescription,  // the role as the toolkit words it for people
    title,
    description,
    help,
    placeholder,
    identifier,       // the toolkit's accessible id
    domIdentifier,    // web pages: the element's DOM id
    domInputType,     // web pages: the input's type (email, password, tel...)
    domClassList,     // web pages: the DOM classes, a string list
    url,              // web documents: the page's address
    value,            // the text of a text element; never answered for a secure field
    selectedText,     // never answered for a secure field
    selectedTextRange,
    characterCount,
    enabled,
    readOnly,
    editable,
    focused,
    frame,            // accessibility space: points, origin at the primary screen's top left, y down
    position,
    size,
    parent,
    focusedElement,   // of an application element: its focused element
};

namespace AccessibilityRole {
// The roles the engine tells apart; backends translate their toolkit's roles into these.
inline const QString textField = QStringLiteral("AXTextField");
inline const QString textArea = QStringLiteral("AXTextArea");
inline const QString comboBox = QStringLiteral("AXComboBox");
inline const QString secureTextField = QStringLiteral("AXSecureTextField");
inline const QString webArea = QStringLiteral("AXWebArea");
inline const QString toolbar = QStringLiteral("AXToolbar");
inline const QString group = QStringLiteral("AXGroup");
inline const QString staticText = QStringLiteral("AXStaticText");
inline const QString button = QStringLiteral("AXButton");
inline const QString window = QStringLiteral("AXWindow");
inline const QString application = QStringLiteral("AXApplication");
inline const QString unknown = QStringLiteral("AXUnknown");
} // namespace AccessibilityRole
