#include "ui/AppearancePalettes.h"

#include <QColor>

namespace {

struct Scheme
{
    QColor window, base, alternateBase, text, disabledText, highlight, link;
};

// The bevels (light, mid, dark, shadow) follow from the window colour; text, fields and
// selection are set here for every colour group, and disabled text for the disabled group.
QPalette paletteFromScheme(const Scheme& scheme)
{
    QPalette palette(scheme.window, scheme.window);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText})
        palette.setColor(role, scheme.text);
    palette.setColor(QPalette::Base, scheme.base);
    palette.setColor(QPalette::AlternateBase, scheme.alternateBase);
    palette.setColor(QPalette::ToolTipBase, scheme.base);
    palette.setColor(QPalette::Highlight, scheme.highlight);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, scheme.link);
    palette.setColor(QPalette::PlaceholderText, scheme.disabledText);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText})
        palette.setColor(QPalette::Disabled, role, scheme.disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, scheme.disabledText);
    return palette;
}

} // namespace

QPalette lightAppearancePalette()
{
    return paletteFromScheme({QColor(239, 239, 239), QColor(255, 255, 255), QColor(246, 246, 246),
                              QColor(20, 20, 20), QColor(150, 150, 150), QColor(48, 140, 198),
                              QColor(0, 90, 200)});
}

QPalette darkAppearancePalette()
{
    return paletteFromScheme({QColor(45, 45, 48), QColor(30, 30, 32), QColor(38, 38, 41),
                              QColor(232, 232, 232), QColor(120, 120, 124), QColor(42, 130, 218),
                              QColor(110, 170, 255)});
}
