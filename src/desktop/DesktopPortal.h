#pragma once

#include <QString>

// The desktop portal, whose interfaces the settings reader and the sleep inhibitor call.
inline const QString desktopPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString desktopPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
