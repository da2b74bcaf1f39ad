// The switch between the two looks: the standard column and the vintage tape deck, with their
// colours, the rows each shows, where the title, times and displays sit, and the window size.
#include "player/PlayerWindowController.h"

#include "views/ElidedLabel.h"
#include "views/LEDMeterView.h"
#include "views/SpectrumAnalyzerView.h"
#include "views/TapeDeckBackgroundView.h"
#include "views/TapeDeckGeometry.h"
#include "views/TapeDeckLayout.h"
#include "views/TransportButton.h"
#include "views/WaveformView.h"

#include <initializer_list>
#include <optional>

#include <QLabel>
#include <QMainWindow>
#include <QVBoxLayout>

namespace {

constexpr QSizeF vintageContentSize(tapeDeckDesignWidth, tapeDeckDesignHeight);

QColor rgb(float red, float green, float blue)
{
    return QColor::fromRgbF(red, green, blue);
}

QColor grey(float white)
{
    return QColor::fromRgbF(white, white, white);
}

// The tape deck is dark whatever the desktop's look: its window, its menus and the playhead.
QPalette vintagePalette()
{
    QPalette palette(rgb(0.16f, 0.165f, 0.17f), TapeDeckBackgroundView::groundColor());
    palette.setColor(QPalette::Highlight, rgb(0.0f, 0.62f, 0.70f));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    return palette;
}

// A label's own text colour, or none: it then follows its window's palette.
void setTextColor(QLabel* label, const std::optional<QColor>& color)
{
    QPalette palette;
    if (color)
        palette.setColor(QPalette::WindowText, *color);
    label->setPalette(palette);
}

// Qt hides a widget that changes its parent, and a layout shows it again only later, through a
// queued call. A view's visibility is nothing but its hidden flag, so the flag is carried over.
template <typename Move> void moveKeepingHiddenFlag(QWidget* view, Move move)
{
    const bool hidden = view->isHidden();
    move();
    view->setHidden(hidden);
}

} // namespace

bool PlayerWindowController::isVintageDesignEnabled() const
{
    return m_backgroundView && m_backgroundView->isVintageEnabled();
}

void PlayerWindowController::setVintageDesignEnabled(bool enabled)
{
    if (!m_backgroundView)
        return;
    m_backgroundView->setVintageEnabled(enabled);
    m_window->setPalette(enabled ? vintagePalette() : QPalette());
    setTextColor(m_titleLabel, enabled ? std::optional(grey(0.9f)) : std::nullopt);
    const std::optional<QColor> timeColor =
        enabled ? std::optional(rgb(0.74f, 0.88f, 0.90f)) : std::nullopt;
    setTextColor(m_elapsedLabel, timeColor);
    setTextColor(m_remainingLabel, timeColor);
    m_waveformView->setDisplayBackgroundColor(enabled ? rgb(0.072f, 0.073f, 0.077f) : grey(0.08f));
    m_spectrumView->setDisplayBackgroundColor(enabled ? rgb(0.078f, 0.080f, 0.084f) : grey(0.07f));
    m_meterView->setDisplayBackgroundColor(enabled ? rgb(0.064f, 0.067f, 0.070f) : grey(0.08f));

    m_buttonRow->setHidden(enabled);
    if (enabled) {
        // The panel has a place for every display and none for the loop keys.
        m_loopControlsRow->hide();
        for (QWidget* display :
             std::initializer_list<QWidget*>{m_waveformView, m_meterView, m_spectrumView})
            display->show();
    }
    for (TransportButton* button :
         {m_previousButton, m_stopButton, m_playButton, m_pauseButton, m_nextButton,
          m_playlistButton, m_ejectButton, m_loopAButton, m_loopBButton, m_loopClearButton}) {
        button->setVintageDesign(enabled);
        button->update();
    }
    contentView()->update();

    if (enabled) {
        applyVintageLayout();
        setWindowContentSize(vintageContentSize, true);
    } else {
        applyStandardLayout();
        setWindowContentSize(QSizeF(standardContentWidth, contentView()->height()), true);
        resizeWindowToFitContentAnimated(true);
    }
}

void PlayerWindowController::applyVintageLayout()
{
    QWidget* panel = contentView();
    delete m_vintageConstraints;
    for (QWidget* view : std::initializer_list<QWidget*>{m_titleLabel, m_timeRow, m_waveformView,
                                                         m_spectrumView, m_meterView}) {
        m_rootStack->removeWidget(view);
        moveKeepingHiddenFlag(view, [view, panel] { view->setParent(panel); });
    }
    m_rootColumn->hide();
    // Left, top, height, and the distance from the right edge or a width of its own.
    m_vintageConstraints = new TapeDeckLayout(panel, {{m_titleLabel, 94, 48, 20, 94, 0},
                                                      {m_timeRow, 94, 76, 16, 94, 0},
                                                      {m_waveformView, 84, 108, 88, 84, 0},
                                                      {m_spectrumView, 24, 282, 70, 0, 190},
                                                      {m_meterView, 624, 302, 50, 0, 190}});
}

void PlayerWindowController::applyStandardLayout()
{
    delete m_vintageConstraints;
    int index = 0;
    for (QWidget* view : std::initializer_list<QWidget*>{m_titleLabel, m_timeRow, m_waveformView,
                                                         m_meterView, m_spectrumView}) {
        const Qt::Alignment alignment = view == m_titleLabel ? Qt::AlignLeft : Qt::Alignment();
        moveKeepingHiddenFlag(view, [this, view, index, alignment] {
            m_rootStack->insertWidget(index, view, 0, alignment);
        });
        ++index;
    }
    m_rootColumn->show();
    m_buttonRow->show();
}
