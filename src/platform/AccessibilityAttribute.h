#pragma once
// The attributes an accessibility element of another application can be asked for, named after what the
// field value engine reads (role, title, placeholder, frame...). Each backend maps them onto its toolkit.

#include <QString>

enum class AccessibilityAttribute {
    role,             // an AccessibilityRole
    subrole,          // an AccessibilityRole (secureTextField for a password field), where the toolkit gives one
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

// The roles of another application's elements that Tavlen tells apart; each backend maps its toolkit's
// roles onto these in one place, and everything else is `other`.
enum class AccessibilityRole {
    application,
    window,
    group,           // a container: panel, section, form, scroll pane...
    toolbar,
    webArea,         // a web document
    staticText,
    button,
    popUpButton,     // a combo box that cannot be typed into
    textField,       // one line
    textArea,        // several lines
    comboBox,        // a combo box that can be typed into
    secureTextField, // a password field
    other,
};
