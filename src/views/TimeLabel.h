#pragma once

#include <QLabel>

// A label of a time, whose text changes every second. A label of free size would have the
// whole window laid out again at each change; this one keeps its size, and takes a new one only
// when a text needs it (a longer time, a font of wider digits).
class TimeLabel final : public QLabel
{
public:
    using QLabel::QLabel;

    void setTime(const QString& text);

protected:
    void changeEvent(QEvent* event) override;

private:
    void fitText();
};
