#include "support/WidgetRendering.h"

#include "support/EventLoop.h"

#include <algorithm>
#include <cstdlib>

#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>

namespace {

QPalette paletteOf(QColor window, QColor text, QColor button, QColor highlight,
                   QColor highlightedText, QColor disabledText)
{
    QPalette palette(button, window);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, highlightedText);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::HighlightedText, disabledText);
    return palette;
}

class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

QPalette lightPalette()
{
    return paletteOf(QColor(236, 236, 236), QColor(16, 16, 16), QColor(224, 224, 224),
                     QColor(48, 112, 208), QColor(255, 255, 255), QColor(160, 160, 160));
}

QPalette darkPalette()
{
    return paletteOf(QColor(45, 45, 45), QColor(240, 240, 240), QColor(58, 58, 58),
                     QColor(224, 112, 32), QColor(16, 16, 16), QColor(112, 112, 112));
}

QImage renderWidget(QWidget& widget, const QSize& size, qreal ratio)
{
    widget.resize(size);
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(renderUnderlay);
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

std::vector<PaletteRendering> renderInBothPalettes(QWidget& widget, const QSize& size)
{
    auto paletteOf = [](int buttonGrey, int windowGrey, QColor highlight, QColor highlightedText) {
        QPalette palette(QColor(buttonGrey, buttonGrey, buttonGrey),
                         QColor(windowGrey, windowGrey, windowGrey));
        palette.setColor(QPalette::Highlight, highlight);
        palette.setColor(QPalette::HighlightedText, highlightedText);
        return palette;
    };
    std::vector<PaletteRendering> renderings{
        {"light", paletteOf(224, 236, QColor(48, 112, 208), Qt::white), {}},
        {"dark", paletteOf(58, 45, QColor(224, 112, 32), Qt::black), {}}};
    for (PaletteRendering& rendering : renderings) {
        widget.setPalette(rendering.palette);
        rendering.image = renderWidget(widget, size);
    }
    return renderings;
}

QColor over(const QColor& top, const QColor& bottom)
{
    const double alpha = top.alphaF();
    auto mix = [alpha](double a, double b) { return a * alpha + b * (1.0 - alpha); };
    return QColor::fromRgbF(mix(top.redF(), bottom.redF()), mix(top.greenF(), bottom.greenF()),
                            mix(top.blueF(), bottom.blueF()));
}

int colorDistance(const QColor& a, const QColor& b)
{
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

::testing::AssertionResult colorNear(const QColor& actual, const QColor& expected, int tolerance)
{
    if (colorDistance(actual, expected) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual.name().toStdString() << " is not within "
                                         << tolerance << " of " << expected.name().toStdString();
}

::testing::AssertionResult colorCloserTo(const QColor& actual, const QColor& expected,
                                         const QColor& other)
{
    if (colorDistance(actual, expected) < colorDistance(actual, other))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << actual.name().toStdString() << " is not nearer to " << expected.name().toStdString()
           << " than to " << other.name().toStdString();
}

bool sendMouse(QWidget& widget, QEvent::Type type, QPointF position, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent event(type, position, widget.mapToGlobal(position), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
    return event.isAccepted();
}

int paintEventsDuring(QWidget& widget, const std::function<void()>& change)
{
    PaintCounter counter;
    widget.installEventFilter(&counter);
    widget.show();
    processEventsUntil([&] { return counter.paints > 0; }, std::chrono::milliseconds(2000));
    processEventsFor(std::chrono::milliseconds(50));
    counter.paints = 0;
    change();
    processEventsFor(std::chrono::milliseconds(50));
    widget.removeEventFilter(&counter);
    widget.hide();
    return counter.paints;
}

void PrintTo(const QColor& color, std::ostream* out)
{
    *out << color.name(QColor::HexArgb).toStdString();
}
