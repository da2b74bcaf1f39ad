#include "views/ViewAccessibility.h"

#include "views/AccessibleScrubber.h"
#include "views/AccessibleTapeDeck.h"
#include "views/AccessibleTransportButton.h"
#include "views/MiniScrubberView.h"
#include "views/TapeDeckBackgroundView.h"
#include "views/TransportButton.h"

namespace {

QAccessibleInterface* viewInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String("MiniScrubberView"))
        return new AccessibleScrubber(static_cast<MiniScrubberView*>(object));
    if (className == QLatin1String("TransportButton"))
        return new AccessibleTransportButton(static_cast<TransportButton*>(object));
    if (className == QLatin1String("TapeDeckBackgroundView"))
        return new AccessibleTapeDeck(static_cast<TapeDeckBackgroundView*>(object));
    return nullptr;
}

} // namespace

void installViewAccessibility()
{
    QAccessible::installFactory(&viewInterface);
}
