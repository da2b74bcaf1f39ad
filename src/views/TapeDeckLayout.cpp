#include "views/TapeDeckLayout.h"

#include <algorithm>

#include <QEvent>

namespace {

// A stretching view never gets a negative width, however narrow the panel.
QRect placedFrame(const TapeDeckLayout::Placement& placement, QSize panel)
{
    const int width = placement.width > 0
                          ? placement.width
                          : std::max(panel.width() - placement.left - placement.right, 0);
    return {placement.left, placement.top, width, placement.height};
}

} // namespace

TapeDeckLayout::TapeDeckLayout(QWidget* panel, std::vector<Placement> placements)
    : QObject(panel), m_panel(panel), m_placements(std::move(placements))
{
    for (const Placement& placement : m_placements)
        m_ownLimits.emplace_back(placement.view->minimumSize(), placement.view->maximumSize());
    panel->installEventFilter(this);
    apply();
}

TapeDeckLayout::~TapeDeckLayout()
{
    for (std::size_t i = 0; i < m_placements.size(); ++i) {
        // A view that went with the panel needs nothing back.
        if (QWidget* view = m_placements[i].view) {
            view->setMinimumSize(m_ownLimits[i].first);
            view->setMaximumSize(m_ownLimits[i].second);
        }
    }
}

bool TapeDeckLayout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_panel && event->type() == QEvent::Resize)
        apply();
    return false;
}

void TapeDeckLayout::apply() const
{
    for (const Placement& placement : m_placements) {
        if (!placement.view)
            continue;
        placement.view->setFixedHeight(placement.height);
        placement.view->setGeometry(placedFrame(placement, m_panel->size()));
    }
}

#include "moc_TapeDeckLayout.cpp"
