#include "app/MessageLog.h"

#include <gtest/gtest.h>

// Each message is one line of the log, named, whoever wrote it and whatever names it carries.
TEST(MessageLog, EveryMessageIsOneNamedLine)
{
    struct Row {
        const char *name;
        QtMsgType type;
        const char *category;
        QString message;
        std::optional<QString> line;
    };
    const Row rows[] = {
        {"Tavlen's own", QtWarningMsg, "default", QStringLiteral("Could not save the clipboard history"),
         QStringLiteral("tavlen: Could not save the clipboard history")},
        {"a window class with a line feed", QtWarningMsg, nullptr,
         QStringLiteral("The clipboard storm of Evil\ntavlen: nothing: its copies were kept as one item"),
         QStringLiteral("tavlen: The clipboard storm of Evil\\ntavlen: nothing: its copies were kept as one item")},
        {"a terminal's escape, a carriage return, a line separator", QtWarningMsg, "default",
         QStringLiteral("a\x1b[2Jb\rc\u2028d"), QStringLiteral("tavlen: a\\u001b[2Jb\\rc\\u2028d")},
        {"Qt's image reader", QtInfoMsg, "qt.gui.imageio",
         QStringLiteral("libpng warning: iCCP: known incorrect sRGB profile"),
         QStringLiteral("tavlen: qt.gui.imageio: libpng warning: iCCP: known incorrect sRGB profile")},
        {"fonts without OpenType tables", QtWarningMsg, "qt.text.font.db",
         QStringLiteral("OpenType support missing for \"DejaVu Sans\", script 11"), std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<QString> line = MessageLog::line(row.type, row.category, row.message);
        ASSERT_EQ(line.has_value(), row.line.has_value());
        if (line) {
            EXPECT_EQ(line->toStdString(), row.line->toStdString());
        }
    }
}
