// The least a Qt widget window costs that repaints as often as the player's displays: one opaque
// band the size of the waveform, redrawn 60 times a second. scripts/bench-playback.sh measures it
// beside the player, so that the player's own share can be told from the toolkit's.
#include "player/TickGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

class Band final : public QWidget
{
public:
    explicit Band(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

    void advance()
    {
        ++m_frame;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(24, 24, 24));
        painter.fillRect(QRect(m_frame % width(), 0, 2, height()), QColor(0, 184, 209));
    }

private:
    int m_frame = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QWidget window;
    window.setWindowTitle(QStringLiteral("Kassolin paint floor"));
    window.resize(340, 420);
    auto* band = new Band(&window);
    band->setGeometry(16, 60, 308, 56);

    // Frames on the player's clock grid, each painted within its own wake-up, as the player's.
    QElapsedTimer clock;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    std::int64_t tick = 0;
    QObject::connect(&timer, &QTimer::timeout, band, [&] {
        timer.start(advanceTickGrid(tick, 1, static_cast<double>(clock.nsecsElapsed()) / 1e6));
        band->advance();
        QCoreApplication::sendPostedEvents(&window, QEvent::UpdateRequest);
    });
    clock.start();
    timer.start(0);
    window.show();
    return QApplication::exec();
}
