#include "support/WidgetRendering.h"

#include <algorithm>
#include <cstdlib>

#include <QCoreApplication>
#include <QMouseEvent>

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

::testing::AssertionResult colorNear(const QColor& actual, const QColor& expected, int tolerance)
{
    const int distance = std::max({std::abs(actual.red() - expected.red()),
                                   std::abs(actual.green() - expected.green()),
                                   std::abs(actual.blue() - expected.blue())});
    if (distance <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual.name().toStdString() << " is not within "
                                         << tolerance << " of " << expected.name().toStdString();
}

bool sendMouse(QWidget& widget, QEvent::Type type, QPointF position, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent event(type, position, widget.mapToGlobal(position), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
    return event.isAccepted();
}
