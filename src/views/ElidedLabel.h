#pragma once

#include <QLabel>

// A one-line label that cuts a text too long for it in the middle with an ellipsis. It asks
// for its text's width but accepts any, so a long text never widens its window. Its height is
// one line of its font whatever the text, so a window fitted around it while it was empty
// still holds it once a text arrives.
class ElidedLabel final : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The text as drawn at the label's current width.
    QString displayedText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int lineHeight() const;
};
