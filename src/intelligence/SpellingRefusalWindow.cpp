#include "intelligence/SpellingRefusalWindow.h"

#include "platform/PanelFactory.h"
#include "platform/Screens.h"
#include "ui/AlertView.h"
#include "ui/CornerPath.h"
#include "ui/CustomWindow.h"

#include <QBoxLayout>
#include <QPainter>
#include <QPointer>

namespace {

// The window's own ground under the alert: the colour of Tavlen's windows, rounded, with a hairline edge.
class RefusalCard : public QWidget {
public:
    RefusalCard(std::function<Palette()> palette, AlertView *alert)
        : m_palette(std::move(palette))
    {
        setAttribute(Qt::WA_TranslucentBackground);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(alert);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const Palette colors = m_palette();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const double radius = SpellingRefusalWindow::cornerRadius;
        const QPainterPath outline = CornerPath::continuousRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius);
        // Without a compositor the ground reaches a pixel past the edge, so no half-covered pixel shows black
        // inside the window's shape.
        painter.fillPath(colors.translucency ? outline
                                             : CornerPath::continuousRoundedRect(QRectF(rect()).adjusted(-1, -1, 1, 1), radius + 1),
                         colors.windowBackground());
        painter.setPen(QPen(colors.isDark() ? Palette::white(0.14) : Palette::black(0.12), 1));
        painter.drawPath(outline);
    }

private:
    std::function<Palette()> m_palette;
};

} // namespace

SpellingRefusalWindow::SpellingRefusalWindow(const Platform &platform, const QString &title, const QString &message,
                                             bool takesKeyboard, std::function<Palette()> palette, QObject *parent)
    : BaseWindow(std::make_unique<CustomWindow>(*platform.panels, PanelKind::Floating), parent)
    , m_platform(platform)
    , m_takesKeyboard(takesKeyboard)
{
    Panel &panel = window()->panel();
    panel.setDesktopFlags(PanelDesktop::SkipTaskbar);
    panel.setHasShadow(true);
    QPointer<SpellingRefusalWindow> self = this;
    installHostingContent([&] {
        auto *alert = new AlertView(title, message, [self] {
            if (self)
                self->close();
        }, palette);
        return new RefusalCard(palette, alert);
    });
}

SpellingRefusalWindow::~SpellingRefusalWindow()
{
    if (!window()->panel().isClosed())
        window()->panel().close();
}

AlertView *SpellingRefusalWindow::alert() const
{
    return host() ? host()->findChild<AlertView *>() : nullptr;
}

void SpellingRefusalWindow::show()
{
    if (m_isClosing)
        return;
    QRectF visible;
    if (Screens *screens = m_platform.screens) {
        if (const std::optional<ScreenInfo> under = screens->screenUnderMouse())
            visible = under->availableGeometry;
        else if (const std::optional<ScreenInfo> main = screens->primaryScreen())
            visible = main->availableGeometry;
    }
    const QSize size = alert() ? alert()->sizeHint() : QSize(AlertView::width, 120);
    // Global points run upwards: two thirds up the screen reads as its upper part.
    const QPointF centre(visible.center().x(), visible.top() + visible.height() * 2 / 3);
    const QRectF frame(std::round(centre.x() - size.width() / 2.0), std::round(centre.y() - size.height() / 2.0),
                       size.width(), size.height());
    Panel &panel = window()->panel();
    panel.setFrame(frame);
    // Rounded also where the desktop draws no transparency.
    panel.setShape(CornerPath::continuousRoundedRect(QRectF(QPointF(0, 0), frame.size()), cornerRadius));
    panel.setLevel(PanelLevel::Launcher);
    panel.showWithoutActivating();
    if (!m_takesKeyboard)
        return;
    window()->takeKeyboard();
    if (AlertView *view = alert())
        panel.setFocusedWidget(view);
}

void SpellingRefusalWindow::close()
{
    if (m_isClosing)
        return;
    m_isClosing = true;
    Panel &panel = window()->panel();
    panel.hide();
    panel.close();
    deleteLater();
}
