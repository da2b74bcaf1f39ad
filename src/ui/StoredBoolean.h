#pragma once

#include <optional>

#include <QVariant>

// A stored preference as a boolean. Hand-edited files hold words: "true", "yes", "on" or a
// non-zero number read as true, "false", "no", "off" or 0 as false (any case); anything else
// counts as absent. QVariant::toBool alone would read "no" as true.
std::optional<bool> storedBoolean(const QVariant& value);
