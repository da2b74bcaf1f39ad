#pragma once

#include <utility>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QWidget>

// The vintage design's fixed placements: views pinned at fixed distances, in points, from the
// edges of the tape-deck panel, kept there whenever the panel changes size. It lives as a child
// of the panel, so that a panel holds exactly the set of placements in force. A pinned view
// takes the height of its placement; it gets its own size limits back when the placements go.
class TapeDeckLayout final : public QObject
{
    Q_OBJECT

public:
    // A view's left and top edges and its height, and either its distance from the panel's
    // right edge (it stretches with the panel; `width` 0) or a width of its own.
    struct Placement
    {
        QPointer<QWidget> view;
        int left = 0;
        int top = 0;
        int height = 0;
        int right = 0;
        int width = 0;
    };

    // Places the views at once. The views must be children of `panel`.
    TapeDeckLayout(QWidget* panel, std::vector<Placement> placements);
    ~TapeDeckLayout() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply() const;

    QWidget* m_panel;
    std::vector<Placement> m_placements;
    // Each view's minimum and maximum size from before it was pinned.
    std::vector<std::pair<QSize, QSize>> m_ownLimits;
};
