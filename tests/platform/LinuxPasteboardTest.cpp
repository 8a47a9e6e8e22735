// The X11 pasteboard without a display: unavailable, harmless, and the poll never starts.
#include "clipboard/PasteboardManager.h"
#include "platform/linux/LinuxPasteboard.h"
#include "platform/sim/SimClock.h"

#include <gtest/gtest.h>

namespace {

class DisplayOverride {
public:
    explicit DisplayOverride(const QByteArray &display)
        : m_saved(qgetenv("DISPLAY"))
        , m_wasSet(qEnvironmentVariableIsSet("DISPLAY"))
    {
        if (display.isNull())
            qunsetenv("DISPLAY");
        else
            qputenv("DISPLAY", display);
    }
    ~DisplayOverride()
    {
        if (m_wasSet)
            qputenv("DISPLAY", m_saved);
        else
            qunsetenv("DISPLAY");
    }

private:
    QByteArray m_saved;
    bool m_wasSet;
};

Task<> listTypes(Pasteboard *pasteboard, std::optional<PasteboardItemTypes> *out)
{
    *out = co_await pasteboard->itemTypes();
}

Task<> readText(Pasteboard *pasteboard, std::optional<PasteboardRead> *out)
{
    *out = co_await pasteboard->read(0, PasteboardType::plainText, 100);
}

class NoDisplayTest : public ::testing::TestWithParam<const char *> {};

} // namespace

TEST_P(NoDisplayTest, ReportsItselfUnavailableAndDoesNothing)
{
    const DisplayOverride display(GetParam() ? QByteArray(GetParam()) : QByteArray());
    LinuxPasteboard pasteboard;
    EXPECT_FALSE(pasteboard.isAvailable());
    EXPECT_EQ(pasteboard.changeCount(), 0);
    EXPECT_EQ(pasteboard.writePlainText(QStringLiteral("nowhere")), 0);
    std::optional<PasteboardItemTypes> types;
    listTypes(&pasteboard, &types);
    ASSERT_TRUE(types.has_value());
    EXPECT_TRUE(types->items.isEmpty());
    std::optional<PasteboardRead> read;
    readText(&pasteboard, &read);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->status, PasteboardRead::Status::unavailable);
    EXPECT_FALSE(pasteboard.isClipboardManager());
    pasteboard.keepContent(0, [] { return QList<PasteboardItemData>{{{PasteboardType::plainText, "x"}}}; });

    SimClock clock;
    PasteboardManager manager(clock, pasteboard, nullptr);
    manager.start();
    EXPECT_FALSE(manager.isRunning());
    EXPECT_EQ(clock.pendingTimers(), 0);
}

INSTANTIATE_TEST_SUITE_P(Displays, NoDisplayTest, ::testing::Values(nullptr, ":4711"),
                         [](const auto &info) { return std::string(info.param ? "unreachable" : "unset"); });
